#pragma once
// The connection to the board: opening the operator's port for commands and
// the timer that paces the link. Taking the link down, and its state, are
// serial_link.h's.

#include "link/result.h"

// Opens COM port `port` for the link (OpenLinkPort), logs "Connected to
// COM<n>", marks the link connected and, when speedTest is nonzero, runs the
// speed test. Returns success when the link is still up afterwards;
// PortNotOpened when the port did not open (its lines logged; the link stays
// down); NotConnected when the speed test's events took the link down again
// (the operator pressed Disconnect, or the device vanished).
LinkResult OpenLinkOn(int port, int speedTest);

// OpenLinkOn the port PANEL_COM_PORT names, with the speed test. Returns 1
// when the link is up, else 0.
int OpenLink(void);

// PANEL_TIMER's callback: counts tick events in g_iTimer_cnt and does the
// link's part of each tick (ServiceLinkPort). Returns 0.
int Timer_CB(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
