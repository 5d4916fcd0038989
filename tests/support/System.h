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

}  // namespace zeltest
