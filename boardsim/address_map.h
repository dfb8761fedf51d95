#pragma once
// The board's addresses: 16-bit registers below 0x40, 32-bit cells from 0x40 to 0x9F.

#include <cstdint>

#include "boardsim/physics.h"

namespace boardsim::address {

inline constexpr uint16_t kFirmwareVersion = 0x00;
inline constexpr uint16_t kRawTemperature = 0x01;
inline constexpr uint16_t kDacCode = 0x20;   // + channel, read/write
inline constexpr uint16_t kAdcCount = 0x30;  // + channel, read-only
inline constexpr uint16_t kRegisterEnd = 0x40;

inline constexpr uint16_t kSetPoint = 0x40;   // + channel, float volts
inline constexpr uint16_t kCurrent = 0x50;    // + channel, float mA, read-only
inline constexpr uint16_t kDacGain = 0x60;    // + channel, float
inline constexpr uint16_t kDacOffset = 0x70;  // + channel, float volts
inline constexpr uint16_t kAdcGain = 0x80;    // + channel, float volts per count
inline constexpr uint16_t kAdcOffset = 0x90;  // + channel, float volts
inline constexpr uint16_t kCellEnd = 0xA0;

// Which bank of `base` + channel an address falls into; the channel is written to `channel`.
inline bool inBank(uint16_t address, uint16_t base, int& channel) {
    if (address < base || address >= base + physics::kChannels) return false;
    channel = address - base;
    return true;
}

}  // namespace boardsim::address
