#include "cli/signals.h"

#include <unistd.h>

#include <csignal>
#include <cstdlib>

#include "cli/options.h"
#include "link/deadline.h"

namespace cli {
namespace {

struct StopSignalName {
    int signal;
    const char* name;
};
const StopSignalName kStopSignals[] = {
    {SIGINT, "SIGINT"},
    {SIGTERM, "SIGTERM"},
    {SIGHUP, "SIGHUP"},
};

volatile std::sig_atomic_t g_signal = 0;

void onStopSignal(int signal) {
    if (g_signal == 0) g_signal = signal;
    InterruptLinkWaits();
}

}  // namespace

void CatchStopSignals() {
    struct sigaction stop = {};
    stop.sa_handler = onStopSignal;
    sigemptyset(&stop.sa_mask);
    // No SA_RESTART: a read of standard input must return to see the signal.
    stop.sa_flags = 0;
    for (const StopSignalName& s : kStopSignals) sigaction(s.signal, &stop, nullptr);
}

void IgnoreBrokenPipes() {
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
}

int StopSignal() {
    return g_signal;
}

const char* SignalName(int signal) {
    for (const StopSignalName& s : kStopSignals)
        if (s.signal == signal) return s.name;
    return "a signal";
}

void EndBySignal(int signal) {
    struct sigaction fallBack = {};
    fallBack.sa_handler = SIG_DFL;
    sigemptyset(&fallBack.sa_mask);
    sigaction(signal, &fallBack, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    std::raise(signal);
    // A signal whose default is not to end the program still must.
    _exit(EXIT_SIGNAL_BASE + signal);
}

}  // namespace cli
