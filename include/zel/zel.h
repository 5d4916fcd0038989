/*
 * ZEL: the file-I/O plug-in of the Tavrel data-analysis application.
 *
 * This is the one header a host compiles against. It declares the exported
 * entry point MODLL, the host callback type, the request, result, access and
 * callback codes, and every block that crosses the callback.
 *
 * Block layout: every block is a C struct of the words named in its comment,
 * in that order, with natural alignment. 32-bit words are int32_t, 16-bit
 * words int16_t/uint16_t, doubles double, and every word that carries a
 * pointer is a pointer. On a 32-bit target this is the classic layout byte
 * for byte; on a 64-bit target the pointer words widen.
 */
#ifndef ZEL_ZEL_H
#define ZEL_ZEL_H

#include <stddef.h>
#include <stdint.h>

/* ZEL_CDECL is the calling convention of MODLL and of the host callback,
 * the one place that states it: __cdecl on 32-bit Windows (the caller pops
 * the arguments). A host that calls its plug-ins with another convention
 * changes this line (to __stdcall, say) and rebuilds the module; ZEL.dll
 * still exports the plain name MODLL at ordinal 5.
 *
 * ZEL_STATIC: the module's code is linked into the program itself (as in
 * the module's own tests) instead of being loaded from ZEL.dll. */
#if defined(_WIN32)
#define ZEL_CDECL __cdecl
#if defined(ZEL_BUILDING_MODULE)
#define ZEL_EXPORT __declspec(dllexport)
#elif defined(ZEL_STATIC)
#define ZEL_EXPORT
#else
#define ZEL_EXPORT __declspec(dllimport)
#endif
#else
#define ZEL_CDECL
#define ZEL_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Entry point ------------------------------------------------------- */

/* The host callback: handle is the host handle of the latest MODLL call (or,
 * for the row request, a worksheet handle); arg and out are pointer-sized so
 * they can carry a pointer on any target; numbers travel in them as plain
 * integers. */
typedef int32_t(ZEL_CDECL* ZelHostCallback)(uint32_t handle, int32_t code, intptr_t arg,
                                            intptr_t out);

/* The module's only export. Results: ZEL_RESULT_NOT_FOUND, ZEL_RESULT_DONE,
 * ZEL_RESULT_FAILED. */
ZEL_EXPORT int32_t ZEL_CDECL MODLL(uint32_t hostHandle, const char* ownerName, char* memberName,
                                   void* value, ZelHostCallback callback, int32_t requestCode);

typedef int32_t(ZEL_CDECL* ZelEntryPoint)(uint32_t hostHandle, const char* ownerName,
                                          char* memberName, void* value,
                                          ZelHostCallback callback, int32_t requestCode);

#define ZEL_ENTRY_NAME "MODLL"

/* ---- Request codes (requestCode, low 16 bits) -------------------------- */

enum {
    ZEL_REQ_STATUS = 30,        /* value: int32_t*, receives the status word */
    ZEL_REQ_CALL = 3073,        /* owner: method name, member: argument text, value: double* */
    ZEL_REQ_SET_NUMBER = 17,    /* value: const double* */
    ZEL_REQ_GET_NUMBER = 18,    /* value: double* */
    ZEL_REQ_SET_STRING = 19,    /* value: const char* */
    ZEL_REQ_GET_STRING = 20,    /* value: char buffer of at least ZEL_STRING_BUFFER bytes */
    ZEL_REQ_GET_COUNT = 2051,   /* value: double* */
    ZEL_REQ_SET_COUNT = 2052,   /* value: const double* */
    ZEL_PROBE_FLAG = 0x8000     /* added to a request code: look up only / test */
};

/* Results of MODLL and of every access operation. */
enum {
    ZEL_RESULT_NOT_FOUND = 0,
    ZEL_RESULT_DONE = 1,
    ZEL_RESULT_FAILED = 2
};

/* Status word read with ZEL_REQ_STATUS. */
enum {
    ZEL_STATUS_NORMAL = -1,
    ZEL_STATUS_PROBE_OK = 0,
    ZEL_STATUS_PROBE_FAILED = 1,
    ZEL_STATUS_PROBE_SUBMEMBER_FAILED = 2
};

/* Access flags handed to every property access. */
enum {
    ZEL_ACCESS_STRING = 1,
    ZEL_ACCESS_SET = 4,
    ZEL_ACCESS_GET = 8,
    ZEL_ACCESS_SET_COUNT = 32,
    ZEL_ACCESS_GET_COUNT = 64
};

/* Member kinds. */
enum {
    ZEL_KIND_NUMBER = 0,
    ZEL_KIND_STRING = 1,
    ZEL_KIND_METHOD = 2,
    ZEL_KIND_INDEXED = 16
};

/* Buffer sizes of the interface. */
enum {
    ZEL_STRING_BUFFER = 1024,   /* host buffer of a string get (request 20) */
    ZEL_NUMBER_TEXT = 1024,     /* number-to-text buffer (callback 0x103A) */
    ZEL_TEXT_BUFFER = 260,      /* every other text buffer the host fills */
    ZEL_DATASET_NAME = 25,      /* dataset names: at most 24 characters */
    ZEL_WORKSHEET_NAME = 120    /* worksheet names: at most 119 characters */
};

/* The module's missing value: no number. */
#define ZEL_MISSING_VALUE (-1.23456789e-300)

/* ---- Host callback codes ----------------------------------------------- */

enum {
    ZEL_CB_ROW = 0x0000,            /* handle: worksheet handle; arg: ZelRowDescriptor* */
    ZEL_CB_PRINT = 0x1000,          /* arg: text; out: 0 */
    ZEL_CB_WORKSHEET_HANDLE = 0x1003, /* arg: worksheet name; out: int32_t* */
    ZEL_CB_COMMAND = 0x1004,        /* arg: script command text; out: 0 */
    ZEL_CB_SET_STRING_VAR = 0x100C, /* arg: text; out: variable number 0..25 */
    ZEL_CB_CHECK_SEPARATOR = 0x100E, /* arg: separator text; out: 0; -1 = refused */
    ZEL_CB_GET_STRING_VAR = 0x1012, /* arg: ZEL_TEXT_BUFFER buffer; out: variable number */
    ZEL_CB_TEXT_TO_NUMBER = 0x101C, /* arg: text; out: double*; nonzero = converted */
    ZEL_CB_NUMBER_TO_TEXT = 0x103A, /* arg: const double*; out: ZelNumberText* */
    ZEL_CB_UPDATE = 0x300C,         /* arg: 0; out: 0 */
    ZEL_CB_WAIT_CURSOR = 0x1050,    /* arg: 1 show the wait cursor, 0 the previous one again; out: 0 */
    ZEL_CB_REPAINT = 0x1051,        /* arg: a window handle, 0 for the main window; out: 0 */

    ZEL_CB_DATASET_BY_NAME = 0x3000,   /* arg: name or NULL; out: ZelLocator* */
    ZEL_CB_DATASET_BY_COLUMN = 0x3001, /* arg: worksheet name; out: ZelLocator*, key = column (1-based) */
    ZEL_CB_DATASET_BY_COLUMN_NAME = 0x300E, /* arg: worksheet name; out: ZelLocator*, key = column name */
    ZEL_CB_DATASET_CREATE = 0x300F,    /* arg: ZelDatasetSize*; out: ZEL_DATASET_NAME buffer */
    ZEL_CB_VALUE_GET = 0x3400,         /* arg: dataset handle; out: ZelIndexedValue* */
    ZEL_CB_VALUE_SET = 0x3401,         /* arg: dataset handle; out: ZelIndexedValue* */
    ZEL_CB_PAIR_GET = 0x3403,          /* arg: dataset handle; out: ZelIndexedPair* */
    ZEL_CB_LOOKUP = 0x3404,            /* arg: dataset handle; out: ZelLookup* */
    ZEL_CB_CLIP = 0x3409,              /* arg: dataset handle; out: ZelLocator* */
    ZEL_CB_SET_RANGE = 0x340B,         /* arg: dataset handle; out: ZelRange* */
    ZEL_CB_PAIR_SET = 0x340C,          /* arg: dataset handle; out: ZelIndexedPair* */
    ZEL_CB_VALUE_GET_ALT2 = 0x340E,    /* access mode bit 2 */
    ZEL_CB_VALUE_GET_ALT4 = 0x340F,    /* access mode bit 4 */
    ZEL_CB_VALUE_SET_ALT2 = 0x3410,
    ZEL_CB_VALUE_SET_ALT4 = 0x3411,
    ZEL_CB_INDEX_PAIR = 0x3412,        /* arg: dataset handle; out: ZelIndexPair* */
    ZEL_CB_TEMP_CREATE = 0x341B,       /* arg: 0; out: 0; result: handle */
    ZEL_CB_TEMP_RELEASE = 0x341C,      /* arg: dataset handle; out: 0 */
    ZEL_CB_IS_TEXT = 0x3444,           /* arg: dataset handle; out: 0 */
    ZEL_CB_TEXT_SET = 0x3445,          /* arg: dataset handle; out: ZelIndexedText* */
    ZEL_CB_TEXT_GET = 0x3446,          /* arg: dataset handle; out: ZelIndexedBuffer* */
    ZEL_CB_MARK_SET = 0x3447,          /* arg: dataset handle; out: ZelIndexedValue* */
    ZEL_CB_FORMAT_CELL = 0x3448,       /* arg: dataset handle; out: ZelFormatCell* */

    ZEL_CB_LAYER_HANDLE = 0x9001,      /* arg: ZelLayerQuery*; out: worksheet name buffer */
    ZEL_CB_COLUMN_COUNT = 0x6800,      /* arg: layer handle; out: 0; result: count */
    ZEL_CB_COLUMN_NAME = 0x6801,       /* arg: layer handle; out: ZEL_TEXT_BUFFER buffer, first int32 = column */
    ZEL_CB_COLUMN_REMOVE = 0x6804,     /* arg: layer handle; out: column number */
    ZEL_CB_COLUMN_ADD = 0x6806,        /* arg: layer handle; out: ZelColumnAdd* */
    ZEL_CB_COLUMN_SET_NAME = 0x6812,   /* arg: layer handle; out: ZelColumnText* */
    ZEL_CB_COLUMN_SET_FORMAT = 0x6814, /* arg: layer handle; out: ZelColumnSetFormat* */
    ZEL_CB_COLUMN_FORMAT = 0x6816,     /* arg: layer handle; out: ZelColumnFormat* */
    ZEL_CB_COLUMN_SET_LABEL = 0x6818,  /* arg: layer handle; out: ZelColumnText* */
    ZEL_CB_SET_ROW_COUNT = 0x681A,     /* arg: layer handle; out: row count */

    /* The block request, which a host may serve (see ZelBlockProbe). */
    ZEL_CB_BLOCK_PROBE = 0x7A40,       /* arg: 0; out: ZelBlockProbe* */
    ZEL_CB_BLOCK_SET = 0x7A41,         /* arg: dataset handle; out: ZelBlock* */
    ZEL_CB_BLOCK_GET = 0x7A42,         /* arg: dataset handle; out: ZelBlock* */
    ZEL_CB_BLOCK_SET_TEXT = 0x7A43     /* arg: dataset handle; out: ZelTextBlock* */
};

/* ---- Blocks that cross the callback ------------------------------------ */

/* 0x103A: {text buffer, format text}. The buffer holds ZEL_NUMBER_TEXT bytes
 * and is cleared before the call; the format is "*" for the host default. */
typedef struct ZelNumberText {
    char* text;
    const char* format;
} ZelNumberText;

/* Dataset locator: key (column number, pointer to a column name, or 0 for a
 * lookup by dataset name), a second word, and the lower and upper index that
 * the host fills in. SetRange and ClipToHost reuse the first two words for a
 * lower and upper index. */
typedef struct ZelLocator {
    intptr_t key;
    int32_t word1;
    int32_t lower;
    int32_t upper;
} ZelLocator;

/* 0x300F: {size, 0}. */
typedef struct ZelDatasetSize {
    int32_t size;
    int32_t zero;
} ZelDatasetSize;

/* {index, pad, double}: 0x3400, 0x3401, 0x340E..0x3411, 0x3447. */
typedef struct ZelIndexedValue {
    int32_t index;
    int32_t pad;
    double value;
} ZelIndexedValue;

/* {index, pad, second, first}: 0x3403, 0x340C. */
typedef struct ZelIndexedPair {
    int32_t index;
    int32_t pad;
    double second;
    double first;
} ZelIndexedPair;

/* {0, pad, result double, key double}: 0x3404. */
typedef struct ZelLookup {
    int32_t zero;
    int32_t pad;
    double result;
    double key;
} ZelLookup;

/* {lower, upper, type code}: 0x340B. */
typedef struct ZelRange {
    int32_t lower;
    int32_t upper;
    int32_t typeCode;
} ZelRange;

/* {first, second}: 0x3412. */
typedef struct ZelIndexPair {
    int32_t first;
    int32_t second;
} ZelIndexPair;

/* {index, pointer to text}: 0x3445. */
typedef struct ZelIndexedText {
    int32_t index;
    const char* text;
} ZelIndexedText;

/* {index, pointer to buffer}: 0x3446. The buffer holds ZEL_TEXT_BUFFER bytes. */
typedef struct ZelIndexedBuffer {
    int32_t index;
    char* buffer;
} ZelIndexedBuffer;

/* {pointer to the index, pointer to buffer}: 0x3448. The buffer holds
 * ZEL_TEXT_BUFFER bytes. */
typedef struct ZelFormatCell {
    int32_t* index;
    char* buffer;
} ZelFormatCell;

/* 0x9001 arg: {-1, 1}. */
typedef struct ZelLayerQuery {
    int32_t minusOne;
    int16_t one;
} ZelLayerQuery;

/* 0x6806: four words 0, 0, 0, 9. */
typedef struct ZelColumnAdd {
    int32_t word0;
    int32_t word1;
    int32_t word2;
    int32_t word3;
} ZelColumnAdd;

/* 0x6816: {code preset to 1, column}. */
typedef struct ZelColumnFormat {
    int32_t code;
    int32_t column;
} ZelColumnFormat;

/* 0x6814: {1, column, code}. */
typedef struct ZelColumnSetFormat {
    int32_t one;
    int32_t column;
    int32_t code;
} ZelColumnSetFormat;

/* 0x6812 and 0x6818: {column, pointer to text}. */
typedef struct ZelColumnText {
    int32_t column;
    const char* text;
} ZelColumnText;

/* Row request (code 0 on a worksheet handle): 0x2034, the number of values,
 * 1, 0, an unset word, and the values in file order. */
typedef struct ZelRowDescriptor {
    int16_t tag;
    uint16_t count;
    int32_t one;
    int16_t zero;
    int16_t unused;
    double* values;
} ZelRowDescriptor;

#define ZEL_ROW_TAG 0x2034

/* ---- The block request ---------------------------------------------------
 * A host may store and fetch many cells of a dataset in one request instead
 * of one request a cell (0x3401, 0x3400). It says so when the module probes:
 *
 * 0x7A40 (probe): the module clears both words and sends the block; a host
 * that serves blocks writes ZEL_BLOCK_MAGIC and the version it serves, and
 * answers 0. Only that exact answer (magic, version ZEL_BLOCK_VERSION,
 * result 0) turns the block requests on; with any other answer, or none, the
 * module sends the per-cell requests as ever. The module probes once per
 * transfer, before its first cell.
 *
 * 0x7A41 (store): count numbers from values into rows first to
 * first + count - 1, each exactly as 0x3401 would store it (the missing
 * value empties the cell). The host stores in order and stops at the first
 * cell it refuses; done receives the cells stored. The module sends the
 * rest cell by cell, so a refusal means what it means per cell.
 *
 * 0x7A42 (fetch): the numbers of rows first to first + count - 1 into
 * values, each as 0x3400 would answer it, with ZEL_MISSING_VALUE for a cell
 * that holds no number (empty, text, or beyond the dataset). done receives
 * the cells fetched in order; the module asks for the rest cell by cell.
 *
 * 0x7A43 (store texts): count texts into rows first to first + count - 1,
 * each exactly as 0x3445 would store it; as 0x7A41 otherwise. A host that
 * serves only numbers answers non-zero and leaves done at 0: the module
 * then stores every text cell by cell.
 *
 * Answers: 0 when done == count, non-zero otherwise. first >= 0, count >= 1
 * and first + count - 1 < 2^31 - 1 always hold. */
#define ZEL_BLOCK_MAGIC 0x5A454C42u /* "ZELB" */
#define ZEL_BLOCK_VERSION 1

/* 0x7A40: {magic, version}, both 0 when sent. */
typedef struct ZelBlockProbe {
    uint32_t magic;
    int32_t version;
} ZelBlockProbe;

/* 0x7A41, 0x7A42: {first row, count, cells done, 0, the values}. */
typedef struct ZelBlock {
    int32_t first;
    int32_t count;
    int32_t done;
    int32_t reserved;
    double* values;
} ZelBlock;

/* 0x7A43: {first row, count, cells done, 0, the texts (NUL-terminated)}. */
typedef struct ZelTextBlock {
    int32_t first;
    int32_t count;
    int32_t done;
    int32_t reserved;
    const char* const* texts;
} ZelTextBlock;

/* The blocks' layout under natural alignment, as the host lays them out
 * (doubles at multiples of 8, pointers at multiples of their size). */
#if defined(__cplusplus) || (defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L)
#ifdef __cplusplus
#define ZEL_LAYOUT(condition) static_assert(condition, #condition)
#else
#define ZEL_LAYOUT(condition) _Static_assert(condition, #condition)
#endif
ZEL_LAYOUT(sizeof(ZelIndexedValue) == 16 && offsetof(ZelIndexedValue, value) == 8);
ZEL_LAYOUT(offsetof(ZelIndexedPair, first) == 16);
ZEL_LAYOUT(sizeof(ZelRange) == 12);
ZEL_LAYOUT(offsetof(ZelLocator, word1) == sizeof(void*) && offsetof(ZelLocator, upper) == sizeof(void*) + 8);
ZEL_LAYOUT(offsetof(ZelRowDescriptor, count) == 2 && offsetof(ZelRowDescriptor, one) == 4 &&
           offsetof(ZelRowDescriptor, zero) == 8 &&
           offsetof(ZelRowDescriptor, values) == (sizeof(void*) == 4 ? 12 : 16));
ZEL_LAYOUT(offsetof(ZelIndexedText, text) == sizeof(void*) && offsetof(ZelColumnText, text) == sizeof(void*));
ZEL_LAYOUT(sizeof(ZelColumnAdd) == 16 && sizeof(ZelLayerQuery) == 8);
ZEL_LAYOUT(offsetof(ZelBlock, values) == 16 && offsetof(ZelTextBlock, texts) == 16);
#undef ZEL_LAYOUT
#endif

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* ZEL_ZEL_H */
