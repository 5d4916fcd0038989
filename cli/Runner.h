// The command line of the runner: options, the script or standard input,
// where the module is, and the exit status.
#ifndef ZEL_CLI_RUNNER_H
#define ZEL_CLI_RUNNER_H

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace zelcli {

class Session;

// Exit statuses besides 0 and those of exit statements.
inline constexpr int kExitFailedCall = 1;
inline constexpr int kExitBadScript = 2;

// The usage text of --help.
std::string Usage();

// Runs the lines of in, named name in messages ("demo.zel:3"). On a
// terminal (interactive) it writes the prompt to prompt before each line,
// and nothing but exit or the end of input ends the session. Otherwise a
// line that does not parse ends the run with 2, and a failure under
// "onerror stop" with 1. Answers the exit status.
int RunLines(Session& session, std::istream& in, const std::string& name, bool interactive, std::ostream& prompt);

// The module's file name (libzel.so, ZEL.dll), and where an installed zel
// finds the installed module, relative to its own folder.
inline constexpr const char* kModuleFileName = ZEL_MODULE_FILE_NAME;
inline constexpr const char* kInstalledModule = ZEL_INSTALLED_MODULE;

// The module to load: envPath ($ZEL_MODULE) when it is not empty, else the
// first file of: kInstalledModule beside the executable exePath, buildPath,
// ../lib/kModuleFileName beside the executable. Empty when none is found;
// tried then lists the places looked at.
std::string FindModule(const std::string& envPath, const std::string& buildPath, const std::string& exePath,
                       std::string& tried);

// The whole program: args without the program name.
int Main(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err,
         bool stdinIsTerminal);

}  // namespace zelcli

#endif  // ZEL_CLI_RUNNER_H
