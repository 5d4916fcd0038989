// READROW and LINEROW: one row of delimited values into a host worksheet,
// the k-th value of a call into column k of the first row below the longest
// column. LINEROW reads to the end of the line and keeps only the characters
// of numbers; READROW reads nToken values and keeps text as text in text
// columns.
#pragma once

#include <optional>

#include "data/MoWksRow.h"
#include "props/MoNumeric.h"
#include "props/MoString.h"
#include "transfer/MoASCIIPiece.h"

namespace zel {

class MoASCIIRow : public MoASCIIPiece {
public:
    ZEL_CLASS_NAME(MoASCIIRow)
    explicit MoASCIIRow(IoContext& io);

    // wksname$ must be given and name a worksheet of the host
    // (Err::NoSuchData, before any byte moves).
    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;
    // Answers the separators and line ends met.
    int32_t Execute(double* result, MoDLL& owner) override;
    // Lets the worksheet go; the host is not asked to update.
    void AfterExecute(MoDLL& owner) override;

    // The piece into the next column: a number in a numeric column, the
    // text in any other. A cell the host refuses ends the reading
    // (Err::HostRefused).
    int32_t StorePiece(const std::string& piece, uint32_t separators) override;
    // At the end of the reading, and at a separator or a line end after a
    // kept character.
    bool IsPieceComplete(uint8_t ch, uint32_t keptInPiece) override;

protected:
    MoString& worksheetArg_;
    std::optional<MoWksRow> sheet_;
    int32_t column_ = 0;
};

class MoLineRow : public MoASCIIRow {
public:
    ZEL_CLASS_NAME(MoLineRow)
    explicit MoLineRow(IoContext& io);

    bool KeepChar(uint8_t ch) override;
    bool IsFinished(uint8_t ch, uint32_t separators) override;

protected:
    const ByteClasses* PlainBytes() override;
};

class MoReadRow : public MoASCIIRow {
public:
    ZEL_CLASS_NAME(MoReadRow)
    explicit MoReadRow(IoContext& io);

    // nToken when given (a negative count is refused: Err::OutOfRange);
    // otherwise the previous call's, 0 before any.
    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;
    bool KeepChar(uint8_t ch) override;
    bool IsFinished(uint8_t ch, uint32_t separators) override;

protected:
    const ByteClasses* PlainBytes() override;

private:
    MoInt& tokenArg_;
    uint32_t tokenTarget_ = 0;
};

}  // namespace zel
