// Ctrl-C: a handler that only sets a flag, which the runner looks at
// between statements and between the rounds of a loop.
#ifndef ZEL_CLI_INTERRUPT_H
#define ZEL_CLI_INTERRUPT_H

namespace zelcli {

// Whether Ctrl-C came since the flag was last cleared.
bool InterruptRequested() noexcept;
void ClearInterrupt() noexcept;
// What the handler does; for a caller that stands in for the signal.
void RequestInterrupt() noexcept;

// Catches SIGINT for its lifetime (the flag starts cleared) and puts the
// handler that was there before back afterwards.
class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;
};

}  // namespace zelcli

#endif  // ZEL_CLI_INTERRUPT_H
