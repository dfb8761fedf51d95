// The pure arithmetic of the calibration: DAC codes, the two-point lines in
// their stored precision, and which channels a selector names.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/shell.h"
#include "calibration/channel_select.h"
#include "calibration/dac_code.h"
#include "calibration/two_point.h"
#include "tests/support/board_fixture.h"

TEST(DacCodeTest, TruncatesTheScaledVoltageWithinTheSpan) {
    EXPECT_EQ(DacCode(10.0f), 20164);
    EXPECT_EQ(DacCode(16.25f), 32767);
    EXPECT_EQ(DacCode(32.5f), 65535);
    EXPECT_EQ(DacCode(40.0f), 65535);
    EXPECT_EQ(DacCode(1000.0f), 65535);
    EXPECT_EQ(DacCode(0.0f), 0);
    // One code is 0.496 mV: just below it is still code 0.
    EXPECT_EQ(DacCode(0.0004f), 0);
    EXPECT_EQ(DacCode(0.0005f), 1);
}

TEST(DacCodeTest, NegativeAndNonNumbersGiveCodeZeroNotAWrappedHighCode) {
    // -1 V would be code -2016, i.e. 0xF820 (about 31.5 V) in 16 bits.
    EXPECT_EQ(DacCode(-1.0f), 0);
    EXPECT_EQ(DacCode(-std::numeric_limits<float>::infinity()), 0);
    EXPECT_EQ(DacCode(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(DacCode(std::numeric_limits<float>::infinity()), 65535);
}

TEST(DacCodeTest, SetPointsAreLimitedAboveOnly) {
    EXPECT_EQ(LimitSetPoint(12.0f), 12.0f);
    EXPECT_EQ(LimitSetPoint(40.0f), 32.5f);
    EXPECT_EQ(LimitSetPoint(-0.02f), -0.02f);
    EXPECT_EQ(LimitSetPoint(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_EQ(LimitControlVoltage(40.0f), 32.5f);
    EXPECT_EQ(LimitControlVoltage(-3.0f), 0.0f);
    EXPECT_EQ(LimitControlVoltage(7.25f), 7.25f);
}

TEST(TwoPointTest, DacLineKeepsTheGainBitExact) {
    const float gain = DacGainCoefficient(5.0f, 25.0f, 5.1f, 25.3f);
    EXPECT_EQ(FloatBits(gain), 0x3F8147AEu);
    const float offset = OffsetCoefficient(gain, 5.0f, 5.1f);
    EXPECT_NEAR(offset, 0.05f, 1e-5);
    // The offset is taken with the stored gain, not the exact quotient.
    EXPECT_EQ(offset, static_cast<float>(double{5.1f} - double{gain} * 5.0));
}

TEST(TwoPointTest, AdcLineOfPowersOfTwoIsExact) {
    const float gain = AdcGainCoefficient(1024, 3072, 1.5f, 3.5f);
    EXPECT_EQ(gain, 1.0f / 1024.0f);
    EXPECT_EQ(OffsetCoefficient(gain, 1024, 1.5f), 0.5f);
    // A falling line is as good as a rising one.
    EXPECT_EQ(AdcGainCoefficient(3072, 1024, 1.5f, 3.5f), -1.0f / 1024.0f);
}

TEST(TwoPointTest, AdcVoltageDifferenceIsRoundedToFloatBeforeDividing) {
    const float volts1 = 0.1f, volts2 = 0.7f;
    const float expected = static_cast<float>(static_cast<double>(volts2 - volts1) / 3000.0);
    EXPECT_EQ(AdcGainCoefficient(1000, 4000, volts1, volts2), expected);
    // Equal voltages are no error: the gain is simply 0.
    EXPECT_EQ(AdcGainCoefficient(1000, 4000, 2.0f, 2.0f), 0.0f);
}

TEST(ChannelSelectTest, DacSelectorNamesAllOneOrNothing) {
    int first = -1, count = -1;
    ASSERT_TRUE(DacChannelSpan(0, &first, &count));
    EXPECT_EQ(first, 0);
    EXPECT_EQ(count, CHANNEL_COUNT);
    ASSERT_TRUE(DacChannelSpan(1, &first, &count));
    EXPECT_EQ(first, 0);
    EXPECT_EQ(count, 1);
    ASSERT_TRUE(DacChannelSpan(16, &first, &count));
    EXPECT_EQ(first, 15);
    EXPECT_EQ(count, 1);
    first = count = -1;
    for (int bad : {-1, 17, 1000, std::numeric_limits<int>::min()}) {
        EXPECT_FALSE(DacChannelSpan(bad, &first, &count)) << bad;
        EXPECT_EQ(first, -1);
        EXPECT_EQ(count, -1);
    }
}
