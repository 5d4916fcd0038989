// The catalogue of everything ZEL reports as a number: the conditions that
// land in ERROR (with their number in each numbering and what SYSERR
// receives with them) and the ids of the error list.
//
// Call sites name a condition (`Err::OpenFailed`); the numbers live only in
// the two tables of ErrorCatalogue.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/FileException.h"

namespace zel {

// A condition that a step stores in ERROR.
enum class Err : uint8_t {
    MissingArgument,          // a required argument was not given
    MissingTransferArgument,  // the same, for the transfer methods
    MissingFileName,          // a file-name argument was not given
    OneOfHandleOrName,        // SIZE: both a file number and a name
    OutOfRange,               // a value outside the allowed set or range
    WidthRefused,             // the width setting is not one of 1 to 4
    WidthArgumentRefused,     // the width argument is not one of 1 to 4
    BadFileNumber,            // a file number outside 0..99999, or none
    FileNotOpen,              // no open file has that number
    NoCurrentFile,            // legacy: no usable current file
    NoSuchFile,               // the file to remove or measure does not exist
    BadTypeName,              // a bad type name in a record template
    ZeroCount,                // a zero count in a record template
    EndBeforeStart,           // an end index before the start index
    NoSuchData,               // no dataset or worksheet of that name
    HostRefused,              // the host refused a variable, name, label or column
    CreateFailed,             // creating a missing file failed
    OpenFailed,               // opening a file failed
    CloseFailed,              // closing a file failed
    RemoveFailed,             // the platform refused to remove a file
    LengthFailed,             // taking a file's length failed
    PositionFailed,           // taking the position failed
    SeekFailed,               // setting the position failed
    ReadFailed,               // reading failed
    ValueReadEnd,             // a scalar read met the end of the file
    WriteValueFailed,         // writing a single value failed
    BlockReadFailed,          // reading a block failed
    BlockReadEnd,             // a block read met the end of the file
    BlockWriteFailed,         // writing a block failed
    BcdDigit,                 // a BCD digit above 9
    EndOfFile,                // the end of the file while reading
    ValueRange,               // a value out of range for its binary width
    RecordTooWide,            // a record row wider than the worksheet
    NoCodec,                  // no codec for a kind and width, or a bad line-end mode
    OutOfMemory,              // a memory allocation failed
    NoText,                   // a text argument without a text
    NoFileNameText,           // a file-name argument without a text
    NoSuchMethod,             // SYNTAX: no method of that name
    NoSuchMember,             // ALTSPELL: no member of that name
    BadLetter,                // a string-variable letter outside A to Z
    ZeroTextCount,            // a count of 0 lines, tokens or characters
    TextLengthFailed,         // a text reading could not take the file's length
    BadLineMode,              // a line-end mode outside 0 to 2
    NoWorksheet,              // an importer's worksheet does not exist
    BadFormat,                // a foreign file without the layout of its format
    BlockEnd,                 // WKSBLOCK met the end of the file before its last row
    NotNumeric,               // WKSBLOCK met a line that is not numeric
    ElementReadFailed,        // MATHEMATICA could not read the file
    ImportBusy,               // a method called through the entry point while an import runs
    kCount
};

// What SYSERR receives when a condition is stored.
enum class SysErrRule : uint8_t {
    Keep,         // left as it is
    Cause,        // the file exception's cause; legacy: its legacy code
    CauseOrZero,  // the cause; legacy: 0
    Zero,         // 0 in both numberings
    NotFound,     // 0; legacy: 2, the old code of a missing file
    BadHandle,    // 0; legacy: 9, the old code of a bad handle
};

// One row: the condition, its name, its number with NEWACTIONS non-zero,
// its legacy number (0: the legacy numbering leaves ERROR 0 there, and either
// does not fail or fails without a number), the rule for SYSERR and a short
// text of what happened.
struct ErrorRow {
    Err id;
    const char* name;
    int32_t current;
    int32_t legacy;
    SysErrRule sysErr;
    const char* text;
};

// Scripts see one number, 20, for both conditions.
inline constexpr const char* kNoSuchDataOrRefused =
    "no dataset or worksheet of that name, or the host refused a name, a variable or a column";

// The rows in the order of Err, ended by a row with a null name.
inline constexpr ErrorRow kErrorCatalogue[] = {
    {Err::MissingArgument, "MissingArgument", 10, 65, SysErrRule::Keep, "a required argument is missing"},
    {Err::MissingTransferArgument, "MissingTransferArgument", 10, 1024, SysErrRule::Keep,
     "a required argument is missing"},
    {Err::MissingFileName, "MissingFileName", 5, 65, SysErrRule::Keep, "no file name was given"},
    {Err::OneOfHandleOrName, "OneOfHandleOrName", 9, 0, SysErrRule::Zero,
     "give either a file number or a file name, not both"},
    {Err::OutOfRange, "OutOfRange", 12, 3, SysErrRule::Keep, "a value outside the allowed range or set"},
    {Err::WidthRefused, "WidthRefused", 12, 2, SysErrRule::Keep, "NBYTES is not a width this method accepts"},
    {Err::WidthArgumentRefused, "WidthArgumentRefused", 268, 2, SysErrRule::Keep,
     "the width argument is not one this method accepts"},
    {Err::BadFileNumber, "BadFileNumber", 13, 3, SysErrRule::Keep,
     "a file number outside 0..99999, or no current file"},
    {Err::FileNotOpen, "FileNotOpen", 14, 1156, SysErrRule::BadHandle, "no open file has that number"},
    {Err::NoCurrentFile, "NoCurrentFile", 13, 1024, SysErrRule::Keep, "no usable current file"},
    {Err::NoSuchFile, "NoSuchFile", 15, 1156, SysErrRule::NotFound, "the file does not exist"},
    {Err::BadTypeName, "BadTypeName", 16, 16, SysErrRule::Keep, "bad type name in a record template"},
    {Err::ZeroCount, "ZeroCount", 17, 17, SysErrRule::Keep, "a zero count in a record template"},
    {Err::EndBeforeStart, "EndBeforeStart", 19, 64, SysErrRule::Keep, "the end row lies before the start row"},
    {Err::NoSuchData, "NoSuchData", 20, 6, SysErrRule::Keep, kNoSuchDataOrRefused},
    {Err::HostRefused, "HostRefused", 20, 6, SysErrRule::Keep, kNoSuchDataOrRefused},
    {Err::CreateFailed, "CreateFailed", 21, 1153, SysErrRule::CauseOrZero, "the file could not be created"},
    {Err::OpenFailed, "OpenFailed", 22, 1153, SysErrRule::CauseOrZero, "the file could not be opened"},
    {Err::CloseFailed, "CloseFailed", 23, 1156, SysErrRule::Cause, "closing the file failed"},
    {Err::RemoveFailed, "RemoveFailed", 24, 1156, SysErrRule::CauseOrZero, "the file could not be removed"},
    {Err::LengthFailed, "LengthFailed", 25, 1156, SysErrRule::Cause, "the file's length could not be taken"},
    {Err::PositionFailed, "PositionFailed", 26, 1156, SysErrRule::Cause,
     "the file position could not be taken"},
    {Err::SeekFailed, "SeekFailed", 27, 1156, SysErrRule::Cause, "the file position could not be set"},
    {Err::ReadFailed, "ReadFailed", 28, 1157, SysErrRule::Cause, "reading the file failed"},
    {Err::ValueReadEnd, "ValueReadEnd", 33, 1158, SysErrRule::Keep, "the end of the file came first"},
    {Err::WriteValueFailed, "WriteValueFailed", 29, 1155, SysErrRule::Cause, "writing the file failed"},
    {Err::BlockReadFailed, "BlockReadFailed", 30, 1157, SysErrRule::Keep, "reading the file failed"},
    {Err::BlockReadEnd, "BlockReadEnd", 33, 1157, SysErrRule::Keep, "the end of the file came first"},
    {Err::BlockWriteFailed, "BlockWriteFailed", 31, 6, SysErrRule::Keep, "writing the file failed"},
    {Err::BcdDigit, "BcdDigit", 32, 32, SysErrRule::Keep, "a BCD digit above 9"},
    {Err::EndOfFile, "EndOfFile", 33, 33, SysErrRule::Cause, "the end of the file came first"},
    {Err::ValueRange, "ValueRange", 34, 34, SysErrRule::Keep, "a value out of range for its binary width"},
    {Err::RecordTooWide, "RecordTooWide", 38, 38, SysErrRule::Keep,
     "the record has more values than the worksheet has columns"},
    {Err::NoCodec, "NoCodec", 43, 43, SysErrRule::Keep, "no codec for this kind and width"},
    {Err::OutOfMemory, "OutOfMemory", 44, 5, SysErrRule::Keep, "out of memory"},
    {Err::NoText, "NoText", 260, 0, SysErrRule::Keep, "an argument without a text"},
    {Err::NoFileNameText, "NoFileNameText", 261, 1153, SysErrRule::Zero, "a file name without a text"},
    {Err::NoSuchMethod, "NoSuchMethod", 262, 0, SysErrRule::Keep, "no method of that name"},
    {Err::NoSuchMember, "NoSuchMember", 264, 0, SysErrRule::Keep, "no member of that name"},
    {Err::BadLetter, "BadLetter", 18, 65, SysErrRule::Keep, "a string-variable letter outside A to Z"},
    {Err::ZeroTextCount, "ZeroTextCount", 12, 0, SysErrRule::Keep,
     "a count of 0 lines, tokens or characters"},
    {Err::TextLengthFailed, "TextLengthFailed", 25, 1028, SysErrRule::Keep,
     "the file's length could not be taken"},
    {Err::BadLineMode, "BadLineMode", 43, 43, SysErrRule::Keep, "a line-end mode outside 0 to 2"},
    {Err::NoWorksheet, "NoWorksheet", 39, 39, SysErrRule::Keep, "the worksheet does not exist"},
    {Err::BadFormat, "BadFormat", 41, 41, SysErrRule::Keep,
     "the file does not have the layout of its format"},
    {Err::BlockEnd, "BlockEnd", 33, 1030, SysErrRule::Keep, "the end of the file came before the last row"},
    {Err::NotNumeric, "NotNumeric", 1031, 1031, SysErrRule::Keep,
     "a line that is not numeric (its rest is in Z$)"},
    {Err::ElementReadFailed, "ElementReadFailed", 28, 1028, SysErrRule::Cause, "reading the file failed"},
    {Err::ImportBusy, "ImportBusy", 42, 42, SysErrRule::Keep, "an import is running"},
    {Err::kCount, nullptr, 0, 0, SysErrRule::Keep, nullptr},
};

namespace detail {
constexpr bool RowsInOrder() {
    for (size_t i = 0; kErrorCatalogue[i].name != nullptr; ++i) {
        if (static_cast<size_t>(kErrorCatalogue[i].id) != i) return false;
    }
    return kErrorCatalogue[static_cast<size_t>(Err::kCount)].name == nullptr;
}
static_assert(RowsInOrder(), "the error catalogue lists every condition in the order of Err");
}  // namespace detail

constexpr const ErrorRow& ErrorInfo(Err id) { return kErrorCatalogue[static_cast<size_t>(id)]; }

// SYSERR in the legacy numbering for a file that does not exist, and for a
// file number that names no open file.
inline constexpr int32_t kLegacyNotFound = 2;
inline constexpr int32_t kLegacyBadHandle = 9;

// The code every failing step returns in the legacy numbering.
inline constexpr int32_t kLegacyFailure = 2;
// Added to the inner number when an argument (not a setting) was refused.
inline constexpr int32_t kArgumentRefusedOffset = 256;
// A method run inside another (an importer's program) that failed with code
// c: the outer one answers c with this bit set, or in the legacy numbering
// ERROR 4 and 4.
inline constexpr int32_t kNestedOffset = 512;
inline constexpr int32_t kLegacyNestedFailure = 4;

// Legacy numbers that several conditions share, and numbers that some steps
// store in both numberings (12 and 28), with a text that covers them all;
// ended by a row with a null text.
struct LegacyRow {
    int32_t legacy;
    const char* text;
};
inline constexpr LegacyRow kSharedLegacyNumbers[] = {
    {2, "a width this method does not accept"},
    {3, "a value (or a file number) outside the allowed range"},
    {6, "no such dataset or worksheet, the host refused a request, or writing the file failed"},
    {12, "a value outside the allowed range"},
    {28, "reading the file failed"},
    {65, "a required argument is missing, or a string-variable letter outside A to Z"},
    {1024, "a required argument is missing, or there is no usable current file"},
    {1153, "the file could not be opened"},
    {1156, "a file operation failed"},
    {1157, "reading the file failed"},
    {0, nullptr},
};

// The text of a number found in ERROR, in the current (newActions) or the
// legacy numbering; null for 0 and for a number the catalogue does not hold.
constexpr const char* ErrorText(int32_t number, bool newActions) {
    if (number == 0) return nullptr;
    if (!newActions) {
        for (const LegacyRow* row = kSharedLegacyNumbers; row->text != nullptr; ++row) {
            if (row->legacy == number) return row->text;
        }
    }
    for (const ErrorRow* row = kErrorCatalogue; row->name != nullptr; ++row) {
        if ((newActions ? row->current : row->legacy) == number) return row->text;
    }
    return nullptr;
}

// The text of a value found in SYSERR: the file layer's cause, or in the
// legacy numbering the code derived from it; null for 0 and unknown codes.
constexpr const char* SysErrText(int32_t code, bool newActions) {
    if (code == 0) return nullptr;
    if (newActions) {
        const platform::CauseRow* row = platform::FindCause(code);
        return row != nullptr ? row->text : nullptr;
    }
    if (code == kLegacyNotFound) {
        return platform::FindCause(static_cast<int32_t>(platform::FileCause::FileNotFound))->text;
    }
    for (const platform::CauseRow* row = platform::kCauses; row->text != nullptr; ++row) {
        if (row->legacy == code) return row->text;
    }
    return nullptr;
}

// Ids of the error list, each recorded with the class name of the object
// that raised it.
enum class ListErr : int32_t {
    ColumnWrite = 777,          // writing a worksheet column failed
    WorksheetDetached = 779,    // a worksheet object used while not attached
    TooManyArguments = 900,     // more argument items than the method accepts
    DatasetDetached = 1000,     // a dataset object used while not attached
};

struct ListErrRow {
    ListErr id;
    const char* name;
    const char* text;
};

// The ids of the error list, ended by a row with a null name.
inline constexpr ListErrRow kListErrCatalogue[] = {
    {ListErr::ColumnWrite, "ColumnWrite", "writing a worksheet column failed"},
    {ListErr::WorksheetDetached, "WorksheetDetached", "no worksheet of that name"},
    {ListErr::TooManyArguments, "TooManyArguments", "more arguments than the method takes"},
    {ListErr::DatasetDetached, "DatasetDetached", "no dataset of that name"},
    {ListErr::ColumnWrite, nullptr, nullptr},
};

}  // namespace zel
