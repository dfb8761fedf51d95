#pragma once
// The serial monitor on the main panel: PANEL_SERIAL_WINDOW shows the log's lines.

// Makes PANEL_SERIAL_WINDOW the log's monitor (SetSerialMonitor): each line appended and
// scrolled into view, the upgrade's progress line rewritten in place.
void InstallSerialMonitor(void);

// Clear monitor: on commit, empties the monitor and restarts the line count. Returns 0.
int Clear_SerialWindow_cb(int panel, int control, int event, void* callbackData, int eventData1,
                          int eventData2);
