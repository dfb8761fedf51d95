#include "registers/panel_numbers.h"

#include <bit>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kWordHexDigits = 8;

// Hex digits in text[0..end) that carry value: sign, 0x prefix and leading
// zeros do not count.
int SignificantHexDigits(const char* text, int end) {
    int at = 0;
    while (at < end && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    if (at < end && (text[at] == '+' || text[at] == '-')) ++at;
    if (at + 1 < end && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X')) at += 2;
    while (at < end && text[at] == '0') ++at;
    return end - at;
}

}  // namespace

unsigned int ParsePanelNumber(const char* text, int base) {
    return static_cast<unsigned int>(std::strtoul(text, nullptr, base));
}

int ParseWordCount(const char* text, int limit, int* count) {
    // Checked before narrowing: 4294967297 must not become 1, nor -1 wrap in.
    const unsigned long n = std::strtoul(text, nullptr, 10);
    if (n < 1 || limit < 1 || n > static_cast<unsigned long>(limit)) return 0;
    *count = static_cast<int>(n);
    return 1;
}

int ScanHexWord(const char* text, unsigned int* word) {
    *word = 0;
    int end = 0;
    if (std::sscanf(text, "%X%n", word, &end) != 1) {
        *word = 0;
        return VALUE_TEXT_NO_NUMBER;
    }
    return SignificantHexDigits(text, end) > kWordHexDigits ? VALUE_TEXT_TOO_WIDE : VALUE_TEXT_OK;
}

int ScanFloatWord(const char* text, unsigned int* word) {
    float value = 0.0f;
    int end = 0;
    if (std::sscanf(text, "%f%n", &value, &end) != 1) {
        *word = 0;
        return VALUE_TEXT_NO_NUMBER;
    }
    *word = FloatToWord(value);
    // Only a spelled-out infinity has an 'i'; any other infinity is an overflow.
    const bool spelledInfinity = std::memchr(text, 'i', end) || std::memchr(text, 'I', end);
    return std::isinf(value) && !spelledInfinity ? VALUE_TEXT_TOO_WIDE : VALUE_TEXT_OK;
}

unsigned int FloatToWord(float value) {
    return std::bit_cast<unsigned int>(value);
}

float WordToFloat(unsigned int word) {
    return std::bit_cast<float>(word);
}
