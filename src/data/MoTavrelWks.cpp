#include "data/MoTavrelWks.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <string_view>

#include "frame/ErrorRing.h"
#include "host/HostServices.h"

namespace zel {

MoTavrelWks::MoTavrelWks(const MoString& worksheetName, ErrorState& errors) : errors_(errors) {
    std::array<char, ZEL_WORKSHEET_NAME> buffer{};
    if (worksheetName.HasText()) {
        CopyBounded(buffer, worksheetName.GetText());
        ZelLayerQuery query{-1, 1};
        handle_ = static_cast<uint32_t>(host::Call(ZEL_CB_LAYER_HANDLE, &query, buffer.data()));
    }
    // A worksheet that is not found is noted once here, and again by every
    // operation tried on it.
    if (!CheckAttached()) return;
    try {
        // The dataset wrappers look columns up by the name the host found
        // the worksheet under, which is the one that was sent.
        wksName_.SetText(buffer.data());
    } catch (const std::bad_alloc&) {
        handle_ = 0;
        wksName_.SetNone();
        errors_.Report(Err::OutOfMemory);
    }
}

bool MoTavrelWks::CheckAttached() {
    if (IsAttached()) return true;
    Errors().Record(ListErr::WorksheetDetached, ClassName());
    return false;
}

bool MoTavrelWks::Request(int32_t code, intptr_t out, int32_t& answer) const {
    if (!IsAttached() || !host::Available()) return false;
    answer = host::Call(code, static_cast<intptr_t>(handle_), out);
    return true;
}

int32_t MoTavrelWks::ColumnCount() const {
    int32_t count = 0;
    if (!Request(ZEL_CB_COLUMN_COUNT, intptr_t{0}, count)) return 0;
    return std::max(count, 0);
}

int32_t MoTavrelWks::AddColumn() {
    if (!CheckAttached()) return 1;
    ZelColumnAdd block{0, 0, 0, 9};
    int32_t answer = 1;
    return Request(ZEL_CB_COLUMN_ADD, &block, answer) && answer == 0 ? 0 : 1;
}

int32_t MoTavrelWks::EnsureColumns(int32_t n) {
    CheckAttached();
    for (int64_t missing = int64_t{n} - ColumnCount(); missing > 0; --missing) {
        if (AddColumn() != 0) return errors_.Report(Err::HostRefused);
    }
    return 0;
}

int32_t MoTavrelWks::ColumnFormat(int32_t k) const {
    ZelColumnFormat block{1, k};
    int32_t answer = 1;
    if (!Request(ZEL_CB_COLUMN_FORMAT, &block, answer) || answer != 0) return -1;
    return block.code;
}

int32_t MoTavrelWks::SetNumberCell(int32_t k, int32_t row, double value) {
    MoData column(wksName_, Column{k}, DataRole::Result);
    if (!column.IsAttached() || column.SetValue(row, value) != 0) {
        Errors().Record(ListErr::ColumnWrite, ClassName());
        return 1;
    }
    return 0;
}

int32_t MoTavrelWks::SetTextCell(int32_t k, int32_t row, const char* text) {
    MoTextData column(wksName_, Column{k});
    if (!column.IsAttached() || column.SetText(row, text) != 0) {
        Errors().Record(ListErr::ColumnWrite, ClassName());
        return 1;
    }
    return 0;
}

uint32_t MoTavrelWks::SetTextCells(int32_t k, int32_t first, const char* const* texts, uint32_t count) {
    MoTextData column(wksName_, Column{k});
    const uint32_t refused = column.IsAttached() ? column.StoreTextBlock(first, texts, count) : count;
    for (uint32_t n = 0; n < refused; ++n) Errors().Record(ListErr::ColumnWrite, ClassName());
    return refused;
}

int32_t MoTavrelWks::ColumnName(int32_t k, TextOut buffer) const {
    if (buffer.empty()) return 1;
    buffer[0] = '\0';
    if (k < 1) return 1;
    // The host fills a buffer of its fixed size, whatever the caller's.
    std::array<char, ZEL_TEXT_BUFFER> text{};
    std::memcpy(text.data(), &k, sizeof k);
    int32_t answer = 1;
    if (!Request(ZEL_CB_COLUMN_NAME, text.data(), answer) || answer != 0) return 1;
    text.back() = '\0';
    CopyBounded(buffer, text.data());
    return 0;
}

int32_t MoTavrelWks::SetColumnName(int32_t k, const char* text) {
    if (k < 1 || text == nullptr) return 1;
    ZelColumnText block{k, text};
    int32_t answer = 1;
    return Request(ZEL_CB_COLUMN_SET_NAME, &block, answer) && answer == 0 ? 0 : 1;
}

int32_t MoTavrelWks::SetColumnLabel(int32_t k, const char* text) {
    if (k < 1 || text == nullptr) return 1;
    ZelColumnText block{k, text};
    int32_t answer = 1;
    return Request(ZEL_CB_COLUMN_SET_LABEL, &block, answer) && answer == 0 ? 0 : 1;
}

int32_t MoTavrelWks::SetColumnFormat(int32_t k, int32_t code) {
    if (k < 1) return 1;
    ZelColumnSetFormat block{1, k, code};
    int32_t answer = 1;
    return Request(ZEL_CB_COLUMN_SET_FORMAT, &block, answer) && answer == 0 ? 0 : 1;
}

int32_t MoTavrelWks::RemoveColumn(int32_t k) {
    if (k < 1) return 1;
    int32_t answer = 1;
    return Request(ZEL_CB_COLUMN_REMOVE, intptr_t{k}, answer) && answer == 0 ? 0 : 1;
}

int32_t MoTavrelWks::SetRowCount(int32_t n) {
    if (n < 0) return 1;
    int32_t answer = 1;
    return Request(ZEL_CB_SET_ROW_COUNT, intptr_t{n}, answer) && answer == 0 ? 0 : 1;
}

}  // namespace zel
