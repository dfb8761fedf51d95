// The calibration's voltage boxes: one range per kind of box, in the panel
// file's boxes and the run-time ones alike, and a comma read as the decimal point.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/shell.h"
#include "panel/Tarviktest.h"
#include "runtime/userint.h"
#include "tests/support/console_fixture.h"

namespace {

using VoltageBoxTest = ConsoleTest;

struct Range {
    double minimum, maximum;
};

Range rangeOf(int control) {
    Range r{};
    EXPECT_EQ(GetCtrlAttribute(g_hmainPanel, control, ATTR_MIN_VALUE, &r.minimum), 0);
    EXPECT_EQ(GetCtrlAttribute(g_hmainPanel, control, ATTR_MAX_VALUE, &r.maximum), 0);
    return r;
}

double valueOf(int control) {
    double v = 0;
    EXPECT_EQ(GetCtrlVal(g_hmainPanel, control, &v), 0);
    return v;
}

TEST_F(VoltageBoxTest, EachKindOfBoxHasOneRange) {
    struct Kind {
        std::vector<int> boxes;
        Range range;
    };
    std::vector<int> readings;  // DAC meter readings and ADC applied voltages
    for (int k = 0; k < CHANNEL_COUNT; ++k) {
        for (const int* column :
             {g_iCidDac_volt1_box, g_iCidDac_volt2_box, g_iCidAdc_volt1_box, g_iCidAdc_volt2_box})
            readings.push_back(column[k]);
    }
    const Kind kinds[] = {
        {{PANEL_DAC_CONTROL_VOLTAGE1, PANEL_DAC_CONTROL_VOLTAGE2}, {0, 32.5}},
        {{PANEL_DAC_OUTPUT_VOLTAGE}, {-32.5, 32.5}},
        // A reading slightly outside the output range must still be enterable.
        {readings, {-5, 40}},
    };
    for (const Kind& kind : kinds) {
        for (int box : kind.boxes) {
            const Range r = rangeOf(box);
            EXPECT_EQ(r.minimum, kind.range.minimum) << box;
            EXPECT_EQ(r.maximum, kind.range.maximum) << box;
        }
    }
}

TEST_F(VoltageBoxTest, ACommaIsTheDecimalPointNeverDropped) {
    for (int box : {int{PANEL_DAC_CONTROL_VOLTAGE1}, g_iCidDac_volt1_box[0], g_iCidDac_volt2_box[7],
                    g_iCidAdc_volt1_box[15], int{PANEL_DAC_OUTPUT_VOLTAGE}}) {
        type(box, "12,5");
        EXPECT_DOUBLE_EQ(valueOf(box), 12.5) << box;
        type(box, "3.25");
        EXPECT_DOUBLE_EQ(valueOf(box), 3.25) << box;
    }
}

TEST_F(VoltageBoxTest, AVoltageOutsideItsBoxsRangeCannotBeEntered) {
    type(PANEL_DAC_CONTROL_VOLTAGE1, "40");
    EXPECT_LE(valueOf(PANEL_DAC_CONTROL_VOLTAGE1), 32.5);
    type(PANEL_DAC_CONTROL_VOLTAGE1, "-1");
    EXPECT_GE(valueOf(PANEL_DAC_CONTROL_VOLTAGE1), 0.0);
    type(PANEL_DAC_OUTPUT_VOLTAGE, "40");
    EXPECT_LE(valueOf(PANEL_DAC_OUTPUT_VOLTAGE), 32.5);
    // A meter may read a little beyond what the output can reach.
    type(g_iCidDac_volt2_box[3], "32.7");
    EXPECT_DOUBLE_EQ(valueOf(g_iCidDac_volt2_box[3]), 32.7);
    type(g_iCidAdc_volt1_box[3], "-0.02");
    EXPECT_DOUBLE_EQ(valueOf(g_iCidAdc_volt1_box[3]), -0.02);
    type(g_iCidAdc_volt2_box[9], "1000");
    EXPECT_LE(valueOf(g_iCidAdc_volt2_box[9]), 40.0);
}

}  // namespace
