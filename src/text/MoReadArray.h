// READARRAY: delimited numbers into rows start..end of a host dataset, the
// k-th number into row start + k - 1, until end - start + 1 separators or
// line ends have been met. Only the characters of numbers are kept; an
// empty field stores nothing but still takes its row.
#pragma once

#include <optional>

#include "data/MoData.h"
#include "props/MoNumeric.h"
#include "props/MoString.h"
#include "transfer/MoASCIIPiece.h"

namespace zel {

class MoReadArray : public MoASCIIPiece {
public:
    ZEL_CLASS_NAME(MoReadArray)
    explicit MoReadArray(IoContext& io);

    // dataset$, start and end must be given; a range that ends before it
    // starts, or starts before row 1, is refused (Err::EndBeforeStart); so
    // is a dataset that is not there (Err::NoSuchData), before any byte
    // moves.
    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;
    // Answers the separators and line ends met.
    int32_t Execute(double* result, MoDLL& owner) override;
    // Lets the dataset go; the host is not asked to update.
    void AfterExecute(MoDLL& owner) override;

    // The number into its row; a row the host refuses ends the reading
    // (Err::HostRefused).
    int32_t StorePiece(const std::string& piece, uint32_t separators) override;
    bool KeepChar(uint8_t ch) override;
    bool IsFinished(uint8_t ch, uint32_t separators) override;
    bool IsPieceComplete(uint8_t ch, uint32_t keptInPiece) override;

protected:
    const ByteClasses* PlainBytes() override;

private:
    MoString& datasetArg_;
    MoInt& startArg_;
    MoInt& endArg_;
    std::optional<MoData> data_;
    int32_t first_ = 0;   // start - 1
    int32_t last_ = 0;    // end
    uint32_t count_ = 0;  // separators to read: end - start + 1
};

}  // namespace zel
