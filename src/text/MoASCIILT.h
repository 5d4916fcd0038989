// The readers of lines and tokens into a string variable of the host
// (named by a letter A to Z): TREAD reads through nLine lines, LREAD one
// line, READTOKEN through nToken list-separated tokens. The text goes to the
// variable when the reading ends; a reading that fails leaves it as it was.
#pragma once

#include "props/MoNumeric.h"
#include "props/MoString.h"
#include "transfer/MoASCIIPiece.h"

namespace zel {

class MoASCIILT : public MoASCIIPiece {
public:
    ZEL_CLASS_NAME(MoASCIILT)
    explicit MoASCIILT(IoContext& io);

    // The letter of the variable: the first character of strVarLetter, or
    // the previous call's when it is left out. It must be A to Z in either
    // case (Err::BadLetter).
    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;
    // The piece into the variable (Err::HostRefused when the host refuses it).
    int32_t StorePiece(const std::string& piece, uint32_t separators) override;

protected:
    // A count of 0 is refused (Err::ZeroTextCount); in the legacy numbering
    // the result is 0.
    int32_t RefuseZeroCount(double* result);

    MoString& letterArg_;
    char letter_ = 0;
};

class MoTRead : public MoASCIILT {
public:
    ZEL_CLASS_NAME(MoTRead)
    explicit MoTRead(IoContext& io);

    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;
    int32_t Execute(double* result, MoDLL& owner) override;
    bool KeepChar(uint8_t ch) override;
    bool IsFinished(uint8_t ch, uint32_t separators) override;
    bool IsPieceComplete(uint8_t ch, uint32_t keptInPiece) override;

protected:
    // LREAD: no count argument.
    struct OneLine {};
    MoTRead(IoContext& io, OneLine);
    const ByteClasses* PlainBytes() override;

    uint32_t lineTarget_ = 0;
    uint32_t linesDone_ = 0;

private:
    MoInt* lineArg_ = nullptr;
};

class MoLRead : public MoTRead {
public:
    ZEL_CLASS_NAME(MoLRead)
    explicit MoLRead(IoContext& io);

    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;
    int32_t Execute(double* result, MoDLL& owner) override;
    bool KeepChar(uint8_t ch) override;

protected:
    const ByteClasses* PlainBytes() override;
};

class MoReadToken : public MoASCIILT {
public:
    ZEL_CLASS_NAME(MoReadToken)
    explicit MoReadToken(IoContext& io);

    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;
    int32_t Execute(double* result, MoDLL& owner) override;
    bool KeepChar(uint8_t ch) override;
    bool IsFinished(uint8_t ch, uint32_t separators) override;

protected:
    const ByteClasses* PlainBytes() override;

private:
    MoInt& tokenArg_;
    uint32_t tokenTarget_ = 0;
    bool keepLineEnds_ = true;
};

}  // namespace zel
