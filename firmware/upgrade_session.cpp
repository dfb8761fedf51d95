#include "firmware/upgrade_session.h"

#include "firmware/upgrade_view.h"
#include "link/deadline.h"

namespace {

struct UpgradeSession {
    bool running = false;
    bool cancelRequested = false;
};
UpgradeSession g_session;
const UpgradeView* g_view = nullptr;

void showSession(bool running) {
    if (g_view && g_view->session) g_view->session(running ? 1 : 0);
}

}  // namespace

void BeginUpgradeSession(void) {
    g_session = UpgradeSession{true, false};
    showSession(true);
}

void EndUpgradeSession(void) {
    g_session = UpgradeSession{};
    showSession(false);
}

void CancelFirmwareUpgrade(void) {
    if (g_session.running) g_session.cancelRequested = true;
}

int UpgradeCancelRequested(void) {
    return g_session.cancelRequested || LinkWaitsInterrupted() ? 1 : 0;
}

void SetUpgradeView(const UpgradeView* view) {
    g_view = view;
}

const UpgradeView* CurrentUpgradeView(void) {
    return g_view;
}
