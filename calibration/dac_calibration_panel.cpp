#include "calibration/dac_calibration_panel.h"

#include "calibration/channel_select.h"
#include "calibration/coefficient_transfer.h"
#include "calibration/dac_calibration.h"
#include "link/connection_panel.h"
#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "registers/address_map.h"
#include "runtime/userint.h"

namespace {

int panelChannel(int selector) {
    int ch = 0;
    GetCtrlVal(g_hmainPanel, selector, &ch);
    return ch;
}

float panelVolts(int control) {
    float volts = 0.0f;
    GetCtrlVal(g_hmainPanel, control, &volts);
    return volts;
}

}  // namespace

int Set_Voltage1_cb(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT && ConnectedOrWarn())
        DriveDacOutputs(panelChannel(PANEL_DAC_CHANNEL), panelVolts(PANEL_DAC_CONTROL_VOLTAGE1), 0);
    return 0;
}

int Set_Voltage2_cb(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT && ConnectedOrWarn())
        DriveDacOutputs(panelChannel(PANEL_DAC_CHANNEL), panelVolts(PANEL_DAC_CONTROL_VOLTAGE2), 0);
    return 0;
}

int Calculate_DAC_coeficients_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT || !ConnectedOrWarn()) return 0;
    const int ch = panelChannel(PANEL_DAC_CHANNEL);
    int first = 0, count = 0;
    if (!DacChannelSpan(ch, &first, &count)) return 0;
    float l_fMeasuredVoltage1[CHANNEL_COUNT] = {};
    float l_fMeasuredVoltage2[CHANNEL_COUNT] = {};
    for (int i = first; i < first + count; ++i) {
        l_fMeasuredVoltage1[i] = panelVolts(g_iCidDac_volt1_box[i]);
        l_fMeasuredVoltage2[i] = panelVolts(g_iCidDac_volt2_box[i]);
    }
    const float control1 = panelVolts(PANEL_DAC_CONTROL_VOLTAGE1);
    const float control2 = panelVolts(PANEL_DAC_CONTROL_VOLTAGE2);
    FailedChannels failed = FailedChannels::KeepBoards;
    if (const ChannelMask flat = DacUncalculableChannels(ch, control1, control2,
                                                         l_fMeasuredVoltage1, l_fMeasuredVoltage2);
        flat && ConfirmPopup(
                    "Warning message",
                    FallbackQuestion("DAC", flat, "the two meter readings are equal", "a gain of 0")
                        .c_str()))
        failed = FailedChannels::WriteDefaults;
    if (CalculateDacCoefficients(ch, control1, control2, l_fMeasuredVoltage1, l_fMeasuredVoltage2,
                                 failed)
            .error == CalibrationError::SameVoltages) {
        MessagePopup("Set voltage error",
                     "Control voltage1 and Control voltage mustn't be the same!");
        return -1;
    }
    return 0;
}

int Save_DAC_coeficients_cb(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT && ConnectedOrWarn())
        LogSaveOutcome("DAC", LastDacCoefficientWrite());
    return 0;
}

int Display_DacCoef_cb(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT && ConnectedOrWarn())
        DisplayCoefficientBlocks("DAC coeficients", ADDR_DAC_GAIN, ADDR_DAC_OFFSET);
    return 0;
}

int Set_Dac_Calibrated_Output_cb(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT && ConnectedOrWarn())
        SetDacCalibratedOutput(panelChannel(PANEL_DAC_OUTPUT_CHANNEL),
                               panelVolts(PANEL_DAC_OUTPUT_VOLTAGE));
    return 0;
}
