#include "link/connection_panel.h"

#include "link/connection.h"
#include "link/link_view.h"
#include "link/serial_link.h"
#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "runtime/userint.h"

namespace {

void linkUp() {
    SetWaitCursor(0);
}

void linkDown() {
    SetCtrlAttribute(g_hmainPanel, PANEL_CONNECT, ATTR_LABEL_TEXT, "Connect");
}

void restartTimer(double intervalSeconds) {
    SetCtrlAttribute(g_hmainPanel, PANEL_TIMER, ATTR_INTERVAL, intervalSeconds);
    ResetTimer(g_hmainPanel, PANEL_TIMER);
}

double timerInterval() {
    double interval = 0;
    if (GetCtrlAttribute(g_hmainPanel, PANEL_TIMER, ATTR_INTERVAL, &interval) != 0) return 0;
    return interval;
}

const LinkView kPanelView = {linkUp, linkDown, restartTimer, timerInterval};

}  // namespace

void InstallLinkPanel(void) {
    SetLinkView(&kPanelView);
}

int OpenLink(void) {
    int port = 0;
    GetCtrlVal(g_hmainPanel, PANEL_COM_PORT, &port);
    return OpenLinkOn(port, 1).ok() ? 1 : 0;
}

int Timer_CB(int, int, int event, void*, int, int) {
    if (event != EVENT_TIMER_TICK) return 0;
    g_iTimer_cnt++;
    ServiceLinkPort();
    return 0;
}

int ConnectedOrWarn(void) {
    if (g_iConnection_status == 1) return 1;
    MessagePopup("Connection warning", "Not connected");
    return 0;
}
