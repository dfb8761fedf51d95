#include "cli/arguments.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "registers/panel_numbers.h"

namespace cli {
namespace {

constexpr int kHex = 16;
constexpr int kDecimal = 10;
constexpr int kReasonSize = 96;
constexpr const char* kBlanks = " \t\n\v\f\r";

bool refused(const std::string& what, const std::string& text, const std::string& why,
             Result* result) {
    result->fail(EXIT_USAGE, what + " \"" + text + "\" refused: " + why);
    return false;
}

bool hexPrefixed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    return first != std::string::npos && first + 1 < text.size() && text[first] == '0' &&
           (text[first + 1] == 'x' || text[first + 1] == 'X');
}

}  // namespace

bool NumberArgument(const std::string& text, const char* what, unsigned int largest,
                    unsigned int* value, Result* result) {
    const bool hex = hexPrefixed(text);
    const int base = hex ? kHex : kDecimal;
    const int read = ReadUnsignedText(text.c_str(), base, largest, value);
    if (read == NUMBER_TEXT_OK) return true;
    if (read == NUMBER_TEXT_NOT_A_NUMBER && !hex) {
        // Digits a script written for hexadecimal without a prefix would give.
        unsigned int ignored = 0;
        if (ReadUnsignedText(text.c_str(), kHex, std::numeric_limits<unsigned int>::max(),
                             &ignored) != NUMBER_TEXT_NOT_A_NUMBER)
            return refused(what, text,
                           "not a decimal number (hexadecimal is written 0x" + text + ")", result);
        return refused(what, text, "not a number (decimal, or hexadecimal after 0x)", result);
    }
    char reason[kReasonSize];
    DescribeRefusal(read, base, largest, reason, sizeof reason);
    return refused(what, text, reason, result);
}

bool DecimalArgument(const std::string& text, const char* what, int lowest, int highest, int* value,
                     Result* result) {
    int number = 0;
    auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (problem != std::errc() || end != text.data() + text.size() || text.empty())
        return refused(what, text, "not a decimal number", result);
    if (number < lowest || number > highest)
        return refused(what, text,
                       "not " + std::to_string(lowest) + " to " + std::to_string(highest), result);
    *value = number;
    return true;
}

bool VoltsArgument(const std::string& text, const char* what, double lowest, double highest,
                   float* volts, Result* result) {
    std::string pointed = text;
    for (char& c : pointed)
        if (c == ',') c = '.';
    double number = 0;
    const char* first = pointed.data();
    // A '+' may lead, but not a second sign after it ("+-5" is no number).
    if (!pointed.empty() && pointed[0] == '+' && pointed.size() > 1 && pointed[1] != '-' &&
        pointed[1] != '+')
        ++first;
    auto [end, problem] = std::from_chars(first, pointed.data() + pointed.size(), number);
    if (problem != std::errc() || end != pointed.data() + pointed.size() || pointed.empty() ||
        !std::isfinite(number))
        return refused(what, text, "not a number of volts", result);
    if (number < lowest || number > highest) {
        char range[kReasonSize];
        std::snprintf(range, sizeof range, "outside %g to %g V", lowest, highest);
        return refused(what, text, range, result);
    }
    *volts = static_cast<float>(number);
    return true;
}

bool WordArgument(const std::string& text, bool asFloat, unsigned int* word, Result* result) {
    if (!asFloat) return NumberArgument(text, "word", 0xFFFFFFFFu, word, result);
    const int read = ReadFloatText(text.c_str(), word);
    return read == NUMBER_TEXT_OK || refused("word", text, FloatRefusalReason(read), result);
}

std::string FileNamed(const std::string& word) {
    return word == STANDARD_INPUT_WORD ? "standard input" : word;
}

bool WordCount(const Options& options, int fewest, int most, Result* result) {
    const int given = static_cast<int>(options.args.size());
    if (given >= fewest && (most < 0 || given <= most)) return true;
    result->fail(EXIT_USAGE, options.command + ": " + std::to_string(given) +
                                 " arguments given; see tarvikctl --help");
    return false;
}

}  // namespace cli
