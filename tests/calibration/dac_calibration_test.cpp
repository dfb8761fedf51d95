// The DAC calibration commands as the operator drives them, checked on the
// virtual board's line, in the monitor and in the coefficient arrays.
#include "calibration/dac_calibration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "app/shell.h"
#include "calibration/dac_calibration_panel.h"
#include "link/connection.h"
#include "link/serial_link.h"
#include "panel/Tarviktest.h"
#include "runtime/userint.h"
#include "tests/calibration/calibration_fixture.h"

namespace {

using Kind = boardsim::Fault::Kind;

constexpr uint32_t kSetRegisterHeader = 0x41000003;
constexpr uint32_t kOneWordBlockHeader = 0x43000003;

class DacCalibrationTest : public CalibrationTest {
  protected:
    // Control voltages 5 and 25 V, measured 5.1 and 25.3 V on every channel.
    void enterGainOfOnePointZeroOne(int channel) {
        type(PANEL_DAC_CHANNEL, std::to_string(channel));
        type(PANEL_DAC_CONTROL_VOLTAGE1, "5");
        type(PANEL_DAC_CONTROL_VOLTAGE2, "25");
        for (int i = 0; i < CHANNEL_COUNT; ++i) {
            type(g_iCidDac_volt1_box[i], "5.1");
            type(g_iCidDac_volt2_box[i], "25.3");
        }
    }
};

TEST_F(DacCalibrationTest, SetVoltageOnAllChannelsWritesEveryCodeRegisterInOrder) {
    type(PANEL_DAC_CHANNEL, "0");
    type(PANEL_DAC_CONTROL_VOLTAGE1, "10");
    const auto frames = clickAndCollect(PANEL_SET_VOLTAGE1);
    ASSERT_EQ(frames.size(), 16u);
    for (int k = 0; k < CHANNEL_COUNT; ++k) {
        EXPECT_EQ(frames[k][0], kSetRegisterHeader);
        EXPECT_EQ(frames[k][1], 0xFFFF4EC4u) << "mask 0xFFFF, code 20164";
        EXPECT_EQ(FrameAddress(frames[k]), 0x20 + k);
        EXPECT_EQ(board.reg(0x20 + k), 0x4EC4);
    }
}

TEST_F(DacCalibrationTest, SetVoltageOnOneChannelSendsItsCodeAcrossTheSpan) {
    type(PANEL_DAC_CHANNEL, "5");
    struct Case {
        const char* typed;
        uint32_t word;
    };
    // The box takes 0 to 32.5 V only (see the voltage box tests), so no code
    // outside the DAC's span can be asked for.
    for (const Case c : {Case{"16.25", 0xFFFF7FFF}, Case{"32.5", 0xFFFFFFFF}, Case{"0", 0xFFFF0000},
                         Case{"16,25", 0xFFFF7FFF}}) {
        type(PANEL_DAC_CONTROL_VOLTAGE2, c.typed);
        const auto frames = clickAndCollect(PANEL_SET_VOLTAGE2);
        ASSERT_EQ(frames.size(), 1u) << c.typed;
        EXPECT_EQ(frames[0][1], c.word) << c.typed;
        EXPECT_EQ(FrameAddress(frames[0]), 0x24) << c.typed;
    }
}

TEST_F(DacCalibrationTest, OneChannelCalibrationSendsItsGainBitExactAndLogsIt) {
    enterGainOfOnePointZeroOne(1);
    const auto frames = clickAndCollect(PANEL_CALC_DAC);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0][0], kOneWordBlockHeader);
    EXPECT_EQ(frames[0][1], 0x3F8147AEu);
    EXPECT_EQ(FrameAddress(frames[0]), 0x60);
    EXPECT_EQ(frames[1][1], FloatBits(g_fDacCoefOffset[0]));
    EXPECT_EQ(FrameAddress(frames[1]), 0x70);
    EXPECT_NEAR(g_fDacCoefOffset[0], 0.05, 1e-5);
    EXPECT_EQ(board.word(0x60), 0x3F8147AEu);

    const std::vector<std::string> expected{"Calculated ceficients:",
                                            "Ch1: GCF: 1.01, OCF: 0.04999995"};
    EXPECT_EQ(monitorFrom("Calculated ceficients:"), expected);
    EXPECT_EQ(monitorFrom(kCoefficientsSentLine).size(), 3u) << "the success line comes first";
}

TEST_F(DacCalibrationTest, CalibratingChannelThreeTouchesOnlyItsCells) {
    std::fill(std::begin(g_fDacCoefGain), std::end(g_fDacCoefGain), 7.0f);
    std::fill(std::begin(g_fDacCoefOffset), std::end(g_fDacCoefOffset), -7.0f);
    enterGainOfOnePointZeroOne(3);
    const auto frames = clickAndCollect(PANEL_CALC_DAC);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(BlockData(frames[0]), std::vector<uint32_t>{0x3F8147AE});
    EXPECT_EQ(FrameAddress(frames[0]), 0x62);
    EXPECT_EQ(BlockData(frames[1]).size(), 1u);
    EXPECT_EQ(FrameAddress(frames[1]), 0x72);
    for (int i = 0; i < CHANNEL_COUNT; ++i) {
        if (i == 2) continue;
        EXPECT_EQ(g_fDacCoefGain[i], 7.0f) << i;
        EXPECT_EQ(g_fDacCoefOffset[i], -7.0f) << i;
    }
    EXPECT_EQ(FloatBits(g_fDacCoefGain[2]), 0x3F8147AEu);
    const std::vector<std::string> expected{"Calculated ceficients:",
                                            "Ch3: GCF: 1.01, OCF: 0.04999995"};
    EXPECT_EQ(monitorFrom("Calculated ceficients:"), expected);
}

TEST_F(DacCalibrationTest, AllChannelCalibrationWritesTwoSixteenWordBlocks) {
    enterGainOfOnePointZeroOne(0);
    type(g_iCidDac_volt2_box[15], "37.1");  // channel 16: gain 1.6
    const auto frames = clickAndCollect(PANEL_CALC_DAC);
    ASSERT_EQ(frames.size(), 2u);
    ASSERT_EQ(BlockData(frames[0]).size(), 16u);
    EXPECT_EQ(FrameAddress(frames[0]), 0x60);
    EXPECT_EQ(FrameAddress(frames[1]), 0x70);
    EXPECT_EQ(BlockData(frames[0])[0], 0x3F8147AEu);
    EXPECT_FLOAT_EQ(BitsFloat(BlockData(frames[0])[15]), 1.6f);
    EXPECT_NEAR(BitsFloat(BlockData(frames[1])[15]), -2.9, 1e-5);
    const auto lines = monitorFrom("Calculated ceficients:");
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(lines[1], "Ch1: GCF: 1.01, OCF: 0.04999995");
    EXPECT_EQ(lines[16], "Ch16: GCF: 1.6, OCF: -2.9");
}

// Boxes left at 0 would give those channels a gain of 0, an output stuck at its offset. The
// console asks; No, the default, writes the board's own pair back for them.
TEST_F(DacCalibrationTest, EqualReadingsAskBeforeAZeroGainAndNoKeepsTheBoards) {
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        for (int i = 0; i < CHANNEL_COUNT; ++i) board.setWord(0x60 + i, FloatBits(0.99f));
        enterGainOfOnePointZeroOne(0);
        for (const int i : {1, 3}) {
            type(g_iCidDac_volt1_box[i], "0");
            type(g_iCidDac_volt2_box[i], "0");
        }
        popups.questions.clear();
        popups.questionAnswers = {yes};
        ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
        const auto frames = clickAndCollect(PANEL_CALC_DAC);

        ASSERT_EQ(popups.questions.size(), 1u);
        EXPECT_EQ(popups.questions[0].message,
                  "DAC Ch2, Ch4: the two meter readings are equal.\nWrite a gain of 0 to these "
                  "channels?\nNo keeps the board's own coefficients there.");
        ASSERT_EQ(frames.size(), yes ? 2u : 4u);
        const auto gains = BlockData(frames[yes ? 0 : 2]);
        ASSERT_EQ(gains.size(), 16u);
        EXPECT_EQ(gains[0], 0x3F8147AEu);
        EXPECT_EQ(gains[1], yes ? 0u : FloatBits(0.99f));
        EXPECT_EQ(gains[3], yes ? 0u : FloatBits(0.99f));
        const auto lines = messages();
        EXPECT_EQ(lines.front(),
                  "WARNING: DAC Ch2, Ch4: the two meter readings are equal; the gain would be 0");
        EXPECT_EQ(lines.back(), yes ? "DAC coefficients: calculated Ch1, Ch3, Ch5-Ch16; a gain "
                                      "of 0 written to Ch2, Ch4"
                                    : "DAC coefficients: calculated Ch1, Ch3, Ch5-Ch16; the "
                                      "board's own kept for Ch2, Ch4");
        // A kept channel is no calculated one: it has no coefficient line.
        EXPECT_EQ(monitorFrom("Calculated ceficients:").size(), yes ? 18u : 16u);
    }
}

TEST_F(DacCalibrationTest, EqualControlVoltagesAreRefusedWithNothingSent) {
    enterGainOfOnePointZeroOne(0);
    type(PANEL_DAC_CONTROL_VOLTAGE2, "5");
    EXPECT_TRUE(clickAndCollect(PANEL_CALC_DAC).empty());
    ASSERT_EQ(popups.popups.size(), 1u);
    EXPECT_EQ(popups.popups[0].title, "Set voltage error");
    EXPECT_EQ(popups.popups[0].message,
              "Control voltage1 and Control voltage mustn't be the same!");
    EXPECT_EQ(std::count(std::begin(g_fDacCoefGain), std::end(g_fDacCoefGain), 0.0f), 16);
    EXPECT_FALSE(monitorHas("Calculated ceficients:"));
    EXPECT_EQ(
        Calculate_DAC_coeficients_cb(g_hmainPanel, PANEL_CALC_DAC, EVENT_COMMIT, nullptr, 0, 0),
        -1);
}

TEST_F(DacCalibrationTest, CoefficientsAreTheSinglePrecisionValuesTheBoardKeeps) {
    // 5 and 25 V read 0.01 and 0.2 V on the meter: in double the gain would be
    // 0.0095 exactly and the lines could not tell the stored float from it.
    type(PANEL_DAC_CHANNEL, "2");
    type(PANEL_DAC_CONTROL_VOLTAGE1, "5");
    type(PANEL_DAC_CONTROL_VOLTAGE2, "25");
    type(g_iCidDac_volt1_box[1], "0.01");
    type(g_iCidDac_volt2_box[1], "0.2");
    const auto frames = clickAndCollect(PANEL_CALC_DAC);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(BlockData(frames[0]), std::vector<uint32_t>{0x3C1BA5E4});
    EXPECT_EQ(BlockData(frames[1]), std::vector<uint32_t>{0xBD19999A});
    EXPECT_EQ(monitorFrom("Calculated ceficients:"),
              (std::vector<std::string>{"Calculated ceficients:",
                                        "Ch2: GCF: 0.009500001, OCF: -0.0375"}));
}

TEST_F(DacCalibrationTest, FailedGainWriteSkipsOffsetsButStillLogsCoefficients) {
    shortenReceiveWait();
    enterGainOfOnePointZeroOne(0);
    board.setFault({.kind = Kind::WrongId, .count = 1});
    EXPECT_EQ(clickAndCollect(PANEL_CALC_DAC).size(), 1u);
    EXPECT_FALSE(monitorHas(kCoefficientsSentLine));
    EXPECT_EQ(monitorFrom("Calculated ceficients:").size(), 17u);

    ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    board.setFault({.kind = Kind::WrongId, .count = 1, .after = 1});
    EXPECT_EQ(clickAndCollect(PANEL_CALC_DAC).size(), 2u);
    EXPECT_FALSE(monitorHas(kCoefficientsSentLine));
    EXPECT_EQ(monitorFrom("Calculated ceficients:").size(), 17u);
}

TEST_F(DacCalibrationTest, CalibratedOutputSendsTheSetPoint) {
    type(PANEL_DAC_OUTPUT_CHANNEL, "3");
    type(PANEL_DAC_OUTPUT_VOLTAGE, "12");
    auto frames = clickAndCollect(PANEL_SET_CALIBRATED);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], (std::vector<uint32_t>{0x43000003, 0x41400000, 0x00420009}));

    type(PANEL_DAC_OUTPUT_CHANNEL, "0");
    frames = clickAndCollect(PANEL_SET_CALIBRATED);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(BlockData(frames[0]), std::vector<uint32_t>(16, 0x41400000));
    EXPECT_EQ(FrameAddress(frames[0]), 0x40);

    type(PANEL_DAC_OUTPUT_CHANNEL, "16");
    type(PANEL_DAC_OUTPUT_VOLTAGE, "-32.5");
    frames = clickAndCollect(PANEL_SET_CALIBRATED);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(BlockData(frames[0]), std::vector<uint32_t>{FloatBits(-32.5f)});
    EXPECT_EQ(FrameAddress(frames[0]), 0x4F);
}

TEST_F(DacCalibrationTest, DisplayLogsTheBoardsCoefficientsNotThePcs) {
    for (int k = 0; k < CHANNEL_COUNT; ++k) {
        board.setWord(0x60 + k, FloatBits(1.0f + k / 100.0f));
        board.setWord(0x70 + k, FloatBits(-0.5f));
    }
    g_fDacCoefGain[0] = 9.0f;
    const auto frames = clickAndCollect(PANEL_DISPLAY_DAC);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(FrameAddress(frames[0]), 0x60);
    EXPECT_EQ(FrameAddress(frames[1]), 0x70);
    const auto lines = monitorFrom("DAC coeficients");
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(lines[1], "Ch1: GCF: 1, OCF: -0.5");
    EXPECT_EQ(lines[16], "Ch16: GCF: 1.15, OCF: -0.5");
    EXPECT_EQ(g_fDacCoefGain[0], 9.0f);
}

TEST_F(DacCalibrationTest, FailedReadBackShowsNothing) {
    board.setFault({.kind = Kind::WrongId, .count = 1, .after = 1});
    EXPECT_EQ(clickAndCollect(PANEL_DISPLAY_DAC).size(), 2u);
    EXPECT_FALSE(monitorHas("DAC coeficients"));
}

TEST_F(DacCalibrationTest, SaveSendsNothingAndSaysWhatTheLastCalculationWrote) {
    enterGainOfOnePointZeroOne(3);
    click(PANEL_CALC_DAC);
    ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    EXPECT_TRUE(clickAndCollect(PANEL_SAVE_DAC).empty());
    EXPECT_EQ(monitorLines(), (std::vector<std::string>{
                                  "Save DAC coefficients: nothing sent, the board has no save "
                                  "command; the last calculation wrote channel 3's coefficients "
                                  "to the board"}));

    type(PANEL_DAC_CHANNEL, "0");
    click(PANEL_CALC_DAC);
    ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    click(PANEL_SAVE_DAC);
    EXPECT_EQ(lastMonitorLine(),
              "Save DAC coefficients: nothing sent, the board has no save command; the last "
              "calculation wrote channels 1 to 16's coefficients to the board");

    shortenReceiveWait();
    board.setFault({.kind = Kind::WrongId, .count = 1});
    click(PANEL_CALC_DAC);
    click(PANEL_SAVE_DAC);
    EXPECT_EQ(lastMonitorLine(),
              "Save DAC coefficients: nothing sent, the board has no save command; the last "
              "calculation did not write its coefficients to the board");
    EXPECT_TRUE(popups.popups.empty());
}

}  // namespace
