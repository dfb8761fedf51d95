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

// The button about to be dimmed hands the keyboard focus, when it has it, to the one
// about to be usable: "Upgrade firmware..." to Cancel, and back when the upgrade ends.
// (Left to itself, the focus would move on to the next control in the tab order.)
void dimUpgradeButtons(bool upgrading) {
    const int dimmed = upgrading ? PANEL_UPGRADE_FIRMWARE : PANEL_CANCEL_UPGRADE;
    const int usable = upgrading ? PANEL_CANCEL_UPGRADE : PANEL_UPGRADE_FIRMWARE;
    SetCtrlAttribute(g_hmainPanel, usable, ATTR_DIMMED, 0);
    if (GetActiveCtrl(g_hmainPanel) == dimmed) SetActiveCtrl(g_hmainPanel, usable);
    SetCtrlAttribute(g_hmainPanel, dimmed, ATTR_DIMMED, 1);
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
