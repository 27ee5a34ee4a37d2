#include "cli/interrupt_guard.h"

#include <atomic>

namespace kerfel {
namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int) { g_interrupted = true; }

}  // namespace

InterruptGuard::InterruptGuard() {
    g_interrupted = false;
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, &m_oldInt);
    sigaction(SIGTERM, &sa, &m_oldTerm);
}

InterruptGuard::~InterruptGuard() {
    sigaction(SIGINT, &m_oldInt, nullptr);
    sigaction(SIGTERM, &m_oldTerm, nullptr);
}

bool InterruptGuard::Interrupted() { return g_interrupted.load(); }

}  // namespace kerfel
