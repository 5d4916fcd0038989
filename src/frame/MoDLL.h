// An exported script object: member tables and the dispatcher that serves
// every request of the entry point: property access (also indexed names
// and sub-properties of methods), method calls, listings and the status
// word.
#pragma once

#include <array>
#include <cstdint>

#include "frame/MoListErr.h"
#include "frame/MoMethod.h"
#include "props/MoNumeric.h"
#include "props/MoString.h"

namespace zel {

class MoDLL : public Mobj {
public:
    ZEL_CLASS_NAME(MoDLL)
    MoDLL();

    // One request of the entry point.
    int32_t Dispatch(const char* ownerName, char* memberName, void* value, int32_t requestCode);

    virtual int32_t AccessProperty(const char* name, uint16_t flags, void* value);
    virtual void ListAllMembers();
    virtual int32_t ListMembersOfPath(const char* path);
    virtual int32_t CallMethod(const char* name, char* argText, double* result);
    virtual int32_t AccessSubMember(const char* ownerName, const char* name, void* value,
                                    uint16_t flags);
    virtual void ResetAll();

    int32_t AccessPropertyIn(const char* name, uint16_t flags, void* value,
                             const MemberEntry* table);
    int32_t CallMethodIn(const char* name, char* argText, double* result,
                         const MemberEntry* table);
    int32_t AccessSubMemberIn(const char* ownerName, const char* name, uint16_t flags,
                              void* value, const MemberEntry* table);
    // 1 when the path names a method (and its sub-members were listed).
    int32_t ListMembersOfPathIn(const char* path, const MemberEntry* table);
    void ListMembers(const MemberEntry* table, const char* prefix);
    void ResetMembers(const MemberEntry* table);

    int32_t statusMode() const { return statusMode_; }
    const MemberEntry* baseProperties() const { return baseProperties_.data(); }
    const MemberEntry* baseMethods() const { return baseMethods_.data(); }

protected:
    // A method ran out of memory or failed unexpectedly inside a call.
    virtual void OnMethodFault(bool outOfMemory);

private:
    MoInt baseError_;
    MoInt warnMsg_;
    MoString msg_;
    MoListErr listErr_;
    MoLastErrId lastErrId_;
    std::array<MemberEntry, 4> baseProperties_;
    std::array<MemberEntry, 3> baseMethods_;
    int32_t statusMode_ = -1;
};

}  // namespace zel
