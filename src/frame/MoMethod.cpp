#include "frame/MoMethod.h"

#include "frame/ErrorRing.h"
#include "frame/MoDLL.h"
#include "host/HostServices.h"
#include "platform/Pemrix9.h"

namespace zel {
namespace {

// Texts this long are split and stored but not pre-processed part by part.
constexpr size_t kPerArgumentLimit = 600;
constexpr size_t kPerArgumentParts = 5;

}  // namespace

int32_t MoMethod::ParseArguments(std::string& argText, MoDLL&) {
    Errors().Clear();

    if (!EvaluatesEachArgument()) {
        pemrix::PreprocessArguments(argText);
    } else if (argText.size() < kPerArgumentLimit) {
        std::vector<std::string> parts = pemrix::SplitText(argText, ',', kPerArgumentParts);
        argText.clear();
        for (size_t i = 0; i < parts.size(); ++i) {
            if (i > 0) argText.push_back(',');
            argText += pemrix::PreprocessArgument(parts[i]);
        }
    }

    for (auto& argument : args_) {
        if (argument) argument->set_given(false);
    }
    if (argText.empty()) return 0;
    if (argCount_ < 1) {
        Errors().Record(ListErr::TooManyArguments, ClassName());
        return 1;
    }

    std::string_view rest = argText;
    for (int i = 0;; ++i) {
        size_t cut = pemrix::FindSeparator(rest, ',', pemrix::kQuoteAware);
        std::string item(rest.substr(0, cut));
        if (!item.empty()) args_[static_cast<size_t>(i)]->SetFromText(item.c_str());
        if (cut == std::string_view::npos) return 0;
        if (i + 1 >= argCount_) {
            Errors().Record(ListErr::TooManyArguments, ClassName());
            return 1;
        }
        rest.remove_prefix(cut + 1);
    }
}

int32_t MoMethod::Execute(double* result, MoDLL&) {
    *result = 1234.0;
    return 0;
}

void MoMethod::AfterExecute(MoDLL&) { host::UpdateWindows(); }

int32_t MoMethod::AccessSubMember(MoDLL& owner, const char* name, uint16_t flags, void* value) {
    const MemberTable table = GetSubMembers();
    if (!table) return kFailed;
    return owner.AccessPropertyIn(name, flags, value, table);
}

void MoMethod::ListSubMembers(const char* prefix, MoDLL& owner) {
    if (const MemberTable table = GetSubMembers()) owner.ListMembers(table, prefix);
}

void MoMethod::ResetSubMembers(MoDLL& owner) {
    if (const MemberTable table = GetSubMembers()) owner.ResetMembers(table);
}

}  // namespace zel
