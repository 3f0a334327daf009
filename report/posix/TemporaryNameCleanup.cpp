#include "report/posix/TemporaryNameCleanup.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace vodazi {
namespace {

char temporaryName[PATH_MAX];
volatile sig_atomic_t armed = 0;

// Runs in a signal's context too: only async-signal-safe calls.
extern "C" void Remove() {
    if (armed != 0) ::unlink(temporaryName);
    armed = 0;
}

extern "C" void RemoveAndEnd(int signal) {
    Remove();
    ::signal(signal, SIG_DFL);
    ::raise(signal);  // delivered once this handler returns, ending the program by it
}

// Every signal whose default ends the program and lets it run code first: asked to end,
// aborted (as by abort() or a failed check), a fault, a broken pipe, a limit, a stray timer
// or user signal. SIGTRAP stays a debugger's.
constexpr int EndingSignals[] = {SIGHUP,  SIGINT,    SIGQUIT, SIGILL,  SIGABRT, SIGBUS,  SIGFPE,
                                 SIGUSR1, SIGSEGV,   SIGUSR2, SIGPIPE, SIGALRM, SIGTERM, SIGXCPU,
                                 SIGXFSZ, SIGVTALRM, SIGPROF, SIGIO,   SIGPWR,  SIGSYS};

void InstallOnce() noexcept {
    static bool installed = false;
    if (installed) return;
    installed = true;
    std::atexit(Remove);  // a return from main, exit() anywhere, the toolkit's own exit
    for (const int signal : EndingSignals) {
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
