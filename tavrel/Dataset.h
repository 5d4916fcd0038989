// Datasets of the stand-in host: named columns of cells. A cell is empty, a
// number or a text. A text dataset takes numbers and texts; a numeric one
// takes numbers only.
//
// A dataset has an extent [lower, upper) that the module reads and publishes
// with the set-range request, and a storage that may reach beyond it: stores
// past the upper index are kept until the module commits the new extent.
#ifndef TAVREL_DATASET_H
#define TAVREL_DATASET_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <map>
#include <vector>

namespace tavrel {

enum class CellKind { Empty, Number, Text };

class Dataset {
public:
    // The highest number of cells a dataset may hold; stores and extents
    // beyond it are refused.
    static constexpr std::size_t kMaxCells = std::size_t{1} << 24;

    Dataset(uint32_t handle, std::string name, bool text);

    Dataset(const Dataset&) = delete;
    Dataset& operator=(const Dataset&) = delete;

    uint32_t handle() const { return handle_; }
    const std::string& name() const { return name_; }
    bool isText() const { return text_; }

    // The extent: [lower, upper).
    int32_t lower() const { return lower_; }
    int32_t upper() const { return upper_; }
    // Cells held, inside the extent or beyond it.
    std::size_t size() const { return kinds_.size(); }

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
    bool set(std::size_t index, double value);
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
    // Makes room for index; false beyond kMaxCells.
    bool reach(std::size_t index);
    void resizeCells(std::size_t count);

    uint32_t handle_;
    std::string name_;
    bool text_;
    bool temporary_ = false;
    int32_t lower_ = 0;
    int32_t upper_ = 0;
    // One kind per cell, numbers beside them, texts only where there are any:
    // numeric datasets of millions of cells stay compact.
    std::vector<CellKind> kinds_;
    std::vector<double> numbers_;
    std::map<std::size_t, std::string> texts_;
    int setRangeCount_ = 0;
    int32_t lastTypeCode_ = 0;
};

}  // namespace tavrel

#endif  // TAVREL_DATASET_H
