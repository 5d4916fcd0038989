// What the tests ask of the operating system, the same on every system:
// fresh scratch folders and running a program with its input, output and
// environment. System.cpp holds one variant for each system.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace zeltest {

// A new empty folder under the system temp folder, named prefix and a
// random tail; throws std::runtime_error when none can be made.
std::filesystem::path MakeScratchFolder(const std::string& prefix);

struct ProgramOutcome {
    int status = -1;  // exit status; -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs program with args in folder, input on its standard input; env holds
// variables to set for it (an empty value unsets one). Output and error go
// through files of folder, removed afterwards.
ProgramOutcome RunProgram(const std::string& program, const std::vector<std::string>& args,
                          const std::filesystem::path& folder, const std::string& input,
                          const std::map<std::string, std::string>& env);

#ifndef _WIN32
// As RunProgram, and sends the program SIGINT once its standard output
// holds marker (SIGKILL when that has not come after 60 seconds).
ProgramOutcome RunProgramInterrupted(const std::string& program, const std::vector<std::string>& args,
                                     const std::filesystem::path& folder, const std::string& input,
                                     const std::map<std::string, std::string>& env, const std::string& marker);

// One step of a person at a terminal: once the terminal shows after (past
// what it showed at the previous step), type keys; with editing, only once
// the program has the terminal key by key as well (a line editor waits for
// them), so that nothing is typed ahead into the terminal's own line mode.
struct TerminalStep {
    std::string after;
    std::string keys;
    bool editing = true;
};

// Runs program on a pseudo-terminal of its own and types the steps; out
// receives everything the terminal showed (echo, output and errors, lines
// ended by CR LF). A step whose text has not come after 60 seconds ends the
// run: the program is killed and the steps left are not typed.
ProgramOutcome RunProgramInTerminal(const std::string& program, const std::vector<std::string>& args,
                                    const std::filesystem::path& folder,
                                    const std::map<std::string, std::string>& env,
                                    const std::vector<TerminalStep>& steps);
#endif

}  // namespace zeltest
