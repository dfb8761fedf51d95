#include "calibration/adc_calibration_panel.h"

#include <cstdio>
#include <string>

#include "calibration/adc_calibration.h"
#include "calibration/channel_select.h"
#include "calibration/coefficient_transfer.h"
#include "link/connection_panel.h"
#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "panel/serial_monitor.h"
#include "registers/address_map.h"
#include "runtime/userint.h"

namespace {

enum { NO_POINT = 0 };

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
    if (!IsDimmed(volt1Box)) return ADC_POINT_1;
    if (!IsDimmed(volt2Box)) return ADC_POINT_2;
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

// Keeps count as point (ADC_POINT_1 or ADC_POINT_2) of channel n, locks its box and
// logs the pair, so the operator can check it against the meter.
void StorePoint(int point, int n, int count) {
    const bool first = point == ADC_POINT_1;
    const int box = first ? g_iCidAdc_volt1_box[n] : g_iCidAdc_volt2_box[n];
    SetCtrlAttribute(g_hmainPanel, box, ATTR_DIMMED, 1);
    (first ? g_iAdcCounts1 : g_iAdcCounts2)[n] = count;
    g_pointTaken[point - 1][n] = true;
    LogAdcPoint(n, point, count, boxVolts(box));
    if (g_pointTaken[first ? 1 : 0][n])
        WarnOfEqualAdcCounts(n, point, count, (first ? g_iAdcCounts2 : g_iAdcCounts1)[n]);
}

}  // namespace

int Get_AdcCounts_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT || !ConnectedOrWarn()) return 0;
    int n = -1;
    GetCtrlVal(g_hmainPanel, PANEL_ADC_CHANNEL, &n);
    if (!IsAdcChannelIndex(n)) return 0;
    const int point = NextPoint(g_iCidAdc_volt1_box[n], g_iCidAdc_volt2_box[n]);
    int count = 0;
    if (!ReadAdcCount(n, &count) || point == NO_POINT) return 0;
    StorePoint(point, n, count);
    if (point == ADC_POINT_2 && IsAdcChannelIndex(n + 1))
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
                      static_cast<double>(ADC_DEFAULT_GAIN),
                      static_cast<double>(ADC_DEFAULT_OFFSET));
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
    if (event == EVENT_COMMIT && ConnectedOrWarn())
        LogSaveOutcome("ADC", LastAdcCoefficientWrite());
    return 0;
}

int Display_AdcCoef_cb(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT && ConnectedOrWarn())
        DisplayCoefficientBlocks("ADC coeficients", ADDR_ADC_GAIN, ADDR_ADC_OFFSET);
    return 0;
}
