// The ADC calibration commands as the operator drives them: the capture state
// held in the boxes, the calculation and its fall-backs, the blocks on the line.
#include "calibration/adc_calibration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "app/shell.h"
#include "link/connection.h"
#include "link/serial_link.h"
#include "panel/Tarviktest.h"
#include "runtime/userint.h"
#include "tests/calibration/calibration_fixture.h"

namespace {

using Kind = boardsim::Fault::Kind;

class AdcCalibrationTest : public CalibrationTest {
  protected:
    // Captures one point of channel n with the board reporting count.
    void capture(int n, int count) {
        board.setReg(0x30 + n, static_cast<uint16_t>(count));
        type(PANEL_ADC_CHANNEL, std::to_string(n));
        click(PANEL_CAPTURE_ADC);
    }
    void captureAll(int count) {
        for (int n = 0; n < CHANNEL_COUNT; ++n)
            board.setReg(0x30 + n, static_cast<uint16_t>(count));
        click(PANEL_CAPTURE_ALL_ADC);
    }
};

TEST_F(AdcCalibrationTest, CalculatingBeforeAnyCaptureAsksAndYesWritesTheDefaults) {
    popups.questionAnswers = {true};
    const auto frames = clickAndCollect(PANEL_CALC_ADC);
    ASSERT_EQ(popups.questions.size(), 1u);
    EXPECT_EQ(popups.questions[0].title, "Warning message");
    EXPECT_EQ(popups.questions[0].message,
              "ADC Ch1-Ch16: no two different counts.\nWrite the default values (gain 0.001, "
              "offset 0) to these channels?\nNo keeps the board's own coefficients there.");
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(FrameAddress(frames[0]), 0x80);
    EXPECT_EQ(BlockData(frames[0]), std::vector<uint32_t>(16, FloatBits(0.001f)));
    EXPECT_EQ(FrameAddress(frames[1]), 0x90);
    EXPECT_EQ(BlockData(frames[1]), std::vector<uint32_t>(16, 0u));

    std::vector<std::string> expected{"Calculated ceficients:"};
    for (int k = 1; k <= 16; ++k) expected.push_back("Calculation error Ch" + std::to_string(k));
    expected.push_back(kDefaultsSavedLine);
    expected.push_back("ADC coefficients: defaults written to Ch1-Ch16");
    EXPECT_EQ(messages(), expected);
    EXPECT_FALSE(monitorHas(kCoefficientsSentLine));
}

// Recalibrating one channel must not wipe the fifteen others: by default they keep what the
// board holds, read first and written back unchanged beside the new pair.
TEST_F(AdcCalibrationTest, NoKeepsTheBoardsOwnCoefficientsForChannelsWithoutTwoCounts) {
    for (int n = 0; n < CHANNEL_COUNT; ++n) {
        board.setWord(0x80 + n, FloatBits(0.0005f * static_cast<float>(n + 1)));
        board.setWord(0x90 + n, FloatBits(-0.01f * static_cast<float>(n)));
    }
    std::vector<uint32_t> gains(16), offsets(16);
    for (int n = 0; n < CHANNEL_COUNT; ++n) {
        gains[n] = board.word(0x80 + n);
        offsets[n] = board.word(0x90 + n);
    }
    type(g_iCidAdc_volt1_box[2], "1.5");
    type(g_iCidAdc_volt2_box[2], "3.5");
    capture(2, 1024);
    capture(2, 3072);
    gains[2] = FloatBits(1.0f / 1024.0f);
    offsets[2] = FloatBits(0.5f);

    const auto frames = clickAndCollect(PANEL_CALC_ADC);
    ASSERT_EQ(popups.questions.size(), 1u);
    EXPECT_EQ(popups.questions[0].message.rfind("ADC Ch1-Ch2, Ch4-Ch16: no two different", 0), 0u);
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0][0], 0x44000003u) << "the board's gains are read first";
    EXPECT_EQ(FrameAddress(frames[0]), 0x80);
    EXPECT_EQ(FrameAddress(frames[1]), 0x90);
    EXPECT_EQ(BlockData(frames[2]), gains);
    EXPECT_EQ(BlockData(frames[3]), offsets);
    EXPECT_EQ(monitorLines().back(),
              "ADC coefficients: calculated Ch3; the board's own kept for Ch1-Ch2, Ch4-Ch16");
    EXPECT_TRUE(monitorHas("Calculation with error;\n kept the board's coefficients"));
    EXPECT_FALSE(monitorHas(kDefaultsSavedLine));

    // When the board's own cannot be read, nothing at all is written.
    shortenReceiveWait();
    board.setFault({.kind = Kind::WrongId, .count = 1, .after = 1});
    const auto failed = clickAndCollect(PANEL_CALC_ADC);
    EXPECT_EQ(failed.size(), 2u) << "the gain block read, the failed offset block read";
    EXPECT_EQ(monitorLines().back(),
              "ERROR: ADC coefficients not written: the board's own for Ch1-Ch2, Ch4-Ch16 could "
              "not be read");
    EXPECT_EQ(board.word(0x80), gains[0]);
}

TEST_F(AdcCalibrationTest, TwoCapturedPointsGiveTheExactLineAndTheDisplayShowsIt) {
    type(g_iCidAdc_volt1_box[0], "1.5");
    capture(0, 1024);
    type(g_iCidAdc_volt2_box[0], "3.5");
    capture(0, 3072);
    EXPECT_EQ(g_iAdcCounts1[0], 1024);
    EXPECT_EQ(g_iAdcCounts2[0], 3072);

    popups.questionAnswers = {true};
    click(PANEL_CALC_ADC);
    EXPECT_EQ(g_fAdcCoefGain[0], 1.0f / 1024.0f);
    EXPECT_EQ(g_fAdcCoefOffset[0], 0.5f);
    EXPECT_EQ(board.word(0x80), FloatBits(1.0f / 1024.0f));
    EXPECT_EQ(board.word(0x90), FloatBits(0.5f));
    EXPECT_TRUE(monitorHas("Ch1: GCF: 0.0009765625, OCF: 0.5"));
    EXPECT_TRUE(monitorHas("Calculation error Ch2"));

    ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    g_fAdcCoefGain[0] = 5.0f;
    const auto frames = clickAndCollect(PANEL_DISPLAY_ADC);
    ASSERT_EQ(frames.size(), 2u);
    const auto lines = monitorFrom("ADC coeficients");
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(lines[1], "Ch1: GCF: 0.0009765625, OCF: 0.5");
    EXPECT_EQ(lines[2], "Ch2: GCF: 0.001, OCF: 0");
    EXPECT_EQ(g_fAdcCoefGain[0], 5.0f) << "the display does not touch the PC's coefficients";
}

TEST_F(AdcCalibrationTest, AFallingLineIsWrittenLikeAnyOther) {
    type(g_iCidAdc_volt1_box[4], "1.5");
    type(g_iCidAdc_volt2_box[4], "3.5");
    capture(4, 3072);
    capture(4, 1024);
    click(PANEL_CALC_ADC);
    EXPECT_EQ(board.word(0x84), FloatBits(-1.0f / 1024.0f));
    EXPECT_EQ(board.word(0x94), FloatBits(4.5f));
}

TEST_F(AdcCalibrationTest, SingleCaptureTakesPointOneThenTwoThenNothing) {
    capture(3, 100);
    EXPECT_TRUE(dimmed(g_iCidAdc_volt1_box[3]));
    EXPECT_FALSE(dimmed(g_iCidAdc_volt2_box[3]));
    EXPECT_EQ(intValue(PANEL_ADC_CHANNEL), 3);

    capture(3, 200);
    EXPECT_TRUE(dimmed(g_iCidAdc_volt2_box[3]));
    EXPECT_EQ(intValue(PANEL_ADC_CHANNEL), 4) << "moves on to the next channel";

    capture(3, 300);
    EXPECT_EQ(g_iAdcCounts1[3], 100);
    EXPECT_EQ(g_iAdcCounts2[3], 200);
    EXPECT_TRUE(popups.popups.empty());
    for (int n = 0; n < CHANNEL_COUNT; ++n) {
        if (n == 3) continue;
        EXPECT_FALSE(dimmed(g_iCidAdc_volt1_box[n]) || dimmed(g_iCidAdc_volt2_box[n])) << n;
    }
}

TEST_F(AdcCalibrationTest, SelectorStaysOnTheLastChannelAfterItsSecondPoint) {
    capture(15, 100);
    capture(15, 200);
    EXPECT_EQ(intValue(PANEL_ADC_CHANNEL), 15);
    EXPECT_EQ(g_iAdcCounts2[15], 200);
    click(PANEL_CAPTURE_ADC);
    EXPECT_EQ(g_iAdcCounts2[15], 200);
    EXPECT_EQ(intValue(PANEL_ADC_CHANNEL), 15);
}

TEST_F(AdcCalibrationTest, AllChannelCaptureFollowsChannelOnesBoxes) {
    capture(0, 111);
    captureAll(2222);
    for (int n = 0; n < CHANNEL_COUNT; ++n) {
        EXPECT_EQ(g_iAdcCounts2[n], 2222) << n;
        EXPECT_TRUE(dimmed(g_iCidAdc_volt2_box[n])) << n;
        EXPECT_EQ(dimmed(g_iCidAdc_volt1_box[n]), n == 0) << n;
    }
    EXPECT_EQ(g_iAdcCounts1[0], 111);
    EXPECT_EQ(g_iAdcCounts1[1], 0);
    EXPECT_EQ(intValue(PANEL_ADC_CHANNEL), 0) << "the all-channel capture leaves the selector";

    board.clearRecording();
    captureAll(3333);
    ASSERT_EQ(popups.popups.size(), 1u);
    EXPECT_EQ(popups.popups[0].title, "Warning message");
    EXPECT_EQ(popups.popups[0].message, "First reset all channels");
    EXPECT_EQ(framesSent().size(), 1u);
    EXPECT_EQ(g_iAdcCounts2[0], 2222);
}

TEST_F(AdcCalibrationTest, AllChannelCaptureReadsEveryChannelInOrder) {
    const auto frames = clickAndCollect(PANEL_CAPTURE_ALL_ADC);
    ASSERT_EQ(frames.size(), 16u);
    for (int n = 0; n < CHANNEL_COUNT; ++n) {
        EXPECT_EQ(frames[n][0], 0x42000002u);
        EXPECT_EQ(FrameAddress(frames[n]), 0x30 + n);
        EXPECT_TRUE(dimmed(g_iCidAdc_volt1_box[n]));
    }
}

TEST_F(AdcCalibrationTest, ResetKeepsCountsSoANewPointOnePairsWithTheOldPointTwo) {
    type(g_iCidAdc_volt1_box[0], "1.5");
    type(g_iCidAdc_volt2_box[0], "3.5");
    capture(0, 1000);
    capture(0, 3072);

    g_iConnection_status = 0;  // the reset needs no board
    click(PANEL_RESET_ADC);
    EXPECT_TRUE(popups.popups.empty());
    g_iConnection_status = 1;
    for (int n = 0; n < CHANNEL_COUNT; ++n)
        EXPECT_FALSE(dimmed(g_iCidAdc_volt1_box[n]) || dimmed(g_iCidAdc_volt2_box[n])) << n;
    EXPECT_EQ(g_iAdcCounts1[0], 1000);
    EXPECT_EQ(g_iAdcCounts2[0], 3072);

    capture(0, 1024);
    click(PANEL_CALC_ADC);
    EXPECT_EQ(g_fAdcCoefGain[0], 1.0f / 1024.0f);
    EXPECT_EQ(g_fAdcCoefOffset[0], 0.5f);
}

TEST_F(AdcCalibrationTest, FailedReadTellsTheOperatorAndCapturesNothing) {
    shortenReceiveWait();
    board.setFault({.kind = Kind::WrongId, .count = 1});
    capture(5, 100);
    ASSERT_EQ(popups.popups.size(), 1u);
    EXPECT_EQ(popups.popups[0].title, "Error message");
    EXPECT_EQ(popups.popups[0].message, "Failed to get Adc counts");
    EXPECT_FALSE(dimmed(g_iCidAdc_volt1_box[5]));
    EXPECT_EQ(g_iAdcCounts1[5], 0);

    popups.popups.clear();
    board.setFault({.kind = Kind::WrongId, .count = 1, .after = 3});
    captureAll(500);
    ASSERT_EQ(popups.popups.size(), 1u);
    EXPECT_EQ(popups.popups[0].message, "Failed to get Adc counts");
    for (int n = 0; n < CHANNEL_COUNT; ++n) {
        EXPECT_EQ(dimmed(g_iCidAdc_volt1_box[n]), n < 3) << n;
        EXPECT_EQ(g_iAdcCounts1[n], n < 3 ? 500 : 0) << n;
    }
}

TEST_F(AdcCalibrationTest, FailedGainWriteSkipsOffsetsAndTheCompletionLine) {
    popups.questionAnswers = {true};
    board.setFault({.kind = Kind::WrongId, .count = 1});
    EXPECT_EQ(clickAndCollect(PANEL_CALC_ADC).size(), 1u);
    EXPECT_FALSE(monitorHas(kDefaultsSavedLine));
    EXPECT_TRUE(monitorHas("Calculation error Ch16"));
}

TEST_F(AdcCalibrationTest, CoefficientsAreTheSinglePrecisionValuesTheBoardKeeps) {
    // 0.01 and 0.06 V at counts 1000 and 4000: the stored float offset
    // (-0.006666665) is not the double one (-0.006666667).
    type(g_iCidAdc_volt1_box[2], "0.01");
    capture(2, 1000);
    type(g_iCidAdc_volt2_box[2], "0.06");
    capture(2, 4000);
    click(PANEL_CALC_ADC);
    EXPECT_EQ(board.word(0x82), 0x378BCF64u);
    EXPECT_EQ(board.word(0x92), 0xBBDA740Bu);
    EXPECT_TRUE(monitorHas("Ch3: GCF: 1.666667e-05, OCF: -0.006666665"));
}

TEST_F(AdcCalibrationTest, EachCaptureLogsTheCountWithTheVoltageItIsPairedWith) {
    type(g_iCidAdc_volt1_box[5], "0,25");
    type(g_iCidAdc_volt2_box[5], "31.5");
    capture(5, 1000);
    capture(5, 4000);
    EXPECT_EQ(messages(), (std::vector<std::string>{"ADC Ch6 point 1: count 1000 at 0.25 V",
                                                    "ADC Ch6 point 2: count 4000 at 31.5 V"}));

    // A point at the count of the channel's other point is said at once; a count never
    // captured is no point to compare with.
    ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    click(PANEL_RESET_ADC);
    capture(5, 4000);
    capture(7, 0);
    EXPECT_EQ(messages(),
              (std::vector<std::string>{"ADC Ch6 point 1: count 4000 at 0.25 V",
                                        "WARNING: ADC Ch6: point 1 count 4000 equals point 2 "
                                        "count 4000; the calculation needs two different counts",
                                        "ADC Ch8 point 1: count 0 at 0 V"}));
    EXPECT_EQ(g_iAdcCounts1[5], 4000) << "nothing else changes";

    ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    click(PANEL_RESET_ADC);
    captureAll(700);
    const auto lines = messages();
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[0], "ADC Ch1 point 1: count 700 at 0 V");
    EXPECT_EQ(lines[5], "ADC Ch6 point 1: count 700 at 0.25 V");
}

TEST_F(AdcCalibrationTest, SaveSendsNothingAndSaysWhatTheLastCalculationWrote) {
    click(PANEL_CALC_ADC);
    ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    EXPECT_TRUE(clickAndCollect(PANEL_SAVE_ADC).empty());
    EXPECT_EQ(monitorLines(), (std::vector<std::string>{
                                  "Save ADC coefficients: nothing sent, the board has no save "
                                  "command; the last calculation wrote channels 1 to 16's "
                                  "coefficients to the board"}));
    EXPECT_TRUE(popups.popups.empty());
}

}  // namespace
