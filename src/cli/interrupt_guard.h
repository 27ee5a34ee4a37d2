#pragma once
// Ctrl-C (and a polite kill) while a command runs: instead of ending the
// process mid-write, they set a flag the job checks between tiles or chunks.
#include <signal.h>

namespace kerfel {

class InterruptGuard {
public:
    // Clears the flag and catches SIGINT and SIGTERM until destroyed.
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    // Whether a signal came since the guard was made.
    static bool Interrupted();

private:
    struct sigaction m_oldInt {}, m_oldTerm {};
};

}  // namespace kerfel
