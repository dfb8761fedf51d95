#pragma once
// What the board holds behind its addresses, and the physics that ties them together.
// Not thread-safe: the owner serialises access.

#include <array>
#include <cstdint>
#include <optional>

#include "boardsim/address_map.h"
#include "boardsim/physics.h"

namespace boardsim {

class BoardModel {
  public:
    BoardModel();

    static constexpr uint16_t kDefaultFirmwareVersion = 0x0012;

    // --- registers (16-bit, addresses below 0x40) ---
    // True for the addresses a board answers on with register commands.
    static bool isRegister(uint16_t address);
    // Value at a register; 0 at an address that is none. `seconds` drives the temperature drift.
    uint16_t readRegister(uint16_t address, double seconds) const;
    // A write from the wire: changes the DAC codes only (the other registers are measurements
    // or fixed); returns the register's value afterwards.
    uint16_t writeRegister(uint16_t address, uint16_t value, double seconds);
    // A write from the test bench: also fixes the version, the temperature (drift stops) and an
    // ADC count (until the input voltage is set or cleared again). Ignored elsewhere.
    void forceRegister(uint16_t address, uint16_t value);

    // --- cells (32-bit, 0x40 .. 0x9F) ---
    // True when every address of start .. start+count-1 is a cell.
    static bool cellsExist(uint16_t start, int count);
    uint32_t readCell(uint16_t address) const;
    // A write from the wire: currents are measurements and keep their value; a set-point also
    // sets its channel's DAC code through the channel's DAC coefficients.
    void writeCell(uint16_t address, uint32_t value);
    // A write from the test bench: like writeCell, but also fixes a current's value.
    void forceCell(uint16_t address, uint32_t value);

    // --- bench ---
    void setFirmwareVersion(uint16_t version);
    void fixRawTemperature(uint16_t raw);
    // Channels outside 0..15 read 0 V and ignore settings.
    double outputVolts(int channel) const;
    void setInputVolts(int channel, double volts);
    void clearInputVolts(int channel);

  private:
    static bool validChannel(int channel);
    double inputVolts(int channel) const;
    float cellFloat(uint16_t address) const;

    uint16_t firmwareVersion_ = kDefaultFirmwareVersion;
    std::optional<uint16_t> fixedRawTemperature_;
    std::array<uint16_t, physics::kChannels> dacCodes_{};
    std::array<std::optional<double>, physics::kChannels> appliedInputVolts_{};
    std::array<std::optional<uint16_t>, physics::kChannels> fixedAdcCounts_{};
    std::array<std::optional<uint32_t>, physics::kChannels> fixedCurrents_{};
    // Stored cells, indexed by address - first cell address; currents are computed unless fixed.
    std::array<uint32_t, address::kCellEnd - address::kSetPoint> cells_{};
};

}  // namespace boardsim
