// Wrappers of host worksheets. A worksheet object finds one worksheet by
// name for the length of one method call, counts and adds its columns and
// stores single cells through the dataset wrappers.
//
// Columns are numbered from 1. A detached object (no worksheet of that
// name) sends no request after construction: its operations fail. Making
// one and every operation on one record ListErr::WorksheetDetached (cells:
// ListErr::ColumnWrite) against the class name; the queries record nothing.
#pragma once

#include <cstdint>

#include "data/MoData.h"
#include "frame/ErrorState.h"
#include "props/MoString.h"

namespace zel {

class MoTavrelWks : public Mobj {
public:
    ZEL_CLASS_NAME(MoTavrelWks)

    // Finds the worksheet (0x9001) when the property holds a text that is
    // not empty; the name reaches the host cut to 119 characters. errors
    // receives the numbers of failures that the numbering decides.
    MoTavrelWks(const MoString& worksheetName, ErrorState& errors);

    // Answers 0 for success and non-zero for failure unless stated.

    bool IsAttached() const { return handle_ != 0; }
    // IsAttached, recording ListErr::WorksheetDetached when detached.
    bool CheckAttached();
    // The number of columns (0x6800); 0 when detached.
    int32_t ColumnCount() const;
    // Adds a column at the end (0x6806).
    int32_t AddColumn();
    // Adds columns until there are at least n. A column that cannot be
    // added reports HostRefused and answers what the report answers.
    int32_t EnsureColumns(int32_t n);
    // The format code of column k (0x6816): 0 numeric; -1 when the host
    // does not answer.
    int32_t ColumnFormat(int32_t k) const;
    // A number or a text in column k at the 0-based row, through a dataset
    // wrapper of that column. 1 when the column cannot be reached or the store
    // is refused (ListErr::ColumnWrite recorded).
    int32_t SetNumberCell(int32_t k, int32_t row, double value);
    int32_t SetTextCell(int32_t k, int32_t row, const char* text);
    // count texts into rows from first on of column k, as many SetTextCell
    // calls would store them but in one block request where the host serves
    // it. Answers the cells refused.
    uint32_t SetTextCells(int32_t k, int32_t first, const char* const* texts, uint32_t count);

    // The worksheet name the dataset wrappers take; no text when detached.
    const MoString& wksName() const { return wksName_; }

    // Column services of the importers; each answers 0 when the host did
    // it (requests 0x6801, 0x6812, 0x6818, 0x6814, 0x6804, 0x681A).
    // Column k's name, cut to the buffer; empty on failure.
    int32_t ColumnName(int32_t k, TextOut buffer) const;
    int32_t SetColumnName(int32_t k, const char* text);
    int32_t SetColumnLabel(int32_t k, const char* text);
    int32_t SetColumnFormat(int32_t k, int32_t code);
    int32_t RemoveColumn(int32_t k);
    int32_t SetRowCount(int32_t n);

    // The host's handle of the worksheet's layer; 0 while detached.
    uint32_t handle() const { return handle_; }

private:
    // One column request on the layer; false (no request) when detached or
    // without a callback.
    bool Request(int32_t code, intptr_t out, int32_t& answer) const;
    template <class T>
    bool Request(int32_t code, T* out, int32_t& answer) const {
        return Request(code, reinterpret_cast<intptr_t>(out), answer);
    }

    uint32_t handle_ = 0;
    ErrorState& errors_;
    MoString wksName_{StringRole::WorksheetName};
};

}  // namespace zel
