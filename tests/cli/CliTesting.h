// Helpers for the runner's tests: a readable form of parsed lines and of
// texts in test cases, and a stand-in module whose requests are recorded.
#ifndef TESTS_CLI_CLITESTING_H
#define TESTS_CLI_CLITESTING_H

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "Syntax.h"
#include "zel/zel.h"

namespace zelcli::testing {

// Prefix notation of an expression: "(+ 1 (* 2 x))", "call:open[a, 0]".
std::string Render(const Expr& expr);
// One line per statement: "let x (+ 1 2)", "set zel.open.mode 2", ...
std::string Render(const Statement& statement);

// A text of a test case for messages, on one line: in double quotes, with
// C escapes for quotes, backslashes and control and non-ASCII bytes, and cut
// after 200 bytes ("..." and the full length follow then).
std::string Quoted(const std::string& text);

// A module that answers from tables and records every request. Methods:
// ECHO prints "echo:" and its argument text and answers the text's length;
// NUM answers the number the host reads in its argument text (-99 when the
// host reads none); FAIL fails with ERROR 22 and SYSERR 3 and answers -1;
// REFUSE fails without touching its result, as a refused argument does;
// LISTERR prints the lines of errorList; INTERRUPT raises SIGINT (a test
// that calls it catches the signal); OPEN answers 7. The properties are the
// keys of numbers and texts ("METHOD.NAME" for a sub-property); setting
// NBYTES to 5 is refused with ERROR 12. A listing prints "listing " and the
// path, or "(all)".
struct FakeModule {
    struct Request {
        int32_t code = 0;
        bool hasOwner = false;
        std::string owner;
        std::string member;
        double number = 0.0;  // a numeric set
        std::string text;     // a string set
    };

    FakeModule();
    ~FakeModule();
    FakeModule(const FakeModule&) = delete;
    FakeModule& operator=(const FakeModule&) = delete;

    static int32_t ZEL_CDECL Entry(uint32_t hostHandle, const char* ownerName, char* memberName, void* value,
                                   ZelHostCallback callback, int32_t requestCode);

    std::vector<Request> requests;
    std::map<std::string, double> numbers;
    std::map<std::string, std::string> texts;
    std::set<std::string> methods;
    std::vector<std::string> errorList;
};

}  // namespace zelcli::testing

#endif  // TESTS_CLI_CLITESTING_H
