#include "files/MoDOS.h"

#include "platform/File.h"

namespace zel {

using platform::File;
using platform::FileException;
using platform::FileStatus;

int32_t MoDOS::TakeName(const MoString& argument) {
    if (!argument.given()) return io_.Report(Err::MissingFileName);
    if (argument.HasValue()) {
        name_ = std::string(argument.text());
        return 0;
    }
    if (io_.NewActions()) return io_.Report(Err::NoFileNameText);
    return 0;
}

MoExists::MoExists(IoContext& io) : MoDOS(io), nameArg_(AddArgument<MoString>()) {}

int32_t MoExists::ParseArguments(std::string& argText, MoDLL& owner) {
    name_.reset();
    if (int32_t r = MoDOS::ParseArguments(argText, owner); r != 0) return r;
    return TakeName(nameArg_);
}

int32_t MoExists::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    FileStatus status;
    *result = (name_ && File::GetStatus(*name_, status)) ? 1.0 : 0.0;
    return 0;
}

MoRemove::MoRemove(IoContext& io) : MoDOS(io), nameArg_(AddArgument<MoString>()) {}

int32_t MoRemove::ParseArguments(std::string& argText, MoDLL& owner) {
    name_.reset();
    if (int32_t r = MoDOS::ParseArguments(argText, owner); r != 0) return r;
    return TakeName(nameArg_);
}

int32_t MoRemove::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    FileStatus status;
    if (!name_ || !File::GetStatus(*name_, status)) return io_.Report(Err::NoSuchFile);
    try {
        File::Remove(*name_);
    } catch (const FileException& e) {
        return io_.Report(Err::RemoveFailed, e);
    }
    *result = 1.0;
    return 0;
}

MoSize::MoSize(IoContext& io)
    : MoDOS(io),
      hFileArg_(AddArgument<MoInt>()),
      nameArg_(AddArgument<MoString>()) {}

int32_t MoSize::ParseArguments(std::string& argText, MoDLL& owner) {
    name_.reset();
    file_ = nullptr;
    if (int32_t r = PrepareCall(argText, owner, false); r != 0) return r;
    if (hFileArg_.given() && nameArg_.given() && io_.NewActions()) {
        return io_.Report(Err::OneOfHandleOrName);
    }
    if (nameArg_.given()) {
        io_.SetSysErr(0);
        return TakeName(nameArg_);
    }
    if (int32_t e = io_.HFile().Resolve(hFileArg_.value(), hFileArg_.given()); e != 0) return e;
    file_ = io_.HFile().file();
    return 0;
}

int32_t MoSize::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    if (io_.NewActions()) *result = -1.0;
    uint64_t size = 0;
    if (file_ != nullptr) {
        try {
            size = file_->GetLength();
        } catch (const FileException& e) {
            return io_.Report(Err::LengthFailed, e);
        }
    }
    if (name_) {
        FileStatus status;
        if (!File::GetStatus(*name_, status)) return io_.Report(Err::NoSuchFile);
        size = status.size;
    }
    *result = static_cast<int32_t>(static_cast<uint32_t>(size));
    return 0;
}

}  // namespace zel
