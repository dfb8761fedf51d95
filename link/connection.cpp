#include "link/connection.h"

#include <cstdio>

#include "link/line_guard.h"
#include "link/speed_test.h"
#include "link/transaction.h"
#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "panel/serial_monitor.h"
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
constexpr int kDrainLimitTicks = 2;

constexpr int kPathSize = 256;
constexpr int kReasonSize = 128;

}  // namespace

void DisconnectLink(void) {
    g_iConnection_status = 0;
    CloseCom(g_iCom_port_num);
    std::sprintf(disp_str, "Disconnected from COM%d", g_iCom_port_num);
    LogToWindow(disp_str);
    SetCtrlAttribute(g_hmainPanel, PANEL_CONNECT, ATTR_LABEL_TEXT, "Connect");
}

namespace {

// What the operator reads after "FAILURE: Connection to COM%i port failed!":
// what the device is, in words around the system's reason, and the fix.
struct OpenFailureHint {
    int code;
    const char* what;  // "%s" is the system's reason
    const char* fix;   // "%d" is the port number, every time it appears
};
const OpenFailureHint kOpenFailureHints[] = {
    {COM_ERR_NO_DEVICE, "%s",
     "Plug the adapter in, or point COM%d at its device, for example TARVIK_COM%d=/dev/ttyUSB0 "
     "for a USB adapter"},
    {COM_ERR_NO_PERMISSION, "%s",
     "Join the dialout group: sudo usermod -aG dialout $USER, then log in again"},
    {COM_ERR_IN_USE, "in use by another program (%s)",
     "Close the program or console that holds it"},
    {COM_ERR_NOT_SERIAL, "not a serial device (%s)",
     "Point COM%d at the board's serial device, for example TARVIK_COM%d=/dev/ttyUSB0"},
};

// Logs which device the port is, why it did not open, and what to do about it.
void LogOpenFailureReason(int port, int code) {
    char path[kPathSize], reason[kReasonSize], what[kReasonSize * 2], fix[kPathSize] = "";
    GetComPortDevice(port, path, kPathSize);
    GetComErrorReason(port, reason, kReasonSize);
    const OpenFailureHint* hint = nullptr;
    for (const OpenFailureHint& h : kOpenFailureHints)
        if (h.code == code) hint = &h;
    std::snprintf(what, sizeof what, hint ? hint->what : "%s", reason);
    if (hint) std::snprintf(fix, sizeof fix, hint->fix, port, port);
    std::snprintf(disp_str, sizeof disp_str, hint ? "COM%d is %s: %s. %s" : "COM%d is %s: %s", port,
                  path, what, fix);
    LogToWindow(disp_str);
}

}  // namespace

int LinkDeviceLost(void) {
    if (g_iConnection_status != 1 || CheckComDevice(g_iCom_port_num) != COM_ERR_IO) return 0;
    char path[kPathSize], reason[kReasonSize];
    GetComPortDevice(g_iCom_port_num, path, kPathSize);
    GetComErrorReason(g_iCom_port_num, reason, kReasonSize);
    std::snprintf(disp_str, sizeof disp_str, "ERROR: COM%d (%s) is gone: %s", g_iCom_port_num, path,
                  reason);
    LogToWindow(disp_str);
    DisconnectLink();
    // Nothing late can come from a device that is gone.
    ResetLineGuard();
    return 1;
}

void InitLinkState(void) {
    g_iBusy = 0;
    g_iConnection_status = 0;
    g_iTimer_cnt = 0;
    g_iTimeout_val = kDrainLimitTicks;
    ResetLineGuard();
}

int OpenLink(void) {
    int port = 0;
    GetCtrlVal(g_hmainPanel, PANEL_COM_PORT, &port);
    return OpenLinkOn(port, 1) == 1 ? 1 : 0;
}

int OpenLinkOn(int port, int speedTest) {
    g_iCom_port_num = port;
    DisableBreakOnLibraryErrors();
    int opened = OpenComConfig(g_iCom_port_num, "", kBaudRate, kParityNone, kDataBits, kStopBits,
                               kQueueSize, kQueueSize);
    EnableBreakOnLibraryErrors();
    if (opened < 0) {
        std::sprintf(disp_str, "FAILURE: Connection to COM%i port failed!", g_iCom_port_num);
        LogToWindow(disp_str);
        LogOpenFailureReason(g_iCom_port_num, opened);
        return LINK_OPEN_FAILED;
    }
    if (SetComTime(g_iCom_port_num, kPortTimeoutSeconds) < 0)
        LogToWindow("WARNING: Could not change timeout");
    if (SetCTSMode(g_iCom_port_num, kHandshakeOff) < 0)
        LogToWindow("WARNING: Could not turn CTS off");
    FlushInQ(g_iCom_port_num);
    FlushOutQ(g_iCom_port_num);
    std::sprintf(disp_str, "Connected to COM%d", g_iCom_port_num);
    LogToWindow(disp_str);
    g_iConnection_status = 1;
    if (speedTest) RunSpeedTest();
    SetWaitCursor(0);
    // The events the speed test processed may have taken the link down: the
    // device vanished, or the operator pressed Disconnect.
    return g_iConnection_status == 1 ? 1 : 0;
}

int Timer_CB(int, int, int event, void*, int, int) {
    if (event != EVENT_TIMER_TICK) return 0;
    g_iTimer_cnt++;
    // Between commands nothing else would notice an unplugged adapter. A
    // command in progress notices by itself, and the upgrade must not lose
    // its port under it.
    if (g_iBusy == 0) LinkDeviceLost();
    return 0;
}
