#include "firmware/upgrade_panel.h"

#include <algorithm>
#include <filesystem>

#include "firmware/firmware_upgrade.h"
#include "firmware/upgrade_session.h"
#include "firmware/upgrade_view.h"
#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "panel/serial_monitor.h"
#include "runtime/settings.h"
#include "runtime/userint.h"

namespace {

constexpr int kPathSize = 300;
constexpr const char* kLastFolderKey = "firmware/lastFolder";

// The button about to be dimmed hands the keyboard focus, when it has it, to the one
// about to be usable: "Upgrade firmware..." to Cancel, and back when the upgrade ends.
// (Left to itself, the focus would move on to the next control in the tab order.)
void dimUpgradeButtons(int upgrading) {
    const int dimmed = upgrading ? PANEL_UPGRADE_FIRMWARE : PANEL_CANCEL_UPGRADE;
    const int usable = upgrading ? PANEL_CANCEL_UPGRADE : PANEL_UPGRADE_FIRMWARE;
    SetCtrlAttribute(g_hmainPanel, usable, ATTR_DIMMED, 0);
    if (GetActiveCtrl(g_hmainPanel) == dimmed) SetActiveCtrl(g_hmainPanel, usable);
    SetCtrlAttribute(g_hmainPanel, dimmed, ATTR_DIMMED, 1);
}

void showProgress(int sent, int records) {
    // An empty range would turn the bar into a busy indicator.
    SetCtrlAttribute(g_hmainPanel, PANEL_UPGRADE_PROGRESS, ATTR_MAX_VALUE, std::max(records, 1));
    SetCtrlVal(g_hmainPanel, PANEL_UPGRADE_PROGRESS, sent);
}

const UpgradeView kPanelView = {dimUpgradeButtons, showProgress};

// A file without an end-of-file record is most often one cut short, and flashing part of a
// firmware leaves a board that only its bootloader can bring back. Returns 1 to send it.
int incompleteFileConfirmed() {
    return ConfirmPopup("Warning message",
                        "PICFirmwareUpgrade: the file has no end-of-file record, so it may have "
                        "been cut short, and the board would be left with part of a firmware.\n"
                        "Send it anyway?");
}

}  // namespace

void InstallUpgradePanel(void) {
    SetUpgradeView(&kPanelView);
}

int Upgrade_firmware_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;

    char path[kPathSize] = "";
    char lastFolder[kPathSize] = "";
    LoadSetting(kLastFolderKey, lastFolder, sizeof lastFolder);
    if (FileSelectPopup(lastFolder, "*.hex", "*.hex;", "Load HEX file", VAL_OK_BUTTON, 0, 0, 1, 0,
                        path) < 1) {
        LogToWindow("Firmware upgrade: no file chosen");
        MessagePopup("Error", "PICFirmwareUpgrade: no file selected!");
        return -1;
    }
    // Remembering is a convenience: a settings file that cannot be written
    // must not stop the upgrade.
    SaveSetting(kLastFolderKey, std::filesystem::path(path).parent_path().c_str());
    int port = 0;
    GetCtrlVal(g_hmainPanel, PANEL_COM_PORT, &port);
    const UpgradeOutcome outcome = UpgradeFirmwareFile(path, port, incompleteFileConfirmed);
    if (outcome.popupTitle) MessagePopup(outcome.popupTitle, outcome.popupText.c_str());
    return outcome.error == UpgradeError::FileRefused || outcome.error == UpgradeError::Busy ? -1
                                                                                             : 0;
}

int Cancel_upgrade_cb(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) CancelFirmwareUpgrade();
    return 0;
}
