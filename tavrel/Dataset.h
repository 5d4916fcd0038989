// Datasets of the stand-in host: named columns of cells. A cell is empty, a
// number or a text. A text dataset takes numbers and texts; a numeric one
// takes numbers only.
//
// A dataset has an extent [lower, upper) that the module reads and publishes
// with the set-range request, and a storage that may reach beyond it: stores
// past the upper index are kept until the module commits the new extent.
#ifndef TAVREL_DATASET_H
#define TAVREL_DATASET_H

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "zel/zel.h"

namespace tavrel {

enum class CellKind : uint8_t { Empty, Number, Text };

class Dataset {
public:
    // The highest number of cells a dataset may hold; stores and extents
    // beyond it are refused.
    static constexpr std::size_t kMaxCells = std::size_t{1} << 24;
    // Released regions kept for the next large datasets, as an allocator
    // keeps freed memory, so that a dataset made after another went needs no
    // fresh pages. Each holds no more memory than its last dataset's cells.
    static constexpr std::size_t kPooledRegions = 4;

    Dataset(uint32_t handle, std::string name, bool text);
    ~Dataset();

    Dataset(const Dataset&) = delete;
    Dataset& operator=(const Dataset&) = delete;

    uint32_t handle() const { return handle_; }
    const std::string& name() const { return name_; }
    bool isText() const { return text_; }

    // The extent: [lower, upper).
    int32_t lower() const { return lower_; }
    int32_t upper() const { return upper_; }
    // Cells held, inside the extent or beyond it.
    std::size_t size() const { return size_; }
    // Bytes of cell storage that the cells held need (kinds and numbers;
    // texts apart).
    std::size_t storageBytes() const { return size_ * (sizeof(CellKind) + sizeof(double)); }

    // Counts every dataset ever destroyed, so that a cache of dataset
    // pointers can tell when it must look again.
    static uint64_t DestroyedCount() { return destroyed_.load(std::memory_order_acquire); }

    CellKind kind(std::size_t index) const;
    // The number of a number cell; nothing for an empty or text cell.
    std::optional<double> number(std::size_t index) const;
    // The text of a text cell; empty for any other cell.
    std::string text(std::size_t index) const;
    // The cell as it is shown: numbers in the default number text, texts as
    // they are, empty cells as "".
    std::string display(std::size_t index) const;

    // Stores grow the storage, never the extent. The missing value stores an
    // empty cell. False when the index is at or beyond kMaxCells, or for a
    // text stored into a numeric dataset.
    bool set(std::size_t index, double value) {
        // The common case, a number into a cell that is not a text, stays
        // inline: one byte and one double written.
        if (index < kinds_.capacity() && !IsMissingValue(value) && kinds_[index] != CellKind::Text) {
            kinds_[index] = CellKind::Number;
            numbers_[index] = value;
            if (index >= size_) size_ = index + 1;
            return true;
        }
        return setSlow(index, value);
    }
    // count numbers from index on, each stored as set() stores it, in one
    // pass over the two arrays. Answers the cells stored: all of them, or
    // those below kMaxCells.
    std::size_t setBlock(std::size_t index, const double* values, std::size_t count);
    // The numbers of count cells from index on, with the missing value
    // where a cell holds none (empty, a text, or beyond the storage).
    void getBlock(std::size_t index, double* values, std::size_t count) const;
    bool setText(std::size_t index, const std::string& text);
    bool clear(std::size_t index);

    // Sets the extent and cuts or pads the storage to upper cells. False
    // (nothing changed) unless 0 <= lower <= upper <= kMaxCells.
    bool setExtent(int32_t lower, int32_t upper);
    // Raises the upper index to at least upper, keeping every stored cell.
    bool extendTo(int32_t upper);
    // setExtent(0, n).
    bool resize(int32_t n) { return setExtent(0, n); }

    // Switches between a text and a numeric dataset. To numeric: texts that
    // read as numbers become numbers, other texts become empty cells.
    void convert(bool text);

    // Set-range requests the module sent for this dataset, and the type code
    // of the latest one.
    int setRangeCount() const { return setRangeCount_; }
    int32_t lastTypeCode() const { return lastTypeCode_; }
    void noteSetRange(int32_t typeCode) {
        ++setRangeCount_;
        lastTypeCode_ = typeCode;
    }

    bool temporary() const { return temporary_; }
    void setTemporary(bool temporary) { temporary_ = temporary; }

    void rename(std::string name) { name_ = std::move(name); }

private:
    // Cell storage. A small dataset lives on the heap; one that outgrows
    // kHeapCells moves once into address space for every cell it may hold,
    // reserved at once: pages appear as cells are first written, growing
    // costs no copy, and memory follows the cells written. Mapping a region
    // costs a system call and a page fault, which would dominate the many
    // small datasets a session makes. Kinds never written read as zero (Empty);
    // a number is read only where its kind is Number.
    template <class T>
    class Cells {
    public:
        Cells() = default;
        ~Cells();
        Cells(const Cells&) = delete;
        Cells& operator=(const Cells&) = delete;
        T& operator[](std::size_t index) { return data_[index]; }
        const T& operator[](std::size_t index) const { return data_[index]; }
        // Cells that may be indexed.
        std::size_t capacity() const { return capacity_; }
        // Room for count cells (at most kMaxCells); throws std::bad_alloc.
        void Reserve(std::size_t count);
        // Back to zero bytes from first to last (exclusive).
        void Clear(std::size_t first, std::size_t last);
        // Hands a reserved region whose cells from used on are zero to the
        // pool of released regions, if it has room; kinds are cleared first.
        void Recycle(std::size_t used);

    private:
        T* data_ = nullptr;
        std::size_t capacity_ = 0;
        bool reserved_ = false;
    };
    static constexpr std::size_t kHeapCells = 8192;

    static bool IsMissingValue(double value) { return value == ZEL_MISSING_VALUE; }
    bool setSlow(std::size_t index, double value);
    // Makes room for index; false beyond kMaxCells.
    bool reach(std::size_t index);
    // Cells held from now on: new cells are empty, cut cells are gone.
    void resizeCells(std::size_t count);

    uint32_t handle_;
    std::string name_;
    bool text_;
    bool temporary_ = false;
    int32_t lower_ = 0;
    int32_t upper_ = 0;
    // One kind byte per cell, numbers beside them, texts only where there are
    // any: numeric datasets of millions of cells stay compact.
    Cells<CellKind> kinds_;
    Cells<double> numbers_;  // read only where the kind is Number
    std::size_t size_ = 0;
    std::map<std::size_t, std::string> texts_;
    static std::atomic<uint64_t> destroyed_;
    int setRangeCount_ = 0;
    int32_t lastTypeCode_ = 0;
};

}  // namespace tavrel

#endif  // TAVREL_DATASET_H
