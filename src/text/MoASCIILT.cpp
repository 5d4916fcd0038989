#include "text/MoASCIILT.h"

#include "host/HostServices.h"

namespace zel {
namespace {

constexpr bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

// ---- MoASCIILT -------------------------------------------------------------

MoASCIILT::MoASCIILT(IoContext& io) : MoASCIIPiece(io), letterArg_(AddArgument<MoString>()) {}

int32_t MoASCIILT::ParseArguments(std::string& argText, MoDLL& owner) {
    if (int32_t r = MoASCIIPiece::ParseArguments(argText, owner); r != 0) return r;
    if (letterArg_.given() && !letterArg_.text().empty()) letter_ = letterArg_.text().front();
    if (!IsLetter(letter_)) return io_.Report(Err::BadLetter);
    return 0;
}

int32_t MoASCIILT::StorePiece(const std::string& piece, uint32_t) {
    if (!host::SetStringVariable(letter_, piece)) return io_.Report(Err::HostRefused);
    return 0;
}

int32_t MoASCIILT::RefuseZeroCount(double* result) {
    if (!io_.NewActions()) *result = 0.0;
    return io_.Report(Err::ZeroTextCount);
}

// ---- TREAD -----------------------------------------------------------------

MoTRead::MoTRead(IoContext& io) : MoASCIILT(io) {
    lineArg_ = &AddArgument<MoInt>();
    AddArgument<MoInt>();
}

MoTRead::MoTRead(IoContext& io, OneLine) : MoASCIILT(io) { AddArgument<MoInt>(); }

int32_t MoTRead::ParseArguments(std::string& argText, MoDLL& owner) {
    if (int32_t r = MoASCIILT::ParseArguments(argText, owner); r != 0) return r;
    if (!lineArg_->given()) return io_.Report(Err::MissingTransferArgument);
    // An unsigned count: a negative one reads on to the end of the data.
    lineTarget_ = static_cast<uint32_t>(lineArg_->value());
    linesDone_ = 0;
    return 0;
}

int32_t MoTRead::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    if (lineTarget_ == 0) return RefuseZeroCount(result);
    if (int32_t r = ReadPieces(*io_.CurrentFile()); r != 0) return r;
    switch (lineMode()) {
        case 0:
            // Two less than the characters stored, and never below 0.
            *result = keptTotal() >= 2 ? keptTotal() - 2 : 0;
            return 0;
        case 1:
        case 2:
            *result = keptTotal();
            return 0;
        default:
            return io_.Report(Err::BadLineMode);
    }
}

bool MoTRead::KeepChar(uint8_t ch) {
    switch (lineMode()) {
        case 0:
            // The line ends of the lines before the last one stay in the text.
            return !((ch == '\r' || ch == '\n') && linesDone_ + 1 == lineTarget_);
        case 1: return ch != '\n';
        case 2: return ch != '\r';
        default: return true;
    }
}

bool MoTRead::IsFinished(uint8_t, uint32_t) { return DataSpent() || linesDone_ >= lineTarget_; }

bool MoTRead::IsPieceComplete(uint8_t ch, uint32_t) {
    if (IsLineEnd(ch)) ++linesDone_;
    return IsFinished(ch, separators());
}

const ByteClasses* MoTRead::PlainBytes() {
    // In mode 0 whether a carriage return is kept depends on the line.
    const bool crlf = lineMode() == 0;
    return KeptClasses(
        [crlf](uint8_t b) { return crlf && (b == '\r' || b == '\n') ? ByteClass::Ask : ByteClass::Keep; }, true);
}

// ---- LREAD -----------------------------------------------------------------

MoLRead::MoLRead(IoContext& io) : MoTRead(io, OneLine{}) {}

int32_t MoLRead::ParseArguments(std::string& argText, MoDLL& owner) {
    if (int32_t r = MoASCIILT::ParseArguments(argText, owner); r != 0) return r;
    lineTarget_ = 1;
    linesDone_ = 0;
    return 0;
}

int32_t MoLRead::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    if (int32_t r = ReadPieces(*io_.CurrentFile()); r != 0) return r;
    *result = keptTotal();
    return 0;
}

bool MoLRead::KeepChar(uint8_t ch) {
    switch (lineMode()) {
        case 0: return ch != '\r' && ch != '\n' && ch != 0;
        case 1: return ch != '\n' && ch != 0;
        case 2: return ch != '\r';
        default: return true;
    }
}

const ByteClasses* MoLRead::PlainBytes() {
    return KeptClasses([this](uint8_t b) { return KeepChar(b) ? ByteClass::Keep : ByteClass::Drop; }, true);
}

// ---- READTOKEN -------------------------------------------------------------

MoReadToken::MoReadToken(IoContext& io) : MoASCIILT(io), tokenArg_(AddArgument<MoInt>()) {
    AddArgument<MoInt>();
}

int32_t MoReadToken::ParseArguments(std::string& argText, MoDLL& owner) {
    if (int32_t r = MoASCIILT::ParseArguments(argText, owner); r != 0) return r;
    if (!tokenArg_.given()) return io_.Report(Err::MissingTransferArgument);
    tokenTarget_ = static_cast<uint32_t>(tokenArg_.value());
    keepLineEnds_ = io_.NewActions();
    return 0;
}

int32_t MoReadToken::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    if (tokenTarget_ == 0) return RefuseZeroCount(result);
    if (int32_t r = ReadPieces(*io_.CurrentFile()); r != 0) return r;
    *result = keptTotal();
    return 0;
}

bool MoReadToken::KeepChar(uint8_t ch) { return keepLineEnds_ || (ch != '\r' && ch != '\n'); }

bool MoReadToken::IsFinished(uint8_t, uint32_t separators) {
    return DataSpent() || separators >= tokenTarget_;
}

const ByteClasses* MoReadToken::PlainBytes() {
    return KeptClasses([this](uint8_t b) { return KeepChar(b) ? ByteClass::Keep : ByteClass::Drop; }, false,
                       keepLineEnds_ ? 1 : 0);
}

}  // namespace zel
