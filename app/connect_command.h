#pragma once
// The Connect button: connecting proves the board answers (firmware version,
// temperature); pressed again it disconnects.

// Connects when not connected, disconnects when connected. Returns -1 when
// refused because a transaction is in progress (label "g_iBusy 1"), else 1
// (also when the port did not open or the board did not answer; the monitor
// says which).
int Connect(void);

// --connect at start-up, with the panel shown: sets the COM port box to `port` (0 keeps the
// number it starts with, the last connected) and presses Connect once the window has been
// drawn. A number outside the box's range is refused with a line in the monitor, and nothing
// is opened. Returns Connect()'s result, or 0 when refused.
int ConnectAtStartUp(int port);

// The Connect button: on commit, Connect(). Returns 0.
int Connect_CB(int panel, int control, int event, void* callbackData, int eventData1,
               int eventData2);
