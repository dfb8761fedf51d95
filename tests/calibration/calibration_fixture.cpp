#include "tests/calibration/calibration_fixture.h"

#include <algorithm>
#include <cstdio>

#include "app/shell.h"
#include "calibration/adc_calibration.h"
#include "calibration/dac_calibration.h"
#include "runtime/userint.h"

void CalibrationTest::SetUp() {
    BoardTest::SetUp();
    connectQuickly();
    for (int* counts : {g_iAdcCounts1, g_iAdcCounts2}) std::fill_n(counts, CHANNEL_COUNT, 0);
    for (float* coefficients : {g_fAdcCoefGain, g_fAdcCoefOffset, g_fDacCoefGain, g_fDacCoefOffset})
        std::fill_n(coefficients, CHANNEL_COUNT, 0.0f);
}

void CalibrationTest::typeVolts(int box, double volts) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", volts);
    type(box, text);
}

std::vector<std::vector<uint32_t>> CalibrationTest::clickAndCollect(int button) {
    board.clearRecording();
    click(button);
    return framesSent();
}

bool CalibrationTest::monitorHas(const std::string& line) {
    const auto lines = monitorLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::vector<std::string> CalibrationTest::monitorFrom(const std::string& from) {
    const auto lines = monitorLines();
    return {std::find(lines.begin(), lines.end(), from), lines.end()};
}

bool CalibrationTest::dimmed(int control) {
    int value = 0;
    EXPECT_EQ(GetCtrlAttribute(g_hmainPanel, control, ATTR_DIMMED, &value), 0);
    return value != 0;
}

int CalibrationTest::intValue(int control) {
    int value = -12345;
    EXPECT_EQ(GetCtrlVal(g_hmainPanel, control, &value), 0);
    return value;
}

int FrameAddress(const std::vector<uint32_t>& frame) {
    return frame.empty() ? -1 : static_cast<int>(frame.back() >> 16);
}

std::vector<uint32_t> BlockData(const std::vector<uint32_t>& frame) {
    if (frame.size() < 2) return {};
    return {frame.begin() + 1, frame.end() - 1};
}
