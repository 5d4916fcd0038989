// The command line of the runner: options, the script or standard input,
// where the module is, and the exit status.
#ifndef ZEL_CLI_RUNNER_H
#define ZEL_CLI_RUNNER_H

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace tavrel {
class Host;
}

namespace zelcli {

class Session;

class LineSource;

// Exit statuses besides 0 and those of exit statements.
inline constexpr int kExitFailedCall = 1;
inline constexpr int kExitBadScript = 2;
inline constexpr int kExitInterrupted = 130;  // 128 + SIGINT, as shells report it

// The prompt, and the prompt while a block is still open.
inline constexpr const char* kPrompt = "zel> ";
inline constexpr const char* kContinuationPrompt = "...> ";

// What Tab completes at the prompt: the statement keywords and "zel." with
// each member name the module lists, in lower case.
std::vector<std::string> CompletionWords(tavrel::Host& host);

// The usage text of --help.
std::string Usage();

// Runs the lines of source, named name in messages ("demo.zel:3").
// Not interactive, the input is a script: it is parsed whole first, and a
// line that does not parse (or a block left open) ends the run with 2
// before anything runs; a failure under "onerror stop" ends it with 1 and
// Ctrl-C with 130. Interactive (a terminal), each statement or whole block
// runs as soon as it is complete; a line that does not parse discards the
// block it is in, Ctrl-C ends what runs, and nothing but exit or the end
// of input ends the session. Answers the exit status.
int RunLines(Session& session, LineSource& source, const std::string& name, bool interactive);
// The same over the lines of in; interactive, the prompts go to prompt.
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
