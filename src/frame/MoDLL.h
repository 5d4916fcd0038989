// An exported script object: member tables and the dispatcher that serves
// every request of the entry point: property access (also indexed names
// and sub-properties of methods), method calls, listings and the status
// word.
//
// The object's own tables are searched first, then the tables of its base
// part: the base methods LISTERR and LASTERRID, which every exported object
// has, and the base properties the object supplies.
#pragma once

#include <cstdint>

#include "frame/MemberTable.h"
#include "frame/MoListErr.h"
#include "frame/MoMethod.h"

namespace zel {

class MoDLL : public Mobj {
public:
    ZEL_CLASS_NAME(MoDLL)

    // One request of the entry point.
    int32_t Dispatch(const char* ownerName, char* memberName, void* value, int32_t requestCode);

    virtual MemberTable OwnProperties() { return {}; }
    virtual MemberTable OwnMethods() { return {}; }
    virtual MemberTable BaseProperties() { return {}; }
    MemberTable BaseMethods() { return {kBaseMethods, this}; }

    // Every member back to its default.
    virtual void ResetAll() {}
    // The method of number n, for methods written as programs over the
    // object's own methods; null for a number the object does not have.
    virtual MoMethod* MethodByNumber(int32_t n) {
        (void)n;
        return nullptr;
    }

    // Non-zero refuses a method call that comes through the entry point
    // now (one the host makes while a method of this object is running).
    virtual int32_t RefuseCall() { return 0; }

    int32_t AccessPropertyIn(const char* name, uint16_t flags, void* value, MemberTable table);
    void ListMembers(MemberTable table, const char* prefix);
    void ResetMembers(MemberTable table);

protected:
    // A method ran out of memory or failed unexpectedly inside a call.
    virtual void OnMethodFault(bool outOfMemory);

private:
    int32_t AccessProperty(const char* name, uint16_t flags, void* value);
    void ListAllMembers();
    int32_t ListMembersOfPath(const char* path);
    int32_t CallMethod(const char* name, char* argText, double* result);
    int32_t AccessSubMember(const char* ownerName, const char* name, void* value, uint16_t flags);

    int32_t CallMethodIn(const char* name, char* argText, double* result, MemberTable table);
    int32_t AccessSubMemberIn(const char* ownerName, const char* name, uint16_t flags,
                              void* value, MemberTable table);
    // 1 when the path names a method (and its sub-members were listed).
    int32_t ListMembersOfPathIn(const char* path, MemberTable table);

    static const MemberEntry kBaseMethods[];

    // The table and row of the method found last: a script calls one
    // method many times, and names are unique within a table.
    const MemberEntry* lastMethodTable_ = nullptr;
    const MemberEntry* lastMethodRow_ = nullptr;

    MoListErr listErr_;
    MoLastErrId lastErrId_;
    int32_t statusMode_ = -1;
};

}  // namespace zel
