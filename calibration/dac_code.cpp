#include "calibration/dac_code.h"

#include <cmath>

float LimitControlVoltage(float volts) {
    if (std::isnan(volts) || volts < 0.0f) return 0.0f;
    if (volts > DAC_FULL_SCALE_VOLTS) return static_cast<float>(DAC_FULL_SCALE_VOLTS);
    return volts;
}

int DacCode(float volts) {
    const double limited = LimitControlVoltage(volts);
    return static_cast<int>(limited * DAC_FULL_SCALE_CODE / DAC_FULL_SCALE_VOLTS);
}

float LimitSetPoint(float volts) {
    if (std::isnan(volts)) return 0.0f;
    if (volts > DAC_FULL_SCALE_VOLTS) return static_cast<float>(DAC_FULL_SCALE_VOLTS);
    return volts;
}
