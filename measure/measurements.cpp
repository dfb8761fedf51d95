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

int Temperature_meas_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT || !ConnectedOrWarn()) return 0;
    unsigned int raw = 0;
    if (GetRegister(ADDR_TEMPERATURE, &raw) > 0) {
        float temperature =
            static_cast<float>(static_cast<int>(raw) / kTemperatureDivisor - kTemperatureOffset);
        std::sprintf(disp_str, "%.2f", temperature);
        SetCtrlVal(g_hmainPanel, PANEL_TEMPERATURE, disp_str);
        std::sprintf(disp_str, "Board temperature is %.2f", temperature);
        LogToWindow(disp_str);
    } else {
        SetCtrlVal(g_hmainPanel, PANEL_TEMPERATURE, "Err");
    }
    return 0;
}

int ReadAll_current_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT || !ConnectedOrWarn()) return 0;
    float l_fRcvValue[CHANNEL_COUNT];
    if (GetBlock(ADDR_CURRENT, CHANNEL_COUNT, l_fRcvValue) <= 0) {
        LogToWindow("Error:Failed to get register");
        return 0;
    }
    for (int k = 0; k < CHANNEL_COUNT; ++k) {
        std::sprintf(disp_str, "Channel%i: %0.3fmA", k + 1, l_fRcvValue[k]);
        LogToWindow(disp_str);
    }
    return 0;
}
