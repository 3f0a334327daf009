#include "report/TemporaryNameCleanup.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace vodazi {
namespace {

char temporaryName[PATH_MAX];
volatile sig_atomic_t armed = 0;

// Runs in the signal's context: only async-signal-safe calls.
extern "C" void RemoveAndEnd(int signal) {
    if (armed != 0) ::unlink(temporaryName);
    ::signal(signal, SIG_DFL);
    ::raise(signal);  // delivered once this handler returns, ending the program by it
}

void InstallOnce() noexcept {
    static bool installed = false;
    if (installed) return;
    installed = true;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
        struct sigaction action {};
        action.sa_handler = RemoveAndEnd;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace

void RemoveOnTermination(const char* path) noexcept {
    InstallOnce();
    armed = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    std::strncpy(temporaryName, path, sizeof temporaryName - 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    armed = 1;
}

void KeepOnTermination() noexcept {
    armed = 0;
}

}  // namespace vodazi
