#include "Interrupt.h"

#include <csignal>

#ifndef _WIN32
#include <signal.h>
#endif

namespace zelcli {

namespace {

volatile std::sig_atomic_t interrupted = 0;

#ifdef _WIN32
using PreviousHandler = void (*)(int);
PreviousHandler previous = SIG_DFL;
#else
struct sigaction previous {};
#endif

void OnInterrupt(int) {
    interrupted = 1;
#ifdef _WIN32
    // The C runtime of Windows puts the default back before it calls a
    // handler: take the next Ctrl-C too.
    std::signal(SIGINT, OnInterrupt);
#endif
}

}  // namespace

bool InterruptRequested() noexcept { return interrupted != 0; }
void ClearInterrupt() noexcept { interrupted = 0; }
void RequestInterrupt() noexcept { interrupted = 1; }

InterruptGuard::InterruptGuard() {
    interrupted = 0;
#ifdef _WIN32
    previous = std::signal(SIGINT, OnInterrupt);
#else
    // SA_RESTART: a read of the prompt goes on after Ctrl-C instead of
    // failing as if the input had ended.
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &previous);
#endif
}

InterruptGuard::~InterruptGuard() {
#ifdef _WIN32
    std::signal(SIGINT, previous == SIG_ERR ? SIG_DFL : previous);
#else
    sigaction(SIGINT, &previous, nullptr);
#endif
    interrupted = 0;
}

}  // namespace zelcli
