#include "boardsim/intel_hex.h"

#include <vector>

// The bootloader's own record check, kept apart from the console's file check on purpose:
// written from the Intel HEX format, it is the reference the console is tested and fuzzed
// against.

namespace boardsim::hex {

namespace {
constexpr char kStartCode = ':';
constexpr std::size_t kDigitsPerByte = 2;
// Byte count, two address bytes, record type, checksum.
constexpr std::size_t kOverheadBytes = 5;
constexpr std::size_t kCountIndex = 0;
constexpr std::size_t kTypeIndex = 3;
constexpr int kNibbleBits = 4;
constexpr int kDecimalDigits = 10;

std::optional<int> nibble(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + kDecimalDigits;
    if (c >= 'a' && c <= 'f') return c - 'a' + kDecimalDigits;
    return std::nullopt;
}
}  // namespace

std::optional<uint8_t> recordType(std::string_view line) {
    if (line.empty() || line.front() != kStartCode) return std::nullopt;
    const std::string_view digits = line.substr(1);
    if (digits.size() % kDigitsPerByte != 0) return std::nullopt;

    std::vector<uint8_t> bytes;
    bytes.reserve(digits.size() / kDigitsPerByte);
    for (std::size_t i = 0; i < digits.size(); i += kDigitsPerByte) {
        const std::optional<int> high = nibble(digits[i]);
        const std::optional<int> low = nibble(digits[i + 1]);
        if (!high || !low) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>((*high << kNibbleBits) | *low));
    }
    if (bytes.size() < kOverheadBytes) return std::nullopt;
    if (bytes[kCountIndex] != bytes.size() - kOverheadBytes) return std::nullopt;
    if (bytes[kTypeIndex] > kLastKnownRecordType) return std::nullopt;

    uint8_t sum = 0;
    for (uint8_t b : bytes) sum = static_cast<uint8_t>(sum + b);
    if (sum != 0) return std::nullopt;
    return bytes[kTypeIndex];
}

}  // namespace boardsim::hex
