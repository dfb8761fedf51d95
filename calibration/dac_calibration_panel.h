#pragma once
// The DAC calibration section of the main panel. Every command acts on the commit event
// only, works on the main panel and first checks the connection (popup "Connection
// warning" / "Not connected" and nothing else when not connected). The channel selectors
// PANEL_DAC_CHANNEL and PANEL_DAC_OUTPUT_CHANNEL give 0 (all channels) or 1 .. 16; any
// other value makes a command do nothing.

// Set voltage 1 / 2: writes the raw code of PANEL_DAC_CONTROL_VOLTAGE1 (resp.
// 2) to the DAC register of the selected channel, or of channels 1 .. 16 in
// order, under the full mask. The voltage is limited to the DAC's span
// 0 .. 32.5 V (the box keeps what was typed). Failed writes are left to the
// monitor and the remaining channels are still written. Return 0.
int Set_Voltage1_cb(int panel, int control, int event, void* callbackData, int eventData1,
                    int eventData2);
int Set_Voltage2_cb(int panel, int control, int event, void* callbackData, int eventData1,
                    int eventData2);

// Calculate: for the selected channel(s) computes gain and offset from the
// two control voltages, limited as the set commands limit them (the voltages
// the outputs were really driven to), and the measured voltages in the
// channel's two boxes; writes the gains and then, if that succeeded, the
// offsets to the board; logs the success line only if both writes succeeded;
// then always logs "Calculated ceficients:" and one line per calibrated
// channel. Equal limited control voltages: popup "Set voltage error",
// nothing computed or sent, returns -1. When a channel's gain would come out 0,
// first asks (popup "Warning message", default No) whether to write it; No
// keeps the board's own coefficients for that channel. Otherwise returns 0.
int Calculate_DAC_coeficients_cb(int panel, int control, int event, void* callbackData,
                                 int eventData1, int eventData2);

// Save: sends nothing (the board has no command to keep its coefficients);
// when connected, logs one line saying so and whether this session's last
// calculation wrote coefficients to the board, for which channels. Returns 0.
int Save_DAC_coeficients_cb(int panel, int control, int event, void* callbackData, int eventData1,
                            int eventData2);

// Display: reads the 16 gains and offsets back from the board and logs them
// under "DAC coeficients"; nothing is shown when a read fails. Returns 0.
int Display_DacCoef_cb(int panel, int control, int event, void* callbackData, int eventData1,
                       int eventData2);

// Calibrated output: sends PANEL_DAC_OUTPUT_VOLTAGE, limited to at most
// 32.5 V, as the set-point of the channel selected in PANEL_DAC_OUTPUT_CHANNEL
// (one word) or of all 16 channels (one 16-word block). The board turns the
// set-point into an output through its coefficients. Returns 0.
int Set_Dac_Calibrated_Output_cb(int panel, int control, int event, void* callbackData,
                                 int eventData1, int eventData2);
