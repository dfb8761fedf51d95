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

// Connects when not connected, disconnects when connected (closing the port,
// which gets back the settings it had). Returns -1 when refused because a
// transaction is in progress, else 1 (also when the port did not open, with
// the reason and a fix logged, or the board did not answer).
int Connect(void);

// When connected and the port's device has vanished (unplugged, hung up):
// logs "ERROR: COM<n> (<device>) is gone: <reason>", takes the link down as a
// disconnect does, and returns 1. Otherwise changes nothing and returns 0.
// Reads no byte.
int LinkDeviceLost(void);

// The Connect button: on commit, Connect(). Returns 0.
int Connect_CB(int panel, int control, int event, void* callbackData, int eventData1,
               int eventData2);

// PANEL_TIMER's callback: counts tick events in g_iTimer_cnt and, while no
// command holds the link, checks that the port's device is still there
// (LinkDeviceLost). Returns 0.
int Timer_CB(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
