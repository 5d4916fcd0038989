#include "text/MoTWrite.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "host/HostServices.h"
#include "platform/StringUtil.h"

namespace zel {
namespace {

// The line end LWRITE appends in each mode.
constexpr std::string_view kLineEnds[] = {"\r\n", "\n", "\r"};

}  // namespace

MoTWrite::MoTWrite(IoContext& io) : MoASCIIBulk(io), textArg_(AddArgument<MoString>()) {
    AddArgument<MoInt>();
}

int32_t MoTWrite::ParseArguments(std::string& argText, MoDLL& owner) {
    if (int32_t r = MoASCIIBulk::ParseArguments(argText, owner); r != 0) return r;
    if (!textArg_.given()) return io_.Report(Err::MissingTransferArgument);

    // The argument in a buffer of the host's text size, cut to fit.
    std::array<char, ZEL_TEXT_BUFFER> buffer{};
    platform::CopyBounded(buffer.data(), buffer.size(), textArg_.text());
    std::string_view text;
    if (buffer[0] == '"') {
        // What follows the quote, up to the next one or to the end.
        const std::string_view quoted(buffer.data() + 1);
        text = quoted.substr(0, quoted.find('"'));
    } else {
        // A letter names a string variable whose text replaces the buffer;
        // any other argument is written as typed.
        host::GetStringVariable(buffer[0], buffer.data());
        text = std::string_view(buffer.data(), platform::BoundedLength(buffer.data(), buffer.size()));
    }
    textArg_.SetText(text);
    text_.assign(text);
    return 0;
}

int32_t MoTWrite::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    return WriteText(result);
}

int32_t MoTWrite::WriteText(double* result) {
    const uint32_t n = static_cast<uint32_t>(text_.size());
    if (n > 0) {
        const TransferResult transfer = BulkTransfer(*io_.CurrentFile(), 1, n, 1, false);
        if (transfer.end == TransferEnd::OutOfMemory) return io_.Report(Err::OutOfMemory);
        if (transfer.end == TransferEnd::FileFailed) return transfer.code;
    }
    *result = n;
    return 0;
}

int32_t MoTWrite::FillChunk(uint32_t start, uint32_t count, uint8_t* buffer) {
    if (start <= text_.size()) {
        std::memcpy(buffer, text_.data() + start, std::min<size_t>(count, text_.size() - start));
    }
    return 0;
}

int32_t MoLWrite::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    if (int32_t e = io_.NLineMode().CheckCurrent(); e != 0) return e;
    const int32_t mode = io_.NLineMode().value();
    if (mode < 0 || mode > 2) return io_.Report(Err::BadLineMode);
    text_.append(kLineEnds[mode]);
    return WriteText(result);
}

}  // namespace zel
