#pragma once
// Coefficient blocks on the board and their lines in the serial monitor,
// shared by the DAC and the ADC calibration.

#include "registers/register_result.h"

// Logged after a calculation whose coefficients all reached the board.
extern const char COEFFICIENTS_SENT_TEXT[];
// Heads the coefficient lines of a calculation.
extern const char CALCULATED_COEFFICIENTS_TEXT[];
// One channel's coefficients, after a calculation or read back from the board:
// channel number (1-based), gain, offset, each with the seven significant
// digits a single-precision float holds, so they can be checked by hand.
extern const char COEFFICIENT_LINE_FORMAT[];

// Formats one coefficient line into disp_str and logs it.
void LogCoefficientLine(int channelNumber, float gain, float offset);

// What the last calculation of this session did to the board's coefficients.
struct CoefficientWrite {
    enum { NONE, WRITTEN, FAILED } outcome = NONE;
    int first = 0;  // channel index of the first coefficient written
    int count = 0;
};

// Save's one line: that nothing is sent (the board has no save command) and
// what the last calculation wrote, for which channels. `what` names the
// coefficients ("DAC", "ADC").
void LogSaveOutcome(const char* what, const CoefficientWrite& last);

// Writes count gains to gainAddress and then, only if that write succeeded,
// count offsets to offsetAddress. Returns success when both writes succeeded,
// else the failed write's result (its lines logged).
RegisterResult WriteCoefficientBlocks(int gainAddress, int offsetAddress, int count,
                                      const float* gains, const float* offsets);

// Reads all CHANNEL_COUNT gains from gainAddress and then, only if that
// succeeded, the offsets from offsetAddress. Returns success when both reads
// succeeded; else the failed read's result (the transaction's lines logged,
// the arrays zero or the gains only). Logs nothing of its own.
RegisterResult ReadCoefficientBlocks(int gainAddress, int offsetAddress, float gains[],
                                     float offsets[]);

// Reads all channels' gains from gainAddress and then, only if that succeeded,
// their offsets from offsetAddress. When both reads succeed, logs title and a
// coefficient line per channel with the board's values; otherwise logs nothing
// beyond the transaction's own lines. The PC's coefficient arrays are not touched.
void DisplayCoefficientBlocks(const char* title, int gainAddress, int offsetAddress);
