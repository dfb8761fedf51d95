#include "app/shell.h"

#include <cstdio>

#include "app/console_text.h"
#include "firmware/upgrade_panel.h"
#include "firmware/upgrade_session.h"
#include "link/connection_panel.h"
#include "link/serial_link.h"
#include "panel/Tarviktest.h"
#include "panel/serial_monitor.h"
#include "panel/serial_monitor_panel.h"
#include "runtime/cvirte.h"
#include "runtime/userint.h"
#include "tarvik_version.h"

namespace {

constexpr int kAdcRowGap = 8;
constexpr int kDacRowGap = 7;

// Adds channels 2..16 below a channel-1 row: a voltage-1 box, a "Channel k"
// label and a voltage-2 box per row, the boxes joining the tab order right
// after the channel-1 voltage-2 box.
void CreateChannelRows(int volt1Box, int volt2Box, int channel1Label, int rowGap, int* volt1Ids,
                       int* volt2Ids) {
    int height = 0, top = 0, left1 = 0, left2 = 0, tabPosition = 0, labelLeft = 0;
    volt1Ids[0] = volt1Box;
    volt2Ids[0] = volt2Box;
    GetCtrlAttribute(g_hmainPanel, volt1Box, ATTR_HEIGHT, &height);
    GetCtrlAttribute(g_hmainPanel, volt1Box, ATTR_TOP, &top);
    GetCtrlAttribute(g_hmainPanel, volt1Box, ATTR_LEFT, &left1);
    GetCtrlAttribute(g_hmainPanel, volt2Box, ATTR_LEFT, &left2);
    GetCtrlAttribute(g_hmainPanel, volt2Box, ATTR_CTRL_TAB_POSITION, &tabPosition);
    GetCtrlAttribute(g_hmainPanel, channel1Label, ATTR_LEFT, &labelLeft);
    const int pitch = height + rowGap;
    // Every box of a column takes the range of its channel-1 box in the panel file.
    double minimum1 = 0, maximum1 = 0, minimum2 = 0, maximum2 = 0;
    GetCtrlAttribute(g_hmainPanel, volt1Box, ATTR_MIN_VALUE, &minimum1);
    GetCtrlAttribute(g_hmainPanel, volt1Box, ATTR_MAX_VALUE, &maximum1);
    GetCtrlAttribute(g_hmainPanel, volt2Box, ATTR_MIN_VALUE, &minimum2);
    GetCtrlAttribute(g_hmainPanel, volt2Box, ATTR_MAX_VALUE, &maximum2);

    auto newVoltageBox = [&](int rowTop, int left, double minimum, double maximum) {
        int id = NewCtrl(g_hmainPanel, CTRL_NUMERIC, "", rowTop, left);
        SetCtrlAttribute(g_hmainPanel, id, ATTR_NUM_DISPLAY_SETTING, 0);
        SetCtrlAttribute(g_hmainPanel, id, ATTR_DATA_TYPE, VAL_FLOAT);
        SetCtrlAttribute(g_hmainPanel, id, ATTR_MIN_VALUE, minimum);
        SetCtrlAttribute(g_hmainPanel, id, ATTR_MAX_VALUE, maximum);
        SetCtrlAttribute(g_hmainPanel, id, ATTR_CTRL_TAB_POSITION, ++tabPosition);
        return id;
    };
    for (int i = 0; i < CHANNEL_COUNT - 1; ++i) {
        const int rowTop = top + (i + 1) * pitch;
        volt1Ids[i + 1] = newVoltageBox(rowTop, left1, minimum1, maximum1);
        std::sprintf(disp_str, "Channel %d", i + 2);
        NewCtrl(g_hmainPanel, CTRL_TEXT_MSG, disp_str, rowTop, labelLeft);
        volt2Ids[i + 1] = newVoltageBox(rowTop, left2, minimum2, maximum2);
    }
}

// Names each calibration box for screen readers: a box in the grid has no label
// of its own (its row says "Channel k", its column the voltage), so the name says
// both, with the group: "DAC channel 2, voltage 1 reading".
void NameChannelBoxes(const char* format, const int* volt1Ids, const int* volt2Ids) {
    for (int i = 0; i < CHANNEL_COUNT; ++i) {
        const int* const columns[] = {volt1Ids, volt2Ids};
        for (int point = 1; point <= 2; ++point) {
            std::snprintf(disp_str, sizeof disp_str, format, i + 1, point);
            SetCtrlAttribute(g_hmainPanel, columns[point - 1][i], ATTR_ACCESSIBLE_NAME, disp_str);
        }
    }
}

// Keys beside the buttons' mnemonics: Ctrl+S saves the monitor's log, Ctrl+L clears
// it, and Return in an address box reads what it addresses.
void SetUpKeys(void) {
    SetCtrlAttribute(g_hmainPanel, PANEL_SERIAL_WINDOW, ATTR_SHORTCUT_KEY, "Ctrl+S");
    SetCtrlAttribute(g_hmainPanel, PANEL_CLEAR_MONITOR, ATTR_SHORTCUT_KEY, "Ctrl+L");
    SetCtrlAttribute(g_hmainPanel, PANEL_REG_ADDRESS, ATTR_RETURN_CTRL, PANEL_READ_REGISTER);
    SetCtrlAttribute(g_hmainPanel, PANEL_BLOCK_ADDRESS, ATTR_RETURN_CTRL, PANEL_READ_BLOCK);
}

}  // namespace

void init(void) {
    // The routines' cores report to views; on the console those are the panel's.
    InstallSerialMonitor();
    InstallLinkPanel();
    InstallUpgradePanel();
    InitLinkState();
    g_iSerial_comm_cnt = 0;
}

void CreateGUI(void) {
    std::sprintf(disp_str, "Tarvikdebug Version %s", TARVIK_VERSION);
    SetPanelAttribute(g_hmainPanel, ATTR_TITLE, disp_str);
    CreateChannelRows(PANEL_ADC_VOLT1, PANEL_ADC_VOLT2, PANEL_ADC_CH1_LABEL, kAdcRowGap,
                      g_iCidAdc_volt1_box, g_iCidAdc_volt2_box);
    CreateChannelRows(PANEL_DAC_VOLT1, PANEL_DAC_VOLT2, PANEL_DAC_CH1_LABEL, kDacRowGap,
                      g_iCidDac_volt1_box, g_iCidDac_volt2_box);
    NameChannelBoxes("DAC channel %d, voltage %d reading", g_iCidDac_volt1_box,
                     g_iCidDac_volt2_box);
    NameChannelBoxes("ADC channel %d, voltage %d", g_iCidAdc_volt1_box, g_iCidAdc_volt2_box);
    SetUpKeys();
    SetTextBoxSaveTitle(g_hmainPanel, PANEL_SERIAL_WINDOW, ConsoleLogTitle(),
                        CONSOLE_LOG_FILE_STEM);
}

int Close_CB(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    // A running upgrade is further down this call stack: it stops after its current line and
    // reports that before the event loop can end.
    CancelFirmwareUpgrade();
    QuitUserInterface(0);
    return 0;
}
