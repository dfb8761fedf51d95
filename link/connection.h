#pragma once
// The connection to the board: opening the operator's port, proving the board
// answers, and dropping the link again.

// 1 while connected (port open and configured), else 0.
extern int g_iConnection_status;
// The COM port in use (1 = COM1); kept after a disconnect.
extern int g_iCom_port_num;
// Ticks of PANEL_TIMER counted since the counter was last set to 0.
extern int g_iTimer_cnt;
// Output-drain limit of a transaction, in timer ticks (2).
extern int g_iTimeout_val;

// The link's start-up state: not busy, not connected, tick counter 0, drain
// limit 2 ticks, the line trusted.
void InitLinkState(void);

// Opens COM port `port` with the board's settings: logs "Connected to
// COM<n>", marks the link connected and, when speedTest is nonzero, runs the
// speed test. Returns 1 when the link is still up afterwards (the speed
// test's events may have taken it down), 0 when it went down, LINK_OPEN_FAILED
// when the port did not open: then "FAILURE: Connection to COM<n> port
// failed!" and a line with its device, the system's reason and the fix are
// logged, and the link stays down.
enum { LINK_OPEN_FAILED = -1 };
int OpenLinkOn(int port, int speedTest);

// OpenLinkOn the port PANEL_COM_PORT names, with the speed test. Returns 1
// when the link is up, else 0.
int OpenLink(void);

// Takes the link down: marks it not connected, closes the port (which
// releases its lock and gets back the settings it had), logs "Disconnected
// from COM<n>" and labels PANEL_CONNECT "Connect".
void DisconnectLink(void);

// When connected and the port's device has vanished (unplugged, hung up):
// logs "ERROR: COM<n> (<device>) is gone: <reason>", takes the link down as a
// disconnect does, and returns 1. Otherwise changes nothing and returns 0.
// Reads no byte.
int LinkDeviceLost(void);

// PANEL_TIMER's callback: counts tick events in g_iTimer_cnt and, while no
// command holds the link, checks that the port's device is still there
// (LinkDeviceLost). Returns 0.
int Timer_CB(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
