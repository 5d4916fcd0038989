#include "text/MoCRead.h"

#include <algorithm>
#include <cstring>

#include "host/HostServices.h"

namespace zel {

MoCRead::MoCRead(IoContext& io)
    : MoASCIIBulk(io), letterArg_(AddArgument<MoString>()), countArg_(AddArgument<MoInt>()) {
    AddArgument<MoInt>();
}

int32_t MoCRead::ParseArguments(std::string& argText, MoDLL& owner) {
    if (int32_t r = MoASCIIBulk::ParseArguments(argText, owner); r != 0) return r;
    if (!letterArg_.given() || !countArg_.given() || letterArg_.text().empty()) {
        return io_.Report(Err::MissingTransferArgument);
    }
    letter_ = letterArg_.text().front();
    if (!((letter_ >= 'A' && letter_ <= 'Z') || (letter_ >= 'a' && letter_ <= 'z'))) {
        return io_.Report(Err::BadLetter);
    }
    // A negative count would ask for some four thousand million blanks.
    if (countArg_.value() < 0) return io_.Report(Err::OutOfRange);
    charCount_ = static_cast<uint32_t>(countArg_.value());
    text_.assign(charCount_, ' ');
    return 0;
}

int32_t MoCRead::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    if (charCount_ == 0) {
        if (!io_.NewActions()) *result = 0.0;
        return io_.Report(Err::ZeroTextCount);
    }
    const TransferResult transfer = BulkTransfer(*io_.CurrentFile(), 1, charCount_, 1, true);
    if (transfer.end == TransferEnd::OutOfMemory) return io_.Report(Err::OutOfMemory);
    // A file that cannot be read fails the call; the variable keeps its text.
    if (transfer.end == TransferEnd::FileFailed) return transfer.code;
    if (!host::SetStringVariable(letter_, text_)) return io_.Report(Err::HostRefused);
    *result = charCount_;
    return 0;
}

int32_t MoCRead::StoreChunk(uint32_t start, uint32_t count, uint8_t* buffer, uint32_t& stored) {
    stored = 0;
    if (start > text_.size()) return 0;
    stored = static_cast<uint32_t>(std::min<size_t>(count, text_.size() - start));
    std::memcpy(text_.data() + start, buffer, stored);
    return 0;
}

}  // namespace zel
