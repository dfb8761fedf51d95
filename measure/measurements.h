#pragma once
// The board's temperature and its 16 channel currents.

// Reads the raw temperature r, computes r / 4 - 103 (integer division) and
// logs "Board temperature is <t>" with two decimals. Returns 1 with *celsius
// set, or 0 when the read failed (its lines logged, *celsius alone).
int ReadBoardTemperature(float* celsius);

// Reads the 16 channel currents (mA) into milliamps and logs "Channel<k>:
// <i>mA" for each. Returns 1, or 0 after logging "Error:Failed to get
// register" when the read failed (milliamps then zero).
int ReadChannelCurrents(float milliamps[]);

// Read temperature: on commit, reads the raw temperature r and shows
// r / 4 - 103 (integer division) with two decimals, and logs it; "Err" on a
// failed read. Looks only at the event, so Connect can call it directly. Returns 0.
int Temperature_meas_cb(int panel, int control, int event, void* callbackData, int eventData1,
                        int eventData2);

// Read currents: on commit, reads the 16 currents (mA) and logs a line each. Returns 0.
int ReadAll_current_cb(int panel, int control, int event, void* callbackData, int eventData1,
                       int eventData2);
