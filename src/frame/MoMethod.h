// Methods: members with arguments. A call parses its argument text into
// the method's argument properties, executes, and then always runs
// AfterExecute. A method may also own a table of sub-properties.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "frame/MemberTable.h"
#include "frame/MoProperty.h"
#include "frame/Mobj.h"

namespace zel {

class MoDLL;

class MoMethod : public MoScript {
public:
    ZEL_CLASS_NAME(MoMethod)
    static constexpr int kMaxArguments = 8;

    uint16_t GetKind() const override { return kKindMethod; }
    void Reset() override { ResetState(); }
    MoMethod* AsMethod() final { return this; }

    // 0 = ok; otherwise an error code and the method is not executed.
    virtual int32_t ParseArguments(std::string& argText, MoDLL& owner);
    // 0 = ok; the default stores 1234.0.
    virtual int32_t Execute(double* result, MoDLL& owner);
    // Runs after every executed call; the default asks the host to update.
    virtual void AfterExecute(MoDLL& owner);
    virtual MemberTable GetSubMembers() { return {}; }
    virtual int32_t AccessSubMember(MoDLL& owner, const char* name, uint16_t flags, void* value);
    virtual void ListSubMembers(const char* prefix, MoDLL& owner);
    virtual void ResetSubMembers(MoDLL& owner);
    virtual void ResetState() {}
    // True: each argument is pre-processed on its own.
    virtual bool EvaluatesEachArgument() const { return false; }

    int32_t argCount() const { return argCount_; }
    MoProperty* argument(int index) const {
        return index >= 0 && index < kMaxArguments ? args_[static_cast<size_t>(index)].get() : nullptr;
    }

protected:
    // Appends an argument slot owned by the method.
    template <class P, class... A>
    P& AddArgument(A&&... args) {
        auto property = std::make_unique<P>(std::forward<A>(args)...);
        P& ref = *property;
        args_[static_cast<size_t>(argCount_++)] = std::move(property);
        return ref;
    }

private:
    std::array<std::unique_ptr<MoProperty>, kMaxArguments> args_;
    int32_t argCount_ = 0;
};

}  // namespace zel
