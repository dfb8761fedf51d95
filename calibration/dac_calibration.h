#pragma once
// Two-point calibration of the 16 DAC outputs and calibrated outputs by
// voltage. Every command acts on the commit event only, works on the main
// panel and first checks the connection (popup "Connection warning" /
// "Not connected" and nothing else when not connected). The channel
// selectors PANEL_DAC_CHANNEL and PANEL_DAC_OUTPUT_CHANNEL give 0 (all
// channels) or 1 .. 16; any other value makes a command do nothing.

#include "calibration/calibration_result.h"
#include "calibration/failed_channels.h"
#include "panel/panel.h"

// Coefficients last calculated on the PC, index = channel - 1, such that
// measured = gain x control + offset. Zero at start; only the calculation
// writes them, and only for the channels it calibrates.
extern float g_fDacCoefGain[CHANNEL_COUNT];
extern float g_fDacCoefOffset[CHANNEL_COUNT];

// The commands' cores, for the panel and the command line alike. A selector
// is 0 (all channels) or 1 .. 16; another value sends nothing.

// Writes the raw code of volts (limited to the DAC's span 0 .. 32.5 V) to the
// DAC register of the selected channel, or of channels 1 .. 16 in order,
// under the full mask. With stopOnFailure 0 every channel is tried; else the
// first failed write ends it. Returns success when every write succeeded;
// BoardFailed naming the first failed channel and why (every failure's lines
// logged); BadSelector.
CalibrationResult DriveDacOutputs(int selector, float volts, int stopOnFailure);
// The selected channels whose two meter readings give a gain of 0 (readings equal, boxes
// left at 0 say): no line through them can drive the output. None for a bad selector or
// equal control voltages, which nothing is calculated for.
ChannelMask DacUncalculableChannels(int selector, float control1, float control2,
                                    const float measured1[], const float measured2[]);

// For the selected channel(s), computes gain and offset into g_fDacCoefGain
// and g_fDacCoefOffset from the two control voltages, limited as when driven,
// and the meter's readings measured1/measured2 (index = channel - 1; only
// the selected entries are read). A channel whose gain comes out 0 logs
// "WARNING: DAC <channels>: the two meter readings are equal; the gain would be
// 0" and gets that gain with WriteDefaults; with KeepBoards the board's own
// pair is read first and written back unchanged (and is what the arrays hold
// for it), and when that read fails nothing is written ("ERROR: DAC
// coefficients not written: ..."). Writes the gains and then, if that
// succeeded, the offsets to the board; logs the success line only if both
// writes succeeded, then always "Calculated ceficients:" and one line per
// channel not kept, then which channels got what (LogFailedChannelsOutcome)
// when some gain came out 0 and the blocks were written. Returns success when
// both blocks reached the board, BoardFailed (not written), SameVoltages
// (nothing computed or sent), or BadSelector.
CalibrationResult CalculateDacCoefficients(int selector, float control1, float control2,
                                           const float measured1[], const float measured2[],
                                           FailedChannels failed);

// Sends volts, limited to at most 32.5 V, as the set-point of the selected
// channel (one word) or of all 16 (one 16-word block). Returns success,
// BoardFailed (the write's lines logged), or BadSelector (nothing sent).
CalibrationResult SetDacCalibratedOutput(int selector, float volts);

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
