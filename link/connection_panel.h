#pragma once
// The link on the main panel: the COM port box's Connect, the timer that paces the link,
// the check every board command makes first, and what the panel shows of the link.

// Installs the panel's view of the link (link_view.h): Connect's label back to "Connect"
// when the link goes down, no wait cursor once it is up, PANEL_TIMER as the link's timer.
void InstallLinkPanel(void);

// OpenLinkOn the port PANEL_COM_PORT names, with the speed test. Returns 1
// when the link is up, else 0.
int OpenLink(void);

// PANEL_TIMER's callback: counts tick events in g_iTimer_cnt and does the
// link's part of each tick (ServiceLinkPort). Returns 0.
int Timer_CB(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);

// 1 when connected; otherwise shows the "Connection warning" popup
// ("Not connected") and returns 0.
int ConnectedOrWarn(void);
