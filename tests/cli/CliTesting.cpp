#include "CliTesting.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "NumberText.h"

namespace zelcli::testing {

namespace {

FakeModule* current = nullptr;

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

}  // namespace

std::string Render(const Expr& expr) {
    switch (expr.kind) {
        case ExprKind::Number: return tavrel::FormatNumber(expr.number);
        case ExprKind::Variable: return expr.name;
        case ExprKind::Text: return "\"" + expr.name + "\"";
        case ExprKind::StringVar: return std::string(1, expr.letter) + "$";
        case ExprKind::Member: return expr.member.Spelling();
        case ExprKind::Call: return "call:" + expr.member.name + "[" + expr.args + "]";
        case ExprKind::Negate: return "(neg " + Render(*expr.left) + ")";
        case ExprKind::Not: return "(not " + Render(*expr.left) + ")";
        case ExprKind::Binary:
            return std::string("(") + Spelling(expr.op) + " " + Render(*expr.left) + " " + Render(*expr.right) + ")";
    }
    return "?";
}

std::string Render(const Statement& s) {
    auto items = [&s] {
        std::string text;
        for (const auto& item : s.items) text += (text.empty() ? "" : " | ") + Render(*item);
        return text;
    };
    switch (s.kind) {
        case StatementKind::Empty: return "empty";
        case StatementKind::SetMember: return "set " + s.member.Spelling() + " " + Render(*s.value);
        case StatementKind::SetNumber: return "let " + s.name + " " + Render(*s.value);
        case StatementKind::SetString: return std::string("let ") + s.letter + "$ " + Render(*s.value);
        case StatementKind::Call: return Render(*s.value);
        case StatementKind::Print: return "print " + items() + (s.flag ? " ," : "");
        case StatementKind::Errors: return "errors";
        case StatementKind::List: return "list " + s.name;
        case StatementKind::OnError: return s.flag ? "onerror continue" : "onerror stop";
        case StatementKind::Dataset: return "dataset " + s.name + (s.flag ? " text" : "") + " [" + items() + "]";
        case StatementKind::Worksheet:
            return "worksheet " + s.name + (s.value ? std::string(" ") + Render(*s.value) : "") +
                   (s.flag ? " text all" : "") + (s.items.empty() ? "" : " text " + items());
        case StatementKind::Show: return "show " + s.name + (s.value ? std::string(" ") + Render(*s.value) : "");
        case StatementKind::Save:
        case StatementKind::Load: {
            const bool save = s.kind == StatementKind::Save;
            return (save ? "save " : "load ") + s.name + (save ? " to " : " from ") + s.file +
                   (s.separator != 0 ? std::string(" sep ") + s.separator : "") +
                   (s.flag ? (save ? " crlf" : " noheader") : "");
        }
        case StatementKind::Exit: return "exit" + (s.value ? std::string(" ") + Render(*s.value) : "");
        case StatementKind::Help: return "help";
        case StatementKind::For:
            return "for " + s.name + " " + Render(*s.value) + " " + items();
        case StatementKind::Next: return "next" + (s.name.empty() ? "" : " " + s.name);
        case StatementKind::While: return "while " + Render(*s.value);
        case StatementKind::If: return "if " + Render(*s.value);
        case StatementKind::ElseIf: return "else if " + Render(*s.value);
        case StatementKind::Else: return "else";
        case StatementKind::End: return "end";
        case StatementKind::Break: return "break";
        case StatementKind::Continue: return "continue";
    }
    return "?";
}

std::string Quoted(const std::string& text) {
    constexpr std::size_t kShown = 200;
    std::string quoted = "\"";
    for (std::size_t i = 0; i < text.size() && i < kShown; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        switch (c) {
            case '"': quoted += "\\\""; break;
            case '\\': quoted += "\\\\"; break;
            case '\n': quoted += "\\n"; break;
            case '\r': quoted += "\\r"; break;
            case '\t': quoted += "\\t"; break;
            default:
                if (c < 0x20 || c >= 0x7f) {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "\\x%02x", c);
                    quoted += hex;
                } else {
                    quoted += static_cast<char>(c);
                }
        }
    }
    quoted += "\"";
    if (text.size() > kShown) quoted += "... (" + std::to_string(text.size()) + " bytes)";
    return quoted;
}

FakeModule::FakeModule()
    : numbers{{"ERROR", 0.0}, {"SYSERR", 0.0}, {"NBYTES", 1.0}, {"OPEN.MODE", 0.0}},
      texts{{"FILENAME", ""}},
      methods{"OPEN", "ECHO", "NUM", "FAIL", "REFUSE", "LISTERR", "INTERRUPT"},
      errorList{"MoOpen\t900", "\t0"} {
    if (current != nullptr) throw std::logic_error("one fake module at a time");
    current = this;
}

FakeModule::~FakeModule() { current = nullptr; }

int32_t FakeModule::Entry(uint32_t handle, const char* ownerName, char* memberName, void* value,
                          ZelHostCallback callback, int32_t code) {
    FakeModule& m = *current;
    Request request;
    request.code = code;
    request.hasOwner = ownerName != nullptr;
    request.owner = ownerName != nullptr ? ownerName : "";
    request.member = memberName;
    auto say = [&](const std::string& line) {
        callback(handle, ZEL_CB_PRINT, reinterpret_cast<intptr_t>(line.c_str()), 0);
    };

    if ((code & ~ZEL_PROBE_FLAG) == ZEL_REQ_CALL) {
        m.requests.push_back(request);
        const std::string name = Upper(request.owner);
        if (m.methods.count(name) == 0) return (code & ZEL_PROBE_FLAG) ? ZEL_RESULT_FAILED : ZEL_RESULT_NOT_FOUND;
        if (code & ZEL_PROBE_FLAG) return ZEL_RESULT_DONE;
        double& result = *static_cast<double*>(value);
        const std::string args = memberName;
        if (name == "ECHO") {
            say("echo:" + args);
            result = static_cast<double>(args.size());
        } else if (name == "NUM") {
            double number = 0.0;
            const int32_t read = callback(handle, ZEL_CB_TEXT_TO_NUMBER, reinterpret_cast<intptr_t>(args.c_str()),
                                          reinterpret_cast<intptr_t>(&number));
            result = read != 0 ? number : -99.0;
        } else if (name == "FAIL") {
            m.numbers["ERROR"] = 22;
            m.numbers["SYSERR"] = 3;
            result = -1.0;
            return ZEL_RESULT_FAILED;
        } else if (name == "REFUSE") {
            return ZEL_RESULT_FAILED;
        } else if (name == "LISTERR") {
            for (const std::string& line : m.errorList) say(line);
        } else if (name == "INTERRUPT") {
            std::raise(SIGINT);
        } else {
            result = 7.0;
        }
        return ZEL_RESULT_DONE;
    }
    if (memberName[0] == '\0') {
        m.requests.push_back(request);
        say("listing " + (request.owner.empty() ? std::string("(all)") : request.owner));
        return ZEL_RESULT_DONE;
    }
    const std::string key = ownerName != nullptr ? Upper(ownerName) + "." + Upper(memberName) : Upper(memberName);
    switch (code) {
        case ZEL_REQ_GET_NUMBER: {
            m.requests.push_back(request);
            auto found = m.numbers.find(key);
            if (found == m.numbers.end()) return ZEL_RESULT_NOT_FOUND;
            *static_cast<double*>(value) = found->second;
            return ZEL_RESULT_DONE;
        }
        case ZEL_REQ_SET_NUMBER: {
            request.number = *static_cast<const double*>(value);
            m.requests.push_back(request);
            auto found = m.numbers.find(key);
            if (found == m.numbers.end()) return ZEL_RESULT_NOT_FOUND;
            if (key == "NBYTES" && request.number == 5.0) {
                m.numbers["ERROR"] = 12;
                return ZEL_RESULT_FAILED;
            }
            found->second = request.number;
            return ZEL_RESULT_DONE;
        }
        case ZEL_REQ_GET_STRING: {
            m.requests.push_back(request);
            auto found = m.texts.find(key);
            if (found == m.texts.end()) return ZEL_RESULT_NOT_FOUND;
            tavrel::CopyBounded(static_cast<char*>(value), ZEL_STRING_BUFFER, found->second);
            return ZEL_RESULT_DONE;
        }
        case ZEL_REQ_SET_STRING: {
            request.text = static_cast<const char*>(value);
            m.requests.push_back(request);
            auto found = m.texts.find(key);
            if (found == m.texts.end()) return ZEL_RESULT_NOT_FOUND;
            found->second = request.text;
            return ZEL_RESULT_DONE;
        }
        default:
            m.requests.push_back(request);
            return ZEL_RESULT_FAILED;
    }
}

}  // namespace zelcli::testing
