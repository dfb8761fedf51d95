#pragma once
// Two-point calibration of the 16 DAC outputs and calibrated outputs by
// voltage: the cores, for the panel (dac_calibration_panel.h) and the command
// line alike.

#include "calibration/calibration_result.h"
#include "calibration/coefficient_transfer.h"
#include "calibration/failed_channels.h"
#include "panel/channels.h"

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

// What the last calculation of this run did to the board's coefficients.
const CoefficientWrite& LastDacCoefficientWrite(void);
