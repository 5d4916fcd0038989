#include "Runner.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>
#include <vector>

#include "Host.h"
#include "Session.h"

namespace zelcli {

namespace fs = std::filesystem;

namespace {

bool IsFile(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::is_regular_file(path, error);
}

std::string ExecutablePath() {
    std::error_code error;
    fs::path path = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

}  // namespace

std::string Usage() {
    return "usage: zel [SCRIPT.zel]\n"
           "       zel --help\n"
           "       zel --version\n"
           "\n"
           "Runs a script of ZEL statements, one per line. Without a script (or with -)\n"
           "it reads statements from standard input, with the prompt \"zel> \" when that\n"
           "is a terminal.\n"
           "\n"
           "The module " + std::string(kModuleFileName) + " comes from $ZEL_MODULE when it is set, else\n"
           "from " + kInstalledModule + " beside this zel (where it is installed),\n"
           "else from the build that made this zel, else from ../lib/ beside it.\n"
           "\n"
           "Exit status: 0 when the script ran to its end; 1 when a call failed under\n"
           "\"onerror stop\"; 2 for a line that does not parse, a script that cannot be\n"
           "read or a module that cannot be loaded; N for \"exit N\".\n"
           "\n" +
           StatementHelp();
}

int RunLines(Session& session, std::istream& in, const std::string& name, bool interactive,
             std::ostream& prompt) {
    std::string line;
    for (long number = 1;; ++number) {
        if (interactive) prompt << "zel> " << std::flush;
        if (!std::getline(in, line)) break;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const LineStatus status = session.RunLine(line, name + ":" + std::to_string(number));
        switch (status) {
            case LineStatus::Done: break;
            case LineStatus::ParseFailed:
                if (!interactive) return kExitBadScript;
                break;
            case LineStatus::Failed:
                if (!interactive && session.stopOnError()) return kExitFailedCall;
                break;
            case LineStatus::Exit: return session.exitStatus();
        }
    }
    if (interactive) prompt << '\n' << std::flush;
    return 0;
}

std::string FindModule(const std::string& envPath, const std::string& buildPath, const std::string& exePath,
                       std::string& tried) {
    tried.clear();
    if (!envPath.empty()) return envPath;
    const fs::path folder = fs::path(exePath).parent_path();
    std::vector<std::string> places;
    if (!exePath.empty()) places.push_back((folder / kInstalledModule).lexically_normal().string());
    places.push_back(buildPath);
    if (!exePath.empty()) places.push_back((folder / ".." / "lib" / kModuleFileName).lexically_normal().string());
    tried = "$ZEL_MODULE is not set";
    for (const std::string& place : places) {
        if (IsFile(place)) {
            tried.clear();
            return place;
        }
        if (!place.empty()) tried += ", " + place + " does not exist";
    }
    return {};
}

int Main(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err,
         bool stdinIsTerminal) {
    if (args.size() > 1) {
        err << "zel: too many arguments (one script at most)\n" << Usage();
        return kExitBadScript;
    }
    const std::string script = args.empty() ? "-" : args[0];
    if (script == "--help" || script == "-h") {
        out << Usage();
        return 0;
    }
    if (script == "--version") {
        out << "zel " << ZEL_VERSION << '\n';
        return 0;
    }
    if (script.size() > 1 && script[0] == '-') {
        err << "zel: unknown option " << script << "\n" << Usage();
        return kExitBadScript;
    }

    std::ifstream file;
    const bool fromStdin = script == "-";
    if (!fromStdin) {
        std::error_code error;
        if (fs::is_directory(script, error)) {
            err << "zel: cannot read " << script << ": it is a folder\n";
            return kExitBadScript;
        }
        file.open(script, std::ios::binary);
        if (!file) {
            err << "zel: cannot read " << script << ": " << std::strerror(errno) << '\n';
            return kExitBadScript;
        }
    }

    const char* env = std::getenv("ZEL_MODULE");
    std::string tried;
    const std::string modulePath =
        FindModule(env != nullptr ? env : "", tavrel::Host::DefaultModulePath(), ExecutablePath(), tried);
    if (modulePath.empty()) {
        err << "zel: cannot find the module " << kModuleFileName << ": " << tried << '\n';
        return kExitBadScript;
    }
    std::unique_ptr<tavrel::Host> host;
    try {
        host = std::make_unique<tavrel::Host>(modulePath);
    } catch (const std::exception& error) {
        err << "zel: cannot load the module " << modulePath << ": " << error.what() << '\n';
        return kExitBadScript;
    }

    Session session(*host, out, err);
    if (fromStdin) return RunLines(session, in, "stdin", stdinIsTerminal, out);
    const int status = RunLines(session, file, script, false, out);
    if (file.bad()) {
        err << "zel: cannot read " << script << ": read error\n";
        return kExitBadScript;
    }
    return status;
}

}  // namespace zelcli
