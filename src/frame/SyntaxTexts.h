// The syntax texts that SYNTAX prints after "zel." and the method name.
#pragma once

namespace zel::syntax {

inline constexpr const char* kRead = "([nBytes[,hFile]])\r\nNote: Affected by .ByteOrder and .Signed!";
inline constexpr const char* kWrite =
    "(value[,nBytes][,hFile])\r\nNote: Affected by .ByteOrder and .Signed!";
inline constexpr const char* kRealRead = "([hFile])\r\nNote: Affected by .ByteOrder and .Signed!";
inline constexpr const char* kRealWrite = "(value[,hFile])\r\nNote: Affected by .ByteOrder and .Signed!";
inline constexpr const char* kArray =
    "(dataset$,start,end,binType[,hFile])\r\nNote: Affected by .nBytes, .ByteOrder, .Signed and .Skip!";
inline constexpr const char* kReadRowBin =
    "(wksname$,nToken,binType[,hFile])\r\nNote: Affected by .nBytes, .ByteOrder, .Signed and .Skip!";
inline constexpr const char* kRecord =
    "(wksname$,nRecords,templateString[,hFile])\r\nTemplate String:\r\n\"[-]type [times] | [-]type [times] | skipNumber | ...\"\r\n  Integral types:\r\n    by[te]       =  8 bits =  1 byte\r\n    sh[ort]      = 16 bits =  2 bytes\r\n    t[byte]      = 24 bits =  3 bytes\r\n    lo[ng]       = 32 bits =  4 bytes\r\n    BC[D]        = 80 bits = 10 bytes\r\n  Floating point types:\r\n    f[loat]      = 32 bits =  4 bytes\r\n    d[ouble]     = 64 bits =  8 bytes\r\n    ld[ouble]    = 80 bits = 10 bytes\r\n  Special types:\r\n    [skip]       skipNumber\r\nNote: Affected by .ByteOrder!";
inline constexpr const char* kReadRow = "(wksname$,nToken[,hFile])\r\nNote: Affected by .ListSep!";
inline constexpr const char* kLineRow = "(wksname$[,hFile])\r\nNote: Affected by .ListSep and .nLineMode!";
inline constexpr const char* kTRead =
    "(strVarLetter,nLine[,hFile])\r\nNote: Affected by .nLineMode and .ListSep!";
inline constexpr const char* kLRead = "(strVarLetter[,hFile])\r\nNote: Affected by .nLineMode and .ListSep!";
inline constexpr const char* kReadToken =
    "(strVarLetter,nToken[,hFile])\r\nNote: Affected by .nLineMode and .ListSep!";
inline constexpr const char* kReadArray = "(dataset$,start,end[,hFile])\r\nNote: Affected by .ListSep!";
inline constexpr const char* kAscii =
    "([strVarLetter][,wksname$][,hFile])\r\nNote: Heavily influenced by subproperties.";
inline constexpr const char* kCRead = "(strVarLetter,nChar[,hFile])";
inline constexpr const char* kTWrite = "(\"string\"[,hFile])";
inline constexpr const char* kLWrite = "(\"string\"[,hFile])\r\nNote: affected by .nLineMode!";
inline constexpr const char* kImport = "(wksname$[,hFile])";
inline constexpr const char* kWksBlock = "(wksname$, colbegin, colend, rowbegin, rowend)";

}  // namespace zel::syntax
