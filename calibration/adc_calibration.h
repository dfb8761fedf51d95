#pragma once
// Two-point calibration of the 16 ADC inputs. A point of a channel is
// captured when its voltage box is dimmed (which also locks the typed
// voltage); a reset undims every box. Every command acts on the commit event
// only, works on the main panel and returns 0; all but the reset first check
// the connection (popup "Connection warning" / "Not connected" and nothing
// else when not connected).

#include "calibration/calibration_result.h"
#include "calibration/failed_channels.h"
#include "panel/panel.h"
#include "registers/register_result.h"

// Raw counts captured for point 1 and point 2, index = channel index 0 .. 15.
// Zero at start; only a capture changes an entry (a reset keeps them).
extern int g_iAdcCounts1[CHANNEL_COUNT];
extern int g_iAdcCounts2[CHANNEL_COUNT];
// Coefficients last calculated on the PC, volts = gain x count + offset.
extern float g_fAdcCoefGain[CHANNEL_COUNT];
extern float g_fAdcCoefOffset[CHANNEL_COUNT];

// The commands' cores, for the panel and the command line alike.

// Reads the raw count of channel index n (0 .. 15). Returns success with
// *count set, or the read's failure (the transaction's lines logged).
RegisterResult ReadAdcChannelCount(int n, int* count);

// Logs "ADC Ch<n+1> point <point>: count <count> at <volts> V".
void LogAdcPoint(int n, int point, int count, float volts);

// When a point's count equals the channel's other point (no line goes through the two),
// logs "WARNING: ADC Ch<n+1>: point <point> count <count> equals point <other> count
// <count>; the calculation needs two different counts" and returns 1; else returns 0.
int WarnOfEqualAdcCounts(int n, int point, int count, int otherCount);

// The channels of first .. first+count-1 whose two counts are equal, so that no
// coefficients can be calculated for them.
ChannelMask AdcUncalculableChannels(int first, int count, const int counts1[], const int counts2[]);

// Calculates channels first .. first+count-1 from the counts and the applied
// voltages of the two points (index = channel index) into g_fAdcCoefGain and
// g_fAdcCoefOffset: logs "Calculated ceficients:", then a coefficient line per
// channel, or "Calculation error Ch<n>" for a channel whose two counts are
// equal. Such a channel gets gain 0.001 and offset 0 with WriteDefaults; with
// KeepBoards the board's own pair is read first and written back unchanged
// (and is what the arrays hold for it), and when that read fails nothing is
// written ("ERROR: ADC coefficients not written: ..."). Writes those channels'
// gains and then, if that succeeded, their offsets; only if both succeeded
// logs the success line, or "Calculation with error;\n saved default values"
// (WriteDefaults) or "Calculation with error;\n kept the board's coefficients"
// (KeepBoards), then which channels got what (LogFailedChannelsOutcome).
// Returns success when written, else BoardFailed.
CalibrationResult CalculateAdcCoefficients(int first, int count, const int counts1[],
                                           const int counts2[], const float volts1[],
                                           const float volts2[], FailedChannels failed);

// Capture one point of channel index n from PANEL_ADC_CHANNEL: reads the
// count (popup "Error message" / "Failed to get Adc counts" and no change on
// failure), then takes point 1 if its box is not dimmed, else point 2 if its
// box is not dimmed, else discards the count silently. Point 1 stays on the
// channel; point 2 moves the selector on to n + 1, except after the last
// channel, where it stays on 15 (there is no next channel, and the selector
// must never name one that does not exist). A selector outside 0 .. 15 does nothing.
// Every point taken, here and by ReadAll_Adc_cb, logs "ADC Ch<n> point <p>:
// count <c> at <v> V" with the voltage its box holds, and a warning when its
// count equals the channel's other point, once that has been taken this run.
int Get_AdcCounts_cb(int panel, int control, int event, void* callbackData, int eventData1,
                     int eventData2);

// Capture one point of all 16 channels in order. Channel 0's boxes decide
// for every channel: point 1 if its box 1 is not dimmed, else point 2 if its
// box 2 is not dimmed, else popup "Warning message" / "First reset all
// channels" after channel 0's read. A failed read shows "Failed to get Adc
// counts" and stops; the channels before it keep their new points. The
// selector is not changed.
int ReadAll_Adc_cb(int panel, int control, int event, void* callbackData, int eventData1,
                   int eventData2);

// Calculate all 16 channels from the captured counts and the voltages now in
// the boxes. When some channels' two counts are equal (never captured, say),
// first asks (popup "Warning message", default No) whether to write the
// default values (gain 0.001, offset 0) to them; No keeps the board's own
// coefficients for them. Then CalculateAdcCoefficients.
int Calculate_Adc_coeficients_cb(int panel, int control, int event, void* callbackData,
                                 int eventData1, int eventData2);

// Undims all 32 voltage boxes. No connection check, no board access; counts
// and coefficients are kept.
int Reset_AdcChannel_cb(int panel, int control, int event, void* callbackData, int eventData1,
                        int eventData2);

// Sends nothing (the board has no command to keep its coefficients); when
// connected, logs one line saying so and whether this session's last
// calculation wrote the coefficients to the board.
int Save_AdcCoeficients_cb(int panel, int control, int event, void* callbackData, int eventData1,
                           int eventData2);

// Reads the 16 gains and offsets back from the board and logs them with seven
// significant digits under "ADC coeficients"; nothing is shown when a read fails.
int Display_AdcCoef_cb(int panel, int control, int event, void* callbackData, int eventData1,
                       int eventData2);
