// EXISTS, REMOVE and SIZE: questions to the file system about a name, or
// about an open file. None of them opens a file or changes the table.
#pragma once

#include <optional>
#include <string>

#include "files/MoOpen.h"

namespace zel {

class MyCFile;

class MoDOS : public MoGeneralIO {
public:
    ZEL_CLASS_NAME(MoDOS)
    using MoGeneralIO::MoGeneralIO;
    bool EvaluatesEachArgument() const override { return true; }

protected:
    // Takes the file name of this call from its argument slot.
    int32_t TakeName(const MoString& argument);

    std::optional<std::string> name_;
};

class MoExists : public MoDOS {
public:
    ZEL_CLASS_NAME(MoExists)
    explicit MoExists(IoContext& io);
    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;
    int32_t Execute(double* result, MoDLL& owner) override;

private:
    MoString& nameArg_;
};

class MoRemove : public MoDOS {
public:
    ZEL_CLASS_NAME(MoRemove)
    explicit MoRemove(IoContext& io);
    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;
    int32_t Execute(double* result, MoDLL& owner) override;

private:
    MoString& nameArg_;
};

class MoSize : public MoDOS {
public:
    ZEL_CLASS_NAME(MoSize)
    explicit MoSize(IoContext& io);
    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;
    int32_t Execute(double* result, MoDLL& owner) override;
    int8_t GetHFileArgIndex() const override { return 0; }

private:
    MoInt& hFileArg_;
    MoString& nameArg_;
    MyCFile* file_ = nullptr;
};

}  // namespace zel
