#include "link/deadline.h"

#include <algorithm>
#include <cmath>
#include <csignal>

#include "runtime/clock.h"

namespace {
volatile std::sig_atomic_t g_interrupted = 0;
}  // namespace

Deadline DeadlineAfter(double seconds) {
    const double now = Timer();
    return {std::isfinite(seconds) && seconds > 0 ? now + seconds : now};
}

int DeadlinePassed(const Deadline& deadline) {
    return Timer() >= deadline.at ? 1 : 0;
}

double SecondsLeft(const Deadline& deadline) {
    return std::max(deadline.at - Timer(), 0.0);
}

void InterruptLinkWaits(void) {
    g_interrupted = 1;
}

void ClearLinkInterrupt(void) {
    g_interrupted = 0;
}

int LinkWaitsInterrupted(void) {
    return g_interrupted != 0 ? 1 : 0;
}
