// The physics behind the addresses, seen through the line and through the bench interface.

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "pty_client.h"

namespace boardsim_test {
namespace {

constexpr double kFullScale = 32.5;
constexpr double kCodeMax = 65535.0;

class BoardModel : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(bench.started) << bench.startError; }
    Bench bench;
};

TEST_F(BoardModel, DacChannelsHaveDistinctBoundedErrors) {
    std::set<long> outputsInMicrovolts;
    for (int ch = 0; ch < 16; ++ch) {
        bench.exchange(setRegister(0x20 + ch, 0xFFFF, 20164), 8);  // 10 V nominal
        const double v = bench.board.outputVoltage(ch);
        EXPECT_NEAR(v, 20164 * kFullScale / kCodeMax, 10.0 * 0.02 + 0.05) << ch;
        outputsInMicrovolts.insert(std::lround(v * 1e6));
    }
    EXPECT_GT(outputsInMicrovolts.size(), 12u);
    EXPECT_EQ(bench.board.outputVoltage(16), 0.0);
    EXPECT_EQ(bench.board.outputVoltage(-1), 0.0);
}

TEST_F(BoardModel, SetPointDrivesDacCodeThroughCoefficients) {
    // Neutral coefficients: the code is the ideal one for the set-point.
    bench.exchange(setBlock(0x43, {bitsOf(10.0f)}), 8);
    EXPECT_EQ(bench.readRegister(0x23), 20165u);  // 10 V * 65535 / 32.5 rounded

    // measured = 2 * control + 1 asks for half of (set-point - 1).
    bench.exchange(setBlock(0x63, {bitsOf(2.0f)}), 8);
    bench.exchange(setBlock(0x73, {bitsOf(1.0f)}), 8);
    bench.exchange(setBlock(0x43, {bitsOf(21.0f)}), 8);
    EXPECT_EQ(bench.board.reg(0x23), 20165);

    // Out-of-range and unusable requests clamp instead of wrapping.
    bench.exchange(setBlock(0x43, {bitsOf(1000.0f)}), 8);
    EXPECT_EQ(bench.board.reg(0x23), 65535);
    bench.exchange(setBlock(0x43, {bitsOf(-5.0f)}), 8);
    EXPECT_EQ(bench.board.reg(0x23), 0);
    bench.exchange(setBlock(0x43, {bitsOf(NAN)}), 8);
    EXPECT_EQ(bench.board.reg(0x23), 0);
    // A zero gain cannot be inverted; the set-point is used as it is.
    bench.exchange(setBlock(0x63, {bitsOf(0.0f)}), 8);
    bench.exchange(setBlock(0x43, {bitsOf(10.0f)}), 8);
    EXPECT_EQ(bench.board.reg(0x23), 20165);
    EXPECT_EQ(bench.board.word(0x43), bitsOf(10.0f));  // the cell keeps what was written
}

TEST_F(BoardModel, AdcInputFollowsDacOutputUnlessSet) {
    bench.exchange(setRegister(0x27, 0xFFFF, 30000), 8);
    const double volts = bench.board.outputVoltage(7);
    const uint32_t followed = bench.readRegister(0x37);
    EXPECT_NEAR(followed, volts * kCodeMax / kFullScale,
                0.015 * 30000 + 0.02 * kCodeMax / kFullScale);

    bench.board.setInputVoltage(7, 1.5);
    const uint32_t applied = bench.readRegister(0x37);
    EXPECT_NEAR(applied, 1.5 * kCodeMax / kFullScale, 0.015 * 3024 + 0.02 * kCodeMax / kFullScale);
    bench.board.setInputVoltage(7, 3.5);
    EXPECT_GT(bench.readRegister(0x37), applied);
    bench.board.setInputVoltage(7, -3.0);
    EXPECT_EQ(bench.readRegister(0x37), 0u);
    bench.board.setInputVoltage(7, 100.0);
    EXPECT_EQ(bench.readRegister(0x37), 65535u);

    bench.board.setReg(0x37, 1024);
    EXPECT_EQ(bench.readRegister(0x37), 1024u);
    bench.board.clearInputVoltage(7);
    EXPECT_EQ(bench.readRegister(0x37), followed);
}

TEST_F(BoardModel, CurrentsArePlausibleAndCanBeFixed) {
    bench.exchange(setRegister(0x22, 0xFFFF, 40000), 8);
    const Bytes a = bench.exchange(getBlock(0x50, 16), 72);
    ASSERT_EQ(a.size(), 72u);
    const auto w = words(a);
    for (int ch = 0; ch < 16; ++ch) {
        const float mA = floatOf(w[1 + ch]);
        EXPECT_TRUE(std::isfinite(mA)) << ch;
        EXPECT_GT(mA, -1.0f) << ch;
        EXPECT_LT(mA, 40.0f) << ch;
    }
    EXPECT_GT(floatOf(w[3]), floatOf(w[2]) + 5.0f);  // the driven channel draws more

    // The console cannot overwrite a measurement; the bench can fix one.
    bench.exchange(setBlock(0x50, {bitsOf(9.0f)}), 8);
    EXPECT_NE(bench.board.word(0x50), bitsOf(9.0f));
    bench.board.setWord(0x50, bitsOf(1.5f));
    EXPECT_EQ(words(bench.exchange(getBlock(0x50, 1), 12))[1], bitsOf(1.5f));
}

TEST_F(BoardModel, TemperatureWandersNearRoomUntilFixed) {
    const uint32_t raw = bench.readRegister(1);
    EXPECT_GE(raw, 490u);
    EXPECT_LE(raw, 510u);
    bench.board.setRawTemperature(0);
    EXPECT_EQ(bench.readRegister(1), 0u);
    bench.board.setReg(1, 503);
    EXPECT_EQ(bench.board.reg(1), 503);
}

TEST_F(BoardModel, CoefficientCellsKeepWhatIsWritten) {
    std::vector<uint32_t> patterns;
    for (uint32_t i = 0; i < 48; ++i) patterns.push_back(0x7FC00000u + i);  // NaNs included
    bench.exchange(setBlock(0x60, patterns), 8);
    const auto w = words(bench.exchange(getBlock(0x60, 48), 200));
    ASSERT_EQ(w.size(), 50u);
    EXPECT_EQ(std::vector<uint32_t>(w.begin() + 1, w.end() - 1), patterns);
}

}  // namespace
}  // namespace boardsim_test
