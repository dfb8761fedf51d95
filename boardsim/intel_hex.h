#pragma once
// Checking one line of an Intel HEX file as the bootloader receives it.

#include <cstdint>
#include <optional>
#include <string_view>

namespace boardsim::hex {

inline constexpr uint8_t kDataRecord = 0x00;
inline constexpr uint8_t kEndOfFileRecord = 0x01;
inline constexpr uint8_t kLastKnownRecordType = 0x05;

// The record type of `line` when it is a well-formed record: ':' then an even number of hex
// digits (either case, nothing else, no line end), a byte count that matches the data, a known
// record type and a checksum that brings the sum of all bytes to zero modulo 256.
// nullopt for anything else.
std::optional<uint8_t> recordType(std::string_view line);

}  // namespace boardsim::hex
