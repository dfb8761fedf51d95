#include "link/connection.h"

#include <cstdio>

#include "link/serial_link.h"
#include "link/speed_test.h"
#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "panel/serial_monitor.h"
#include "runtime/userint.h"

int OpenLink(void) {
    int port = 0;
    GetCtrlVal(g_hmainPanel, PANEL_COM_PORT, &port);
    return OpenLinkOn(port, 1).ok() ? 1 : 0;
}

LinkResult OpenLinkOn(int port, int speedTest) {
    const LinkResult opened = OpenLinkPort(port);
    if (!opened.ok()) return opened;
    std::snprintf(disp_str, sizeof disp_str, "Connected to COM%d", g_iCom_port_num);
    LogToWindow(disp_str);
    MarkLinkConnected();
    if (speedTest) RunSpeedTest();
    SetWaitCursor(0);
    // The events the speed test processed may have taken the link down: the
    // device vanished, or the operator pressed Disconnect.
    if (g_iConnection_status == 1) return {};
    return LinkResult::Failure(LinkError::NotConnected, "the link went down during the speed test");
}

int Timer_CB(int, int, int event, void*, int, int) {
    if (event != EVENT_TIMER_TICK) return 0;
    g_iTimer_cnt++;
    ServiceLinkPort();
    return 0;
}
