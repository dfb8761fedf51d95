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

// Connects when not connected, disconnects when connected. Returns -1 when
// refused because a transaction is in progress, else 1 (also when the port
// did not open or the board did not answer; the monitor says which).
int Connect(void);

// The Connect button: on commit, Connect(). Returns 0.
int Connect_CB(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);

// PANEL_TIMER's callback: counts tick events in g_iTimer_cnt. Returns 0.
int Timer_CB(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
