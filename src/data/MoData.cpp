#include "data/MoData.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>

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

// A 1-based column number as the 0-based index of the base form; anything
// below 1 becomes an index that is refused.
int32_t ColumnIndex(int32_t column) { return column > 0 ? column - 1 : -1; }

}  // namespace

// ---- Construction ----------------------------------------------------------

MoData::MoData(const char* name, bool skipEmpty) {
    if (skipEmpty && (name == nullptr || name[0] == '\0')) return;
    if (!host::Available()) return;
    NameBuffer buffer{};
    if (name != nullptr) CopyBounded(buffer, name);
    locator_ = ZelLocator{0, 0, 0, 0};
    const intptr_t arg = name != nullptr ? reinterpret_cast<intptr_t>(buffer.data()) : 0;
    Attach(host::Call(ZEL_CB_DATASET_BY_NAME, arg, reinterpret_cast<intptr_t>(&locator_)));
}

MoData::MoData(const MoString& worksheetName, int32_t columnIndex) {
    // Index + 1 must be a column number the host can be asked for.
    if (!worksheetName.HasText() || columnIndex < 0 || columnIndex >= INT32_MAX) return;
    if (!host::Available()) return;
    WorksheetBuffer buffer{};
    CopyBounded(buffer, worksheetName.GetText());
    locator_ = ZelLocator{columnIndex + 1, 0, 0, 0};
    Attach(host::Call(ZEL_CB_DATASET_BY_COLUMN, buffer.data(), &locator_));
}

MoData::MoData(const MoString& worksheetName, const MoString& columnName) {
    if (!worksheetName.HasText() || !columnName.HasText()) return;
    if (!host::Available()) return;
    WorksheetBuffer buffer{};
    CopyBounded(buffer, worksheetName.GetText());
    locator_ = ZelLocator{reinterpret_cast<intptr_t>(columnName.GetText()), 0, 0, 0};
    Attach(host::Call(ZEL_CB_DATASET_BY_COLUMN_NAME, buffer.data(), &locator_));
}

MoData::MoData(const NewDataset& request) {
    if (!host::Available()) return;
    int32_t answer = 0;
    int32_t size = 0;
    if (request.size < 0) {
        answer = host::Call(ZEL_CB_TEMP_CREATE, 0, 0);
    } else {
        NameBuffer buffer{};
        if (request.name != nullptr) CopyBounded(buffer, request.name);
        ZelDatasetSize block{request.size, 0};
        answer = host::Call(ZEL_CB_DATASET_CREATE, &block, buffer.data());
        size = request.size;
    }
    if (answer == 0) return;
    handle_ = static_cast<uint32_t>(answer);
    temporary_ = 1;
    locator_ = ZelLocator{0, 0, 0, size};
    lower_ = 0;
    upper_ = size;
}

MoData::MoData(const TemporaryRange& range) : MoData(NewDataset{-1, nullptr}) {
    if (IsAttached()) SetRange(range.lower, range.upper);
}

MoData::MoData(MoData&& other) noexcept
    : valid_(other.valid_),
      handle_(other.handle_),
      modified_(other.modified_),
      locator_(other.locator_),
      lower_(other.lower_),
      upper_(other.upper_),
      accessMode_(other.accessMode_),
      highest_(other.highest_),
      temporary_(other.temporary_),
      storageType_(other.storageType_) {
    other.Detach();
}

MoData::~MoData() { Commit(); }

void MoData::Attach(int32_t answer) {
    handle_ = static_cast<uint32_t>(answer);
    if (handle_ == 0) return;
    lower_ = locator_.lower;
    upper_ = locator_.upper;
}

void MoData::Detach() {
    handle_ = 0;
    modified_ = 0;
    highest_ = -1;
    temporary_ = 0;
}

bool MoData::HasError() {
    if (IsAttached()) return Mobj::HasError();
    Errors().Record(ListErr::DatasetDetached, ClassName());
    return true;
}

int32_t MoData::Ask(int32_t code, intptr_t out) const {
    if (!host::Available()) return 1;
    return host::Call(code, static_cast<intptr_t>(handle_), out);
}

void MoData::NoteStore(int32_t index, bool markModified) {
    highest_ = std::max(highest_, index);
    if (markModified) modified_ = 1;
}

// ---- Stores and reads ------------------------------------------------------

int32_t MoData::SetValue(int32_t index, double value) {
    if (!IsAttached() || !UsableIndex(index)) return 1;
    ZelIndexedValue block{index, 0, value};
    if (Ask(ZEL_CB_VALUE_SET, &block) != 0) return 1;
    NoteStore(index, true);
    return 0;
}

int32_t MoData::SetText(int32_t index, const char* text) {
    if (text == nullptr || !IsAttached() || !UsableIndex(index)) return 1;
    ZelIndexedText block{index, text};
    if (Ask(ZEL_CB_TEXT_SET, &block) != 0) return 1;
    NoteStore(index, true);
    return 0;
}

int32_t MoData::SetPair(int32_t index, const DataPair& pair) {
    if (!IsAttached() || !UsableIndex(index)) return 1;
    ZelIndexedPair block{index, 0, pair.second, pair.first};
    if (Ask(ZEL_CB_PAIR_SET, &block) != 0) return 1;
    NoteStore(index, true);
    return 0;
}

int32_t MoData::SetValueByMode(int32_t index, double value) {
    if (!IsAttached() || !UsableIndex(index)) return 1;
    int32_t code = ZEL_CB_VALUE_SET;
    if ((accessMode_ & kAccessModeAlt2) != 0) {
        code = ZEL_CB_VALUE_SET_ALT2;
    } else if ((accessMode_ & kAccessModeAlt4) != 0) {
        code = ZEL_CB_VALUE_SET_ALT4;
    }
    ZelIndexedValue block{index, 0, value};
    if (Ask(code, &block) != 0) return 1;
    NoteStore(index, false);
    return 0;
}

int32_t MoData::SetMarkAt(int32_t index, uint8_t mark) {
    if (!IsAttached() || !UsableIndex(index)) return 1;
    ZelIndexedValue block{index, 0, static_cast<double>(mark)};
    return Ask(ZEL_CB_MARK_SET, &block) != 0 ? 1 : 0;
}

double MoData::ValueAt(int32_t index) const {
    if (!IsAttached() || !UsableIndex(index)) return kMissingValue;
    ZelIndexedValue block{index, 0, kMissingValue};
    return Ask(ZEL_CB_VALUE_GET, &block) == 0 ? block.value : kMissingValue;
}

double MoData::GetValueByMode(int32_t index) const {
    if (!IsAttached() || !UsableIndex(index)) return kMissingValue;
    int32_t code = ZEL_CB_VALUE_GET;
    if ((accessMode_ & kAccessModeAlt2) != 0) {
        code = ZEL_CB_VALUE_GET_ALT2;
    } else if ((accessMode_ & kAccessModeAlt4) != 0) {
        code = ZEL_CB_VALUE_GET_ALT4;
    }
    ZelIndexedValue block{index, 0, kMissingValue};
    return Ask(code, &block) == 0 ? block.value : kMissingValue;
}

int32_t MoData::GetPair(int32_t index, DataPair& pair) const {
    pair = DataPair{};
    if (!IsAttached() || !UsableIndex(index)) return 1;
    ZelIndexedPair block{index, 0, kMissingValue, kMissingValue};
    if (Ask(ZEL_CB_PAIR_GET, &block) != 0) return 1;
    pair = DataPair{block.first, block.second};
    return 0;
}

int32_t MoData::GetPairInRange(int32_t index, DataPair& pair) const {
    if (index < lower_ || index >= upper_) {
        pair = DataPair{};
        return 1;
    }
    return GetPair(index, pair);
}

double MoData::LookUp(double key) const {
    if (!IsAttached()) return kMissingValue;
    ZelLookup block{0, 0, kMissingValue, key};
    return Ask(ZEL_CB_LOOKUP, &block) == 0 ? block.result : kMissingValue;
}

int32_t MoData::SetIndexPair(int32_t first, int32_t second) {
    if (!IsAttached()) return 1;
    ZelIndexPair block{first, second};
    return Ask(ZEL_CB_INDEX_PAIR, &block);
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

int32_t MoData::FormatAt(int32_t index, TextOut buffer) const {
    if (!buffer.empty()) buffer[0] = '\0';
    if (IsText()) return 1;
    return FormatCell(index, buffer);
}

// ---- Extent ----------------------------------------------------------------

int32_t MoData::SetStorageType(int32_t storageType) {
    if (!RangeTypeCode(storageType)) return 1;
    storageType_ = storageType;
    return 0;
}

int32_t MoData::SetRange(int32_t lower, int32_t upper) {
    if (valid_ == 0 || !IsAttached() || lower > upper) return 1;
    const std::optional<int32_t> typeCode = RangeTypeCode(storageType_);
    if (!typeCode) return 1;
    ZelRange block{lower, upper, *typeCode};
    if (Ask(ZEL_CB_SET_RANGE, &block) != 0) return 1;
    // The host's extent is now [lower, upper); nothing is stored past it.
    locator_.key = lower;
    locator_.word1 = upper;
    locator_.lower = lower;
    locator_.upper = upper;
    lower_ = lower;
    upper_ = upper;
    modified_ = 0;
    highest_ = -1;
    return 0;
}

int32_t MoData::Commit() {
    if (!IsAttached()) return 0;
    const bool storedPast = highest_ >= 0 && (highest_ >= upper_ || highest_ >= locator_.upper);
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

void MoData::SetBounds(int32_t lower, int32_t upper) {
    lower_ = lower;
    upper_ = upper;
}

bool MoData::ClipToHost(int32_t minimum) {
    if (!IsAttached()) return false;
    ZelLocator current = locator_;
    if (Ask(ZEL_CB_CLIP, &current) != 0) return false;
    lower_ = std::max(lower_, ToIndex(current.key));
    upper_ = std::min(upper_, current.word1);
    return static_cast<int64_t>(upper_) - lower_ >= minimum;
}

int32_t MoData::ReleaseTemporary() {
    if (!IsAttached() || temporary_ == 0 || !host::Available()) return 1;
    if (host::Call(ZEL_CB_TEMP_RELEASE, static_cast<intptr_t>(handle_), 0) != 0) return 1;
    // The dataset is gone: nothing of it may be committed or asked again.
    Detach();
    return 0;
}

// ---- Whole-range operations ------------------------------------------------

int32_t MoData::Fill(double value) {
    if (!IsAttached()) return 1;
    int32_t status = 0;
    for (int32_t i = lower_; i < upper_; ++i) {
        if (SetValue(i, value) != 0) status = 1;
    }
    return status;
}

int32_t MoData::Assign(MoData& other) {
    if (&other == this) return 0;
    if (!IsAttached() || !other.IsAttached()) return 1;
    const int32_t lower = other.lower_;
    const int32_t upper = other.upper_;
    if (SetRange(lower, upper) != 0) return 1;
    int32_t status = 0;
    for (int32_t i = lower; i < upper; ++i) {
        if (SetValue(i, other.ValueAt(i)) != 0) status = 1;
    }
    other.ReleaseTemporary();
    return status;
}

double MoData::Apply(Arith op, double left, double right) {
    if (left == kMissingValue || right == kMissingValue) return kMissingValue;
    double result = kMissingValue;
    switch (op) {
        case Arith::Multiply:
            result = left * right;
            break;
        case Arith::Add:
            result = left + right;
            break;
        case Arith::Subtract:
            result = left - right;
            break;
        case Arith::Divide:
            result = left / right;
            break;
    }
    return std::isfinite(result) ? result : kMissingValue;
}

int32_t MoData::IntoTemporary(Arith op, const MoData* other, double scalar,
                              std::unique_ptr<MoData>& result) const {
    result.reset();
    if (!IsAttached() || (other != nullptr && !other->IsAttached())) return 1;
    try {
        result = std::make_unique<MoResultData>(TemporaryRange{lower_, upper_});
    } catch (const std::bad_alloc&) {
        return 44;
    }
    bool failed = !result->IsAttached() || result->lower_ != lower_ || result->upper_ != upper_;
    for (int32_t i = lower_; !failed && i < upper_; ++i) {
        const double right = other != nullptr ? other->ValueAt(i) : scalar;
        failed = result->SetValue(i, Apply(op, ValueAt(i), right)) != 0;
    }
    if (failed) {
        result->ReleaseTemporary();
        result.reset();
        return 1;
    }
    return 0;
}

int32_t MoData::InPlace(Arith op, const MoData* other, double scalar) {
    if (!IsAttached() || (other != nullptr && !other->IsAttached())) return 1;
    int32_t status = 0;
    for (int32_t i = lower_; i < upper_; ++i) {
        const double left = ValueAt(i);
        if (left == kMissingValue) continue;
        const double right = other != nullptr ? other->ValueAt(i) : scalar;
        if (SetValue(i, Apply(op, left, right)) != 0) status = 1;
    }
    return status;
}

int32_t MoData::TimesScalar(double factor, std::unique_ptr<MoData>& result) const {
    return IntoTemporary(Arith::Multiply, nullptr, factor, result);
}
int32_t MoData::TimesData(const MoData& other, std::unique_ptr<MoData>& result) const {
    return IntoTemporary(Arith::Multiply, &other, 0.0, result);
}
int32_t MoData::PlusScalar(double term, std::unique_ptr<MoData>& result) const {
    return IntoTemporary(Arith::Add, nullptr, term, result);
}
int32_t MoData::PlusData(const MoData& other, std::unique_ptr<MoData>& result) const {
    return IntoTemporary(Arith::Add, &other, 0.0, result);
}
int32_t MoData::MinusScalar(double term, std::unique_ptr<MoData>& result) const {
    return IntoTemporary(Arith::Subtract, nullptr, term, result);
}
int32_t MoData::MinusData(const MoData& other, std::unique_ptr<MoData>& result) const {
    return IntoTemporary(Arith::Subtract, &other, 0.0, result);
}
int32_t MoData::DivideScalar(double divisor, std::unique_ptr<MoData>& result) const {
    return IntoTemporary(Arith::Divide, nullptr, divisor, result);
}
int32_t MoData::DivideData(const MoData& other, std::unique_ptr<MoData>& result) const {
    return IntoTemporary(Arith::Divide, &other, 0.0, result);
}

int32_t MoData::MultiplyByScalar(double factor) { return InPlace(Arith::Multiply, nullptr, factor); }
int32_t MoData::MultiplyByData(const MoData& other) { return InPlace(Arith::Multiply, &other, 0.0); }
int32_t MoData::DivideByScalar(double divisor) { return InPlace(Arith::Divide, nullptr, divisor); }
int32_t MoData::DivideByData(const MoData& other) { return InPlace(Arith::Divide, &other, 0.0); }
int32_t MoData::AddScalar(double term) { return InPlace(Arith::Add, nullptr, term); }
int32_t MoData::AddData(const MoData& other) { return InPlace(Arith::Add, &other, 0.0); }
int32_t MoData::SubtractScalar(double term) { return InPlace(Arith::Subtract, nullptr, term); }
int32_t MoData::SubtractData(const MoData& other) { return InPlace(Arith::Subtract, &other, 0.0); }

// ---- Subclasses ------------------------------------------------------------

MoSourceData::MoSourceData(const MoString& worksheetName, int32_t column)
    : MoData(worksheetName, ColumnIndex(column)) {}

MoResultData::MoResultData(const MoString& worksheetName, int32_t column)
    : MoData(worksheetName, ColumnIndex(column)) {}

MoTextData::MoTextData(const char* name) : MoData(name, true) {
    if (IsAttached() && !IsText()) Detach();
}

MoTextData::MoTextData(const MoString& worksheetName, int32_t column)
    : MoData(worksheetName, ColumnIndex(column)) {}

int32_t MoTextData::CellText(int32_t index, TextOut buffer) const {
    if (buffer.empty()) return 1;
    buffer[0] = '\0';
    if (!IsAttached()) return 1;
    return IsText() ? GetText(index, buffer) : FormatCell(index, buffer);
}

int32_t MoTextData::SetFromMember(int32_t index, MoScript& member) {
    if (!IsAttached()) return 1;
    if (IsText()) {
        TextBuffer text{};
        if (member.GetStringAt(TextOut(text), index) != 0) return 1;
        text.back() = '\0';
        return SetText(index, text.data());
    }
    double value = kMissingValue;
    if (member.GetNumberAt(&value, index) != 0) return 1;
    return SetValue(index, value);
}

int32_t MoTextData::SetTextFromString(int32_t index, const MoString& text) {
    return SetText(index, text.GetText());
}

int32_t MoTextData::CopyTextFrom(const MoData& other) {
    if (&other == this) return 0;
    if (!IsAttached() || !other.IsAttached()) return 1;
    const bool text = other.IsText();
    int32_t status = 0;
    for (int32_t i = other.lower(); i < other.upper(); ++i) {
        int32_t stored = 0;
        if (text) {
            TextBuffer cell{};
            stored = other.GetText(i, TextOut(cell)) == 0 ? SetText(i, cell.data()) : 1;
        } else {
            stored = SetValue(i, other.ValueAt(i));
        }
        if (stored != 0) status = 1;
    }
    return status;
}

std::string MoTextData::TextAsString(int32_t index) const {
    TextBuffer text{};
    if (CellText(index, TextOut(text)) != 0) return {};
    try {
        return std::string(text.data());
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace zel
