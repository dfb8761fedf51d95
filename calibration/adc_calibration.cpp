#include "calibration/adc_calibration.h"

#include <cstdio>
#include <string>

#include "calibration/channel_select.h"
#include "calibration/coefficient_transfer.h"
#include "calibration/two_point.h"
#include "panel/serial_monitor.h"
#include "registers/address_map.h"
#include "registers/register_access.h"

int g_iAdcCounts1[CHANNEL_COUNT];
int g_iAdcCounts2[CHANNEL_COUNT];
float g_fAdcCoefGain[CHANNEL_COUNT];
float g_fAdcCoefOffset[CHANNEL_COUNT];

namespace {

const char kDefaultsSavedText[] = "Calculation with error;\n saved default values";
const char kBoardsKeptText[] = "Calculation with error;\n kept the board's coefficients";

CoefficientWrite g_lastAdcWrite;
// Computes channel n's coefficients and logs them, or falls back to the defaults.
void CalculateChannel(int n, int count1, int count2, float volts1, float volts2) {
    if (count2 == count1) {
        std::snprintf(disp_str, sizeof disp_str, "Calculation error Ch%d", n + 1);
        LogError(disp_str);
        g_fAdcCoefGain[n] = ADC_DEFAULT_GAIN;
        g_fAdcCoefOffset[n] = ADC_DEFAULT_OFFSET;
        return;
    }
    g_fAdcCoefGain[n] = AdcGainCoefficient(count1, count2, volts1, volts2);
    g_fAdcCoefOffset[n] = OffsetCoefficient(g_fAdcCoefGain[n], count1, volts1);
    LogCoefficientLine(n + 1, g_fAdcCoefGain[n], g_fAdcCoefOffset[n]);
}

}  // namespace

RegisterResult ReadAdcChannelCount(int n, int* count) {
    unsigned int value = 0;
    const RegisterResult read = ReadRegister(ADDR_ADC_COUNT + n, &value);
    if (read.ok()) *count = static_cast<int>(value);
    return read;
}

void LogAdcPoint(int n, int point, int count, float volts) {
    std::snprintf(disp_str, sizeof disp_str, "ADC Ch%d point %d: count %d at %.7g V", n + 1, point,
                  count, static_cast<double>(volts));
    LogToWindow(disp_str);
}

int WarnOfEqualAdcCounts(int n, int point, int count, int otherCount) {
    if (count != otherCount) return 0;
    std::snprintf(disp_str, sizeof disp_str,
                  "WARNING: ADC Ch%d: point %d count %d equals point %d count %d; the calculation "
                  "needs two different counts",
                  n + 1, point, count, point == ADC_POINT_1 ? ADC_POINT_2 : ADC_POINT_1,
                  otherCount);
    LogWarning(disp_str);
    return 1;
}

ChannelMask AdcUncalculableChannels(int first, int count, const int counts1[],
                                    const int counts2[]) {
    ChannelMask channels = 0;
    for (int n = first; n < first + count; ++n)
        if (counts1[n] == counts2[n]) channels |= ChannelBit(n);
    return channels;
}

CalibrationResult CalculateAdcCoefficients(int first, int count, const int counts1[],
                                           const int counts2[], const float volts1[],
                                           const float volts2[], FailedChannels failed) {
    LogToWindow(CALCULATED_COEFFICIENTS_TEXT);
    for (int n = first; n < first + count; ++n)
        CalculateChannel(n, counts1[n], counts2[n], volts1[n], volts2[n]);
    const ChannelMask uncalculable = AdcUncalculableChannels(first, count, counts1, counts2);
    const ChannelMask calculated = ChannelSpan(first, count) & ~uncalculable;
    const bool keep = uncalculable && failed == FailedChannels::KeepBoards;
    if (keep) {
        const RegisterResult read = TakeBoardCoefficients(
            ADDR_ADC_GAIN, ADDR_ADC_OFFSET, uncalculable, g_fAdcCoefGain, g_fAdcCoefOffset);
        if (!read.ok()) {
            const std::string why = "ADC coefficients not written: the board's own for " +
                                    ChannelListText(uncalculable) + " could not be read";
            LogError(("ERROR: " + why).c_str());
            g_lastAdcWrite = {CoefficientWrite::FAILED, first, count};
            return BoardOutcome(read, why.c_str());
        }
    }
    const RegisterResult written =
        WriteCoefficientBlocks(ADDR_ADC_GAIN + first, ADDR_ADC_OFFSET + first, count,
                               &g_fAdcCoefGain[first], &g_fAdcCoefOffset[first]);
    g_lastAdcWrite = {written.ok() ? CoefficientWrite::WRITTEN : CoefficientWrite::FAILED, first,
                      count};
    if (written.ok()) {
        LogToWindow(!uncalculable ? COEFFICIENTS_SENT_TEXT
                    : keep        ? kBoardsKeptText
                                  : kDefaultsSavedText);
        if (uncalculable)
            LogFailedChannelsOutcome("ADC", calculated, "defaults written to",
                                     keep ? 0 : uncalculable, keep ? uncalculable : 0);
    }
    return BoardOutcome(written, "the coefficients did not reach the board");
}

const CoefficientWrite& LastAdcCoefficientWrite(void) {
    return g_lastAdcWrite;
}
