#pragma once
// Coefficient blocks on the board and their lines in the serial monitor,
// shared by the DAC and the ADC calibration.

// Logged after a calculation whose coefficients all reached the board.
extern const char COEFFICIENTS_SENT_TEXT[];
// Heads the coefficient lines of a calculation.
extern const char CALCULATED_COEFFICIENTS_TEXT[];
// One channel's coefficients after a calculation: channel number (1-based),
// gain, offset.
extern const char COEFFICIENT_LINE_FORMAT[];

// Formats one coefficient line (lineFormat takes the channel number, the gain
// and the offset) into disp_str and logs it.
void LogCoefficientLine(const char* lineFormat, int channelNumber, float gain, float offset);

// Writes count gains to gainAddress and then, only if that write succeeded,
// count offsets to offsetAddress. Returns 1 when both writes succeeded, else 0;
// a failed write's reason is already in the monitor.
int WriteCoefficientBlocks(int gainAddress, int offsetAddress, int count, const float* gains,
                           const float* offsets);

// Reads all channels' gains from gainAddress and then, only if that succeeded,
// their offsets from offsetAddress. When both reads succeed, logs title and a
// lineFormat line per channel with the board's values; otherwise logs nothing
// beyond the transaction's own lines. The PC's coefficient arrays are not touched.
void DisplayCoefficientBlocks(const char* title, int gainAddress, int offsetAddress,
                              const char* lineFormat);
