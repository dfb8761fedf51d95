#include "boardsim/physics.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace boardsim::physics {

namespace {
constexpr double kDacGainSpread = 0.02;
constexpr double kDacOffsetSpreadVolts = 0.050;
constexpr double kAdcGainSpread = 0.01;
constexpr double kAdcOffsetSpreadVolts = 0.020;

// Loads between 1 and 2 kOhm keep the currents within a few tens of mA; the quiescent current
// makes an idle channel read a small non-zero value, as a real sense amplifier does.
constexpr double kMinLoadKiloOhms = 1.0;
constexpr double kLoadSpreadKiloOhms = 1.0;
constexpr double kQuiescentMilliamps = 0.15;

constexpr double kRoomTemperatureRaw = 500.0;
constexpr double kTemperatureSwingRaw = 4.0;
constexpr double kTemperaturePeriodSeconds = 120.0;

// A fixed value in -1 .. 1 per channel and purpose; irrational steps keep channels distinct.
double spread(int channel, double phase) {
    return std::sin(channel * std::numbers::phi * 2.0 + phase);
}

uint16_t clampToCode(double value) {
    if (std::isnan(value)) return 0;
    return static_cast<uint16_t>(std::clamp(std::round(value), 0.0, double{kCodeMax}));
}
}  // namespace

LinearError dacError(int channel) {
    return {1.0 + kDacGainSpread * spread(channel, 0.3),
            kDacOffsetSpreadVolts * spread(channel, 1.9)};
}

LinearError adcError(int channel) {
    return {1.0 + kAdcGainSpread * spread(channel, 2.6),
            kAdcOffsetSpreadVolts * spread(channel, 4.1)};
}

double dacOutputVolts(int channel, uint16_t code) {
    const LinearError e = dacError(channel);
    return e.gain * (code * kDacFullScaleVolts / kCodeMax) + e.offsetVolts;
}

uint16_t dacCodeFor(double controlVolts) {
    return clampToCode(controlVolts * kCodeMax / kDacFullScaleVolts);
}

uint16_t adcCountFor(int channel, double inputVolts) {
    const LinearError e = adcError(channel);
    return clampToCode((inputVolts * e.gain + e.offsetVolts) * kCodeMax / kAdcFullScaleVolts);
}

double controlForSetPoint(double setPointVolts, float gain, float offsetVolts) {
    if (!std::isfinite(gain) || gain == 0.0f || !std::isfinite(offsetVolts)) return setPointVolts;
    return (setPointVolts - offsetVolts) / gain;
}

double channelCurrentMilliamps(int channel, double volts) {
    const double load = kMinLoadKiloOhms + kLoadSpreadKiloOhms * (0.5 + 0.5 * spread(channel, 5.3));
    return kQuiescentMilliamps + volts / load;
}

uint16_t driftingRawTemperature(double seconds) {
    const double phase = 2.0 * std::numbers::pi * seconds / kTemperaturePeriodSeconds;
    return static_cast<uint16_t>(
        std::lround(kRoomTemperatureRaw + kTemperatureSwingRaw * std::sin(phase)));
}

}  // namespace boardsim::physics
