// Wrappers of host worksheets. A worksheet object finds one worksheet by
// name for the length of one method call and counts, adds, removes, names
// and formats its columns; single cells go through the dataset wrappers.
//
// Columns are numbered from 1. A detached object (no worksheet of that
// name) sends no request after construction: its operations fail, and
// every use records error 779 (cells: 777) against the class name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "data/MoData.h"
#include "frame/ErrorState.h"
#include "props/MoString.h"

namespace zel {

// Size of the buffer that receives a column's dataset name ("%s_%s").
inline constexpr size_t kColumnDatasetNameSize = 40;

// A host layer: its handle (0 = not attached) and the worksheet name.
class MoLayer : public MoTavrel {
public:
    ZEL_CLASS_NAME(MoLayer)

    uint32_t handle() const { return handle_; }
    const MoString& name() const { return name_; }

protected:
    uint32_t handle_ = 0;
    MoString name_;
};

class MoTavrelWks : public MoLayer {
public:
    ZEL_CLASS_NAME(MoTavrelWks)

    // Finds the worksheet (0x9001) when the property holds a text that is
    // not empty; the name reaches the host cut to 119 characters. errors
    // receives the numbers of failures that the numbering decides.
    MoTavrelWks(const MoString& worksheetName, ErrorState& errors);

    // Answers 0 for success and non-zero for failure unless stated.

    // True when attached; false records error 779.
    bool IsAttached();
    // The number of columns (0x6800); 0 when detached.
    int32_t ColumnCount();
    // Adds a column at the end (0x6806).
    int32_t AddColumn();
    // Adds columns until there are at least n. A column that cannot be
    // added: ERROR 20 and answer 20, legacy ERROR 6 and answer 2.
    int32_t EnsureColumns(int32_t n);
    // Format code of column k (0x6816): 0 numeric; -1 when refused.
    int32_t ColumnFormat(int32_t k);
    int32_t SetColumnFormat(int32_t k, int32_t code);
    // Column k's name (0x6801), cut to the buffer; empty on failure.
    int32_t ColumnName(int32_t k, TextOut buffer);
    // Names and labels (0x6812, 0x6818); a copy of the name is sent, so 44
    // (legacy 5, through errors) when it cannot be made.
    int32_t SetColumnName(int32_t k, const char* text);
    int32_t SetColumnLabel(int32_t k, const char* text);
    int32_t RemoveColumn(int32_t k);
    // Row count of every column (0x681A); refused below 0.
    int32_t SetRowCount(int32_t n);
    // "<worksheet>_<column name>" of column k. 1 when the buffer is empty,
    // the object is detached, the column has no name, or the name does not
    // fit in the buffer (at most kColumnDatasetNameSize bytes are used); the
    // buffer is then left empty.
    int32_t ColumnDatasetName(int32_t k, std::span<char> buffer);
    // A number or a text in column k at the 0-based row, through a dataset
    // wrapper of that column. 1 when the column cannot be reached (error 777)
    // or the store is refused (also 777).
    int32_t SetNumberCell(int32_t k, int32_t row, double value);
    int32_t SetTextCell(int32_t k, int32_t row, const char* text);

    // The worksheet name the dataset wrappers take; no text when detached.
    const MoWksName& wksName() const { return wksName_; }

private:
    // One column request on the layer; false (no request) when detached or
    // without a callback.
    bool Ask(int32_t code, intptr_t out, int32_t& answer);
    template <class T>
    bool Ask(int32_t code, T* out, int32_t& answer) {
        return Ask(code, reinterpret_cast<intptr_t>(out), answer);
    }

    ErrorState& errors_;
    MoWksName wksName_;
};

}  // namespace zel
