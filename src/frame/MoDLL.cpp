#include "frame/MoDLL.h"

#include <array>
#include <new>
#include <string>

#include "host/HostServices.h"
#include "platform/Pemrix9.h"
#include "platform/StringUtil.h"
#include "zel/zel.h"

namespace zel {
namespace {

// Listing lines and their value texts are held to this many bytes.
constexpr size_t kLineBuffer = 1024;
constexpr size_t kMaxPathLength = 1023;
constexpr size_t kMaxPathParts = 10;

bool IsIndexed(uint16_t kind) { return (kind & kKindIndexed) != 0; }

// A table name against a requested name, without regard to case: one pass,
// stopping at the first difference. Method calls come by the million.
bool SameName(const char* tableName, const char* name) {
    for (;; ++tableName, ++name) {
        if (platform::ToUpper(*tableName) != platform::ToUpper(*name)) return false;
        if (*name == '\0') return true;
    }
}

// Calls visit(row) for each row of the table that carries name, in any
// case, in table order, until it answers true.
template <class Visit>
void ForRowsNamed(const MemberEntry* rows, std::string_view name, Visit visit) {
    if (const auto named = RowsNamed(rows, name)) {
        for (uint16_t i : *named) {
            if (visit(rows[i])) return;
        }
        return;
    }
    for (const MemberEntry* row = rows; row->name != nullptr; ++row) {
        if (platform::EqualsNoCase(row->name, name) && visit(*row)) return;
    }
}

MoMethod* AsMethod(MoScript* member) {
    if (member == nullptr || (member->GetKind() & 3) != kKindMethod) return nullptr;
    return member->AsMethod();
}

void SendLine(std::string line, const char* prefix) {
    if (prefix != nullptr) line = std::string("  ") + prefix + "." + line;
    if (line.size() > kLineBuffer - 1) line.resize(kLineBuffer - 1);
    host::PrintLine(line);
}

std::string BoundedText(const std::array<char, kLineBuffer>& buffer) {
    return std::string(buffer.data(), platform::BoundedLength(buffer.data(), kLineBuffer));
}

}  // namespace

const MemberEntry MoDLL::kBaseMethods[] = {
    {"LISTERR", &MemberAt<&MoDLL::listErr_>},
    {"LASTERRID", &MemberAt<&MoDLL::lastErrId_>},
    {nullptr, nullptr},
};

int32_t MoDLL::Dispatch(const char* ownerName, char* memberName, void* value,
                        int32_t requestCode) {
    uint32_t code = static_cast<uint32_t>(requestCode) & 0xFFFFu;
    if (code == ZEL_REQ_STATUS) {
        if (value != nullptr) *static_cast<int32_t*>(value) = statusMode_;
        return kDone;
    }
    if (code & ZEL_PROBE_FLAG) {
        statusMode_ = 0;
        code &= 0x7FFFu;
    } else {
        statusMode_ = -1;
    }

    if (code == ZEL_REQ_CALL) {
        double scratch = 0.0;
        double* result = value != nullptr ? static_cast<double*>(value) : &scratch;
        int32_t r = CallMethod(ownerName, memberName, result);
        if (r != kDone && statusMode_ == 0) statusMode_ = 1;
        return statusMode_ > 0 ? kFailed : r;
    }

    if (memberName != nullptr && memberName[0] != '\0') {
        uint16_t flags;
        switch (code) {
            case ZEL_REQ_SET_NUMBER: flags = kAccessSet; break;
            case ZEL_REQ_GET_NUMBER: flags = kAccessGet; break;
            case ZEL_REQ_SET_STRING: flags = kAccessSet | kAccessString; break;
            case ZEL_REQ_GET_STRING: flags = kAccessGet | kAccessString; break;
            case ZEL_REQ_GET_COUNT: flags = kAccessGetCount; break;
            case ZEL_REQ_SET_COUNT: flags = kAccessSetCount; break;
            default: return kFailed;
        }
        int32_t r = ownerName != nullptr ? AccessSubMember(ownerName, memberName, value, flags)
                                         : AccessProperty(memberName, flags, value);
        if (r == kDone) return kDone;
        if (statusMode_ == 0) statusMode_ = 1;
        return statusMode_ > 0 ? kFailed : r;
    }

    // A listing request.
    if (statusMode_ >= 0) return kFailed;
    if (ownerName != nullptr && ownerName[0] != '\0' && ListMembersOfPath(ownerName) == 1) {
        return kDone;
    }
    ListAllMembers();
    return kDone;
}

int32_t MoDLL::AccessProperty(const char* name, uint16_t flags, void* value) {
    int32_t r = AccessPropertyIn(name, flags, value, OwnProperties());
    return r != kNotHandled ? r : AccessPropertyIn(name, flags, value, BaseProperties());
}

void MoDLL::ListAllMembers() {
    ListMembers(OwnMethods(), nullptr);
    ListMembers(OwnProperties(), nullptr);
    ListMembers(BaseMethods(), nullptr);
    ListMembers(BaseProperties(), nullptr);
}

int32_t MoDLL::ListMembersOfPath(const char* path) {
    int32_t r = ListMembersOfPathIn(path, OwnMethods());
    return r != 0 ? r : ListMembersOfPathIn(path, BaseMethods());
}

int32_t MoDLL::CallMethod(const char* name, char* argText, double* result) {
    int32_t r = CallMethodIn(name, argText, result, OwnMethods());
    return r != kNotHandled ? r : CallMethodIn(name, argText, result, BaseMethods());
}

int32_t MoDLL::AccessSubMember(const char* ownerName, const char* name, void* value,
                               uint16_t flags) {
    int32_t r = AccessSubMemberIn(ownerName, name, flags, value, OwnMethods());
    return r != kNotHandled ? r : AccessSubMemberIn(ownerName, name, flags, value, BaseMethods());
}

int32_t MoDLL::AccessPropertyIn(const char* name, uint16_t flags, void* value,
                                MemberTable table) {
    if (!table || name == nullptr) return kNotHandled;
    const uint16_t kind = flags & 3;
    int32_t answer = kNotHandled;
    bool matched = false;
    ForRowsNamed(table.rows, name, [&](const MemberEntry& row) {
        MoScript& member = table.MemberOf(row);
        const uint16_t memberKind = member.GetKind();
        if (IsIndexed(memberKind) || memberKind != kind) return false;
        answer = (flags & kAccessString)
                     ? member.AccessString(static_cast<char*>(value), flags, ZEL_STRING_BUFFER)
                     : member.AccessNumber(static_cast<double*>(value), flags);
        matched = true;
        return true;
    });
    if (matched && answer != kNotHandled) return answer;
    bool hasIndexed = false;
    for (const MemberEntry* row = table.rows; row->name != nullptr && !hasIndexed; ++row) {
        hasIndexed = IsIndexed(table.MemberOf(*row).GetKind());
    }
    if (!hasIndexed) return kNotHandled;

    // An indexed member: a base name followed by an element number.
    pemrix::IndexedName split = pemrix::SplitIndexedName(name);
    if (!split.baseFits) return kNotHandled;
    const bool countRequest = (flags & (kAccessSetCount | kAccessGetCount)) != 0;
    if (!countRequest && split.number < 1) return kNotHandled;
    const int32_t index = split.number - 1;

    int32_t indexed = kNotHandled;
    ForRowsNamed(table.rows, split.base, [&](const MemberEntry& row) {
        MoScript& member = table.MemberOf(row);
        const uint16_t memberKind = member.GetKind();
        if (!IsIndexed(memberKind)) return false;
        if (!countRequest && static_cast<uint16_t>(memberKind & ~kKindIndexed) != kind) return false;
        if (countRequest) {
            indexed = member.AccessCount(static_cast<double*>(value), flags);
        } else if (flags & kAccessString) {
            indexed = member.AccessStringAt(static_cast<char*>(value), index, flags, ZEL_STRING_BUFFER);
        } else {
            indexed = member.AccessNumberAt(static_cast<double*>(value), index, flags);
        }
        return true;
    });
    return indexed;
}

int32_t MoDLL::CallMethodIn(const char* name, char* argText, double* result,
                            MemberTable table) {
    if (!table || name == nullptr) return kNotHandled;
    const MemberEntry* found = nullptr;
    if (lastMethodTable_ == table.rows && SameName(lastMethodRow_->name, name)) {
        found = lastMethodRow_;
    } else {
        ForRowsNamed(table.rows, name, [&](const MemberEntry& row) {
            found = &row;
            return true;
        });
    }
    MoMethod* method = found != nullptr ? AsMethod(&table.MemberOf(*found)) : nullptr;
    if (method == nullptr) return kNotHandled;
    lastMethodTable_ = table.rows;
    lastMethodRow_ = found;
    if (statusMode_ == 0) return kDone;
    if (RefuseCall() != 0) return kFailed;

    // The method works on its own copy; the host's buffer is never written.
    std::string text = argText != nullptr ? argText : "";
    try {
        if (method->ParseArguments(text, *this) != 0) return kFailed;
        *result = -1.0;
        int32_t r = 0;
        try {
            r = method->Execute(result, *this);
        } catch (const std::bad_alloc&) {
            OnMethodFault(true);
            r = kFailed;
        } catch (...) {
            OnMethodFault(false);
            r = kFailed;
        }
        method->AfterExecute(*this);
        return r != 0 ? kFailed : kDone;
    } catch (const std::bad_alloc&) {
        OnMethodFault(true);
    } catch (...) {
        OnMethodFault(false);
    }
    return kFailed;
}

int32_t MoDLL::AccessSubMemberIn(const char* ownerName, const char* name, uint16_t flags,
                                 void* value, MemberTable table) {
    if (!table || ownerName == nullptr) return kNotHandled;
    bool found = false;
    int32_t failed = kDone;
    ForRowsNamed(table.rows, ownerName, [&](const MemberEntry& row) {
        MoMethod* method = AsMethod(&table.MemberOf(row));
        const int32_t r = method != nullptr ? method->AccessSubMember(*this, name, flags, value) : kFailed;
        if (r != kDone) {
            failed = r;
            return true;
        }
        found = true;
        return false;
    });
    if (failed != kDone) {
        if (statusMode_ != 0) return failed;
        statusMode_ = 2;
        return kFailed;
    }
    return found ? kDone : kNotHandled;
}

int32_t MoDLL::ListMembersOfPathIn(const char* path, MemberTable table) {
    if (path == nullptr) return 0;
    std::string copy(path, platform::BoundedLength(path, kMaxPathLength));
    std::vector<std::string> parts = pemrix::SplitText(copy, '.', kMaxPathParts);
    MemberTable current = table;
    for (const std::string& part : parts) {
        if (!current) return 0;
        const MemberEntry* found = nullptr;
        for (const MemberEntry* row = current.rows; row->name != nullptr; ++row) {
            if (platform::EqualsNoCase(row->name, part.c_str())) {
                found = row;
                break;
            }
        }
        if (found == nullptr) return 0;
        MoMethod* method = AsMethod(&current.MemberOf(*found));
        if (method == nullptr) return 0;
        current = method->GetSubMembers();
    }
    if (current) ListMembers(current, nullptr);
    return 1;
}

void MoDLL::ListMembers(MemberTable table, const char* prefix) {
    if (!table || !host::Available()) return;
    for (const MemberEntry* row = table.rows; row->name != nullptr; ++row) {
        MoScript* member = &table.MemberOf(*row);
        uint16_t kind = member->GetKind();
        const std::string name = row->name;

        if (IsIndexed(kind)) {
            double count = 0.0;
            if (member->AccessCount(&count, kAccessGetCount) != kDone) continue;
            int32_t n = count > 1.0 ? TruncateToInt32(count) : 1;
            for (int32_t i = 0; i < n; ++i) {
                if (kind & kKindString) {
                    std::array<char, kLineBuffer> buffer{};
                    if (member->GetStringAt(TextOut(buffer), i) != 0) buffer[0] = '\0';
                    SendLine(name + std::to_string(i + 1) + "$\t\"" + BoundedText(buffer) + "\"",
                             prefix);
                } else {
                    double number = 0.0;
                    std::string text = member->GetNumberAt(&number, i) == 0
                                           ? host::NumberToText(number)
                                           : std::string("--");
                    SendLine(name + std::to_string(i + 1) + "\t" + text, prefix);
                }
            }
            continue;
        }

        switch (kind & 3) {
            case kKindString: {
                std::array<char, kLineBuffer> buffer{};
                member->GetString(TextOut(buffer));
                SendLine(name + "$\t\"" + BoundedText(buffer) + "\"", prefix);
                break;
            }
            case kKindNumber: {
                double number = 0.0;
                member->GetNumber(&number);
                SendLine(name + "\t" + host::NumberToText(number), prefix);
                break;
            }
            case kKindMethod: {
                SendLine(name + "()", prefix);
                if (MoMethod* method = AsMethod(member)) method->ListSubMembers(row->name, *this);
                break;
            }
            default:
                break;
        }
    }
}

void MoDLL::ResetMembers(MemberTable table) {
    if (!table) return;
    for (const MemberEntry* row = table.rows; row->name != nullptr; ++row) {
        if (MoMethod* method = AsMethod(&table.MemberOf(*row))) method->ResetSubMembers(*this);
        table.MemberOf(*row).Reset();
    }
}

void MoDLL::OnMethodFault(bool) {}

}  // namespace zel
