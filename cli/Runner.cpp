#include "Runner.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "Host.h"
#include "Interrupt.h"
#include "LineEditor.h"
#include "Parser.h"
#include "LineSource.h"
#include "Program.h"
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

std::vector<std::string> CompletionWords(tavrel::Host& host) {
    std::vector<std::string> words;
    for (std::string_view word : ReservedWords()) words.emplace_back(word);
    host.ClearLines();
    host.List(nullptr);
    // Listing lines: "NAME\tvalue", "NAME$\t\"text\"", "NAME()" and, for
    // sub-properties, "  METHOD.NAME\tvalue".
    for (const std::string& line : host.lines()) {
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos) continue;
        const std::size_t end = line.find_first_of("\t($", start);
        std::string name = "zel." + line.substr(start, end == std::string::npos ? std::string::npos : end - start);
        for (char& c : name) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        words.push_back(std::move(name));
    }
    host.ClearLines();
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    return words;
}

std::string Usage() {
    return "usage: zel [SCRIPT.zel]\n"
           "       zel --help\n"
           "       zel --version\n"
           "\n"
           "Runs a script of ZEL statements, one per line; the whole script is parsed\n"
           "before anything runs. Without a script (or with -) it reads statements from\n"
           "standard input, with the prompt \"zel> \" when that is a terminal (\"...> \"\n"
           "while a loop or an if is still open). Ctrl-C stops a running script, or at\n"
           "the prompt what is running.\n"
           "\n"
           "The module " + std::string(kModuleFileName) + " comes from $ZEL_MODULE when it is set, else\n"
           "from " + kInstalledModule + " beside this zel (where it is installed),\n"
           "else from the build that made this zel, else from ../lib/ beside it.\n"
           "\n"
           "Exit status: 0 when the script ran to its end; 1 when a call failed under\n"
           "\"onerror stop\"; 2 for a line that does not parse, a script that cannot be\n"
           "read or a module that cannot be loaded; 130 after Ctrl-C; N for \"exit N\".\n"
           "\n" +
           StatementHelp();
}

namespace {

int RunScript(Session& session, LineSource& source, const std::string& name) {
    ProgramBuilder builder;
    long number = 0;
    while (std::optional<std::string> line = source.ReadLine("")) {
        if (!builder.Add(*line, ++number)) {
            session.ReportParseError(name, builder.error());
            return kExitBadScript;
        }
    }
    if (!builder.Finish()) {
        session.ReportParseError(name, builder.error());
        return kExitBadScript;
    }
    switch (session.Run(builder.Take(), name)) {
        case LineStatus::Done: return 0;
        case LineStatus::Exit: return session.exitStatus();
        case LineStatus::Interrupted: ClearInterrupt(); return kExitInterrupted;
        case LineStatus::Failed: return kExitFailedCall;
        case LineStatus::ParseFailed: break;
    }
    return kExitBadScript;
}

int RunPrompt(Session& session, LineSource& source, const std::string& name) {
    ProgramBuilder builder;
    long number = 0;
    for (;;) {
        std::optional<std::string> line = source.ReadLine(builder.complete() ? kPrompt : kContinuationPrompt);
        if (InterruptRequested()) {
            // Ctrl-C while a block was being typed: the block goes.
            ClearInterrupt();
            if (!builder.complete()) {
                builder.Take();
                session.Notice(name, "interrupted: the open block was discarded");
            }
        }
        if (!line) break;
        if (!builder.Add(*line, ++number)) {
            session.ReportParseError(name, builder.error());
            continue;
        }
        if (!builder.complete()) continue;
        const LineStatus status = session.Run(builder.Take(), name);
        if (status == LineStatus::Exit) return session.exitStatus();
        if (status == LineStatus::Interrupted) ClearInterrupt();
    }
    if (!builder.Finish()) session.ReportParseError(name, builder.error());
    return 0;
}

}  // namespace

int RunLines(Session& session, LineSource& source, const std::string& name, bool interactive) {
    return interactive ? RunPrompt(session, source, name) : RunScript(session, source, name);
}

int RunLines(Session& session, std::istream& in, const std::string& name, bool interactive,
             std::ostream& prompt) {
    StreamLineSource source(in, interactive ? &prompt : nullptr);
    return RunLines(session, source, name, interactive);
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

    // Tab completes the statements and ZEL's members, as the module lists
    // them (before the session prints what the module prints).
    std::vector<std::string> words;
    if (fromStdin && stdinIsTerminal) words = CompletionWords(*host);
    Session session(*host, out, err);
    const InterruptGuard interrupt;
    if (fromStdin && stdinIsTerminal) {
        std::unique_ptr<LineSource> prompt = MakePromptSource(in, out, std::move(words));
        return RunLines(session, *prompt, "stdin", true);
    }
    if (fromStdin) return RunLines(session, in, "stdin", false, out);
    const int status = RunLines(session, file, script, false, out);
    if (file.bad()) {
        err << "zel: cannot read " << script << ": read error\n";
        return kExitBadScript;
    }
    return status;
}

}  // namespace zelcli
