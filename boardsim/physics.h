#pragma once
// The analogue side of the board: 16 DAC outputs and 16 ADC inputs, each with its own fixed
// gain and offset error, the channel loads that draw the currents, and the temperature sensor.
// Everything is deterministic so that tests can rely on it run after run.

#include <cstdint>

namespace boardsim::physics {

inline constexpr int kChannels = 16;
inline constexpr uint16_t kCodeMax = 0xFFFF;
// Both converters span 0 .. 32.5 V, so every DAC output can be read back on its ADC input.
inline constexpr double kDacFullScaleVolts = 32.5;
inline constexpr double kAdcFullScaleVolts = 32.5;

struct LinearError {
    double gain = 1.0;
    double offsetVolts = 0.0;
};

// Per-channel errors; `channel` must be 0 .. kChannels-1.
// DAC: gain within 0.98 .. 1.02, offset within +-50 mV. ADC: gain within 0.99 .. 1.01,
// offset within +-20 mV.
LinearError dacError(int channel);
LinearError adcError(int channel);

// Voltage a meter reads at DAC output `channel` driven with `code`.
double dacOutputVolts(int channel, uint16_t code);

// Nearest code for an ideal output of `controlVolts`, clamped to 0 .. kCodeMax; NaN gives 0.
uint16_t dacCodeFor(double controlVolts);

// Count ADC input `channel` reports for `inputVolts`, clamped to 0 .. kCodeMax; NaN gives 0.
uint16_t adcCountFor(int channel, double inputVolts);

// The ideal output a calibrated board aims for to get `setPointVolts` out of a channel whose
// coefficients say measured = gain * control + offset. Coefficients that cannot be inverted
// (zero, infinite or NaN gain, non-finite offset) are ignored and the set-point used as it is.
double controlForSetPoint(double setPointVolts, float gain, float offsetVolts);

// Current drawn from output `channel` at `volts` through its load, in milliamperes.
double channelCurrentMilliamps(int channel, double volts);

// Raw temperature register value: around 500 (22 C), wandering by a few counts per minute.
uint16_t driftingRawTemperature(double seconds);

}  // namespace boardsim::physics
