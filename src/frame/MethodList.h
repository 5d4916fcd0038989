// ZEL's methods, one row each, in the order of the listings, SYNTAX and
// ALTSPELL. Everything that lists the methods derives from these rows: the
// members of the ZEL object, its member table with every spelling, the
// numbering of programs over the methods (ZelMethod) and the syntax texts.
//
//   X(Enumerator, number, Class, field, construction, syntax, "NAME", "ALIAS", ...)
//
// number: the method's number in programs over the methods (0 to 44, each
// once; -1 for a method without one). construction: what the method is built
// from: NONE, IO (the I/O context) or CODEC (the context and the encoder).
// syntax: what SYNTAX prints after "zel.NAME", nullptr for none. The first
// spelling is the method's name.
//
// Adding a method: its class, and one row here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace zel {

// Syntax texts that several methods share.
inline constexpr const char* kSyntaxRealRead = "([hFile])\r\nNote: Affected by .ByteOrder and .Signed!";
inline constexpr const char* kSyntaxRealWrite = "(value[,hFile])\r\nNote: Affected by .ByteOrder and .Signed!";
inline constexpr const char* kSyntaxArray =
    "(dataset$,start,end,binType[,hFile])\r\n"
    "Note: Affected by .nBytes, .ByteOrder, .Signed and .Skip!";
inline constexpr const char* kSyntaxRecord =
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
inline constexpr const char* kSyntaxImport = "(wksname$[,hFile])";

// clang-format off
#define ZEL_METHODS(X) \
    X(Reset, -1, MoReset, reset_, NONE, nullptr, "RESET") \
    X(ListSep, 28, MoListSep, listSepMethod_, IO, \
      "([\"char\"])\r\nNote: Lack of an argument will reset list seperator to \",\".", \
      "LISTSEP") \
    X(Open, 0, MoOpen, open_, IO, "([filename$][,mode])", "OPEN") \
    X(Close, 1, MoClose, close_, IO, "([hFile])", "CLOSE") \
    X(CloseAll, 2, MoCloseAll, closeAll_, IO, "()", "CLOSEALL", "CLOSEALLFILES") \
    X(Exists, 3, MoExists, exists_, IO, "(filename$)", "EXISTS", "EXIST") \
    X(Remove, 4, MoRemove, remove_, IO, "(filename$)", "REMOVE", "DELETE") \
    X(Size, 5, MoSize, size_, IO, \
      "([[hFile][,filename$]])\r\nNote: only one argument-- hFile OR filename$.", \
      "SIZE") \
    X(GetPos, 6, MoGetPos, getPos_, IO, "([hFile])", "GETPOS") \
    X(SetPos, 7, MoSetPos, setPos_, IO, "(pos[,hFile])", "SETPOS") \
    X(Rewind, 8, MoRewind, rewind_, IO, "([hFile])", "REWIND", "TOSTART", "TOBEGIN", "TOBEGINNING") \
    X(ToEnd, 9, MoToEnd, toEnd_, IO, "([hFile])", "TOEND", "FFORWARD", "FASTFORWARD") \
    X(Jump, 10, MoJump, jump_, IO, "(offset[,hFile])", "JUMP") \
    X(JumpChunk, 11, MoJumpChunk, jumpChunk_, IO, "(offset[,nBytes][,hFile])", "JUMPCHUNK", "JUMPCHUNKS") \
    X(SwitchMode, 12, MoSwitchMode, switchMode_, IO, "(mode[,hFile])", "SWITCHMODE") \
    X(Read, 13, MoRead, read_, CODEC, \
      "([nBytes[,hFile]])\r\nNote: Affected by .ByteOrder and .Signed!", \
      "READ", "INTEGERREAD", "INTREAD") \
    X(Write, 14, MoWrite, write_, CODEC, \
      "(value[,nBytes][,hFile])\r\nNote: Affected by .ByteOrder and .Signed!", \
      "WRITE", "INTEGERWRITE", "INTWRITE") \
    X(FRead, 15, MoFRead, fread_, CODEC, kSyntaxRealRead, "FREAD", "FLOATREAD") \
    X(FWrite, 16, MoFWrite, fwrite_, CODEC, kSyntaxRealWrite, "FWRITE", "FLOATWRITE") \
    X(DRead, 17, MoDRead, dread_, CODEC, kSyntaxRealRead, "DREAD", "DOUBLEREAD") \
    X(DWrite, 18, MoDWrite, dwrite_, CODEC, kSyntaxRealWrite, "DWRITE", "DOUBLEWRITE") \
    X(LDRead, 19, MoLDRead, ldread_, CODEC, kSyntaxRealRead, "LDREAD", "LONGDOUBLEREAD", "LDOUBLEREAD") \
    X(LDWrite, 20, MoLDWrite, ldwrite_, CODEC, kSyntaxRealWrite, "LDWRITE", "LONGDOUBLEWRITE", "LDOUBLEWRITE") \
    X(ARead, 21, MoARead, aread_, CODEC, kSyntaxArray, "AREAD", "ARRAYREAD") \
    X(AWrite, 22, MoAWrite, awrite_, CODEC, kSyntaxArray, "AWRITE", "ARRAYWRITE") \
    X(ReadRowBin, 23, MoReadRowBin, readRowBin_, CODEC, \
      "(wksname$,nToken,binType[,hFile])\r\nNote: Affected by .nBytes, .ByteOrder, .Signed and .Skip!", \
      "READROWBIN") \
    X(ReadRecord, 24, MoReadRecord, readRecord_, CODEC, \
      kSyntaxRecord, \
      "READRECORD", "RRECORD", "RECORDREAD", "RREAD") \
    X(WriteRecord, 25, MoWriteRecord, writeRecord_, CODEC, \
      kSyntaxRecord, \
      "WRITERECORD", "WRECORD", "RECORDWRITE", "RWRITE") \
    X(ReadRow, 32, MoReadRow, readRow_, IO, "(wksname$,nToken[,hFile])\r\nNote: Affected by .ListSep!", "READROW") \
    X(LineRow, 27, MoLineRow, lineRow_, IO, \
      "(wksname$[,hFile])\r\nNote: Affected by .ListSep and .nLineMode!", \
      "LINEROW") \
    X(TRead, 34, MoTRead, tread_, IO, \
      "(strVarLetter,nLine[,hFile])\r\nNote: Affected by .nLineMode and .ListSep!", \
      "TREAD") \
    X(LRead, 29, MoLRead, lread_, IO, \
      "(strVarLetter[,hFile])\r\nNote: Affected by .nLineMode and .ListSep!", \
      "LREAD") \
    X(ReadToken, 33, MoReadToken, readToken_, IO, \
      "(strVarLetter,nToken[,hFile])\r\nNote: Affected by .nLineMode and .ListSep!", \
      "READTOKEN") \
    X(ReadArray, 31, MoReadArray, readArray_, IO, \
      "(dataset$,start,end[,hFile])\r\nNote: Affected by .ListSep!", \
      "READARRAY") \
    X(Ascii, 36, MoASCII, ascii_, IO, \
      "([strVarLetter][,wksname$][,hFile])\r\nNote: Heavily influenced by subproperties.", \
      "ASCII", "READASCII") \
    X(CRead, 26, MoCRead, cread_, IO, "(strVarLetter,nChar[,hFile])", "CREAD") \
    X(TWrite, 35, MoTWrite, twrite_, IO, "(\"string\"[,hFile])", "TWRITE") \
    X(LWrite, 30, MoLWrite, lwrite_, IO, "(\"string\"[,hFile])\r\nNote: affected by .nLineMode!", "LWRITE") \
    X(Mathematica, 44, MoMathematica, mathematica_, IO, kSyntaxImport, "MATHEMATICA") \
    X(SigmaDos, 41, MoSigmaDos, sigmaDos_, IO, kSyntaxImport, "SIGMADOS") \
    X(SigmaWin, 40, MoSigmaWin, sigmaWin_, IO, kSyntaxImport, "SIGMAWIN") \
    X(Wav, 42, MoWav, wav_, IO, kSyntaxImport, "WAV") \
    X(WksBlock, 43, MoWksBlock, wksBlock_, IO, "(wksname$, colbegin, colend, rowbegin, rowend)", "WKSBLOCK") \
    X(Syntax, 37, MoSyntax, syntax_, IO, "([method])", "SYNTAX") \
    X(AltSpell, 38, MoAltSpell, altSpell_, IO, \
      "([method/property])", \
      "ALTERNATESPELLINGS", "ALTERNATESPELLING", "ALTSPELLINGS", "ALTSPELLING", "ALTSPELL") \
    X(ListAll, 39, MoListAll, listAll_, IO, "([mode][,path])", "LISTALL", "LISTALLFILES")
// clang-format on

// ZEL's methods by their number in programs over them.
enum class ZelMethod : int32_t {
#define ZEL_METHOD_ENUMERATOR(e, n, ...) e = n,
    ZEL_METHODS(ZEL_METHOD_ENUMERATOR)
#undef ZEL_METHOD_ENUMERATOR
};

namespace methods {

// How many methods have a number, and how many spellings all methods have.
#define ZEL_METHOD_NUMBERED(e, n, ...) +((n) >= 0 ? 1 : 0)
inline constexpr int32_t kNumbered = 0 ZEL_METHODS(ZEL_METHOD_NUMBERED);
#undef ZEL_METHOD_NUMBERED
#define ZEL_METHOD_SPELLINGS(e, n, cls, field, make, syntax, ...) +std::initializer_list<const char*>{__VA_ARGS__}.size()
inline constexpr std::size_t kSpellings = 0 ZEL_METHODS(ZEL_METHOD_SPELLINGS);
#undef ZEL_METHOD_SPELLINGS

// Every number from 0 to kNumbered - 1 belongs to exactly one method.
constexpr bool NumbersAreAPermutation() {
    int32_t seen[kNumbered] = {};
    for (const int32_t n : {
#define ZEL_METHOD_NUMBER(e, n, ...) n,
             ZEL_METHODS(ZEL_METHOD_NUMBER)
#undef ZEL_METHOD_NUMBER
         }) {
        if (n < -1 || n >= kNumbered) return false;
        if (n >= 0 && seen[n]++ != 0) return false;
    }
    return true;
}
static_assert(NumbersAreAPermutation(), "each method number from 0 up is taken by exactly one method");

}  // namespace methods
}  // namespace zel
