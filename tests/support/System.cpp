#include "support/System.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <sys/wait.h>

#include <csignal>
#include <unistd.h>
#endif

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>

namespace zeltest {

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

#ifdef _WIN32
// One argument as the C runtime of the child splits its command line.
std::string QuoteArgument(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') backslashes = backslashes * 2 + 1;
        out.append(backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

// The environment block of this process with env applied.
std::vector<char> EnvironmentWith(const std::map<std::string, std::string>& env) {
    std::map<std::string, std::string> vars;
    if (LPCH block = ::GetEnvironmentStringsA(); block != nullptr) {
        for (const char* p = block; *p != '\0'; p += std::char_traits<char>::length(p) + 1) {
            const std::string entry(p);
            const std::size_t eq = entry.find('=', 1);  // "=C:=C:\..." entries start with '='
            if (eq != std::string::npos) vars[entry.substr(0, eq)] = entry.substr(eq + 1);
        }
        ::FreeEnvironmentStringsA(block);
    }
    for (const auto& [name, value] : env) {
        if (value.empty()) {
            vars.erase(name);
        } else {
            vars[name] = value;
        }
    }
    std::vector<char> out;
    for (const auto& [name, value] : vars) {
        const std::string entry = name + "=" + value;
        out.insert(out.end(), entry.begin(), entry.end());
        out.push_back('\0');
    }
    out.push_back('\0');
    return out;
}

HANDLE OpenStandard(const fs::path& path, bool input) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return ::CreateFileW(path.c_str(), input ? GENERIC_READ : GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         &inherit, input ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}
#else
// In a child: moves to folder, applies env and becomes program; exits with
// 126 or 127 when it cannot.
[[noreturn]] void Exec(const std::string& program, const std::vector<std::string>& args, const fs::path& folder,
                       const std::map<std::string, std::string>& env) {
    if (chdir(folder.c_str()) != 0) _exit(126);
    for (const auto& [name, value] : env) {
        if (value.empty()) {
            unsetenv(name.c_str());
        } else {
            setenv(name.c_str(), value.c_str(), 1);
        }
    }
    std::vector<char*> argv;
    std::string name = program;
    argv.push_back(name.data());
    std::vector<std::string> copies = args;
    for (auto& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}
#endif

}  // namespace

fs::path MakeScratchFolder(const std::string& prefix) {
    std::random_device seed;
    std::mt19937_64 random((static_cast<uint64_t>(seed()) << 32) ^ seed());
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path folder = base / (prefix + std::to_string(random() % 1000000000));
        std::error_code error;
        if (fs::create_directory(folder, error)) return folder;
        if (error) break;
    }
    throw std::runtime_error("no scratch folder under " + base.string());
}

namespace {

// marker: with a text, SIGINT goes to the program once its output holds it
// (POSIX only).
ProgramOutcome Run(const std::string& program, const std::vector<std::string>& args, const fs::path& folder,
                   const std::string& input, const std::map<std::string, std::string>& env,
                   [[maybe_unused]] const std::string& marker) {
    ProgramOutcome outcome;
    const fs::path in = folder / ".stdin", out = folder / ".stdout", err = folder / ".stderr";
    std::ofstream(in, std::ios::binary) << input;
#ifdef _WIN32
    std::string command = QuoteArgument(program);
    for (const std::string& arg : args) {
        command += ' ';
        command += QuoteArgument(arg);
    }
    std::vector<char> commandLine(command.begin(), command.end());
    commandLine.push_back('\0');
    std::vector<char> environment = EnvironmentWith(env);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = OpenStandard(in, true);
    startup.hStdOutput = OpenStandard(out, false);
    startup.hStdError = OpenStandard(err, false);
    PROCESS_INFORMATION process{};
    const std::string workDir = folder.string();
    const bool started = startup.hStdInput != INVALID_HANDLE_VALUE && startup.hStdOutput != INVALID_HANDLE_VALUE &&
                         startup.hStdError != INVALID_HANDLE_VALUE &&
                         ::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, environment.data(),
                                          workDir.c_str(), &startup, &process);
    for (HANDLE h : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
        if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    }
    if (started) {
        ::WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        if (::GetExitCodeProcess(process.hProcess, &code)) outcome.status = static_cast<int>(code);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
#else
    const pid_t child = fork();
    if (child == 0) {
        const int fdIn = open(in.c_str(), O_RDONLY);
        const int fdOut = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int fdErr = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fdIn < 0 || fdOut < 0 || fdErr < 0) _exit(126);
        dup2(fdIn, 0);
        dup2(fdOut, 1);
        dup2(fdErr, 2);
        Exec(program, args, folder, env);
    }
    int wstatus = 0;
    bool waited = false;
    if (child > 0 && !marker.empty()) {
        // Polls the output file and the program, which may end by itself
        // first; one that does not end in time is killed.
        bool sent = false;
        for (int tick = 0; tick < 6000 && !waited; ++tick) {
            waited = waitpid(child, &wstatus, WNOHANG) == child;
            if (!waited && !sent && Slurp(out).find(marker) != std::string::npos) {
                sent = kill(child, SIGINT) == 0;
            }
            if (!waited) usleep(10000);
        }
        if (!waited) kill(child, SIGKILL);
    }
    if (child > 0 && (waited || waitpid(child, &wstatus, 0) == child) && WIFEXITED(wstatus)) {
        outcome.status = WEXITSTATUS(wstatus);
    }
#endif
    outcome.out = Slurp(out);
    outcome.err = Slurp(err);
    std::error_code ignored;
    fs::remove(in, ignored);
    fs::remove(out, ignored);
    fs::remove(err, ignored);
    return outcome;
}

}  // namespace

ProgramOutcome RunProgram(const std::string& program, const std::vector<std::string>& args, const fs::path& folder,
                          const std::string& input, const std::map<std::string, std::string>& env) {
    return Run(program, args, folder, input, env, "");
}

#ifndef _WIN32
ProgramOutcome RunProgramInTerminal(const std::string& program, const std::vector<std::string>& args,
                                    const fs::path& folder, const std::map<std::string, std::string>& env,
                                    const std::vector<TerminalStep>& steps) {
    ProgramOutcome outcome;
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) {
        Exec(program, args, folder, env);
    }
    if (child < 0) return outcome;
    std::size_t step = 0;
    std::size_t seen = 0;  // where the text of the next step is looked for
    bool killed = false;
    for (int tick = 0; tick < 6000;) {
        pollfd ready{terminal, POLLIN, 0};
        if (poll(&ready, 1, 10) > 0) {
            char buffer[4096];
            const ssize_t n = read(terminal, buffer, sizeof buffer);
            if (n <= 0) break;  // the program closed the terminal: it ended
            outcome.out.append(buffer, static_cast<std::size_t>(n));
        }
        ++tick;
        if (step < steps.size()) {
            const std::size_t at = outcome.out.find(steps[step].after, seen);
            termios mode{};
            const bool keyByKey = tcgetattr(terminal, &mode) == 0 && (mode.c_lflag & ICANON) == 0;
            if (at != std::string::npos && (keyByKey || !steps[step].editing)) {
                seen = at + steps[step].after.size();
                const std::string& keys = steps[step].keys;
                if (write(terminal, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size())) break;
                ++step;
                tick = 0;
            }
        }
    }
    int wstatus = 0;
    bool ended = false;
    for (int wait = 0; wait < 500 && !ended; ++wait) {
        ended = waitpid(child, &wstatus, WNOHANG) == child;
        if (!ended) usleep(10000);
    }
    if (!ended) {
        kill(child, SIGKILL);
        killed = true;
        waitpid(child, &wstatus, 0);
    }
    close(terminal);
    if (!killed && WIFEXITED(wstatus)) outcome.status = WEXITSTATUS(wstatus);
    return outcome;
}

ProgramOutcome RunProgramInterrupted(const std::string& program, const std::vector<std::string>& args,
                                     const fs::path& folder, const std::string& input,
                                     const std::map<std::string, std::string>& env, const std::string& marker) {
    return Run(program, args, folder, input, env, marker);
}
#endif

}  // namespace zeltest
