#include "files/MoDOS.h"

#include "frame/Zel.h"
#include "platform/File.h"

namespace zel {

using platform::File;
using platform::FileException;
using platform::FileStatus;

int32_t MoDOS::TakeName(const MoString& argument) {
    if (!argument.given()) return zel_.Fail(5, 65);
    if (argument.HasValue()) {
        name_ = std::string(argument.text());
        return 0;
    }
    if (zel_.NewActions()) {
        zel_.SetError(261);
        return 261;
    }
    return 0;
}

MoExists::MoExists(ZEL& zel) : MoDOS(zel, "(filename$)"), nameArg_(AddArgument<MoString>()) {}

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

MoRemove::MoRemove(ZEL& zel) : MoDOS(zel, "(filename$)"), nameArg_(AddArgument<MoString>()) {}

int32_t MoRemove::ParseArguments(std::string& argText, MoDLL& owner) {
    name_.reset();
    if (int32_t r = MoDOS::ParseArguments(argText, owner); r != 0) return r;
    return TakeName(nameArg_);
}

int32_t MoRemove::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    FileStatus status;
    if (!name_ || !File::GetStatus(*name_, status)) {
        zel_.SetSysErr(zel_.NewActions() ? 0 : 2);
        return zel_.Fail(15, 1156);
    }
    try {
        File::Remove(*name_);
    } catch (const FileException& e) {
        zel_.SetSysErr(zel_.NewActions() ? e.causeCode() : 0);
        return zel_.Fail(24, 1156);
    }
    *result = 1.0;
    return 0;
}

MoSize::MoSize(ZEL& zel)
    : MoDOS(zel, "([[hFile][,filename$]])\r\nNote: only one argument-- hFile OR filename$."),
      hFileArg_(AddArgument<MoInt>()),
      nameArg_(AddArgument<MoString>()) {}

int32_t MoSize::ParseArguments(std::string& argText, MoDLL& owner) {
    name_.reset();
    file_ = nullptr;
    if (int32_t r = PrepareCall(argText, owner, false); r != 0) return r;
    if (hFileArg_.given() && nameArg_.given() && zel_.NewActions()) {
        zel_.SetError(9);
        zel_.SetSysErr(0);
        return 9;
    }
    if (nameArg_.given()) {
        zel_.SetSysErr(0);
        return TakeName(nameArg_);
    }
    if (int32_t e = zel_.HFile().Resolve(hFileArg_.value(), hFileArg_.given()); e != 0) return e;
    file_ = zel_.HFile().file();
    return 0;
}

int32_t MoSize::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    if (zel_.NewActions()) *result = -1.0;
    uint64_t size = 0;
    if (file_ != nullptr) {
        try {
            size = file_->GetLength();
        } catch (const FileException& e) {
            zel_.SetSysErr(zel_.NewActions() ? e.causeCode() : platform::LegacyCauseCode(e.cause()));
            return zel_.Fail(25, 1156);
        }
    }
    if (name_) {
        FileStatus status;
        if (!File::GetStatus(*name_, status)) {
            zel_.SetSysErr(zel_.NewActions() ? 0 : 2);
            return zel_.Fail(15, 1156);
        }
        size = status.size;
    }
    *result = static_cast<int32_t>(static_cast<uint32_t>(size));
    return 0;
}

}  // namespace zel
