#pragma once
// The measurements section of the main panel.

// Read temperature: on commit, reads the raw temperature r and shows
// r / 4 - 103 (integer division) with two decimals, and logs it; "Err" on a
// failed read. Looks only at the event, so Connect can call it directly. Returns 0.
int Temperature_meas_cb(int panel, int control, int event, void* callbackData, int eventData1,
                        int eventData2);

// Read currents: on commit, reads the 16 currents (mA) and logs a line each. Returns 0.
int ReadAll_current_cb(int panel, int control, int event, void* callbackData, int eventData1,
                       int eventData2);
