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

namespace {
constexpr int kTemperatureDivisor = 4;
constexpr int kTemperatureOffset = 103;
}  // namespace

int ReadBoardTemperature(float* celsius) {
    unsigned int raw = 0;
    if (GetRegister(ADDR_TEMPERATURE, &raw) <= 0) return 0;
    *celsius = static_cast<float>(static_cast<int>(raw) / kTemperatureDivisor - kTemperatureOffset);
    std::sprintf(disp_str, "Board temperature is %.2f", static_cast<double>(*celsius));
    LogToWindow(disp_str);
    return 1;
}

int ReadChannelCurrents(float milliamps[]) {
    if (GetBlock(ADDR_CURRENT, CHANNEL_COUNT, milliamps) <= 0) {
        LogToWindow("Error:Failed to get register");
        return 0;
    }
    for (int k = 0; k < CHANNEL_COUNT; ++k) {
        std::sprintf(disp_str, "Channel%i: %0.3fmA", k + 1, static_cast<double>(milliamps[k]));
        LogToWindow(disp_str);
    }
    return 1;
}

int Temperature_meas_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT || !ConnectedOrWarn()) return 0;
    float temperature = 0;
    if (ReadBoardTemperature(&temperature)) {
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
