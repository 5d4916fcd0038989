#include "text/MoASCIIRow.h"

#include "text/TextNumber.h"

namespace zel {

// ---- MoASCIIRow ------------------------------------------------------------

MoASCIIRow::MoASCIIRow(IoContext& io)
    : MoASCIIPiece(io), worksheetArg_(AddArgument<MoString>(StringRole::WorksheetName)) {}

int32_t MoASCIIRow::ParseArguments(std::string& argText, MoDLL& owner) {
    sheet_.reset();
    if (int32_t r = MoASCIIPiece::ParseArguments(argText, owner); r != 0) return r;
    if (!worksheetArg_.given()) return io_.Report(Err::MissingTransferArgument);
    sheet_.emplace(worksheetArg_, io_);
    // Nothing is read for a worksheet that is not there.
    if (!sheet_->IsAttached()) {
        sheet_.reset();
        return io_.Report(Err::NoSuchData);
    }
    column_ = 0;
    return 0;
}

int32_t MoASCIIRow::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    if (int32_t r = ReadPieces(*io_.CurrentFile()); r != 0) return r;
    *result = separators();
    return 0;
}

void MoASCIIRow::AfterExecute(MoDLL&) { sheet_.reset(); }

int32_t MoASCIIRow::StorePiece(const std::string& piece, uint32_t) {
    ++column_;
    if (int32_t r = sheet_->EnsureColumns(column_); r != 0) return r;
    const int32_t answer = sheet_->ColumnFormat(column_) == 0 ? sheet_->SetNumber(column_, NumberOfText(piece))
                                                             : sheet_->SetText(column_, piece.c_str());
    return answer != 0 ? io_.Report(Err::HostRefused) : 0;
}

bool MoASCIIRow::IsPieceComplete(uint8_t ch, uint32_t keptInPiece) {
    if (IsFinished(ch, separators())) return true;
    return EndsField(ch) && keptInPiece > 0;
}

// ---- LINEROW ---------------------------------------------------------------

MoLineRow::MoLineRow(IoContext& io) : MoASCIIRow(io) { AddArgument<MoInt>(); }

bool MoLineRow::KeepChar(uint8_t ch) { return !IsListSeparator(ch) && IsNumberChar(ch); }

bool MoLineRow::IsFinished(uint8_t ch, uint32_t) { return DataSpent() || IsLineEnd(ch); }

const ByteClasses* MoLineRow::PlainBytes() {
    return KeptClasses([](uint8_t b) { return IsNumberChar(b) ? ByteClass::Keep : ByteClass::Drop; }, false);
}

// ---- READROW ---------------------------------------------------------------

MoReadRow::MoReadRow(IoContext& io) : MoASCIIRow(io), tokenArg_(AddArgument<MoInt>()) { AddArgument<MoInt>(); }

int32_t MoReadRow::ParseArguments(std::string& argText, MoDLL& owner) {
    if (int32_t r = MoASCIIRow::ParseArguments(argText, owner); r != 0) return r;
    if (tokenArg_.given()) {
        // A negative count would spread the rest of the file over columns.
        if (tokenArg_.value() < 0) {
            sheet_.reset();
            return io_.Report(Err::OutOfRange);
        }
        tokenTarget_ = static_cast<uint32_t>(tokenArg_.value());
    }
    return 0;
}

bool MoReadRow::KeepChar(uint8_t ch) {
    // The last byte of the data is kept like any other.
    return ch != '\r' && ch != '\n' && !IsListSeparator(ch) && !atEnd();
}

bool MoReadRow::IsFinished(uint8_t, uint32_t separators) { return DataSpent() || separators >= tokenTarget_; }

const ByteClasses* MoReadRow::PlainBytes() {
    return KeptClasses([](uint8_t b) { return b == '\r' || b == '\n' ? ByteClass::Drop : ByteClass::Keep; }, false);
}

}  // namespace zel
