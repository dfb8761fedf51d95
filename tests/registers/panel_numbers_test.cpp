// Where the operator's number texts stop being numbers: only a whole text is.
#include "registers/panel_numbers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

int readHex16(const char* text, unsigned int* value) {
    return ReadUnsignedText(text, 16, 0xFFFF, value);
}

std::string reasonFor(int result, int base, unsigned int largest) {
    char reason[80];
    DescribeRefusal(result, base, largest, reason, sizeof reason);
    return reason;
}

TEST(NumberTextTest, OnlyAWholeUnsignedNumberInTheBaseIsANumber) {
    unsigned int value = 77;
    for (const char* bad :
         {"", "   ", "1G", "zz", "0x", "-1", "+5", "12 34", "1.5", "0x-1", "x12"}) {
        EXPECT_EQ(readHex16(bad, &value), NUMBER_TEXT_NOT_A_NUMBER) << '"' << bad << '"';
    }
    EXPECT_EQ(value, 77u);
    EXPECT_EQ(ReadUnsignedText("1F", 10, 0xFFFF, &value), NUMBER_TEXT_NOT_A_NUMBER);
    EXPECT_EQ(ReadUnsignedText("0x1F", 10, 0xFFFF, &value), NUMBER_TEXT_NOT_A_NUMBER);

    struct Good {
        const char* text;
        int base;
        unsigned int value;
    };
    for (const Good& g : {Good{"1F", 16, 0x1F}, Good{" 0x1f\t", 16, 0x1F}, Good{"0X00FF", 16, 0xFF},
                          Good{"FFFF", 16, 0xFFFF}, Good{"31", 10, 31}, Good{" 65535 ", 10, 65535},
                          Good{"0", 16, 0}, Good{"00000000000000000001", 16, 1}}) {
        EXPECT_EQ(ReadUnsignedText(g.text, g.base, 0xFFFF, &value), NUMBER_TEXT_OK) << g.text;
        EXPECT_EQ(value, g.value) << g.text;
    }
}

TEST(NumberTextTest, ANumberWiderThanItsFieldIsRefusedNotCut) {
    unsigned int value = 5;
    EXPECT_EQ(readHex16("12345", &value), NUMBER_TEXT_TOO_LARGE);
    EXPECT_EQ(readHex16("1FFFF", &value), NUMBER_TEXT_TOO_LARGE);
    EXPECT_EQ(ReadUnsignedText("70000", 10, 0xFFFF, &value), NUMBER_TEXT_TOO_LARGE);
    EXPECT_EQ(ReadUnsignedText("100000000", 16, 0xFFFFFFFF, &value), NUMBER_TEXT_TOO_LARGE);
    // However long the text: no wrap-around into the range.
    EXPECT_EQ(ReadUnsignedText("18446744073709551617", 10, 48, &value), NUMBER_TEXT_TOO_LARGE);
    // A bad character after an overflow still makes it no number at all.
    EXPECT_EQ(readHex16("123456G", &value), NUMBER_TEXT_NOT_A_NUMBER);
    EXPECT_EQ(value, 5u);
    EXPECT_EQ(ReadUnsignedText("FFFFFFFF", 16, 0xFFFFFFFF, &value), NUMBER_TEXT_OK);
    EXPECT_EQ(value, 0xFFFFFFFFu);
}

TEST(NumberTextTest, EveryDecimalTextAgreesWithStrtoulWhereBothAccept) {
    // An independent reference: strtoul on texts that are plain digits.
    for (unsigned long n : {0ul, 1ul, 9ul, 10ul, 255ul, 4095ul, 65535ul}) {
        const std::string text = std::to_string(n);
        unsigned int value = 0;
        ASSERT_EQ(ReadUnsignedText(text.c_str(), 10, 0xFFFF, &value), NUMBER_TEXT_OK);
        EXPECT_EQ(value, std::strtoul(text.c_str(), nullptr, 10));
    }
}

TEST(NumberTextTest, FloatTextsMustBeFiniteAndWithinFloatRange) {
    unsigned int word = 1;
    EXPECT_EQ(ReadFloatText("-2.5", &word), NUMBER_TEXT_OK);
    EXPECT_EQ(word, 0xC0200000u);
    EXPECT_EQ(ReadFloatText(" 1.000 ", &word), NUMBER_TEXT_OK);
    EXPECT_EQ(word, 0x3F800000u);
    EXPECT_EQ(ReadFloatText("+1.5", &word), NUMBER_TEXT_OK);
    EXPECT_EQ(word, 0x3FC00000u);
    EXPECT_EQ(ReadFloatText("3.4e38", &word), NUMBER_TEXT_OK);
    // What the console prints of a float can be typed back: the largest float's printed
    // form lies above it in decimal, but rounds to it; the smallest one rounds to itself.
    EXPECT_EQ(ReadFloatText("3.4028235e38", &word), NUMBER_TEXT_OK);
    EXPECT_EQ(word, 0x7F7FFFFFu);
    EXPECT_EQ(ReadFloatText("-1.401298e-45", &word), NUMBER_TEXT_OK);
    EXPECT_EQ(word, 0x80000001u);
    EXPECT_EQ(ReadFloatText("-0e-400", &word), NUMBER_TEXT_OK);
    EXPECT_EQ(word, 0x80000000u);
    word = 7;
    EXPECT_EQ(ReadFloatText("3.4028236e38", &word), NUMBER_TEXT_TOO_LARGE);
    EXPECT_EQ(ReadFloatText("-1e39", &word), NUMBER_TEXT_TOO_LARGE);
    EXPECT_EQ(ReadFloatText("1e400", &word), NUMBER_TEXT_TOO_LARGE);
    // Not zero, yet nearer zero than any float: refused rather than sent as 0.
    for (const char* tiny : {"1e-50", "-1e-400", "7e-46"})
        EXPECT_EQ(ReadFloatText(tiny, &word), NUMBER_TEXT_TOO_SMALL) << tiny;
    for (const char* bad :
         {"nan", "inf", "-inf", "Error", "", "1,5", "1.5V", "--1", "+-1", "0x3F"}) {
        EXPECT_EQ(ReadFloatText(bad, &word), NUMBER_TEXT_NOT_A_NUMBER) << '"' << bad << '"';
    }
    EXPECT_EQ(word, 7u);
}

TEST(NumberTextTest, RefusalsSayWhyInTheOperatorsWords) {
    EXPECT_EQ(reasonFor(NUMBER_TEXT_NOT_A_NUMBER, 16, 0xFFFF), "not a hexadecimal number");
    EXPECT_EQ(reasonFor(NUMBER_TEXT_NOT_A_NUMBER, 10, 0xFFFF), "not a decimal number");
    EXPECT_EQ(reasonFor(NUMBER_TEXT_TOO_LARGE, 16, 0xFFFF), "more than 16 bits (at most 0xFFFF)");
    EXPECT_EQ(reasonFor(NUMBER_TEXT_TOO_LARGE, 10, 0xFFFF), "more than 16 bits (at most 65535)");
    EXPECT_EQ(reasonFor(NUMBER_TEXT_TOO_LARGE, 16, 0xFFFFFFFF),
              "more than 32 bits (at most 0xFFFFFFFF)");
    EXPECT_STREQ(FloatRefusalReason(NUMBER_TEXT_NOT_A_NUMBER), "not a finite decimal number");
}

}  // namespace
