#pragma once
// Two-point calibration of the 16 ADC inputs: the cores, for the panel
// (adc_calibration_panel.h) and the command line alike.

#include "calibration/calibration_result.h"
#include "calibration/coefficient_transfer.h"
#include "calibration/failed_channels.h"
#include "panel/channels.h"
#include "registers/register_result.h"

// Raw counts captured for point 1 and point 2, index = channel index 0 .. 15.
// Zero at start; only a capture changes an entry (a reset keeps them).
extern int g_iAdcCounts1[CHANNEL_COUNT];
extern int g_iAdcCounts2[CHANNEL_COUNT];
// Coefficients last calculated on the PC, volts = gain x count + offset.
extern float g_fAdcCoefGain[CHANNEL_COUNT];
extern float g_fAdcCoefOffset[CHANNEL_COUNT];

// The two points of a channel.
enum { ADC_POINT_1 = 1, ADC_POINT_2 = 2 };
// What a channel without two distinct counts gets, so that the board never divides or
// multiplies by garbage.
inline constexpr float ADC_DEFAULT_GAIN = 0.001f;
inline constexpr float ADC_DEFAULT_OFFSET = 0.0f;

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

// What the last calculation of this run did to the board's coefficients.
const CoefficientWrite& LastAdcCoefficientWrite(void);
