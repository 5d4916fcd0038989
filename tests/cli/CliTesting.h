// Helpers for the runner's tests: the one shape of a script case, and a
// stand-in module for the tests that run the runner in this process.
#ifndef TESTS_CLI_CLITESTING_H
#define TESTS_CLI_CLITESTING_H

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "zel/zel.h"

namespace zelcli::testing {

// A script and what running it gives: the whole standard output, a part of
// standard error (empty: nothing on it) and the exit status. With prompts,
// its lines come as typed at a terminal and those are the prompts shown.
struct ScriptCase {
    std::string script;
    std::string out;
    std::string err = "";
    int status = 0;
    std::optional<std::string> prompts = std::nullopt;
};

void PrintTo(const ScriptCase& c, std::ostream* os);

// Checks what a run of c gave.
void ExpectOutcome(const ScriptCase& c, int status, const std::string& out, const std::string& err);

// A module that answers from tables. Methods: ECHO prints "echo:" and its
// argument text and answers the text's length; NUM answers the number the
// host reads in its argument text (-99 when the host reads none); FAIL
// fails with ERROR 22 and SYSERR 3 and answers -1; REFUSE fails without
// touching its result, as a refused argument does; LISTERR prints the lines
// of errorList; INTERRUPT raises SIGINT (a test that calls it catches the
// signal); OPEN answers 7. The properties are the keys of numbers and texts
// ("METHOD.NAME" for a sub-property); setting NBYTES to 5 is refused with
// ERROR 12. A listing prints "listing " and the path, or "(all)".
struct FakeModule {
    FakeModule();
    ~FakeModule();
    FakeModule(const FakeModule&) = delete;
    FakeModule& operator=(const FakeModule&) = delete;

    static int32_t ZEL_CDECL Entry(uint32_t hostHandle, const char* ownerName, char* memberName, void* value,
                                   ZelHostCallback callback, int32_t requestCode);

    std::map<std::string, double> numbers;
    std::map<std::string, std::string> texts;
    std::vector<std::string> errorList;
};

}  // namespace zelcli::testing

#endif  // TESTS_CLI_CLITESTING_H
