#pragma once
// Gain and offset of the straight line through two calibration points. The
// coefficients are stored in single precision, as the board keeps them; every
// intermediate is double so that rounding happens once, at the store.

// DAC: measured = gain x control + offset. Returns (measured2 - measured1) /
// (control2 - control1), differences and quotient in double. The caller makes
// sure the control voltages differ.
float DacGainCoefficient(float control1, float control2, float measured1, float measured2);

// ADC: volts = gain x count + offset. Returns (volts2 - volts1) / (count2 - count1):
// the voltage difference rounded to float, the division in double. The caller
// makes sure the counts differ.
float AdcGainCoefficient(int count1, int count2, float volts1, float volts2);

// The offset that puts the line with the stored gain through (x1, y1):
// y1 - gain x x1 in double, rounded to float.
float OffsetCoefficient(float gain, double x1, float y1);
