#include "calibration/dac_calibration.h"

#include "calibration/channel_select.h"
#include "calibration/coefficient_transfer.h"
#include "calibration/dac_code.h"
#include "calibration/two_point.h"
#include "link/connection_check.h"
#include "panel/Tarviktest.h"
#include "panel/serial_monitor.h"
#include "registers/address_map.h"
#include "registers/block_access.h"
#include "registers/register_access.h"
#include "runtime/userint.h"

float g_fDacCoefGain[CHANNEL_COUNT];
float g_fDacCoefOffset[CHANNEL_COUNT];

namespace {

CoefficientWrite g_lastDacWrite;

// Drives the selected raw outputs to the voltage typed in voltageControl.
void SetControlVoltage(int voltageControl) {
    int ch = 0;
    float volts = 0.0f;
    GetCtrlVal(g_hmainPanel, PANEL_DAC_CHANNEL, &ch);
    GetCtrlVal(g_hmainPanel, voltageControl, &volts);
    int first = 0, count = 0;
    if (!DacChannelSpan(ch, &first, &count)) return;
    const int code = DacCode(volts);
    unsigned int readback = 0;
    for (int i = first; i < first + count; ++i)
        SetRegister(ADDR_DAC_CODE + i, FULL_REGISTER_MASK, code, &readback);
}

}  // namespace

int Set_Voltage1_cb(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT && ConnectedOrWarn()) SetControlVoltage(PANEL_DAC_CONTROL_VOLTAGE1);
    return 0;
}

int Set_Voltage2_cb(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT && ConnectedOrWarn()) SetControlVoltage(PANEL_DAC_CONTROL_VOLTAGE2);
    return 0;
}

int Calculate_DAC_coeficients_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT || !ConnectedOrWarn()) return 0;
    int ch = 0;
    float typed1 = 0.0f, typed2 = 0.0f;
    GetCtrlVal(g_hmainPanel, PANEL_DAC_CHANNEL, &ch);
    GetCtrlVal(g_hmainPanel, PANEL_DAC_CONTROL_VOLTAGE1, &typed1);
    GetCtrlVal(g_hmainPanel, PANEL_DAC_CONTROL_VOLTAGE2, &typed2);
    int first = 0, count = 0;
    if (!DacChannelSpan(ch, &first, &count)) return 0;

    // A voltage beyond the span set the output to the span's end, so the line
    // must go through the end, not through what was typed.
    const float control1 = LimitControlVoltage(typed1);
    const float control2 = LimitControlVoltage(typed2);
    if (control1 == control2) {
        MessagePopup("Set voltage error",
                     "Control voltage1 and Control voltage mustn't be the same!");
        return -1;
    }

    float l_fMeasuredVoltage1[CHANNEL_COUNT] = {};
    float l_fMeasuredVoltage2[CHANNEL_COUNT] = {};
    for (int i = first; i < first + count; ++i) {
        GetCtrlVal(g_hmainPanel, g_iCidDac_volt1_box[i], &l_fMeasuredVoltage1[i]);
        GetCtrlVal(g_hmainPanel, g_iCidDac_volt2_box[i], &l_fMeasuredVoltage2[i]);
        g_fDacCoefGain[i] =
            DacGainCoefficient(control1, control2, l_fMeasuredVoltage1[i], l_fMeasuredVoltage2[i]);
        g_fDacCoefOffset[i] =
            OffsetCoefficient(g_fDacCoefGain[i], control1, l_fMeasuredVoltage1[i]);
    }

    const bool written =
        WriteCoefficientBlocks(ADDR_DAC_GAIN + first, ADDR_DAC_OFFSET + first, count,
                               &g_fDacCoefGain[first], &g_fDacCoefOffset[first]);
    g_lastDacWrite = {written ? CoefficientWrite::WRITTEN : CoefficientWrite::FAILED, first, count};
    if (written) LogToWindow(COEFFICIENTS_SENT_TEXT);
    LogToWindow(CALCULATED_COEFFICIENTS_TEXT);
    for (int i = first; i < first + count; ++i)
        LogCoefficientLine(i + 1, g_fDacCoefGain[i], g_fDacCoefOffset[i]);
    return 0;
}

int Save_DAC_coeficients_cb(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT && ConnectedOrWarn()) LogSaveOutcome("DAC", g_lastDacWrite);
    return 0;
}

int Display_DacCoef_cb(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT && ConnectedOrWarn())
        DisplayCoefficientBlocks("DAC coeficients", ADDR_DAC_GAIN, ADDR_DAC_OFFSET);
    return 0;
}

int Set_Dac_Calibrated_Output_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT || !ConnectedOrWarn()) return 0;
    int ch = 0;
    float volts = 0.0f;
    GetCtrlVal(g_hmainPanel, PANEL_DAC_OUTPUT_CHANNEL, &ch);
    GetCtrlVal(g_hmainPanel, PANEL_DAC_OUTPUT_VOLTAGE, &volts);
    int first = 0, count = 0;
    if (!DacChannelSpan(ch, &first, &count)) return 0;
    float l_fControlVoltage[CHANNEL_COUNT];
    for (float& setPoint : l_fControlVoltage) setPoint = LimitSetPoint(volts);
    SetBlock(ADDR_DAC_SETPOINT + first, count, &l_fControlVoltage[first]);
    return 0;
}
