#include "boardsim/board_model.h"

#include <bit>

#include "boardsim/address_map.h"

namespace boardsim {

namespace {
uint32_t floatBits(float f) {
    return std::bit_cast<uint32_t>(f);
}

// A board fresh from the factory: neutral DAC coefficients and the nominal ADC step.
constexpr float kNeutralGain = 1.0f;
constexpr float kNominalAdcVoltsPerCount =
    static_cast<float>(physics::kAdcFullScaleVolts / physics::kCodeMax);
}  // namespace

BoardModel::BoardModel() {
    for (int ch = 0; ch < physics::kChannels; ++ch) {
        cells_[address::kDacGain - address::kSetPoint + ch] = floatBits(kNeutralGain);
        cells_[address::kAdcGain - address::kSetPoint + ch] = floatBits(kNominalAdcVoltsPerCount);
    }
}

bool BoardModel::validChannel(int channel) {
    return channel >= 0 && channel < physics::kChannels;
}

bool BoardModel::isRegister(uint16_t address) {
    int ch = 0;
    return address == address::kFirmwareVersion || address == address::kRawTemperature ||
           address::inBank(address, address::kDacCode, ch) ||
           address::inBank(address, address::kAdcCount, ch);
}

uint16_t BoardModel::readRegister(uint16_t address, double seconds) const {
    int ch = 0;
    if (address == address::kFirmwareVersion) return firmwareVersion_;
    if (address == address::kRawTemperature) {
        return fixedRawTemperature_ ? *fixedRawTemperature_
                                    : physics::driftingRawTemperature(seconds);
    }
    if (address::inBank(address, address::kDacCode, ch)) return dacCodes_[ch];
    if (address::inBank(address, address::kAdcCount, ch)) {
        return fixedAdcCounts_[ch] ? *fixedAdcCounts_[ch]
                                   : physics::adcCountFor(ch, inputVolts(ch));
    }
    return 0;
}

uint16_t BoardModel::writeRegister(uint16_t address, uint16_t value, double seconds) {
    int ch = 0;
    if (address::inBank(address, address::kDacCode, ch)) dacCodes_[ch] = value;
    return readRegister(address, seconds);
}

void BoardModel::forceRegister(uint16_t address, uint16_t value) {
    int ch = 0;
    if (address == address::kFirmwareVersion) {
        firmwareVersion_ = value;
    } else if (address == address::kRawTemperature) {
        fixedRawTemperature_ = value;
    } else if (address::inBank(address, address::kDacCode, ch)) {
        dacCodes_[ch] = value;
    } else if (address::inBank(address, address::kAdcCount, ch)) {
        fixedAdcCounts_[ch] = value;
    }
}

bool BoardModel::cellsExist(uint16_t start, int count) {
    return count >= 0 && start >= address::kSetPoint && start + count <= address::kCellEnd;
}

float BoardModel::cellFloat(uint16_t address) const {
    return std::bit_cast<float>(cells_[address - address::kSetPoint]);
}

uint32_t BoardModel::readCell(uint16_t address) const {
    if (!cellsExist(address, 1)) return 0;
    int ch = 0;
    if (address::inBank(address, address::kCurrent, ch)) {
        if (fixedCurrents_[ch]) return *fixedCurrents_[ch];
        return floatBits(static_cast<float>(physics::channelCurrentMilliamps(ch, outputVolts(ch))));
    }
    return cells_[address - address::kSetPoint];
}

void BoardModel::writeCell(uint16_t address, uint32_t value) {
    int ch = 0;
    if (!cellsExist(address, 1) || address::inBank(address, address::kCurrent, ch)) return;
    cells_[address - address::kSetPoint] = value;
    if (address::inBank(address, address::kSetPoint, ch)) {
        const double control = physics::controlForSetPoint(std::bit_cast<float>(value),
                                                           cellFloat(address::kDacGain + ch),
                                                           cellFloat(address::kDacOffset + ch));
        dacCodes_[ch] = physics::dacCodeFor(control);
    }
}

void BoardModel::forceCell(uint16_t address, uint32_t value) {
    int ch = 0;
    if (address::inBank(address, address::kCurrent, ch)) {
        fixedCurrents_[ch] = value;
        return;
    }
    writeCell(address, value);
}

void BoardModel::setFirmwareVersion(uint16_t version) {
    firmwareVersion_ = version;
}

void BoardModel::fixRawTemperature(uint16_t raw) {
    fixedRawTemperature_ = raw;
}

double BoardModel::outputVolts(int channel) const {
    return validChannel(channel) ? physics::dacOutputVolts(channel, dacCodes_[channel]) : 0.0;
}

double BoardModel::inputVolts(int channel) const {
    return appliedInputVolts_[channel] ? *appliedInputVolts_[channel] : outputVolts(channel);
}

void BoardModel::setInputVolts(int channel, double volts) {
    if (!validChannel(channel)) return;
    appliedInputVolts_[channel] = volts;
    fixedAdcCounts_[channel].reset();
}

void BoardModel::clearInputVolts(int channel) {
    if (!validChannel(channel)) return;
    appliedInputVolts_[channel].reset();
    fixedAdcCounts_[channel].reset();
}

}  // namespace boardsim
