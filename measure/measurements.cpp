#include "measure/measurements.h"

#include <cstdio>

#include "panel/channels.h"
#include "panel/serial_monitor.h"
#include "registers/address_map.h"
#include "registers/block_access.h"
#include "registers/register_access.h"

const char TEMPERATURE_FORMAT[] = "Board temperature is %.2f";
const char CURRENT_FORMAT[] = "Channel%i: %0.3fmA";

namespace {
constexpr int kTemperatureDivisor = 4;
constexpr int kTemperatureOffset = 103;
}  // namespace

RegisterResult ReadBoardTemperature(float* celsius) {
    unsigned int raw = 0;
    const RegisterResult read = ReadRegister(ADDR_TEMPERATURE, &raw);
    if (!read.ok()) return read;
    *celsius = static_cast<float>(static_cast<int>(raw) / kTemperatureDivisor - kTemperatureOffset);
    std::snprintf(disp_str, sizeof disp_str, TEMPERATURE_FORMAT, static_cast<double>(*celsius));
    LogToWindow(disp_str);
    return read;
}

RegisterResult ReadChannelCurrents(float milliamps[]) {
    const RegisterResult read = ReadBlock(ADDR_CURRENT, CHANNEL_COUNT, milliamps);
    if (!read.ok()) {
        LogError("Error:Failed to get register");
        return read;
    }
    for (int k = 0; k < CHANNEL_COUNT; ++k) {
        std::snprintf(disp_str, sizeof disp_str, CURRENT_FORMAT, k + 1,
                      static_cast<double>(milliamps[k]));
        LogToWindow(disp_str);
    }
    return read;
}
