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
    nearFormats_.fill(kUnknownFormat);
    if (!worksheet_.IsAttached()) return;
    knownColumns_ = worksheet_.ColumnCount();
    for (int32_t k = 1; k <= knownColumns_; ++k) {
        if (const MoTextData* column = ColumnAt(k).column; column != nullptr && column->IsAttached()) {
            row_ = std::max(row_, column->upper());
        }
    }
}

MoWksRow::Slot MoWksRow::ColumnAt(int32_t k) {
    if (k < 1) return {};
    if (k <= kNearColumns) {
        const auto index = static_cast<size_t>(k - 1);
        if (!near_[index]) near_[index].emplace(worksheet_.wksName(), Column{k}, DataRole::WksColumn);
        return {&*near_[index], &nearFormats_[index]};
    }
    const auto index = static_cast<size_t>(k - kNearColumns - 1);
    try {
        if (far_.size() <= index) {
            far_.resize(index + 1);
            farFormats_.resize(index + 1, kUnknownFormat);
        }
        if (!far_[index]) {
            far_[index] = std::make_unique<MoTextData>(worksheet_.wksName(), Column{k}, DataRole::WksColumn);
        }
    } catch (const std::bad_alloc&) {
        return {};
    }
    return {far_[index].get(), &farFormats_[index]};
}

int32_t MoWksRow::EnsureColumns(int32_t k) {
    if (k <= knownColumns_) return 0;
    if (int32_t r = worksheet_.EnsureColumns(k); r != 0) return r;
    knownColumns_ = k;
    return 0;
}

int32_t MoWksRow::ColumnFormat(int32_t k) {
    const Slot slot = ColumnAt(k);
    if (slot.format == nullptr) return worksheet_.ColumnFormat(k);
    if (*slot.format == kUnknownFormat) *slot.format = worksheet_.ColumnFormat(k);
    return *slot.format;
}

int32_t MoWksRow::Refused() {
    Errors().Record(ListErr::ColumnWrite, worksheet_.ClassName());
    return 1;
}

int32_t MoWksRow::SetNumber(int32_t k, double value) {
    MoTextData* column = ColumnAt(k).column;
    if (column == nullptr || !column->IsAttached() || column->SetValue(row_, value) != 0) return Refused();
    return 0;
}

int32_t MoWksRow::SetText(int32_t k, const char* text) {
    MoTextData* column = ColumnAt(k).column;
    if (column == nullptr || !column->IsAttached() || column->SetText(row_, text) != 0) return Refused();
    return 0;
}

}  // namespace zel
