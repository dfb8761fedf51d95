#pragma once
// The DAC's voltage span and the raw code that drives an uncalibrated output.

// An output spans 0 V (code 0) to DAC_FULL_SCALE_VOLTS (code DAC_FULL_SCALE_CODE).
inline constexpr double DAC_FULL_SCALE_VOLTS = 32.5;
inline constexpr int DAC_FULL_SCALE_CODE = 0xFFFF;

// The voltage a raw output can really be driven to: volts limited to
// 0 .. DAC_FULL_SCALE_VOLTS. NaN gives 0.
float LimitControlVoltage(float volts);

// The raw code for volts: the limited voltage x 65535 / 32.5 in double,
// truncated toward zero, so always 0 .. DAC_FULL_SCALE_CODE
// (10.0 V -> 20164, 16.25 V -> 32767, 32.5 V and above -> 65535, below 0 V -> 0).
int DacCode(float volts);

// A calibrated set-point as the board receives it: at most DAC_FULL_SCALE_VOLTS.
// Below 0 V it is passed on unchanged (a channel with a negative offset can
// reach slightly negative outputs); NaN gives 0.
float LimitSetPoint(float volts);
