// Where the operator's number texts stop being numbers.
#include "registers/panel_numbers.h"

#include <gtest/gtest.h>

namespace {

TEST(BlockNumberTextTest, HexWordMustFitThirtyTwoBits) {
    unsigned int word = 1;
    EXPECT_EQ(ScanHexWord("0x00000000FFFFFFFF", &word), VALUE_TEXT_OK);
    EXPECT_EQ(word, 0xFFFFFFFFu);
    EXPECT_EQ(ScanHexWord("  3fc00000 rest", &word), VALUE_TEXT_OK);
    EXPECT_EQ(word, 0x3FC00000u);
    EXPECT_EQ(ScanHexWord("1FFFFFFFF", &word), VALUE_TEXT_TOO_WIDE);
    EXPECT_EQ(ScanHexWord("Error", &word), VALUE_TEXT_OK);
    EXPECT_EQ(word, 0xEu);
    EXPECT_EQ(ScanHexWord("zz", &word), VALUE_TEXT_NO_NUMBER);
    EXPECT_EQ(word, 0u);
}

TEST(BlockNumberTextTest, FloatWordIsTheBitPatternWithinRange) {
    unsigned int word = 1;
    EXPECT_EQ(ScanFloatWord("-2.5", &word), VALUE_TEXT_OK);
    EXPECT_EQ(word, 0xC0200000u);
    EXPECT_EQ(ScanFloatWord("3.4e38", &word), VALUE_TEXT_OK);
    EXPECT_EQ(ScanFloatWord("-1e39", &word), VALUE_TEXT_TOO_WIDE);
    EXPECT_EQ(ScanFloatWord("-inf", &word), VALUE_TEXT_OK);
    EXPECT_EQ(word, 0xFF800000u);
    EXPECT_EQ(ScanFloatWord("Error", &word), VALUE_TEXT_NO_NUMBER);
    EXPECT_EQ(word, 0u);
}

}  // namespace
