#include "link/link_view.h"

namespace {
constexpr double kDefaultIntervalSeconds = 0.25;
const LinkView* g_view = nullptr;
double g_interval = kDefaultIntervalSeconds;
}  // namespace

void SetLinkView(const LinkView* view) {
    g_view = view;
}

const LinkView* CurrentLinkView(void) {
    return g_view;
}

double LinkTimerInterval(void) {
    if (g_view && g_view->timerInterval) {
        const double interval = g_view->timerInterval();
        if (interval > 0) return interval;
    }
    return g_interval;
}

void RestartLinkTimer(double intervalSeconds) {
    g_interval = intervalSeconds;
    if (g_view && g_view->restartTimer) g_view->restartTimer(intervalSeconds);
}
