#include "calibration/adc_calibration.h"

#include <cstdio>
#include <string>

#include "calibration/channel_select.h"
#include "calibration/coefficient_transfer.h"
#include "calibration/two_point.h"
#include "link/connection_check.h"
#include "panel/Tarviktest.h"
#include "panel/serial_monitor.h"
#include "registers/address_map.h"
#include "registers/register_access.h"
#include "runtime/userint.h"

int g_iAdcCounts1[CHANNEL_COUNT];
int g_iAdcCounts2[CHANNEL_COUNT];
float g_fAdcCoefGain[CHANNEL_COUNT];
float g_fAdcCoefOffset[CHANNEL_COUNT];

namespace {

// A channel without two distinct counts still gets finite coefficients, so the
// board never divides or multiplies by garbage.
constexpr float kDefaultAdcGain = 0.001f;
constexpr float kDefaultAdcOffset = 0.0f;

enum { NO_POINT = 0, POINT_1 = 1, POINT_2 = 2 };

const char kDefaultsSavedText[] = "Calculation with error;\n saved default values";
const char kBoardsKeptText[] = "Calculation with error;\n kept the board's coefficients";

CoefficientWrite g_lastAdcWrite;
// Whether each channel's point 1 and point 2 has been captured in this run: a count of 0
// that was never captured is no reading to warn about.
bool g_pointTaken[2][CHANNEL_COUNT];

int IsDimmed(int control) {
    int dimmed = 0;
    GetCtrlAttribute(g_hmainPanel, control, ATTR_DIMMED, &dimmed);
    return dimmed;
}

// The point a capture takes for boxes in this state; NO_POINT when both are taken.
int NextPoint(int volt1Box, int volt2Box) {
    if (!IsDimmed(volt1Box)) return POINT_1;
    if (!IsDimmed(volt2Box)) return POINT_2;
    return NO_POINT;
}

// Reads channel n's raw count. On failure tells the operator and returns 0.
int ReadAdcCount(int n, int* count) {
    if (ReadAdcChannelCount(n, count).ok()) return 1;
    MessagePopup("Error message", "Failed to get Adc counts");
    return 0;
}

float boxVolts(int box) {
    float volts = 0.0f;
    GetCtrlVal(g_hmainPanel, box, &volts);
    return volts;
}

// Keeps count as point (POINT_1 or POINT_2) of channel n, locks its box and
// logs the pair, so the operator can check it against the meter.
void StorePoint(int point, int n, int count) {
    const bool first = point == POINT_1;
    const int box = first ? g_iCidAdc_volt1_box[n] : g_iCidAdc_volt2_box[n];
    SetCtrlAttribute(g_hmainPanel, box, ATTR_DIMMED, 1);
    (first ? g_iAdcCounts1 : g_iAdcCounts2)[n] = count;
    g_pointTaken[point - 1][n] = true;
    LogAdcPoint(n, point, count, boxVolts(box));
    if (g_pointTaken[first ? 1 : 0][n])
        WarnOfEqualAdcCounts(n, point, count, (first ? g_iAdcCounts2 : g_iAdcCounts1)[n]);
}

// Computes channel n's coefficients and logs them, or falls back to the defaults.
void CalculateChannel(int n, int count1, int count2, float volts1, float volts2) {
    if (count2 == count1) {
        std::snprintf(disp_str, sizeof disp_str, "Calculation error Ch%d", n + 1);
        LogError(disp_str);
        g_fAdcCoefGain[n] = kDefaultAdcGain;
        g_fAdcCoefOffset[n] = kDefaultAdcOffset;
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
                  n + 1, point, count, point == POINT_1 ? POINT_2 : POINT_1, otherCount);
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

int Get_AdcCounts_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT || !ConnectedOrWarn()) return 0;
    int n = -1;
    GetCtrlVal(g_hmainPanel, PANEL_ADC_CHANNEL, &n);
    if (!IsAdcChannelIndex(n)) return 0;
    const int point = NextPoint(g_iCidAdc_volt1_box[n], g_iCidAdc_volt2_box[n]);
    int count = 0;
    if (!ReadAdcCount(n, &count) || point == NO_POINT) return 0;
    StorePoint(point, n, count);
    if (point == POINT_2 && IsAdcChannelIndex(n + 1))
        SetCtrlVal(g_hmainPanel, PANEL_ADC_CHANNEL, n + 1);
    return 0;
}

int ReadAll_Adc_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT || !ConnectedOrWarn()) return 0;
    const int point = NextPoint(g_iCidAdc_volt1_box[0], g_iCidAdc_volt2_box[0]);
    for (int n = 0; n < CHANNEL_COUNT; ++n) {
        int count = 0;
        if (!ReadAdcCount(n, &count)) return 0;
        if (point == NO_POINT) {
            MessagePopup("Warning message", "First reset all channels");
            return 0;
        }
        StorePoint(point, n, count);
    }
    return 0;
}

int Calculate_Adc_coeficients_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT || !ConnectedOrWarn()) return 0;
    float volts1[CHANNEL_COUNT], volts2[CHANNEL_COUNT];
    for (int n = 0; n < CHANNEL_COUNT; ++n) {
        volts1[n] = boxVolts(g_iCidAdc_volt1_box[n]);
        volts2[n] = boxVolts(g_iCidAdc_volt2_box[n]);
    }
    FailedChannels failed = FailedChannels::KeepBoards;
    if (const ChannelMask uncalculable =
            AdcUncalculableChannels(0, CHANNEL_COUNT, g_iAdcCounts1, g_iAdcCounts2)) {
        char defaults[64];
        std::snprintf(defaults, sizeof defaults, "the default values (gain %g, offset %g)",
                      static_cast<double>(kDefaultAdcGain), static_cast<double>(kDefaultAdcOffset));
        const std::string question =
            FallbackQuestion("ADC", uncalculable, "no two different counts", defaults);
        if (ConfirmPopup("Warning message", question.c_str()))
            failed = FailedChannels::WriteDefaults;
    }
    CalculateAdcCoefficients(0, CHANNEL_COUNT, g_iAdcCounts1, g_iAdcCounts2, volts1, volts2,
                             failed);
    return 0;
}

int Reset_AdcChannel_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    for (int n = 0; n < CHANNEL_COUNT; ++n) {
        SetCtrlAttribute(g_hmainPanel, g_iCidAdc_volt1_box[n], ATTR_DIMMED, 0);
        SetCtrlAttribute(g_hmainPanel, g_iCidAdc_volt2_box[n], ATTR_DIMMED, 0);
    }
    return 0;
}

int Save_AdcCoeficients_cb(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT && ConnectedOrWarn()) LogSaveOutcome("ADC", g_lastAdcWrite);
    return 0;
}

int Display_AdcCoef_cb(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT && ConnectedOrWarn())
        DisplayCoefficientBlocks("ADC coeficients", ADDR_ADC_GAIN, ADDR_ADC_OFFSET);
    return 0;
}
