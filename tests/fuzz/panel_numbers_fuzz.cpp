// The panel's whole-text number reading against strtoul: whatever it accepts
// strtoul reads to the same value over the whole text, and a plain run of
// digits that fits is never refused.
#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "registers/panel_numbers.h"

namespace {

void check(const std::string& text, int base, unsigned int largest) {
    unsigned int value = 0;
    const int result = ReadUnsignedText(text.c_str(), base, largest, &value);
    errno = 0;
    char* end = nullptr;
    const unsigned long long reference = std::strtoull(text.c_str(), &end, base);
    std::size_t rest = static_cast<std::size_t>(end - text.c_str());
    while (rest < text.size() && std::isspace(static_cast<unsigned char>(text[rest]))) ++rest;
    if (result == NUMBER_TEXT_OK) {
        // Accepted: the whole text is the number, unsigned and within the field.
        if (errno != 0 || rest != text.size() || reference != value || value > largest)
            std::abort();
        if (text.find_first_of("+-") != std::string::npos) std::abort();
    }
    bool digitsOnly = !text.empty();
    for (char c : text) digitsOnly = digitsOnly && std::isdigit(static_cast<unsigned char>(c));
    if (digitsOnly && base == 10 && errno == 0 && reference <= largest && result != NUMBER_TEXT_OK)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (text.find('\0') != std::string::npos) return 0;
    check(text, 10, 0xFFFF);
    check(text, 16, 0xFFFF);
    check(text, 16, 0xFFFFFFFFu);
    check(text, 10, 48);
    unsigned int word = 0;
    ReadFloatText(text.c_str(), &word);
    return 0;
}
