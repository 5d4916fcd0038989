#include "LineEditor.h"

#include <cstdlib>
#include <utility>

#if ZEL_HAVE_LIBEDIT
#include <editline/readline.h>

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Interrupt.h"
#endif

namespace zelcli {

std::string HistoryPath() {
    if (const char* path = std::getenv("ZEL_HISTORY")) return path;
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') return {};
    return std::string(home) + "/.zel_history";
}

#if ZEL_HAVE_LIBEDIT

namespace {

// Lines the history keeps, in memory and in its file.
constexpr int kHistoryLines = 1000;

// The words Tab completes; libedit's completion callbacks take no context.
std::vector<std::string>& CompletionWords() {
    static std::vector<std::string> words;
    return words;
}

// Hands libedit the words that start with text (case ignored), one a call,
// each in a buffer of its own that libedit frees.
char* NextWord(const char* text, int state) {
    static std::size_t next = 0;
    if (state == 0) next = 0;
    const std::size_t length = std::strlen(text);
    const std::vector<std::string>& words = CompletionWords();
    while (next < words.size()) {
        const std::string& word = words[next++];
        if (word.size() >= length && strncasecmp(word.c_str(), text, length) == 0) return strdup(word.c_str());
    }
    return nullptr;
}

// Reads the keys for libedit: a key, or -1 (the end) at the end of the input
// and when Ctrl-C came. The wait for a key wakes at a signal and at least
// every tenth of a second, so that Ctrl-C never waits behind a read.
int ReadKey(FILE*) {
    constexpr int kWakeMilliseconds = 100;
    for (;;) {
        if (InterruptRequested()) return -1;
        pollfd ready{STDIN_FILENO, POLLIN, 0};
        const int events = poll(&ready, 1, kWakeMilliseconds);
        if (events < 0 && errno != EINTR) return -1;
        if (events <= 0) continue;
        unsigned char key = 0;
        const ssize_t n = read(STDIN_FILENO, &key, 1);
        if (n == 1) return key;
        if (n == 0 || errno != EINTR) return -1;
    }
}

char** Complete(const char* text, int, int) {
    // Only the words: no file names when none fits.
    rl_attempted_completion_over = 1;
    return rl_completion_matches(text, NextWord);
}

class EditLineSource final : public LineSource {
public:
    explicit EditLineSource(std::vector<std::string> words) : history_(HistoryPath()) {
        CompletionWords() = std::move(words);
        rl_readline_name = "zel";
        // Ctrl-C is the runner's: libedit installs no handlers of its own,
        // and its keys come through ReadKey.
        rl_catch_signals = 0;
        rl_getc_function = ReadKey;
        rl_attempted_completion_function = Complete;
        using_history();
        stifle_history(kHistoryLines);
        if (!history_.empty()) read_history(history_.c_str());
    }
    ~EditLineSource() override {
        if (!history_.empty()) {
            write_history(history_.c_str());
            history_truncate_file(history_.c_str(), kHistoryLines);
        }
        clear_history();
        CompletionWords().clear();
    }
    EditLineSource(const EditLineSource&) = delete;
    EditLineSource& operator=(const EditLineSource&) = delete;

    std::optional<std::string> ReadLine(const std::string& prompt) override {
        char* text = readline(prompt.c_str());
        const bool ended = text == nullptr;
        std::string line(ended ? "" : text);
        std::free(text);
        // Ctrl-C ends the line being typed, not the session: the runner sees
        // the interrupt and an empty line.
        if (InterruptRequested()) {
            std::fputs("\n", stdout);
            std::fflush(stdout);
            return std::string();
        }
        if (ended) return std::nullopt;
        if (line.find_first_not_of(" \t") != std::string::npos) add_history(line.c_str());
        return line;
    }

private:
    std::string history_;
};

}  // namespace

bool HasLineEditing() { return true; }

std::unique_ptr<LineSource> MakePromptSource(std::istream&, std::ostream&, std::vector<std::string> words) {
    return std::make_unique<EditLineSource>(std::move(words));
}

#else

bool HasLineEditing() { return false; }

std::unique_ptr<LineSource> MakePromptSource(std::istream& in, std::ostream& prompt, std::vector<std::string>) {
    return std::make_unique<StreamLineSource>(in, &prompt);
}

#endif

}  // namespace zelcli
