#include "text/MoReadArray.h"

#include "text/TextNumber.h"

namespace zel {

MoReadArray::MoReadArray(IoContext& io)
    : MoASCIIPiece(io),
      datasetArg_(AddArgument<MoString>(StringRole::DatasetName)),
      startArg_(AddArgument<MoInt>()),
      endArg_(AddArgument<MoInt>()) {
    AddArgument<MoInt>();
}

int32_t MoReadArray::ParseArguments(std::string& argText, MoDLL& owner) {
    data_.reset();
    if (int32_t r = MoASCIIPiece::ParseArguments(argText, owner); r != 0) return r;
    if (!datasetArg_.given() || !startArg_.given() || !endArg_.given()) {
        return io_.Report(Err::MissingTransferArgument);
    }
    // Rows before row 1 cannot be stored: the numbers for them would be lost.
    if (startArg_.value() < 1 || endArg_.value() < startArg_.value() - 1) return io_.Report(Err::EndBeforeStart);
    first_ = startArg_.value() - 1;
    last_ = endArg_.value();
    count_ = static_cast<uint32_t>(last_ - first_);
    data_.emplace(datasetArg_.GetText(), true, DataRole::Result);
    if (!data_->CheckAttached()) {
        data_.reset();
        return io_.Report(Err::NoSuchData);
    }
    return 0;
}

int32_t MoReadArray::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    if (int32_t r = ReadPieces(*io_.CurrentFile()); r != 0) return r;
    *result = separators();
    return 0;
}

void MoReadArray::AfterExecute(MoDLL&) { data_.reset(); }

int32_t MoReadArray::StorePiece(const std::string& piece, uint32_t separators) {
    if (separators == 0) return 0;
    // Row start - 1 + (separators - 1), counted from 0; never past end - 1.
    const int32_t index = first_ - 1 + static_cast<int32_t>(separators);
    if (data_->SetValue(index, NumberOfText(piece)) != 0) return io_.Report(Err::HostRefused);
    return 0;
}

bool MoReadArray::KeepChar(uint8_t ch) { return !IsListSeparator(ch) && IsNumberChar(ch); }

bool MoReadArray::IsFinished(uint8_t, uint32_t separators) { return DataSpent() || separators >= count_; }

bool MoReadArray::IsPieceComplete(uint8_t ch, uint32_t keptInPiece) {
    if (IsFinished(ch, separators())) return true;
    return EndsField(ch) && keptInPiece > 0;
}

const ByteClasses* MoReadArray::PlainBytes() {
    return KeptClasses([](uint8_t b) { return IsNumberChar(b) ? ByteClass::Keep : ByteClass::Drop; }, false);
}

}  // namespace zel
