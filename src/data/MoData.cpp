#include "data/MoData.h"

#include <algorithm>
#include <array>

#include "frame/ErrorRing.h"
#include "host/HostServices.h"
#include "props/MoString.h"

namespace zel {
namespace {

using NameBuffer = std::array<char, ZEL_DATASET_NAME>;
using WorksheetBuffer = std::array<char, ZEL_WORKSHEET_NAME>;
using TextBuffer = std::array<char, ZEL_TEXT_BUFFER>;

// Host words that should be indices but arrive as pointer-sized words.
int32_t ToIndex(intptr_t word) {
    return static_cast<int32_t>(std::clamp<intptr_t>(word, INT32_MIN, INT32_MAX));
}

// The class names the error list gives a wrapper, by DataRole.
constexpr const char* kRoleNames[] = {"MoData", "MoSourceData", "MoResultData", "MoTextData", "MoWksCol"};
static_assert(std::size(kRoleNames) == static_cast<size_t>(DataRole::WksColumn) + 1);

}  // namespace

const char* MoData::ClassName() const { return kRoleNames[static_cast<size_t>(role_)]; }

// ---- Construction ----------------------------------------------------------

MoData::MoData(const char* name, bool skipEmpty, DataRole role) : role_(role) {
    if (skipEmpty && (name == nullptr || name[0] == '\0')) return;
    if (!host::Available()) return;
    NameBuffer buffer{};
    if (name != nullptr) CopyBounded(buffer, name);
    locator_ = ZelLocator{0, 0, 0, 0};
    const intptr_t arg = name != nullptr ? reinterpret_cast<intptr_t>(buffer.data()) : 0;
    handle_ = static_cast<uint32_t>(
        host::Call(ZEL_CB_DATASET_BY_NAME, arg, reinterpret_cast<intptr_t>(&locator_)));
}

MoData::MoData(const MoString& worksheetName, Column column, DataRole role) : role_(role) {
    if (!worksheetName.HasText() || column.number < 1) return;
    if (!host::Available()) return;
    WorksheetBuffer buffer{};
    CopyBounded(buffer, worksheetName.GetText());
    locator_ = ZelLocator{column.number, 0, 0, 0};
    handle_ = static_cast<uint32_t>(host::Call(ZEL_CB_DATASET_BY_COLUMN, buffer.data(), &locator_));
}

MoData::MoData(const MoString& worksheetName, const MoString& columnName) {
    if (!worksheetName.HasText() || !columnName.HasText()) return;
    if (!host::Available()) return;
    WorksheetBuffer buffer{};
    CopyBounded(buffer, worksheetName.GetText());
    locator_ = ZelLocator{reinterpret_cast<intptr_t>(columnName.GetText()), 0, 0, 0};
    handle_ = static_cast<uint32_t>(
        host::Call(ZEL_CB_DATASET_BY_COLUMN_NAME, buffer.data(), &locator_));
}

MoData::~MoData() { Commit(); }

void MoData::Detach() {
    handle_ = 0;
    modified_ = 0;
    highest_ = -1;
}

bool MoData::HasError() const { return !IsAttached() || Mobj::HasError(); }

bool MoData::CheckAttached() {
    if (IsAttached()) return true;
    Errors().Record(ListErr::DatasetDetached, ClassName());
    return false;
}

// ---- Stores and reads ------------------------------------------------------

int32_t MoData::SetText(int32_t index, const char* text) {
    if (text == nullptr || !IsAttached() || !UsableIndex(index)) return 1;
    ZelIndexedText block{index, text};
    if (Ask(ZEL_CB_TEXT_SET, &block) != 0) return 1;
    NoteStore(index);
    return 0;
}

double MoData::ValueAt(int32_t index) const {
    if (!IsAttached() || !UsableIndex(index)) return kMissingValue;
    ZelIndexedValue block{index, 0, kMissingValue};
    return Ask(ZEL_CB_VALUE_GET, &block) == 0 ? block.value : kMissingValue;
}

template <class Block, class Cells>
uint32_t MoData::AskBlockOf(int32_t code, int32_t first, Cells cells, uint32_t count) const {
    if (!IsAttached() || !UsableBlock(first, count)) return 0;
    Block block{first, static_cast<int32_t>(count), 0, 0, cells};
    Ask(code, &block);
    // The host's count is untrusted: never more than was asked.
    return block.done > 0 ? std::min(static_cast<uint32_t>(block.done), count) : 0;
}

uint32_t MoData::StoreTextBlock(int32_t first, const char* const* texts, uint32_t count) {
    const uint32_t done = AskBlockOf<ZelTextBlock>(ZEL_CB_BLOCK_SET_TEXT, first, texts, count);
    if (done > 0) NoteStore(first + static_cast<int32_t>(done) - 1);
    uint32_t refused = 0;
    for (uint32_t k = done; k < count; ++k) refused += SetText(first + static_cast<int32_t>(k), texts[k]) != 0;
    return refused;
}

void MoData::StoreBlock(int32_t first, double* values, uint32_t count) {
    const uint32_t done = AskBlockOf<ZelBlock>(ZEL_CB_BLOCK_SET, first, values, count);
    if (done > 0) NoteStore(first + static_cast<int32_t>(done) - 1);
    for (uint32_t k = done; k < count; ++k) SetValue(first + static_cast<int32_t>(k), values[k]);
}

void MoData::FetchBlock(int32_t first, double* values, uint32_t count) const {
    const uint32_t done = AskBlockOf<ZelBlock>(ZEL_CB_BLOCK_GET, first, values, count);
    for (uint32_t k = done; k < count; ++k) values[k] = ValueAt(first + static_cast<int32_t>(k));
}

bool MoData::IsText() const { return IsAttached() && host::Available() && Ask(ZEL_CB_IS_TEXT, 0) != 0; }

int32_t MoData::GetText(int32_t index, TextOut buffer) const {
    if (buffer.empty()) return 1;
    buffer[0] = '\0';
    if (!IsAttached() || !UsableIndex(index)) return 1;
    // The host fills a buffer of its fixed size, whatever the caller's.
    TextBuffer text{};
    ZelIndexedBuffer block{index, text.data()};
    if (Ask(ZEL_CB_TEXT_GET, &block) != 0) return 1;
    text.back() = '\0';
    CopyBounded(buffer, text.data());
    return 0;
}

int32_t MoData::FormatCell(int32_t index, TextOut buffer) const {
    if (buffer.empty()) return 1;
    buffer[0] = '\0';
    if (!IsAttached() || !UsableIndex(index)) return 1;
    TextBuffer text{};
    int32_t cell = index;
    ZelFormatCell block{&cell, text.data()};
    if (Ask(ZEL_CB_FORMAT_CELL, &block) != 0) return 1;
    text.back() = '\0';
    CopyBounded(buffer, text.data());
    return 0;
}

// ---- Extent ----------------------------------------------------------------

int32_t MoData::SetStorageType(int32_t storageType) {
    if (!RangeTypeCode(storageType)) return 1;
    storageType_ = storageType;
    return 0;
}

int32_t MoData::SetRange(int32_t lower, int32_t upper) {
    if (!IsAttached() || lower > upper) return 1;
    const std::optional<int32_t> typeCode = RangeTypeCode(storageType_);
    if (!typeCode) return 1;
    ZelRange block{lower, upper, *typeCode};
    if (Ask(ZEL_CB_SET_RANGE, &block) != 0) return 1;
    // The host's extent is now [lower, upper); nothing is stored past it.
    locator_.key = lower;
    locator_.word1 = upper;
    locator_.lower = lower;
    locator_.upper = upper;
    modified_ = 0;
    highest_ = -1;
    return 0;
}

int32_t MoData::Commit() {
    if (!IsAttached()) return 0;
    const bool storedPast = highest_ >= 0 && highest_ >= locator_.upper;
    if (modified_ == 0 && !storedPast) return 0;
    // Another wrapper may have grown the dataset since the lookup: take the
    // host's current extent so that the commit never cuts it back.
    int32_t lower = locator_.lower;
    int32_t upper = locator_.upper;
    ZelLocator current = locator_;
    if (Ask(ZEL_CB_CLIP, &current) == 0) {
        lower = ToIndex(current.key);
        upper = current.word1;
    }
    // Stores never reach INT32_MAX, so highest + 1 does not overflow.
    if (highest_ >= 0 && highest_ >= upper) upper = highest_ + 1;
    if (lower > upper) lower = upper;
    return SetRange(lower, upper);
}

// ---- Subclasses ------------------------------------------------------------

MoTextData::MoTextData(const char* name) : MoData(name, true, DataRole::Text) {
    if (IsAttached() && !IsText()) Detach();
}

int32_t MoTextData::CellText(int32_t index, TextOut buffer) const {
    if (buffer.empty()) return 1;
    buffer[0] = '\0';
    if (!IsAttached()) return 1;
    return IsText() ? GetText(index, buffer) : FormatCell(index, buffer);
}

}  // namespace zel
