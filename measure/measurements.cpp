#include "measure/measurements.h"

#include <cstdio>

#include "link/connection_check.h"
#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "panel/serial_monitor.h"
#include "registers/address_map.h"
#include "registers/block_access.h"
#include "registers/register_access.h"
#include "runtime/userint.h"

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

int Temperature_meas_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT || !ConnectedOrWarn()) return 0;
    float temperature = 0;
    if (ReadBoardTemperature(&temperature).ok()) {
        std::sprintf(disp_str, "%.2f", static_cast<double>(temperature));
        SetCtrlVal(g_hmainPanel, PANEL_TEMPERATURE, disp_str);
    } else {
        SetCtrlVal(g_hmainPanel, PANEL_TEMPERATURE, "Err");
    }
    return 0;
}

int ReadAll_current_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT || !ConnectedOrWarn()) return 0;
    float l_fRcvValue[CHANNEL_COUNT];
    ReadChannelCurrents(l_fRcvValue);
    return 0;
}
