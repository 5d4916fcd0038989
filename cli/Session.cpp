#include "Session.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <system_error>
#include <exception>
#include <stdexcept>
#include <vector>

#include "Interrupt.h"
#include "Csv.h"
#include "NumberText.h"
#include "Parser.h"
#include "Table.h"
#include "zel/zel_errors.h"

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
                case BinaryOp::Add: return *left + *right;
                case BinaryOp::Subtract: return *left - *right;
                case BinaryOp::Multiply: return *left * *right;
                case BinaryOp::Divide:
                    if (*right == 0.0) return std::nullopt;
                    return *left / *right;
                default: return std::nullopt;  // argument texts hold arithmetic only
            }
        }
        default: return std::nullopt;
    }
}

// Hides what the module prints for the lifetime of the object: the host
// still collects the lines.
class MutedPrint {
public:
    explicit MutedPrint(tavrel::Host& host) : host_(host), saved_(std::move(host.onPrint)) { host_.onPrint = nullptr; }
    ~MutedPrint() { host_.onPrint = std::move(saved_); }
    MutedPrint(const MutedPrint&) = delete;
    MutedPrint& operator=(const MutedPrint&) = delete;

private:
    tavrel::Host& host_;
    std::function<void(const std::string&)> saved_;
};

bool Truth(double value) { return value != 0.0; }

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

std::string Session::Where() const { return line_ > 0 ? name_ + ":" + std::to_string(line_) : name_; }

void Session::ReportParseError(const std::string& name, const ProgramError& error) {
    name_ = name;
    line_ = error.line;
    err_ << "zel: " << Where() << ": cannot parse: " << error.reason << '\n';
    err_.flush();
}

void Session::Notice(const std::string& name, const std::string& text) {
    err_ << "zel: " << name << ": " << text << '\n';
    err_.flush();
}

LineStatus Session::RunLine(std::string_view line, const std::string& where) {
    ProgramBuilder builder;
    if (!builder.Add(line, 0) || !builder.Finish()) {
        ReportParseError(where, builder.error());
        return LineStatus::ParseFailed;
    }
    const long before = failures_;
    const LineStatus status = Run(builder.Take(), where);
    return status == LineStatus::Done && failures_ > before ? LineStatus::Failed : status;
}

LineStatus Session::Run(const Program& program, const std::string& name) {
    name_ = name;
    line_ = 0;
    std::vector<Loop> loops(program.loops);
    LineStatus status = LineStatus::Done;
    for (std::size_t index = 0; index < program.steps.size();) {
        const Step& step = program.steps[index];
        line_ = step.line;
        if (InterruptRequested()) {
            err_ << "zel: " << Where() << ": interrupted\n";
            status = LineStatus::Interrupted;
            break;
        }
        failed_ = false;
        index = RunStep(program, index, loops);
        host_.ClearLines();
        if (step.kind == StepKind::Run) {
            if (program.statements[step.statement].kind == StatementKind::Exit && !failed_) {
                status = LineStatus::Exit;
                break;
            }
            out_.flush();
        }
        if (failed_) {
            ++failures_;
            if (stopOnError_) {
                status = LineStatus::Failed;
                break;
            }
        }
    }
    if (openLine_) {
        out_ << '\n';
        openLine_ = false;
    }
    out_.flush();
    err_.flush();
    return status;
}

std::size_t Session::RunStep(const Program& program, std::size_t index, std::vector<Loop>& loops) {
    const Step& step = program.steps[index];
    const Statement& statement = program.statements[step.statement];
    try {
        switch (step.kind) {
            case StepKind::Run: Execute(statement); break;
            case StepKind::Jump: return step.target;
            case StepKind::Test:
                if (!Truth(EvaluateNumber(*statement.value))) return step.target;
                break;
            case StepKind::ForEnter: {
                // The bounds are taken once; the variable may change in the body.
                const double first = EvaluateNumber(*statement.value);
                Loop& loop = loops[step.loop];
                loop.last = EvaluateNumber(*statement.items[0]);
                loop.step = statement.items.size() > 1 ? EvaluateNumber(*statement.items[1]) : 1.0;
                if (loop.step == 0.0) Fail("the step of the for loop of " + statement.name + " is 0");
                loop.variable = &variables_[statement.name];
                *loop.variable = first;
                const bool more = loop.step > 0 ? first <= loop.last : first >= loop.last;
                if (!more) return step.target;
                break;
            }
            case StepKind::ForNext: {
                Loop& loop = loops[step.loop];
                *loop.variable += loop.step;
                const double value = *loop.variable;
                if (loop.step > 0 ? value <= loop.last : value >= loop.last) return step.target;
                break;
            }
        }
    } catch (const Abandon&) {
        failed_ = true;
    } catch (const std::exception& error) {
        err_ << "zel: " << Where() << ": " << error.what() << '\n';
        failed_ = true;
    }
    // A condition or a for that failed skips its block when the script goes on.
    if (failed_ && (step.kind == StepKind::Test || step.kind == StepKind::ForEnter)) return step.skip;
    return index + 1;
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
        case StatementKind::Save: Save(statement); return;
        case StatementKind::Load: Load(statement); return;
        case StatementKind::Exit: Exit(statement); return;
        case StatementKind::Help: out_ << StatementHelp(); return;
        default: return;  // control flow: steps of their own
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

// A trailing comma leaves the line open: the next print goes on after a blank.
void Session::Print(const Statement& statement) {
    std::string line;
    for (std::size_t i = 0; i < statement.items.size(); ++i) {
        Value value = Evaluate(*statement.items[i], Want::Any);
        if (i > 0 || openLine_) line += ' ';
        line += value.isText ? value.text : NumberText(value.number);
    }
    openLine_ = statement.flag;
    if (!openLine_) line += '\n';
    out_ << line;
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
    std::vector<int> textColumns;
    if (statement.flag) {
        for (int k = 1; k <= columns; ++k) textColumns.push_back(k);
    }
    if (!statement.items.empty() && columns == 0) Fail("a worksheet without columns has no text columns");
    for (const auto& item : statement.items) textColumns.push_back(WholeNumber(*item, 1, columns, "a text column"));
    try {
        tavrel::Worksheet& sheet = host_.CreateWorksheet(statement.name, columns);
        for (int k : textColumns) sheet.setFormat(k, tavrel::kFormatText);
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

void Session::Save(const Statement& statement) {
    const std::string& name = statement.name;
    tavrel::CsvOptions options;
    options.separator = statement.separator;
    options.crlf = statement.flag;
    std::string error;
    bool saved = false;
    if (const tavrel::Worksheet* sheet = host_.FindWorksheet(name)) {
        saved = tavrel::SaveCsv(*sheet, statement.file, options, error);
    } else if (const tavrel::Dataset* dataset = host_.FindDataset(name)) {
        saved = tavrel::SaveCsv(*dataset, statement.file, options, error);
    } else {
        Fail("no dataset or worksheet " + Quoted(name));
    }
    if (!saved) Fail("cannot save " + name + " to " + statement.file + ": " + error);
}

void Session::Load(const Statement& statement) {
    tavrel::CsvOptions options;
    options.separator = statement.separator;
    options.header = !statement.flag;
    std::string error;
    // The reader's message names the file and says why.
    if (!tavrel::LoadCsv(host_, statement.name, statement.file, options, error)) Fail(error);
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
        case ExprKind::Not: value.number = Truth(EvaluateNumber(*expr.left)) ? 0.0 : 1.0; return value;
        case ExprKind::Binary: value.number = EvaluateBinary(expr); return value;
    }
    return value;
}

double Session::EvaluateBinary(const Expr& expr) {
    const double left = EvaluateNumber(*expr.left);
    // and, or: the right side only when the left one does not decide.
    if (expr.op == BinaryOp::And) return Truth(left) && Truth(EvaluateNumber(*expr.right)) ? 1.0 : 0.0;
    if (expr.op == BinaryOp::Or) return Truth(left) || Truth(EvaluateNumber(*expr.right)) ? 1.0 : 0.0;
    const double right = EvaluateNumber(*expr.right);
    switch (expr.op) {
        case BinaryOp::Add: return left + right;
        case BinaryOp::Subtract: return left - right;
        case BinaryOp::Multiply: return left * right;
        case BinaryOp::Divide:
            if (right == 0.0) Fail("division by zero");
            return left / right;
        case BinaryOp::Less: return left < right ? 1.0 : 0.0;
        case BinaryOp::LessEqual: return left <= right ? 1.0 : 0.0;
        case BinaryOp::Equal: return left == right ? 1.0 : 0.0;
        case BinaryOp::NotEqual: return left != right ? 1.0 : 0.0;
        case BinaryOp::GreaterEqual: return left >= right ? 1.0 : 0.0;
        case BinaryOp::Greater: return left > right ? 1.0 : 0.0;
        default: return 0.0;
    }
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
        double error = 0.0;
        std::string reason;
        if (host_.GetNumber(nullptr, "ERROR", error) == ZEL_RESULT_DONE && error == 0.0) {
            reason = ErrorListReason(call.member.name);
        }
        ReportFailure(call.CallSpelling(), reason.empty() ? ErrorState() : reason);
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
           "  print item, item, ...        print numbers, texts, variables and members (a comma\n"
           "                               at the end: the next print goes on on this line)\n"
           "  errors                       ERROR and SYSERR, then ZEL's error list\n"
           "  list [METHOD]                every member with its value, or one method's sub-properties\n"
           "  onerror continue | stop      whether a failing call ends the script (stop)\n"
           "  dataset NAME [text]          an empty numeric (or text) dataset\n"
           "  dataset NAME = 1, 2.5, x     a dataset holding these numbers\n"
           "  worksheet NAME [columns]     a worksheet, with that many columns (0 to 1000)\n"
           "  worksheet NAME N text C, C   the same, columns C, ... (1 to N) of texts; text all: every one\n"
           "  show NAME [rows]             a dataset or worksheet as a table (100 rows unless told)\n"
           "  save NAME to FILE.csv        a dataset or worksheet as CSV, a header line of the column\n"
           "     [sep \";\"] [crlf]            names (sep: another separator; crlf: CR LF line ends)\n"
           "  load NAME from FILE.csv      a new worksheet from a CSV file: names from its header,\n"
           "     [sep \";\"] [noheader]        text columns where not every field is a number\n"
           "  for i = A to B [step S]      a loop: i from A to B, S apart (1 unless told) ...\n"
           "  next [i]                     ... up to its next\n"
           "  while EXPR ... end           a loop while EXPR is not 0\n"
           "  if EXPR ... end              with else if EXPR and else branches before the end\n"
           "  break, continue              leave the innermost loop, or go on with its next round\n"
           "  help                         this list\n"
           "  exit [N], quit [N]           end with exit status N (0 to 255; default 0)\n"
           "Expressions: + - * /, comparisons < <= == != >= > (1 or 0), and, or, not;\n"
           "0 is false, any other number true. Ctrl-C stops a running loop.\n"
           "zel.syntax() lists ZEL's methods, zel.syntax(NAME) shows one method's arguments.\n";
}

// ---- Messages --------------------------------------------------------------

void Session::Fail(const std::string& message) {
    err_ << "zel: " << Where() << ": " << message << '\n';
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

void Session::ReportFailure(const std::string& what) { ReportFailure(what, ErrorState()); }

void Session::ReportFailure(const std::string& what, const std::string& reason) {
    err_ << "zel: " << Where() << ": " << what << " failed: " << reason << '\n';
    failed_ = true;
    if (stopOnError_) throw Abandon{};
}

// Every call starts the error list afresh, so its newest entry belongs to
// the call that failed. LISTERR prints one "CLASS<TAB>ID" line an entry,
// the newest first; the user does not see them here.
std::string Session::ErrorListReason(const std::string& method) {
    host_.ClearLines();
    tavrel::CallResult result;
    {
        MutedPrint muted(host_);
        result = host_.Call("LISTERR", "");
    }
    if (result.code != ZEL_RESULT_DONE || host_.lines().empty()) return {};
    const std::string newest = host_.lines().front();
    host_.ClearLines();
    const std::size_t tab = newest.find('\t');
    if (tab == std::string::npos) return {};
    const std::string owner = newest.substr(0, tab);
    int32_t id = 0;
    const char* first = newest.data() + tab + 1;
    const char* last = newest.data() + newest.size();
    const auto [end, ec] = std::from_chars(first, last, id);
    if (ec != std::errc() || end != last || id == 0) return {};
    const char* known = ZelListErrText(id);
    std::string text = known != nullptr ? known : "";
    const std::string number = "error " + std::to_string(id) + (owner.empty() ? "" : ", " + owner);
    if (text.empty()) return "ZEL's error list holds " + number;
    // "more arguments than the method takes": name the method.
    const std::string generic = "the method";
    if (const std::size_t at = text.find(generic); at != std::string::npos) {
        text.replace(at, generic.size(), Upper(method));
    }
    return text + " (" + number + ")";
}

void Session::ReportWarning(const std::string& what, const std::string& method) {
    // The error-list methods leave ERROR as the call before them left it.
    if (SameWord(method, "LISTERR") || SameWord(method, "LASTERRID")) return;
    double error = 0.0;
    if (host_.GetNumber(nullptr, "ERROR", error) != ZEL_RESULT_DONE || error == 0.0) return;
    err_ << "zel: " << Where() << ": warning: " << what << ": " << ErrorState() << '\n';
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
    return describe("ERROR", [](int32_t n, bool c) { return ZelErrorText(n, c ? 1 : 0); }) + ", " +
           describe("SYSERR", [](int32_t n, bool c) { return ZelSysErrText(n, c ? 1 : 0); });
}

}  // namespace zelcli
