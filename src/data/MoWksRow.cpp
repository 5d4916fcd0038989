#include "data/MoWksRow.h"

#include <algorithm>
#include <climits>
#include <new>

#include "frame/ErrorRing.h"

namespace zel {
namespace {

constexpr int32_t kUnknownFormat = INT32_MIN;

}  // namespace

MoWksRow::MoWksRow(const MoString& worksheetName, ErrorState& errors) : worksheet_(worksheetName, errors) {
    if (!worksheet_.IsAttached()) return;
    knownColumns_ = worksheet_.ColumnCount();
    for (int32_t k = 1; k <= knownColumns_; ++k) {
        if (const MoWksCol* column = ColumnAt(k); column != nullptr && column->IsAttached()) {
            row_ = std::max(row_, column->upper());
        }
    }
}

MoWksCol* MoWksRow::ColumnAt(int32_t k) {
    if (k < 1) return nullptr;
    const auto index = static_cast<size_t>(k - 1);
    try {
        if (columns_.size() <= index) {
            columns_.resize(index + 1);
            formats_.resize(index + 1, kUnknownFormat);
        }
        if (!columns_[index]) columns_[index] = std::make_unique<MoWksCol>(worksheet_.wksName(), Column{k});
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return columns_[index].get();
}

int32_t MoWksRow::EnsureColumns(int32_t k) {
    if (k <= knownColumns_) return 0;
    if (int32_t r = worksheet_.EnsureColumns(k); r != 0) return r;
    knownColumns_ = k;
    return 0;
}

int32_t MoWksRow::ColumnFormat(int32_t k) {
    if (ColumnAt(k) == nullptr) return worksheet_.ColumnFormat(k);
    int32_t& format = formats_[static_cast<size_t>(k - 1)];
    if (format == kUnknownFormat) format = worksheet_.ColumnFormat(k);
    return format;
}

int32_t MoWksRow::Refused() {
    Errors().Record(ListErr::ColumnWrite, worksheet_.ClassName());
    return 1;
}

int32_t MoWksRow::SetNumber(int32_t k, double value) {
    MoWksCol* column = ColumnAt(k);
    if (column == nullptr || !column->IsAttached() || column->SetValue(row_, value) != 0) return Refused();
    return 0;
}

int32_t MoWksRow::SetText(int32_t k, const char* text) {
    MoWksCol* column = ColumnAt(k);
    if (column == nullptr || !column->IsAttached() || column->SetText(row_, text) != 0) return Refused();
    return 0;
}

}  // namespace zel
