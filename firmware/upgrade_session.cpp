#include "firmware/upgrade_session.h"

#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "runtime/userint.h"

namespace {

struct UpgradeSession {
    bool running = false;
    bool cancelRequested = false;
};
UpgradeSession g_session;

void dimUpgradeButtons(bool upgrading) {
    SetCtrlAttribute(g_hmainPanel, PANEL_UPGRADE_FIRMWARE, ATTR_DIMMED, upgrading ? 1 : 0);
    SetCtrlAttribute(g_hmainPanel, PANEL_CANCEL_UPGRADE, ATTR_DIMMED, upgrading ? 0 : 1);
}

}  // namespace

void BeginUpgradeSession(void) {
    g_session = UpgradeSession{true, false};
    dimUpgradeButtons(true);
}

void EndUpgradeSession(void) {
    g_session = UpgradeSession{};
    dimUpgradeButtons(false);
}

void CancelFirmwareUpgrade(void) {
    if (g_session.running) g_session.cancelRequested = true;
}

int UpgradeCancelRequested(void) {
    return g_session.cancelRequested ? 1 : 0;
}

int Cancel_upgrade_cb(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) CancelFirmwareUpgrade();
    return 0;
}
