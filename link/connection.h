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

// Opens the port PANEL_COM_PORT names with the board's settings and runs the
// speed test: logs "Connected to COM<n>" and marks the link connected. Returns
// 1 when the link is still up after the speed test (whose events may have
// taken it down), 0 otherwise. A port that does not open logs "FAILURE:
// Connection to COM<n> port failed!" and a line with its device, the system's
// reason and the fix, and leaves the link down.
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
