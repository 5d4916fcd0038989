#include "module/Zel.h"

#include <initializer_list>

namespace zel {

// Aliases follow their member; the order is the order of the listings and of
// SYNTAX and ALTSPELL.
const MemberEntry ZEL::kProperties[] = {
    {"NEWACTIONS", &ZEL::ContextMember<&IoContext::NewActionsProperty>},
    {"NEWACTION", &ZEL::ContextMember<&IoContext::NewActionsProperty>},
    {"NEW", &ZEL::ContextMember<&IoContext::NewActionsProperty>},
    {"FILENAME", &ZEL::OpenMember<&MoOpen::FileName>},
    {"NAME", &ZEL::OpenMember<&MoOpen::FileName>},
    {"WKSNAME", &ZEL::OpenMember<&MoOpen::WksName>},
    {"WORKSHEETNAME", &ZEL::OpenMember<&MoOpen::WksName>},
    {"MODE", &ZEL::OpenMember<&MoOpen::Mode>},
    {"OPENMODE", &ZEL::OpenMember<&MoOpen::Mode>},
    {"HFILE", &ZEL::ContextMember<&IoContext::HFile>},
    {"NBYTES", &ZEL::ContextMember<&IoContext::NBytes>},
    {"NBYTE", &ZEL::ContextMember<&IoContext::NBytes>},
    {"BYTEORDER", &ZEL::ContextMember<&IoContext::ByteOrder>},
    {"SIGNED", &ZEL::ContextMember<&IoContext::Signed>},
    {"SKIP", &ZEL::ContextMember<&IoContext::Skip>},
    {"NLINEMODE", &ZEL::ContextMember<&IoContext::NLineMode>},
    {"NLINESMODE", &ZEL::ContextMember<&IoContext::NLineMode>},
    {"LISTSEP", &ZEL::ContextMember<&IoContext::ListSep>},
    {"ERROR", &ZEL::ContextMember<&IoContext::Error>},
    {"SYSERR", &ZEL::ContextMember<&IoContext::SysErr>},
    {nullptr, nullptr},
};

const MemberEntry ZEL::kBaseProperties[] = {
    {"ERROR", &MemberAt<&ZEL::baseError_>},
    {"WARNMSG", &MemberAt<&ZEL::warnMsg_>},
    {"MSG", &MemberAt<&ZEL::msg_>},
    {nullptr, nullptr},
};

namespace {
template <auto Field>
MoMethod& Numbered(ZEL& zel) {
    return zel.*Field;
}
}  // namespace

constexpr ZEL::MethodTable ZEL::MakeMethodTable() {
    MethodTable table{};
    std::size_t k = 0;
    auto add = [&](std::initializer_list<const char*> spellings, MoScript& (*member)(Mobj&)) {
        for (const char* name : spellings) table[k++] = {name, member};
    };
#define ZEL_METHOD_ROWS(e, n, cls, field, make, syntax, ...) add({__VA_ARGS__}, &MemberAt<&ZEL::field>);
    ZEL_METHODS(ZEL_METHOD_ROWS)
#undef ZEL_METHOD_ROWS
    table[k] = {nullptr, nullptr};
    return table;
}

constexpr ZEL::NumberedMethods ZEL::MakeNumberedMethods() {
    NumberedMethods numbered{};
#define ZEL_METHOD_NUMBERED(e, n, cls, field, ...) \
    if ((n) >= 0) numbered[static_cast<std::size_t>(n)] = &Numbered<&ZEL::field>;
    ZEL_METHODS(ZEL_METHOD_NUMBERED)
#undef ZEL_METHOD_NUMBERED
    return numbered;
}

constinit const ZEL::MethodTable ZEL::kMethods = MakeMethodTable();
constinit const ZEL::NumberedMethods ZEL::kNumberedMethods = MakeNumberedMethods();

MoMethod* ZEL::MethodByNumber(int32_t n) {
    if (n < 0 || n >= methods::kNumbered) return nullptr;
    return &kNumberedMethods[static_cast<std::size_t>(n)](*this);
}

ZEL::ZEL() { ResetAll(); }

void ZEL::ResetAll() {
    baseError_.Store(0);
    ResetMembers(OwnProperties());
    ResetMembers(OwnMethods());
    io_.HFile().SetToNone();
    io_.NBytes().Store(1);
    io_.ListSep().Store(',');
}

int32_t ZEL::RefuseCall() {
    if (ImportInProgress() == 0) return 0;
    return io_.Report(Err::ImportBusy);
}

void ZEL::OnMethodFault(bool outOfMemory) {
    if (outOfMemory) io_.Report(Err::OutOfMemory);
}

}  // namespace zel
