#include "link/connection.h"

#include <cstdio>

#include "app/Tarviktest.h"
#include "app/serial_monitor.h"
#include "app/shell.h"
#include "link/speed_test.h"
#include "link/transaction.h"
#include "measure/measurements.h"
#include "registers/address_map.h"
#include "registers/register_access.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"

int g_iConnection_status;
int g_iCom_port_num;
int g_iTimer_cnt;
int g_iTimeout_val;

namespace {

constexpr long kBaudRate = 38400;
constexpr int kParityNone = 0;
constexpr int kDataBits = 8;
constexpr int kStopBits = 1;
constexpr int kQueueSize = 512;
constexpr double kPortTimeoutSeconds = 2.0;
constexpr int kHandshakeOff = 0;

void Disconnect() {
    g_iConnection_status = 0;
    std::sprintf(disp_str, "Disconnected from COM%d", g_iCom_port_num);
    LogToWindow(disp_str);
    SetCtrlAttribute(g_hmainPanel, PANEL_CONNECT, ATTR_LABEL_TEXT, "Connect");
}

}  // namespace

int Connect(void) {
    if (g_iBusy == 1) {
        std::sprintf(disp_str, "WARNING: g_iBusy, can't process cmd!");
        LogToWindow(disp_str);
        SetCtrlAttribute(g_hmainPanel, PANEL_CONNECT, ATTR_LABEL_TEXT, "g_iBusy 1");
        return -1;
    }
    if (g_iConnection_status != 0) {
        Disconnect();
        return 1;
    }
    GetCtrlVal(g_hmainPanel, PANEL_COM_PORT, &g_iCom_port_num);
    DisableBreakOnLibraryErrors();
    int opened = OpenComConfig(g_iCom_port_num, "", kBaudRate, kParityNone, kDataBits, kStopBits,
                               kQueueSize, kQueueSize);
    EnableBreakOnLibraryErrors();
    if (opened < 0) {
        std::sprintf(disp_str, "FAILURE: Connection to COM%i port failed!", g_iCom_port_num);
        LogToWindow(disp_str);
        return 1;
    }
    if (SetComTime(g_iCom_port_num, kPortTimeoutSeconds) < 0) LogToWindow("WARNING: Could not change timeout");
    if (SetCTSMode(g_iCom_port_num, kHandshakeOff) < 0) LogToWindow("WARNING: Could not turn CTS off");
    FlushInQ(g_iCom_port_num);
    FlushOutQ(g_iCom_port_num);
    std::sprintf(disp_str, "Connected to COM%d", g_iCom_port_num);
    LogToWindow(disp_str);
    g_iConnection_status = 1;
    RunSpeedTest();
    SetWaitCursor(0);
    SetCtrlAttribute(g_hmainPanel, PANEL_CONNECT, ATTR_LABEL_TEXT, "Disconnect");

    unsigned int version = 0;
    if (GetRegister(ADDR_FIRMWARE_VERSION, &version) > 0) {
        std::sprintf(disp_str, "Firmware version is 0x%.4X", version);
        LogToWindow(disp_str);
        Temperature_meas_cb(1, PANEL_TEMPERATURE_MEAS, EVENT_COMMIT, nullptr, 0, 0);
    } else {
        LogToWindow("Hardware is not responding");
        // The operator may have disconnected during the speed test already;
        // a second Connect() would then connect again.
        if (g_iConnection_status == 1) Connect();
    }
    return 1;
}

int Connect_CB(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) Connect();
    return 0;
}

int Timer_CB(int, int, int event, void*, int, int) {
    if (event == EVENT_TIMER_TICK) g_iTimer_cnt++;
    return 0;
}
