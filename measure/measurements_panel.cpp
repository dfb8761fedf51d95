#include "measure/measurements_panel.h"

#include <cstdio>

#include "link/connection_panel.h"
#include "measure/measurements.h"
#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "panel/serial_monitor.h"
#include "runtime/userint.h"

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
