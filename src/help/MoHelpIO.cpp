#include "help/MoHelpIO.h"

#include <cstdio>
#include <string>

#include "frame/MoDLL.h"
#include "help/SyntaxTexts.h"
#include "host/HostServices.h"
#include "platform/StringUtil.h"
#include "platform/Vfs.h"

namespace zel {
namespace {

constexpr size_t kLineBuffer = 1024;

void PrintBounded(std::string line) {
    if (line.size() > kLineBuffer - 1) line.resize(kLineBuffer - 1);
    host::PrintLine(line);
}

const MemberEntry* FindRow(MemberTable table, std::string_view name) {
    if (!table) return nullptr;
    for (const MemberEntry* row = table.rows; row->name != nullptr; ++row) {
        if (platform::EqualsNoCase(row->name, name)) return row;
    }
    return nullptr;
}

// The first name the table gives the member of row: the name its syntax
// text is kept under.
const char* FirstName(MemberTable table, const MemberEntry& row) {
    const MoScript* member = &table.MemberOf(row);
    for (const MemberEntry* first = table.rows; first != &row; ++first) {
        if (&table.MemberOf(*first) == member) return first->name;
    }
    return row.name;
}

void PrintNames(MemberTable table) {
    if (!table) return;
    for (const MemberEntry* row = table.rows; row->name != nullptr; ++row) host::PrintLine(row->name);
}

}  // namespace

MoSyntax::MoSyntax(IoContext& io) : MoHelpIO(io), method_(AddArgument<MoString>()) {}

int32_t MoSyntax::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    *result = -1.0;
    if (!method_.given()) {
        host::PrintLine("Methods available in ZEL: ");
        PrintNames(owner.OwnMethods());
        *result = 0.0;
        return 0;
    }
    if (!method_.HasValue()) {
        if (io_.NewActions()) return io_.Report(Err::NoText);
        *result = 0.0;
        return 0;
    }
    const MemberTable methods = owner.OwnMethods();
    const MemberEntry* row = FindRow(methods, method_.text());
    if (row == nullptr) {
        if (io_.NewActions()) return io_.Report(Err::NoSuchMethod);
        *result = 0.0;
        return 0;
    }
    std::string line = "zel.";
    line += method_.text();
    if (const char* syntax = SyntaxOf(FirstName(methods, *row))) line += syntax;
    PrintBounded(std::move(line));
    *result = 0.0;
    return 0;
}

MoAltSpell::MoAltSpell(IoContext& io) : MoHelpIO(io), member_(AddArgument<MoString>()) {}

int32_t MoAltSpell::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    *result = -1.0;
    if (!member_.given()) {
        host::PrintLine("Properties available in ZEL: ");
        PrintNames(owner.OwnProperties());
        *result = 0.0;
        return 0;
    }
    if (!member_.HasValue()) {
        if (io_.NewActions()) return io_.Report(Err::NoText);
        *result = 0.0;
        return 0;
    }
    MemberTable table = owner.OwnMethods();
    const MemberEntry* row = FindRow(table, member_.text());
    if (row == nullptr) {
        table = owner.OwnProperties();
        row = FindRow(table, member_.text());
    }
    if (row == nullptr) {
        if (io_.NewActions()) return io_.Report(Err::NoSuchMember);
        *result = 0.0;
        return 0;
    }
    const MoScript* member = &table.MemberOf(*row);
    for (const MemberEntry* alias = table.rows; alias->name != nullptr; ++alias) {
        if (&table.MemberOf(*alias) == member) host::PrintLine(alias->name);
    }
    *result = 0.0;
    return 0;
}

MoListAll::MoListAll(IoContext& io)
    : MoHelpIO(io),
      mode_(AddArgument<MoString>()),
      path_(AddArgument<MoString>()) {}

int32_t MoListAll::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    const FileRefList& files = io_.Files();
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
        line += pathColumn ? std::string_view(path) : platform::FileNameOf(path);
        PrintBounded(std::move(line));
    }
    *result = static_cast<double>(files.size());
    return 0;
}

}  // namespace zel
