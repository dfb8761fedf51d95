#include "calibration/two_point.h"

float DacGainCoefficient(float control1, float control2, float measured1, float measured2) {
    const double measuredSpan = static_cast<double>(measured2) - measured1;
    const double controlSpan = static_cast<double>(control2) - control1;
    return static_cast<float>(measuredSpan / controlSpan);
}

float AdcGainCoefficient(int count1, int count2, float volts1, float volts2) {
    const float voltSpan = volts2 - volts1;
    const double countSpan = static_cast<double>(count2) - count1;
    return static_cast<float>(voltSpan / countSpan);
}

float OffsetCoefficient(float gain, double x1, float y1) {
    return static_cast<float>(y1 - static_cast<double>(gain) * x1);
}
