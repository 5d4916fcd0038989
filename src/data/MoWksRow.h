// One row of a host worksheet for the length of one method call: the row
// readers put the k-th value of a call into column k of the first row below
// the longest column. The columns' dataset wrappers are looked up once per
// call and kept, with the columns' formats, so a value costs one store; the
// wrappers commit the grown columns when the row object goes.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "data/MoData.h"
#include "data/MoTavrelWks.h"

namespace zel {

class MoWksRow : public Mobj {
public:
    ZEL_CLASS_NAME(MoWksRow)
    // Finds the worksheet; the row is the greatest upper index among its
    // columns (0 for a worksheet without rows or columns).
    MoWksRow(const MoString& worksheetName, ErrorState& errors);

    bool IsAttached() const { return worksheet_.IsAttached(); }

    // Adds columns until there are at least k, as MoTavrelWks::EnsureColumns.
    int32_t EnsureColumns(int32_t k);
    // The format code of column k (0 numeric), asked once per call.
    int32_t ColumnFormat(int32_t k);
    // A number or a text into column k of the row: 0, or 1 when the column
    // cannot be reached or the host refuses the cell (ListErr::ColumnWrite).
    int32_t SetNumber(int32_t k, double value);
    int32_t SetText(int32_t k, const char* text);

private:
    // Columns up to this number live inside the object: a row of a few
    // values costs no allocation.
    static constexpr int32_t kNearColumns = 16;
    struct Slot {
        MoTextData* column = nullptr;
        int32_t* format = nullptr;
    };

    // The wrapper of column k (1-based), made on first use, with its format
    // slot; none for a column number below 1 or when memory runs out.
    Slot ColumnAt(int32_t k);
    int32_t Refused();

    MoTavrelWks worksheet_;
    std::array<std::optional<MoTextData>, kNearColumns> near_;
    std::array<int32_t, kNearColumns> nearFormats_{};
    std::vector<std::unique_ptr<MoTextData>> far_;
    std::vector<int32_t> farFormats_;
    int32_t knownColumns_ = 0;
    int32_t row_ = 0;
};

}  // namespace zel
