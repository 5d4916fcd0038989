/*
 * ZEL's numbers and what they mean, in both numberings, for hosts that show
 * them to a person: the conditions that land in ERROR, the causes that land
 * in SYSERR and the ids of the error list (LISTERR). The module's own
 * catalogue is built from these rows, so the texts here are always the
 * module's.
 *
 * Each list is a macro that calls X once per row; a host expands it with a
 * macro of its own, or calls the functions at the end:
 *
 *   const char* text = ZelErrorText(error, newActions);
 */
#ifndef ZEL_ZEL_ERRORS_H
#define ZEL_ZEL_ERRORS_H

#include <stddef.h>
#include <stdint.h>

/* Scripts see one number for both: no dataset or worksheet of that name, or
 * the host refused a request. */
#define ZEL_TEXT_NO_SUCH_DATA_OR_REFUSED \
    "no dataset or worksheet of that name, or the host refused a name, a variable or a column"

/* The conditions ZEL stores in ERROR:
 *   X(Name, current, legacy, numbering, syserr, text)
 * current: the number with NEWACTIONS non-zero; legacy: with NEWACTIONS 0
 * (0: the legacy numbering leaves ERROR 0 there, and either does not fail
 * or fails without a number). numbering says which applies: Legacy (the
 * NEWACTIONS 0 number, and the failing method answers 2 there) or Same (the
 * current number in both numberings, answered; legacy repeats it). Where
 * one condition has both behaviours, depending on the method, it has a row
 * for each. syserr says what SYSERR receives with it:
 * Keep (left as it is), Cause (the file layer's cause; legacy: the cause's
 * legacy code), CauseOrZero (the cause; legacy: 0), Zero, NotFound (0;
 * legacy: ZEL_LEGACY_NOT_FOUND), BadHandle (0; legacy: 9, the old code of
 * a bad handle). */
/* clang-format off */
#define ZEL_ERRORS(X) \
    X(MissingArgument, 10, 65, Legacy, Keep, "a required argument is missing") \
    X(MissingOffset, 10, 10, Same, Keep, "a required argument is missing") \
    X(MissingTransferArgument, 10, 1024, Legacy, Keep, "a required argument is missing") \
    X(MissingFileName, 5, 65, Legacy, Keep, "no file name was given") \
    X(OneOfHandleOrName, 9, 0, Legacy, Zero, "give either a file number or a file name, not both") \
    X(OutOfRange, 12, 3, Legacy, Keep, "a value outside the allowed range or set") \
    X(NegativeCount, 12, 12, Same, Keep, "a value outside the allowed range or set") \
    X(WidthRefused, 12, 2, Legacy, Keep, "NBYTES is not a width this method accepts") \
    X(WidthArgumentRefused, 268, 2, Legacy, Keep, "the width argument is not one this method accepts") \
    X(BadFileNumber, 13, 3, Legacy, Keep, "a file number outside 0..99999, or no current file") \
    X(FileNotOpen, 14, 1156, Legacy, BadHandle, "no open file has that number") \
    X(NoCurrentFile, 13, 1024, Legacy, Keep, "no usable current file") \
    X(NoSuchFile, 15, 1156, Legacy, NotFound, "the file does not exist") \
    X(BadTypeName, 16, 16, Same, Keep, "bad type name in a record template") \
    X(ZeroCount, 17, 17, Same, Keep, "a zero count in a record template") \
    X(EndBeforeStart, 19, 64, Legacy, Keep, "the end row lies before the start row") \
    X(NoSuchData, 20, 6, Legacy, Keep, ZEL_TEXT_NO_SUCH_DATA_OR_REFUSED) \
    X(HostRefused, 20, 6, Legacy, Keep, ZEL_TEXT_NO_SUCH_DATA_OR_REFUSED) \
    X(CreateFailed, 21, 1153, Legacy, CauseOrZero, "the file could not be created") \
    X(OpenFailed, 22, 1153, Legacy, CauseOrZero, "the file could not be opened") \
    X(CloseFailed, 23, 1156, Legacy, Cause, "closing the file failed") \
    X(RemoveFailed, 24, 1156, Legacy, CauseOrZero, "the file could not be removed") \
    X(LengthFailed, 25, 1156, Legacy, Cause, "the file's length could not be taken") \
    X(PositionFailed, 26, 1156, Legacy, Cause, "the file position could not be taken") \
    X(SeekFailed, 27, 1156, Legacy, Cause, "the file position could not be set") \
    X(ReadFailed, 28, 1157, Legacy, Cause, "reading the file failed") \
    X(PieceReadFailed, 28, 28, Same, Cause, "reading the file failed") \
    X(ValueReadEnd, 33, 1158, Legacy, Keep, "the end of the file came first") \
    X(WriteValueFailed, 29, 1155, Legacy, Cause, "writing the file failed") \
    X(BlockReadFailed, 30, 1157, Legacy, Keep, "reading the file failed") \
    X(BlockReadEnd, 33, 1157, Legacy, Keep, "the end of the file came first") \
    X(BlockWriteFailed, 31, 6, Legacy, Keep, "writing the file failed") \
    X(BcdDigit, 32, 32, Same, Keep, "a BCD digit above 9") \
    X(EndOfFile, 33, 33, Same, Cause, "the end of the file came first") \
    X(ValueRange, 34, 34, Same, Keep, "a value out of range for its binary width") \
    X(RecordTooWide, 38, 38, Same, Keep, "the record has more values than the worksheet has columns") \
    X(NoCodec, 43, 43, Same, Keep, "no codec for this kind and width") \
    X(OutOfMemory, 44, 5, Legacy, Keep, "out of memory") \
    X(NoText, 260, 0, Legacy, Keep, "an argument without a text") \
    X(NoFileNameText, 261, 1153, Legacy, Zero, "a file name without a text") \
    X(NoSuchMethod, 262, 0, Legacy, Keep, "no method of that name") \
    X(NoSuchMember, 264, 0, Legacy, Keep, "no member of that name") \
    X(BadLetter, 18, 65, Legacy, Keep, "a string-variable letter outside A to Z") \
    X(ZeroTextCount, 12, 0, Legacy, Keep, "a count of 0 lines, tokens or characters") \
    X(TextLengthFailed, 25, 1028, Legacy, Keep, "the file's length could not be taken") \
    X(BadLineMode, 43, 43, Same, Keep, "a line-end mode outside 0 to 2") \
    X(NoWorksheet, 39, 39, Same, Keep, "the worksheet does not exist") \
    X(BadFormat, 41, 41, Same, Keep, "the file does not have the layout of its format") \
    X(BlockEnd, 33, 1030, Legacy, Keep, "the end of the file came before the last row") \
    X(NotNumeric, 1031, 1031, Same, Keep, "a line that is not numeric (its rest is in Z$)") \
    X(ElementReadFailed, 28, 1028, Legacy, Cause, "reading the file failed") \
    X(ImportBusy, 42, 42, Legacy, Keep, "an import is running")
/* clang-format on */

/* Legacy numbers that several conditions share, with a text that covers
 * them all; 12 and 28 too, the legacy numbers of rows numbered Same whose
 * current numbers other conditions share: X(legacy, text). */
#define ZEL_SHARED_LEGACY_NUMBERS(X) \
    X(2, "a width this method does not accept") \
    X(3, "a value (or a file number) outside the allowed range") \
    X(6, "no such dataset or worksheet, the host refused a request, or writing the file failed") \
    X(12, "a value outside the allowed range") \
    X(28, "reading the file failed") \
    X(65, "a required argument is missing, or a string-variable letter outside A to Z") \
    X(1024, "a required argument is missing, or there is no usable current file") \
    X(1153, "the file could not be opened") \
    X(1156, "a file operation failed") \
    X(1157, "reading the file failed")

/* The causes of the file layer that land in SYSERR:
 *   X(Name, code, legacy, text)
 * code: SYSERR with NEWACTIONS non-zero; legacy: SYSERR with NEWACTIONS 0
 * (0: the legacy numbering does not name the cause). */
#define ZEL_FILE_CAUSES(X) \
    X(None, 0, 0, "no error") \
    X(Generic, 1, 0, "unspecified file error") \
    X(FileNotFound, 2, 23, "file not found") \
    X(BadPath, 3, 0, "bad path") \
    X(TooManyOpenFiles, 4, 24, "too many open files") \
    X(AccessDenied, 5, 13, "access denied") \
    X(InvalidFile, 6, 9, "invalid file") \
    X(RemoveCurrentDir, 7, 0, "cannot remove the current directory") \
    X(DirectoryFull, 8, 0, "directory full") \
    X(BadSeek, 9, 0, "bad seek") \
    X(HardIO, 10, 5, "hardware I/O error") \
    X(SharingViolation, 11, 36, "sharing violation") \
    X(LockViolation, 12, 0, "lock violation") \
    X(DiskFull, 13, 28, "disk full") \
    X(EndOfFile, 14, 0, "end of file")

/* The legacy SYSERR of a file to remove or measure that does not exist,
 * and the cause it stands for. */
#define ZEL_LEGACY_NOT_FOUND 2
#define ZEL_CAUSE_FILE_NOT_FOUND 2

/* The ids of the error list, each recorded with the class name of the
 * object that raised it: X(Name, id, text). */
#define ZEL_LIST_ERRORS(X) \
    X(ColumnWrite, 777, "writing a worksheet column failed") \
    X(WorksheetDetached, 779, "no worksheet of that name") \
    X(TooManyArguments, 900, "more arguments than the method takes") \
    X(DatasetDetached, 1000, "no dataset of that name")

/* The text of a number found in ERROR, in the current (newActions non-zero)
 * or the legacy numbering; NULL for 0 and for a number ZEL does not use. */
static inline const char* ZelErrorText(int32_t number, int newActions) {
    struct Row {
        int32_t current, legacy;
        const char* text;
    };
#define ZEL_ERROR_TEXT_ROW(name, current, legacy, numbering, syserr, text) {current, legacy, text},
    static const struct Row rows[] = {ZEL_ERRORS(ZEL_ERROR_TEXT_ROW) {0, 0, NULL}};
#undef ZEL_ERROR_TEXT_ROW
    struct Shared {
        int32_t legacy;
        const char* text;
    };
#define ZEL_SHARED_TEXT_ROW(legacy, text) {legacy, text},
    static const struct Shared shared[] = {ZEL_SHARED_LEGACY_NUMBERS(ZEL_SHARED_TEXT_ROW) {0, NULL}};
#undef ZEL_SHARED_TEXT_ROW
    size_t i;
    if (number == 0) return NULL;
    if (!newActions) {
        for (i = 0; shared[i].text != NULL; ++i) {
            if (shared[i].legacy == number) return shared[i].text;
        }
    }
    for (i = 0; rows[i].text != NULL; ++i) {
        if ((newActions ? rows[i].current : rows[i].legacy) == number) return rows[i].text;
    }
    return NULL;
}

/* The text of a value found in SYSERR: the file layer's cause, or in the
 * legacy numbering the code it becomes; NULL for 0 and unknown codes. */
static inline const char* ZelSysErrText(int32_t code, int newActions) {
    struct Row {
        int32_t code, legacy;
        const char* text;
    };
#define ZEL_CAUSE_TEXT_ROW(name, code, legacy, text) {code, legacy, text},
    static const struct Row rows[] = {ZEL_FILE_CAUSES(ZEL_CAUSE_TEXT_ROW) {0, 0, NULL}};
#undef ZEL_CAUSE_TEXT_ROW
    size_t i;
    if (code == 0) return NULL;
    /* The legacy code of a missing file names the cause "file not found". */
    if (!newActions && code == ZEL_LEGACY_NOT_FOUND) {
        code = ZEL_CAUSE_FILE_NOT_FOUND;
        newActions = 1;
    }
    for (i = 0; rows[i].text != NULL; ++i) {
        if ((newActions ? rows[i].code : rows[i].legacy) == code) return rows[i].text;
    }
    return NULL;
}

/* The text of an id of the error list; NULL for an id ZEL does not use. */
static inline const char* ZelListErrText(int32_t id) {
    struct Row {
        int32_t id;
        const char* text;
    };
#define ZEL_LIST_TEXT_ROW(name, id, text) {id, text},
    static const struct Row rows[] = {ZEL_LIST_ERRORS(ZEL_LIST_TEXT_ROW) {0, NULL}};
#undef ZEL_LIST_TEXT_ROW
    size_t i;
    for (i = 0; rows[i].text != NULL; ++i) {
        if (rows[i].id == id) return rows[i].text;
    }
    return NULL;
}

#endif /* ZEL_ZEL_ERRORS_H */
