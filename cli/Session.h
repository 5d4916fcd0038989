// Runs parsed script lines against the module through a tavrel::Host: the
// numeric variables, the error mode, the statements and their messages.
#ifndef ZEL_CLI_SESSION_H
#define ZEL_CLI_SESSION_H

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "Host.h"
#include "Syntax.h"

namespace zelcli {

enum class LineStatus {
    Done,         // ran without a failure
    ParseFailed,  // did not parse; reported, nothing ran
    Failed,       // a call, an access or a statement failed; reported
    Exit          // an exit statement ran
};

class Session {
public:
    // Module output goes to out as it comes; messages go to err. The session
    // installs the host's print and number hooks and removes them again.
    Session(tavrel::Host& host, std::ostream& out, std::ostream& err);
    ~Session();

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Runs one line. where names it in messages, e.g. "demo.zel:12".
    LineStatus RunLine(std::string_view line, const std::string& where);

    bool stopOnError() const { return stopOnError_; }
    // The status of the latest exit statement.
    int exitStatus() const { return exitStatus_; }

    std::optional<double> Variable(const std::string& name) const;
    // The number an argument text stands for when it is not a number
    // literal: a numeric variable, or arithmetic over variables and numbers.
    std::optional<double> NumberOfText(std::string_view text) const;

private:
    struct Value {
        bool isText = false;
        double number = 0.0;
        std::string text;
    };
    enum class Want { Number, Text, Any };

    void Execute(const Statement& statement);
    void SetMember(const Statement& statement);
    void Print(const Statement& statement);
    void Errors();
    void List(const std::string& path);
    void MakeDataset(const Statement& statement);
    void MakeWorksheet(const Statement& statement);
    void Show(const Statement& statement);
    void Save(const std::string& name, const std::string& file);
    void Exit(const Statement& statement);

    Value Evaluate(const Expr& expr, Want want);
    double EvaluateNumber(const Expr& expr) { return Evaluate(expr, Want::Number).number; }
    Value ReadMember(const MemberRef& member, Want want);
    Value Call(const Expr& call);
    int WholeNumber(const Expr& expr, int low, int high, const std::string& what);

    // Messages. Fail reports and abandons the statement; ReportFailure
    // reports a failed module request and abandons it under onerror stop.
    [[noreturn]] void Fail(const std::string& message);
    [[noreturn]] void NoMember(const std::string& what, const MemberRef& member);
    void ReportFailure(const std::string& what);
    // A call that succeeded but left a number in ERROR says so in a line.
    void ReportWarning(const std::string& what, const std::string& method);
    bool IsMethod(const std::string& name);
    // "ERROR 16 (bad type name in a record template), SYSERR 0".
    std::string ErrorState();
    std::string ErrorNumber(const char* name);

    tavrel::Host& host_;
    std::ostream& out_;
    std::ostream& err_;
    std::map<std::string, double> variables_;
    bool stopOnError_ = true;
    int exitStatus_ = 0;
    std::string where_;
    bool failed_ = false;
};

// The statements of the runner, one per line, as help and --help list them.
std::string StatementHelp();

// A module output line as it is written to a terminal: CR LF and lone CR
// inside it become line feeds.
std::string TerminalLine(std::string_view line);

// The display of a number: the host's number text.
std::string NumberText(double value);

}  // namespace zelcli

#endif  // ZEL_CLI_SESSION_H
