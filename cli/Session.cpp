#include "Session.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <stdexcept>
#include <vector>

#include "NumberText.h"
#include "Parser.h"
#include "Table.h"
#include "frame/ErrorCatalogue.h"

namespace zelcli {

namespace {

// Thrown once a failure has been reported: the rest of the statement is
// abandoned.
struct Abandon {};

constexpr int kMaxColumns = 1000;
// Rows that show prints when it is not told how many.
constexpr int kShowRows = 100;

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The number of an arithmetic expression of numbers and variables, without
// messages: nothing for an unknown variable, a division by zero or a kind
// of expression that needs the module.
std::optional<double> Quiet(const Expr& expr, const std::map<std::string, double>& variables) {
    switch (expr.kind) {
        case ExprKind::Number: return expr.number;
        case ExprKind::Variable: {
            auto found = variables.find(expr.name);
            if (found == variables.end()) return std::nullopt;
            return found->second;
        }
        case ExprKind::Negate: {
            auto value = Quiet(*expr.left, variables);
            if (!value) return std::nullopt;
            return -*value;
        }
        case ExprKind::Binary: {
            auto left = Quiet(*expr.left, variables);
            auto right = Quiet(*expr.right, variables);
            if (!left || !right) return std::nullopt;
            switch (expr.op) {
                case '+': return *left + *right;
                case '-': return *left - *right;
                case '*': return *left * *right;
                default:
                    if (*right == 0.0) return std::nullopt;
                    return *left / *right;
            }
        }
        default: return std::nullopt;
    }
}

}  // namespace

std::string TerminalLine(std::string_view line) {
    std::string text;
    text.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\r') {
            text.push_back('\n');
            if (i + 1 < line.size() && line[i + 1] == '\n') ++i;
        } else {
            text.push_back(line[i]);
        }
    }
    return text;
}

std::string NumberText(double value) { return tavrel::FormatNumber(value); }

Session::Session(tavrel::Host& host, std::ostream& out, std::ostream& err) : host_(host), out_(out), err_(err) {
    host_.onPrint = [this](const std::string& line) { out_ << TerminalLine(line) << '\n'; };
    host_.numberOfName = [this](std::string_view text) { return NumberOfText(text); };
}

Session::~Session() {
    host_.onPrint = nullptr;
    host_.numberOfName = nullptr;
}

std::optional<double> Session::Variable(const std::string& name) const {
    auto found = variables_.find(name);
    if (found == variables_.end()) return std::nullopt;
    return found->second;
}

std::optional<double> Session::NumberOfText(std::string_view text) const {
    auto expr = ParseArithmetic(text);
    if (!expr) return std::nullopt;
    return Quiet(*expr, variables_);
}

LineStatus Session::RunLine(std::string_view line, const std::string& where) {
    where_ = where;
    failed_ = false;
    Parsed parsed = ParseLine(line);
    if (!parsed.ok()) {
        err_ << "zel: " << where_ << ": cannot parse: " << parsed.error << '\n';
        err_.flush();
        return LineStatus::ParseFailed;
    }
    bool exited = false;
    try {
        Execute(parsed.statement);
        exited = parsed.statement.kind == StatementKind::Exit;
    } catch (const Abandon&) {
        failed_ = true;
    } catch (const std::exception& error) {
        err_ << "zel: " << where_ << ": " << error.what() << '\n';
        failed_ = true;
    }
    host_.ClearLines();
    out_.flush();
    err_.flush();
    if (failed_) return LineStatus::Failed;
    return exited ? LineStatus::Exit : LineStatus::Done;
}

void Session::Execute(const Statement& statement) {
    switch (statement.kind) {
        case StatementKind::Empty: return;
        case StatementKind::SetMember: SetMember(statement); return;
        case StatementKind::SetNumber: {
            const double value = EvaluateNumber(*statement.value);
            variables_[statement.name] = value;
            return;
        }
        case StatementKind::SetString: {
            Value value = Evaluate(*statement.value, Want::Text);
            host_.SetVariable(statement.letter, std::move(value.text));
            return;
        }
        case StatementKind::Call: Evaluate(*statement.value, Want::Any); return;
        case StatementKind::Print: Print(statement); return;
        case StatementKind::Errors: Errors(); return;
        case StatementKind::List: List(statement.name); return;
        case StatementKind::OnError: stopOnError_ = !statement.flag; return;
        case StatementKind::Dataset: MakeDataset(statement); return;
        case StatementKind::Worksheet: MakeWorksheet(statement); return;
        case StatementKind::Show: Show(statement); return;
        case StatementKind::Save: Save(statement.name, statement.file); return;
        case StatementKind::Exit: Exit(statement); return;
        case StatementKind::Help: out_ << StatementHelp(); return;
    }
}

// ---- Statements ------------------------------------------------------------

void Session::SetMember(const Statement& statement) {
    const MemberRef& member = statement.member;
    const char* owner = member.method.empty() ? nullptr : member.method.c_str();
    Value value = Evaluate(*statement.value, Want::Any);
    const std::string what =
        member.Spelling() + " = " + (value.isText ? Quoted(value.text) : NumberText(value.number));
    const int32_t result = value.isText ? host_.SetString(owner, member.name.c_str(), value.text)
                                        : host_.SetNumber(owner, member.name.c_str(), value.number);
    if (result == ZEL_RESULT_DONE) return;
    if (result != ZEL_RESULT_NOT_FOUND) {
        ReportFailure(what);
        return;
    }
    // Not found as that kind: say so when the member exists as the other.
    double number = 0.0;
    std::string text;
    const bool otherKind = value.isText ? host_.GetNumber(owner, member.name.c_str(), number) == ZEL_RESULT_DONE
                                        : host_.GetString(owner, member.name.c_str(), text) == ZEL_RESULT_DONE;
    if (otherKind) {
        Fail(what + " failed: " + Quoted(Upper(member.name)) + " takes " +
             (value.isText ? "a number, not a text" : "a text, not a number"));
    }
    NoMember(what, member);
}

void Session::Print(const Statement& statement) {
    std::string line;
    for (std::size_t i = 0; i < statement.items.size(); ++i) {
        Value value = Evaluate(*statement.items[i], Want::Any);
        if (i > 0) line += ' ';
        line += value.isText ? value.text : NumberText(value.number);
    }
    out_ << line << '\n';
}

void Session::Errors() {
    out_ << "ERROR " << ErrorNumber("ERROR") << "  SYSERR " << ErrorNumber("SYSERR") << '\n';
    tavrel::CallResult result = host_.Call("LISTERR", "");
    if (result.code != ZEL_RESULT_DONE) ReportFailure("zel.listerr()");
}

void Session::List(const std::string& path) {
    const int32_t result = host_.List(path.empty() ? nullptr : path.c_str());
    if (result != ZEL_RESULT_DONE) ReportFailure(path.empty() ? "list" : "list " + path);
}

void Session::MakeDataset(const Statement& statement) {
    std::vector<double> values;
    values.reserve(statement.items.size());
    for (const auto& item : statement.items) values.push_back(EvaluateNumber(*item));
    try {
        tavrel::Dataset& dataset = host_.CreateDataset(statement.name, statement.flag);
        dataset.setExtent(0, static_cast<int32_t>(values.size()));
        for (std::size_t i = 0; i < values.size(); ++i) dataset.set(i, values[i]);
    } catch (const std::invalid_argument& error) {
        Fail(std::string("cannot create the dataset: ") + error.what());
    }
}

void Session::MakeWorksheet(const Statement& statement) {
    const int columns =
        statement.value ? WholeNumber(*statement.value, 0, kMaxColumns, "the number of columns") : 0;
    try {
        host_.CreateWorksheet(statement.name, columns);
    } catch (const std::invalid_argument& error) {
        Fail(std::string("cannot create the worksheet: ") + error.what());
    }
}

void Session::Show(const Statement& statement) {
    const std::string& name = statement.name;
    const int rows = statement.value ? WholeNumber(*statement.value, 0, INT32_MAX - 1, "the number of rows")
                                     : kShowRows;
    int32_t total = 0;
    if (const tavrel::Worksheet* sheet = host_.FindWorksheet(name)) {
        out_ << tavrel::Format(*sheet, rows);
        total = sheet->rows();
    } else if (const tavrel::Dataset* dataset = host_.FindDataset(name)) {
        out_ << tavrel::Format(*dataset, rows);
        total = dataset->upper();
    } else {
        Fail("no dataset or worksheet " + Quoted(name));
    }
    if (total > rows) {
        out_ << "(the first " << rows << " of " << total << " rows; show " << name << " N shows N)\n";
    }
}

void Session::Save(const std::string& name, const std::string& file) {
    std::string error;
    bool saved = false;
    if (const tavrel::Worksheet* sheet = host_.FindWorksheet(name)) {
        saved = tavrel::SaveCsv(*sheet, file, error);
    } else if (const tavrel::Dataset* dataset = host_.FindDataset(name)) {
        saved = tavrel::SaveCsv(*dataset, file, error);
    } else {
        Fail("no dataset or worksheet " + Quoted(name));
    }
    if (!saved) Fail("cannot save " + name + " to " + file + ": " + error);
}

void Session::Exit(const Statement& statement) {
    exitStatus_ = statement.value ? WholeNumber(*statement.value, 0, 255, "the exit status") : 0;
}

// ---- Values ----------------------------------------------------------------

Session::Value Session::Evaluate(const Expr& expr, Want want) {
    Value value;
    switch (expr.kind) {
        case ExprKind::Number: value.number = expr.number; return value;
        case ExprKind::Variable: {
            auto found = variables_.find(expr.name);
            if (found == variables_.end()) Fail("unknown variable " + expr.name);
            value.number = found->second;
            return value;
        }
        case ExprKind::Text:
            value.isText = true;
            value.text = expr.name;
            return value;
        case ExprKind::StringVar:
            value.isText = true;
            value.text = host_.Variable(expr.letter);
            return value;
        case ExprKind::Member: return ReadMember(expr.member, want);
        case ExprKind::Call: return Call(expr);
        case ExprKind::Negate: value.number = -EvaluateNumber(*expr.left); return value;
        case ExprKind::Binary: {
            const double left = EvaluateNumber(*expr.left);
            const double right = EvaluateNumber(*expr.right);
            switch (expr.op) {
                case '+': value.number = left + right; break;
                case '-': value.number = left - right; break;
                case '*': value.number = left * right; break;
                default:
                    if (right == 0.0) Fail("division by zero");
                    value.number = left / right;
                    break;
            }
            return value;
        }
    }
    return value;
}

// A numeric get first; when there is no numeric member of that name, a
// string get.
Session::Value Session::ReadMember(const MemberRef& member, Want want) {
    const char* owner = member.method.empty() ? nullptr : member.method.c_str();
    const std::string what = member.Spelling();
    Value value;
    int32_t result = host_.GetNumber(owner, member.name.c_str(), value.number);
    if (result == ZEL_RESULT_NOT_FOUND) {
        result = host_.GetString(owner, member.name.c_str(), value.text);
        if (result == ZEL_RESULT_NOT_FOUND) NoMember(what, member);
        value.isText = true;
    }
    if (result != ZEL_RESULT_DONE) {
        ReportFailure(what);  // under onerror continue the value is kept as it came
        const bool fits = want == Want::Any || (want == Want::Text) == value.isText;
        if (!fits) throw Abandon{};
        return value;
    }
    if (want == Want::Number && value.isText) Fail(what + " is a text; a number is expected here");
    if (want == Want::Text && !value.isText) Fail(what + " is a number; a text is expected here");
    return value;
}

// The result starts as the missing value, so that a call refused before
// the method runs (its arguments, its file) gives no number rather than 0.
Session::Value Session::Call(const Expr& call) {
    // The module rewrites the argument text in place: it gets at least the
    // interface's string size to work in.
    std::vector<char> args(std::max<std::size_t>(call.args.size() + 1, ZEL_STRING_BUFFER), '\0');
    std::copy(call.args.begin(), call.args.end(), args.begin());
    tavrel::CallResult result;
    result.value = ZEL_MISSING_VALUE;
    result.code = host_.Raw(call.member.name.c_str(), args.data(), &result.value, ZEL_REQ_CALL);
    Value value;
    value.number = result.value;
    if (result.code == ZEL_RESULT_NOT_FOUND) {
        double number = 0.0;
        std::string text;
        const char* name = call.member.name.c_str();
        if (host_.GetNumber(nullptr, name, number) == ZEL_RESULT_DONE ||
            host_.GetString(nullptr, name, text) == ZEL_RESULT_DONE) {
            Fail(call.CallSpelling() + " failed: " + Quoted(Upper(call.member.name)) +
                 " is a property, not a method");
        }
        Fail(call.CallSpelling() + " failed: no member " + Quoted(Upper(call.member.name)));
    }
    if (result.code != ZEL_RESULT_DONE) {
        ReportFailure(call.CallSpelling());
    } else {
        ReportWarning(call.CallSpelling(), call.member.name);
    }
    return value;
}

int Session::WholeNumber(const Expr& expr, int low, int high, const std::string& what) {
    const double value = EvaluateNumber(expr);
    if (!(value >= low && value <= high) || value != std::floor(value)) {
        Fail(what + " must be a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
             ", not " + NumberText(value));
    }
    return static_cast<int>(value);
}

// ---- Help ------------------------------------------------------------------

std::string StatementHelp() {
    return "Statements, one per line (# starts a comment):\n"
           "  name = expr                  set a numeric variable\n"
           "  A$ = \"text\" | B$ | zel.NAME  set a string variable of the host (A$ to Z$)\n"
           "  zel.NAME = expr | \"text\"     set a property of ZEL\n"
           "  zel.METHOD.SUB = ...         set a sub-property of a method\n"
           "  zel.METHOD(args)             call a method; x = zel.METHOD(args) keeps its result\n"
           "  print item, item, ...        print numbers, texts, variables and members\n"
           "  errors                       ERROR and SYSERR, then ZEL's error list\n"
           "  list [METHOD]                every member with its value, or one method's sub-properties\n"
           "  onerror continue | stop      whether a failing call ends the script (stop)\n"
           "  dataset NAME [text]          an empty numeric (or text) dataset\n"
           "  dataset NAME = 1, 2.5, x     a dataset holding these numbers\n"
           "  worksheet NAME [columns]     a worksheet, with that many columns (0 to 1000)\n"
           "  show NAME [rows]             a dataset or worksheet as a table (100 rows unless told)\n"
           "  save NAME to FILE.csv        a dataset or worksheet as CSV\n"
           "  help                         this list\n"
           "  exit [N], quit [N]           end with exit status N (0 to 255; default 0)\n"
           "zel.syntax() lists ZEL's methods, zel.syntax(NAME) shows one method's arguments.\n";
}

// ---- Messages --------------------------------------------------------------

void Session::Fail(const std::string& message) {
    err_ << "zel: " << where_ << ": " << message << '\n';
    throw Abandon{};
}

void Session::NoMember(const std::string& what, const MemberRef& member) {
    if (member.method.empty() && IsMethod(member.name)) {
        Fail(what + " failed: " + Quoted(Upper(member.name)) + " is a method; call it as zel." + member.name +
             "(...)");
    }
    const std::string name = member.method.empty() ? member.name : member.method + "." + member.name;
    Fail(what + " failed: no member " + Quoted(Upper(name)));
}

void Session::ReportFailure(const std::string& what) {
    err_ << "zel: " << where_ << ": " << what << " failed: " << ErrorState() << '\n';
    failed_ = true;
    if (stopOnError_) throw Abandon{};
}

void Session::ReportWarning(const std::string& what, const std::string& method) {
    // The error-list methods leave ERROR as the call before them left it.
    if (SameWord(method, "LISTERR") || SameWord(method, "LASTERRID")) return;
    double error = 0.0;
    if (host_.GetNumber(nullptr, "ERROR", error) != ZEL_RESULT_DONE || error == 0.0) return;
    err_ << "zel: " << where_ << ": warning: " << what << ": " << ErrorState() << '\n';
}

// A method lookup that runs nothing: the probe form of the call request.
bool Session::IsMethod(const std::string& name) {
    std::vector<char> args(1, '\0');
    double result = 0.0;
    return host_.Raw(name.c_str(), args.data(), &result, ZEL_REQ_CALL | ZEL_PROBE_FLAG) == ZEL_RESULT_DONE;
}

std::string Session::ErrorNumber(const char* name) {
    double value = 0.0;
    if (host_.GetNumber(nullptr, name, value) != ZEL_RESULT_DONE) return "?";
    return NumberText(value);
}

std::string Session::ErrorState() {
    double newActions = 0.0;
    host_.GetNumber(nullptr, "NEWACTIONS", newActions);
    const bool current = newActions != 0.0;
    auto describe = [&](const char* name, const char* (*textOf)(int32_t, bool)) {
        double value = 0.0;
        if (host_.GetNumber(nullptr, name, value) != ZEL_RESULT_DONE) return std::string(name) + " ?";
        std::string out = std::string(name) + " " + NumberText(value);
        const bool whole = value == std::floor(value) && std::fabs(value) < 2147483648.0;
        const char* text = whole ? textOf(static_cast<int32_t>(value), current) : nullptr;
        if (text != nullptr) out += std::string(" (") + text + ")";
        return out;
    };
    return describe("ERROR", [](int32_t n, bool c) { return zel::ErrorText(n, c); }) + ", " +
           describe("SYSERR", [](int32_t n, bool c) { return zel::SysErrText(n, c); });
}

}  // namespace zelcli
