#include "registers/panel_numbers.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <system_error>

namespace {

constexpr int kHexBase = 16;
constexpr int kBitsPerHexDigit = 4;

bool isBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// The text without the blanks around it, as [begin, end).
void trimBlanks(const char* text, const char** begin, const char** end) {
    const char* b = text;
    const char* e = text + std::strlen(text);
    while (b < e && isBlank(*b)) ++b;
    while (e > b && isBlank(e[-1])) --e;
    *begin = b;
    *end = e;
}

int digitValue(char c, int base) {
    int v = -1;
    if (c >= '0' && c <= '9') v = c - '0';
    if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    return v < base ? v : -1;
}

// A number out of double's range with a negative exponent is too small, not too large.
bool underflows(const char* at, const char* end) {
    const char* e = std::find_if(at, end, [](char c) { return c == 'e' || c == 'E'; });
    return e + 1 < end && e[1] == '-';
}

int storeFloat(float value, unsigned int* word) {
    *word = FloatToWord(value);
    return NUMBER_TEXT_OK;
}

}  // namespace

bool IsBlankText(const char* text) {
    const char* begin = nullptr;
    const char* end = nullptr;
    trimBlanks(text, &begin, &end);
    return begin == end;
}

int ReadUnsignedText(const char* text, int base, unsigned int largest, unsigned int* value) {
    const char* at = nullptr;
    const char* end = nullptr;
    trimBlanks(text, &at, &end);
    if (base == kHexBase && end - at > 2 && at[0] == '0' && (at[1] == 'x' || at[1] == 'X')) at += 2;
    if (at == end) return NUMBER_TEXT_NOT_A_NUMBER;
    unsigned long long n = 0;
    bool tooLarge = false;
    for (; at < end; ++at) {
        const int digit = digitValue(*at, base);
        if (digit < 0) return NUMBER_TEXT_NOT_A_NUMBER;
        n = n * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        // Keep scanning past an overflow: a bad character still says "not a number".
        if (n > largest) {
            tooLarge = true;
            n = static_cast<unsigned long long>(largest) + 1;
        }
    }
    if (tooLarge) return NUMBER_TEXT_TOO_LARGE;
    *value = static_cast<unsigned int>(n);
    return NUMBER_TEXT_OK;
}

int ReadFloatText(const char* text, unsigned int* word) {
    const char* at = nullptr;
    const char* end = nullptr;
    trimBlanks(text, &at, &end);
    // from_chars takes a minus only; a plus is taken here, once.
    const bool plus = at < end && *at == '+';
    if (plus) ++at;
    if (at == end || (plus && (*at == '+' || *at == '-'))) return NUMBER_TEXT_NOT_A_NUMBER;
    // from_chars, unlike strtod and sscanf, ignores the desktop's locale.
    double wide = 0;
    const auto parsed = std::from_chars(at, end, wide);
    if (parsed.ptr != end) return NUMBER_TEXT_NOT_A_NUMBER;
    if (parsed.ec == std::errc::result_out_of_range)
        return underflows(at, end) ? NUMBER_TEXT_TOO_SMALL : NUMBER_TEXT_TOO_LARGE;
    if (parsed.ec != std::errc() || !std::isfinite(wide)) return NUMBER_TEXT_NOT_A_NUMBER;
    float narrow = 0;
    // Rounded once, straight from the text, as sscanf "%f" would; where that reports a range
    // error, double's rounding to float tells what the nearest float is.
    if (std::from_chars(at, end, narrow).ec != std::errc()) narrow = static_cast<float>(wide);
    if (std::isinf(narrow)) return NUMBER_TEXT_TOO_LARGE;
    // A set-point or coefficient that silently became 0 is worse than a refusal.
    if (narrow == 0.0f && wide != 0.0) return NUMBER_TEXT_TOO_SMALL;
    return storeFloat(narrow, word);
}

void DescribeRefusal(int result, int base, unsigned int largest, char* reason, int size) {
    if (result != NUMBER_TEXT_TOO_LARGE) {
        std::snprintf(reason, size, "not a %s number",
                      base == kHexBase ? "hexadecimal" : "decimal");
        return;
    }
    int bits = 0;
    for (unsigned long long v = largest; v != 0; v >>= 1) ++bits;
    if (base == kHexBase)
        std::snprintf(reason, size, "more than %d bits (at most 0x%.*X)", bits,
                      (bits + kBitsPerHexDigit - 1) / kBitsPerHexDigit, largest);
    else
        std::snprintf(reason, size, "more than %d bits (at most %u)", bits, largest);
}

const char* FloatRefusalReason(int result) {
    if (result == NUMBER_TEXT_TOO_LARGE) return "beyond the single-precision float range";
    if (result == NUMBER_TEXT_TOO_SMALL)
        return "too small for a single-precision float (not 0, but nearer 0 than 1.4e-45)";
    return "not a finite decimal number";
}
