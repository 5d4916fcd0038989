#include "frame/MoHelpIO.h"

#include <cstdio>
#include <string>

#include "frame/Zel.h"
#include "host/HostServices.h"
#include "platform/Pemrix9.h"
#include "platform/StringUtil.h"

namespace zel {
namespace {

constexpr size_t kLineBuffer = 1024;

void PrintBounded(std::string line) {
    if (line.size() > kLineBuffer - 1) line.resize(kLineBuffer - 1);
    host::PrintLine(line);
}

const MemberEntry* FindRow(const MemberEntry* table, std::string_view name) {
    for (const MemberEntry* row = table; row->name != nullptr; ++row) {
        if (platform::EqualsNoCase(row->name, name)) return row;
    }
    return nullptr;
}

}  // namespace

MoSyntax::MoSyntax(ZEL& zel) : MoHelpIO(zel, "([method])"), method_(AddArgument<MoString>()) {}

int32_t MoSyntax::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    *result = -1.0;
    if (!method_.given()) {
        host::PrintLine("Methods available in ZEL: ");
        for (const MemberEntry* row = zel_.OwnMethods(); row->name != nullptr; ++row) {
            host::PrintLine(row->name);
        }
        *result = 0.0;
        return 0;
    }
    if (!method_.HasValue()) {
        if (zel_.NewActions()) {
            zel_.SetError(260);
            return 260;
        }
        *result = 0.0;
        return 0;
    }
    const MemberEntry* row = FindRow(zel_.OwnMethods(), method_.text());
    if (row == nullptr) {
        if (zel_.NewActions()) {
            zel_.SetError(262);
            return 262;
        }
        *result = 0.0;
        return 0;
    }
    std::string line = "zel.";
    line += method_.text();
    if (const auto* io = dynamic_cast<const MoZELIO*>(row->member)) line += io->syntax().text();
    PrintBounded(std::move(line));
    *result = 0.0;
    return 0;
}

MoAltSpell::MoAltSpell(ZEL& zel)
    : MoHelpIO(zel, "([method/property])"), member_(AddArgument<MoString>()) {}

int32_t MoAltSpell::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    *result = -1.0;
    if (!member_.given()) {
        host::PrintLine("Properties available in ZEL: ");
        for (const MemberEntry* row = zel_.OwnProperties(); row->name != nullptr; ++row) {
            host::PrintLine(row->name);
        }
        *result = 0.0;
        return 0;
    }
    if (!member_.HasValue()) {
        if (zel_.NewActions()) {
            zel_.SetError(260);
            return 260;
        }
        *result = 0.0;
        return 0;
    }
    const MemberEntry* table = zel_.OwnMethods();
    const MemberEntry* row = FindRow(table, member_.text());
    if (row == nullptr) {
        table = zel_.OwnProperties();
        row = FindRow(table, member_.text());
    }
    if (row == nullptr) {
        if (zel_.NewActions()) {
            zel_.SetError(264);
            return 264;
        }
        *result = 0.0;
        return 0;
    }
    for (const MemberEntry* alias = table; alias->name != nullptr; ++alias) {
        if (alias->member == row->member) host::PrintLine(alias->name);
    }
    *result = 0.0;
    return 0;
}

MoListAll::MoListAll(ZEL& zel)
    : MoHelpIO(zel, "([mode][,path])"),
      mode_(AddArgument<MoString>()),
      path_(AddArgument<MoString>()) {}

int32_t MoListAll::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    const FileRefList& files = zel_.Files();
    if (files.empty()) {
        host::PrintLine("No open files.");
        *result = 0.0;
        return 0;
    }
    auto startsWith = [](const MoString& p, char letter) {
        std::string_view text = p.text();
        return p.given() && !text.empty() && platform::ToUpper(text.front()) == letter;
    };
    const bool modeColumn = startsWith(mode_, 'M');
    const bool pathColumn = startsWith(path_, 'P');

    std::string header = " hFile  ";
    if (modeColumn) header += "Mode   ";
    header += pathColumn ? "Path" : "Name";
    host::PrintLine(header);
    host::PrintLine("");

    static constexpr const char* kModeWords[] = {"read   ", "write  ", "both   "};
    for (const auto& file : files.files()) {
        char number[16];
        std::snprintf(number, sizeof number, "%6d  ", file->Handle());
        std::string line = number;
        if (modeColumn) line += file->mode() <= 2 ? kModeWords[file->mode()] : "       ";
        const std::string& path = file->GetFilePath();
        line += pathColumn ? std::string_view(path) : platform::BaseName(path);
        PrintBounded(std::move(line));
    }
    *result = static_cast<double>(files.size());
    return 0;
}

MoListSep::MoListSep(ZEL& zel)
    : MoZELIO(zel, "([\"char\"])\r\nNote: Lack of an argument will reset list seperator to \",\"."),
      separator_(AddArgument<MoString>()) {}

int32_t MoListSep::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    MoBounded& listSep = zel_.ListSep();
    if (!separator_.given()) {
        listSep.Store(44);
        return 0;
    }
    std::optional<std::string> text = pemrix::SeparatorText(separator_.text());
    if (!text || text->empty()) return zel_.Fail(10, 65);
    if (host::Available() && host::CheckSeparator(text->c_str()) == -1) return zel_.Fail(20, 6);
    listSep.SetNumber(static_cast<signed char>((*text)[0]));
    return 0;
}

int32_t MoReset::Execute(double* result, MoDLL&) {
    zel_.ResetAll();
    *result = 0.0;
    return 0;
}

}  // namespace zel
