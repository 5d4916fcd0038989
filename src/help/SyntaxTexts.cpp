#include "help/SyntaxTexts.h"

#include "platform/StringUtil.h"

namespace zel {
namespace {

// Texts that several methods share.
constexpr const char* kRealRead = "([hFile])\r\nNote: Affected by .ByteOrder and .Signed!";
constexpr const char* kRealWrite = "(value[,hFile])\r\nNote: Affected by .ByteOrder and .Signed!";
constexpr const char* kArray =
    "(dataset$,start,end,binType[,hFile])\r\n"
    "Note: Affected by .nBytes, .ByteOrder, .Signed and .Skip!";
constexpr const char* kRecord =
    "(wksname$,nRecords,templateString[,hFile])\r\n"
    "Template String:\r\n"
    "\"[-]type [times] | [-]type [times] | skipNumber | ...\"\r\n"
    "  Integral types:\r\n"
    "    by[te]       =  8 bits =  1 byte\r\n"
    "    sh[ort]      = 16 bits =  2 bytes\r\n"
    "    t[byte]      = 24 bits =  3 bytes\r\n"
    "    lo[ng]       = 32 bits =  4 bytes\r\n"
    "    BC[D]        = 80 bits = 10 bytes\r\n"
    "  Floating point types:\r\n"
    "    f[loat]      = 32 bits =  4 bytes\r\n"
    "    d[ouble]     = 64 bits =  8 bytes\r\n"
    "    ld[ouble]    = 80 bits = 10 bytes\r\n"
    "  Special types:\r\n"
    "    [skip]       skipNumber\r\n"
    "Note: Affected by .ByteOrder!";
constexpr const char* kImport = "(wksname$[,hFile])";

}  // namespace

// In the order of the method table; RESET, the one method without a text,
// has no row.
constexpr SyntaxRow kSyntaxTexts[] = {
    {"LISTSEP", "([\"char\"])\r\nNote: Lack of an argument will reset list seperator to \",\"."},
    {"OPEN", "([filename$][,mode])"},
    {"CLOSE", "([hFile])"},
    {"CLOSEALL", "()"},
    {"EXISTS", "(filename$)"},
    {"REMOVE", "(filename$)"},
    {"SIZE", "([[hFile][,filename$]])\r\nNote: only one argument-- hFile OR filename$."},
    {"GETPOS", "([hFile])"},
    {"SETPOS", "(pos[,hFile])"},
    {"REWIND", "([hFile])"},
    {"TOEND", "([hFile])"},
    {"JUMP", "(offset[,hFile])"},
    {"JUMPCHUNK", "(offset[,nBytes][,hFile])"},
    {"SWITCHMODE", "(mode[,hFile])"},
    {"READ", "([nBytes[,hFile]])\r\nNote: Affected by .ByteOrder and .Signed!"},
    {"WRITE", "(value[,nBytes][,hFile])\r\nNote: Affected by .ByteOrder and .Signed!"},
    {"FREAD", kRealRead},
    {"FWRITE", kRealWrite},
    {"DREAD", kRealRead},
    {"DWRITE", kRealWrite},
    {"LDREAD", kRealRead},
    {"LDWRITE", kRealWrite},
    {"AREAD", kArray},
    {"AWRITE", kArray},
    {"READROWBIN",
     "(wksname$,nToken,binType[,hFile])\r\n"
     "Note: Affected by .nBytes, .ByteOrder, .Signed and .Skip!"},
    {"READRECORD", kRecord},
    {"WRITERECORD", kRecord},
    {"READROW", "(wksname$,nToken[,hFile])\r\nNote: Affected by .ListSep!"},
    {"LINEROW", "(wksname$[,hFile])\r\nNote: Affected by .ListSep and .nLineMode!"},
    {"TREAD", "(strVarLetter,nLine[,hFile])\r\nNote: Affected by .nLineMode and .ListSep!"},
    {"LREAD", "(strVarLetter[,hFile])\r\nNote: Affected by .nLineMode and .ListSep!"},
    {"READTOKEN", "(strVarLetter,nToken[,hFile])\r\nNote: Affected by .nLineMode and .ListSep!"},
    {"READARRAY", "(dataset$,start,end[,hFile])\r\nNote: Affected by .ListSep!"},
    {"ASCII", "([strVarLetter][,wksname$][,hFile])\r\nNote: Heavily influenced by subproperties."},
    {"CREAD", "(strVarLetter,nChar[,hFile])"},
    {"TWRITE", "(\"string\"[,hFile])"},
    {"LWRITE", "(\"string\"[,hFile])\r\nNote: affected by .nLineMode!"},
    {"MATHEMATICA", kImport},
    {"SIGMADOS", kImport},
    {"SIGMAWIN", kImport},
    {"WAV", kImport},
    {"WKSBLOCK", "(wksname$, colbegin, colend, rowbegin, rowend)"},
    {"SYNTAX", "([method])"},
    {"ALTERNATESPELLINGS", "([method/property])"},
    {"LISTALL", "([mode][,path])"},
    {nullptr, nullptr},
};

const char* SyntaxOf(std::string_view method) {
    for (const SyntaxRow* row = kSyntaxTexts; row->method != nullptr; ++row) {
        if (platform::EqualsNoCase(row->method, method)) return row->text;
    }
    return nullptr;
}

}  // namespace zel
