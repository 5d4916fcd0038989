// Wrappers of host datasets. A wrapper holds the host's handle of one
// dataset or worksheet column and turns every cell operation into one host
// request. It lives on the stack of one method call; its destruction
// commits the grown extent of the dataset to the host.
//
// Cell indices are 0-based; worksheet columns are numbered from 1 (Column).
// Negative indices and INT32_MAX are refused without a request: the host
// cannot hold such a cell, and the extent that would have to cover
// INT32_MAX cannot be expressed in a signed 32-bit upper index.
#pragma once

#include <cstdint>
#include <optional>

#include "frame/Mobj.h"
#include "host/HostServices.h"
#include "zel/zel.h"

namespace zel {

class MoString;

// A worksheet column by its number, counted from 1 as the host counts
// columns. Explicit, so that a bare integer never passes for one.
struct Column {
    explicit constexpr Column(int32_t columnNumber) : number(columnNumber) {}
    int32_t number;
};

// Storage types sent with SetRange: 0 to 4, optionally with this flag.
inline constexpr int32_t kStorageTypeFlag = 0x1000;
inline constexpr int32_t kDefaultStorageType = 3;

// The host's type code for a storage type; none outside 0..4 (with or
// without the flag).
constexpr std::optional<int32_t> RangeTypeCode(int32_t storageType) {
    constexpr int32_t kCodes[] = {0x8000, 0x8001, 0x8005, 0x8002, 0x8009};
    const int32_t base = storageType & ~kStorageTypeFlag;
    if (base < 0 || base > 4) return std::nullopt;
    return kCodes[base] + ((storageType & kStorageTypeFlag) != 0 ? 0x10 : 0);
}

// What a dataset is to the method that holds it. The error list names a
// wrapper by its role: "MoSourceData" for a dataset a write method reads,
// "MoResultData" for one a read method writes, "MoWksCol" for a worksheet
// column a row reader fills.
enum class DataRole : uint8_t { Data, Source, Result, Text, WksColumn };

class MoData : public Mobj {
public:
    const char* ClassName() const override;

    // By dataset name (0x3000). With skipEmpty a null or empty name stays
    // detached without a request. The name is cut to 24 characters.
    MoData(const char* name, bool skipEmpty, DataRole role = DataRole::Data);
    // By worksheet name and column number (0x3001); a number below 1 stays
    // detached without a request.
    MoData(const MoString& worksheetName, Column column, DataRole role = DataRole::Data);
    // By worksheet name and column name (0x300E); both must hold a text.
    MoData(const MoString& worksheetName, const MoString& columnName);

    // Commits the extent.
    ~MoData() override;

    bool IsAttached() const { return handle_ != 0; }
    // Detached, or an error recorded since the error list was cleared.
    bool HasError() const override;
    // IsAttached, recording ListErr::DatasetDetached against the class name when detached.
    bool CheckAttached();

    // Operations answer 0 for success and 1 for failure.

    // Stores (0x3445, 0x3401): a success raises the highest index stored and
    // marks the wrapper modified; a failure changes nothing.
    int32_t SetText(int32_t index, const char* text);
    // Inline: transfers store millions of cells, one request each.
    int32_t SetValue(int32_t index, double value) {
        if (!IsAttached() || !UsableIndex(index)) return 1;
        ZelIndexedValue block{index, 0, value};
        if (Ask(ZEL_CB_VALUE_SET, &block) != 0) return 1;
        NoteStore(index);
        return 0;
    }
    // count numbers into the rows from first on, as count SetValue calls
    // would store them: one block request (0x7A41) for a host that serves
    // it, and one request a cell for what the block did not store.
    void StoreBlock(int32_t first, double* values, uint32_t count);
    // The numbers of the rows from first on, as count ValueAt calls would
    // answer them: one block request (0x7A42), then one request a cell for
    // what the block did not fetch.
    void FetchBlock(int32_t first, double* values, uint32_t count) const;
    // count texts into rows first on as SetText stores them, in one request
    // where the host serves it and cell by cell for the rest. Answers the
    // number of cells refused.
    uint32_t StoreTextBlock(int32_t first, const char* const* texts, uint32_t count);
    // The cell's text (0x3446), cut to the buffer; empty on failure.
    int32_t GetText(int32_t index, TextOut buffer) const;
    // The cell's number (0x3400), or the missing value.
    double ValueAt(int32_t index) const;
    // Whether the dataset holds text (0x3444).
    bool IsText() const;

    // Sets the host's extent (0x340B). Refused without a request when
    // detached or lower > upper; on a refusal nothing changes.
    int32_t SetRange(int32_t lower, int32_t upper);
    // Publishes the extent after stores: when modified or stored at or past
    // the upper index, the host's extent becomes [host lower, max(host
    // upper, highest + 1)). Never shrinks the dataset.
    int32_t Commit();
    // Storage type sent with SetRange; 1 for one without a type code.
    int32_t SetStorageType(int32_t storageType);

    uint32_t handle() const { return handle_; }
    // The extent [lower, upper) as the lookup or the latest SetRange left it:
    // a store at upper appends a row.
    int32_t upper() const { return locator_.upper; }

protected:
    void Detach();
    // The host's text of a numeric cell (0x3448).
    int32_t FormatCell(int32_t index, TextOut buffer) const;

private:
    // Cells the host can hold and an extent can cover.
    static constexpr bool UsableIndex(int32_t index) { return index >= 0 && index < INT32_MAX; }
    // Whether a block request may cover the rows: all usable, none INT32_MAX.
    static constexpr bool UsableBlock(int32_t first, uint32_t count) {
        return first >= 0 && count >= 1 && count <= static_cast<uint32_t>(INT32_MAX - first);
    }
    // One block request; the cells it did (0 when refused or not attached).
    template <class Block, class Cells>
    uint32_t AskBlockOf(int32_t code, int32_t first, Cells cells, uint32_t count) const;

    // One request on this dataset; 1 without a callback.
    int32_t Ask(int32_t code, intptr_t out) const {
        if (!host::Available()) return 1;
        return host::Call(code, static_cast<intptr_t>(handle_), out);
    }
    template <class T>
    int32_t Ask(int32_t code, T* out) const {
        return Ask(code, reinterpret_cast<intptr_t>(out));
    }
    void NoteStore(int32_t index) {
        if (index > highest_) highest_ = index;
        modified_ = 1;
    }

    // The lookup's answer; 0 while detached.
    uint32_t handle_ = 0;
    int32_t modified_ = 0;
    // The extent as the lookup or the latest SetRange left it.
    ZelLocator locator_{0, 0, 0, 0};
    int32_t highest_ = -1;
    int32_t storageType_ = kDefaultStorageType;
    DataRole role_ = DataRole::Data;
};

// A dataset that may hold text.
class MoTextData : public MoData {
public:
    // By name with the skip-empty flag; detached unless the dataset holds text.
    explicit MoTextData(const char* name);
    MoTextData(const MoString& worksheetName, Column column, DataRole role = DataRole::Text)
        : MoData(worksheetName, column, role) {}

    // The stored text of a text dataset, the host's text of a number
    // otherwise.
    int32_t CellText(int32_t index, TextOut buffer) const;
};

}  // namespace zel
