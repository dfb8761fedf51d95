// Whole calibrations of the virtual board from the panel: the operator reads a
// meter (the board's model) into the boxes, calculates, and the board's
// outputs and inputs are then right to within a millivolt.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/shell.h"
#include "panel/Tarviktest.h"
#include "tests/calibration/calibration_fixture.h"

namespace {

constexpr double kMillivolt = 0.001;

using CalibrationEndToEndTest = CalibrationTest;

TEST_F(CalibrationEndToEndTest, AllDacOutputsLandOnTheirSetPoints) {
    // Uncalibrated, the outputs miss by tens of millivolts.
    double worstBefore = 0.0;
    type(PANEL_DAC_CHANNEL, "0");
    type(PANEL_DAC_CONTROL_VOLTAGE1, "3");
    click(PANEL_SET_VOLTAGE1);
    for (int k = 0; k < CHANNEL_COUNT; ++k) {
        worstBefore = std::max(worstBefore, std::fabs(board.outputVoltage(k) - 3.0));
        typeVolts(g_iCidDac_volt1_box[k], board.outputVoltage(k));
    }
    type(PANEL_DAC_CONTROL_VOLTAGE2, "30");
    click(PANEL_SET_VOLTAGE2);
    for (int k = 0; k < CHANNEL_COUNT; ++k)
        typeVolts(g_iCidDac_volt2_box[k], board.outputVoltage(k));
    click(PANEL_CALC_DAC);
    ASSERT_EQ(monitorFrom("Calculated ceficients:").size(), 17u);
    EXPECT_GT(worstBefore, 10 * kMillivolt);

    type(PANEL_DAC_OUTPUT_CHANNEL, "0");
    for (double setPoint : {0.5, 7.25, 12.0, 19.8765, 31.0}) {
        typeVolts(PANEL_DAC_OUTPUT_VOLTAGE, setPoint);
        click(PANEL_SET_CALIBRATED);
        for (int k = 0; k < CHANNEL_COUNT; ++k)
            EXPECT_NEAR(board.outputVoltage(k), setPoint, kMillivolt) << "channel " << k + 1;
    }
    type(PANEL_DAC_OUTPUT_CHANNEL, "9");
    typeVolts(PANEL_DAC_OUTPUT_VOLTAGE, 4.321);
    click(PANEL_SET_CALIBRATED);
    EXPECT_NEAR(board.outputVoltage(8), 4.321, kMillivolt);
    EXPECT_NEAR(board.outputVoltage(7), 31.0, kMillivolt) << "the other channels stay";
}

TEST_F(CalibrationEndToEndTest, AllAdcInputsReadTrueVoltsThroughTheBoardsCoefficients) {
    click(PANEL_RESET_ADC);
    for (int n = 0; n < CHANNEL_COUNT; ++n) {
        board.setInputVoltage(n, 2.0);
        typeVolts(g_iCidAdc_volt1_box[n], 2.0);
    }
    click(PANEL_CAPTURE_ALL_ADC);
    for (int n = 0; n < CHANNEL_COUNT; ++n) {
        board.setInputVoltage(n, 30.0);
        typeVolts(g_iCidAdc_volt2_box[n], 30.0);
    }
    click(PANEL_CAPTURE_ALL_ADC);
    click(PANEL_CALC_ADC);
    ASSERT_FALSE(monitorHas("Calculation error Ch1"));

    for (int n = 0; n < CHANNEL_COUNT; ++n) {
        const double gain = BitsFloat(board.word(0x80 + n));
        const double offset = BitsFloat(board.word(0x90 + n));
        for (double volts : {0.3, 2.0, 12.345, 24.6, 32.0}) {
            board.setInputVoltage(n, volts);
            EXPECT_NEAR(gain * board.reg(0x30 + n) + offset, volts, kMillivolt)
                << "channel " << n + 1 << " at " << volts << " V";
        }
    }
}

}  // namespace
