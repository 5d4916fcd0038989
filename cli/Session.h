// Runs parsed scripts against the module through a tavrel::Host: the
// numeric variables, the error mode, the statements, loops and branches,
// and their messages.
#ifndef ZEL_CLI_SESSION_H
#define ZEL_CLI_SESSION_H

#include <cstddef>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "Host.h"
#include "Program.h"
#include "Syntax.h"

namespace zelcli {

enum class LineStatus {
    Done,         // ran without a failure (Run: ran to its end)
    ParseFailed,  // did not parse; reported, nothing ran
    Failed,       // a call, an access or a statement failed; reported (Run:
                  // and ended the run under onerror stop)
    Exit,         // an exit statement ran
    Interrupted   // Ctrl-C ended the run; reported
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
    // Runs a whole program; messages name name and the line, e.g.
    // "demo.zel:12". Looks for Ctrl-C before each step.
    LineStatus Run(const Program& program, const std::string& name);
    // Reports a line that does not parse: "zel: NAME:LINE: cannot parse: ...".
    void ReportParseError(const std::string& name, const ProgramError& error);
    // "zel: NAME: text" on the message stream.
    void Notice(const std::string& name, const std::string& text);

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
    // A running for loop: its bounds, taken once, and its variable.
    struct Loop {
        double last = 0.0;
        double step = 1.0;
        double* variable = nullptr;
    };

    // Runs one step; answers the index of the step after it.
    std::size_t RunStep(const Program& program, std::size_t index, std::vector<Loop>& loops);
    std::string Where() const;
    void Execute(const Statement& statement);
    void SetMember(const Statement& statement);
    void Print(const Statement& statement);
    void Errors();
    void List(const std::string& path);
    void MakeDataset(const Statement& statement);
    void MakeWorksheet(const Statement& statement);
    void Show(const Statement& statement);
    void Save(const Statement& statement);
    void Load(const Statement& statement);
    void Exit(const Statement& statement);

    Value Evaluate(const Expr& expr, Want want);
    double EvaluateNumber(const Expr& expr) { return Evaluate(expr, Want::Number).number; }
    double EvaluateBinary(const Expr& expr);
    Value ReadMember(const MemberRef& member, Want want);
    Value Call(const Expr& call);
    int WholeNumber(const Expr& expr, int low, int high, const std::string& what);

    // Messages. Fail reports and abandons the statement; ReportFailure
    // reports a failed module request and abandons it under onerror stop.
    [[noreturn]] void Fail(const std::string& message);
    [[noreturn]] void NoMember(const std::string& what, const MemberRef& member);
    void ReportFailure(const std::string& what);
    void ReportFailure(const std::string& what, const std::string& reason);
    // A failed call that left ERROR 0 has a reason in ZEL's error list: its
    // newest entry in words, "(error 900, MoOpen)". Empty when there is none.
    std::string ErrorListReason(const std::string& method);
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
    std::string name_;  // the script in messages
    long line_ = 0;     // its line in messages; 0: name_ alone
    bool failed_ = false;
    long failures_ = 0;      // failures reported so far
    bool openLine_ = false;  // a print that ended with a comma left its line open
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
