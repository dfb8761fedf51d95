#include "app/connect_command.h"

#include <cstdio>

#include "app/port_choice.h"
#include "link/connection_panel.h"
#include "link/serial_link.h"
#include "link/transaction.h"
#include "measure/measurements_panel.h"
#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "panel/serial_monitor.h"
#include "registers/address_map.h"
#include "registers/register_access.h"
#include "runtime/cvirte.h"
#include "runtime/userint.h"

int Connect(void) {
    if (g_iBusy == 1) {
        std::sprintf(disp_str, "WARNING: g_iBusy, can't process cmd!");
        LogWarning(disp_str);
        SetCtrlAttribute(g_hmainPanel, PANEL_CONNECT, ATTR_LABEL_TEXT, "g_iBusy 1");
        return -1;
    }
    if (g_iConnection_status != 0) {
        DisconnectLink();
        return 1;
    }
    if (!OpenLink()) return 1;
    RememberConnectedComPort(g_iCom_port_num);
    SetCtrlAttribute(g_hmainPanel, PANEL_CONNECT, ATTR_LABEL_TEXT, "Disconnect");

    unsigned int version = 0;
    HoldNoAnswerAdvice(1);
    const bool answered = ReadFirmwareVersion(&version).ok();
    HoldNoAnswerAdvice(0);
    if (answered) {
        Temperature_meas_cb(1, PANEL_TEMPERATURE_MEAS, EVENT_COMMIT, nullptr, 0, 0);
    } else {
        LogError("Hardware is not responding");
        LogNoAnswerAdvice();
        // The operator may have disconnected meanwhile, or the device vanished;
        // a second Connect() would then connect again.
        if (g_iConnection_status == 1) Connect();
    }
    return 1;
}

int ConnectAtStartUp(int port) {
    if (port != 0) {
        double lowest = 0, highest = 0;
        GetCtrlAttribute(g_hmainPanel, PANEL_COM_PORT, ATTR_MIN_VALUE, &lowest);
        GetCtrlAttribute(g_hmainPanel, PANEL_COM_PORT, ATTR_MAX_VALUE, &highest);
        if (port < lowest || port > highest) {
            std::snprintf(disp_str, sizeof disp_str,
                          "ERROR: --connect %d: the COM port box takes %d to %d; not connected",
                          port, static_cast<int>(lowest), static_cast<int>(highest));
            LogError(disp_str);
            return 0;
        }
        SetCtrlVal(g_hmainPanel, PANEL_COM_PORT, port);
        ShowComPortDevice();
    }
    // The window is drawn before the speed test holds the line.
    ProcessSystemEvents();
    return Connect();
}

int Connect_CB(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) Connect();
    return 0;
}
