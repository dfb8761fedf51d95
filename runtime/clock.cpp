#include "runtime/clock.h"

#include <chrono>
#include <thread>

namespace {

EventPump g_pump = nullptr;

const std::chrono::steady_clock::time_point& programStart() {
    static const auto start = std::chrono::steady_clock::now();
    return start;
}

// Taken before main, so that Timer counts from the start of the program, not its first call.
const auto& g_startTaken = programStart();

}  // namespace

int ProcessSystemEvents(void) {
    if (g_pump) g_pump();
    return 0;
}

void Delay(double seconds) {
    if (seconds > 0)
        std::this_thread::sleep_for(
            std::chrono::microseconds(static_cast<long long>(seconds * 1e6)));
}

double Timer(void) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - programStart()).count();
}

void SetEventPump(EventPump pump) {
    g_pump = pump;
}
