#include "link/connection.h"

#include <cstdio>

#include "link/link_view.h"
#include "link/serial_link.h"
#include "link/speed_test.h"
#include "panel/serial_monitor.h"

LinkResult OpenLinkOn(int port, int speedTest) {
    const LinkResult opened = OpenLinkPort(port);
    if (!opened.ok()) return opened;
    std::snprintf(disp_str, sizeof disp_str, "Connected to COM%d", g_iCom_port_num);
    LogToWindow(disp_str);
    MarkLinkConnected();
    if (speedTest) RunSpeedTest();
    if (const LinkView* view = CurrentLinkView(); view && view->up) view->up();
    // The events the speed test processed may have taken the link down: the
    // device vanished, or the operator pressed Disconnect.
    if (g_iConnection_status == 1) return {};
    return LinkResult::Failure(LinkError::NotConnected, "the link went down during the speed test");
}
