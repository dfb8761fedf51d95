// The program's callbacks by the names the panel file binds them with.

#include "app/callback_table.h"

#include "app/connect_command.h"
#include "app/shell.h"
#include "calibration/adc_calibration.h"
#include "calibration/dac_calibration.h"
#include "firmware/firmware_upgrade.h"
#include "firmware/upgrade_session.h"
#include "link/connection.h"
#include "measure/measurements.h"
#include "panel/serial_monitor.h"
#include "registers/block_panel.h"
#include "registers/register_panel.h"
#include "runtime/callbacks.h"

namespace {
const CallbackEntry kCallbacks[] = {
    {"Close_CB", Close_CB},
    {"Clear_SerialWindow_cb", Clear_SerialWindow_cb},
    {"Timer_CB", Timer_CB},
    {"Connect_CB", Connect_CB},
    {"Temperature_meas_cb", Temperature_meas_cb},
    {"ReadAll_current_cb", ReadAll_current_cb},
    {"GetRegister_cb", GetRegister_cb},
    {"SetRegister_cb", SetRegister_cb},
    {"FormatRegChange_cb", FormatRegChange_cb},
    {"GetBLock_cb", GetBLock_cb},
    {"SetBlock_cb", SetBlock_cb},
    {"Set_Voltage1_cb", Set_Voltage1_cb},
    {"Set_Voltage2_cb", Set_Voltage2_cb},
    {"Calculate_DAC_coeficients_cb", Calculate_DAC_coeficients_cb},
    {"Save_DAC_coeficients_cb", Save_DAC_coeficients_cb},
    {"Display_DacCoef_cb", Display_DacCoef_cb},
    {"Set_Dac_Calibrated_Output_cb", Set_Dac_Calibrated_Output_cb},
    {"Get_AdcCounts_cb", Get_AdcCounts_cb},
    {"ReadAll_Adc_cb", ReadAll_Adc_cb},
    {"Calculate_Adc_coeficients_cb", Calculate_Adc_coeficients_cb},
    {"Reset_AdcChannel_cb", Reset_AdcChannel_cb},
    {"Save_AdcCoeficients_cb", Save_AdcCoeficients_cb},
    {"Display_AdcCoef_cb", Display_AdcCoef_cb},
    {"Upgrade_firmware_cb", Upgrade_firmware_cb},
    {"Cancel_upgrade_cb", Cancel_upgrade_cb},
};
}  // namespace

void InstallCallbackTable(void) {
    SetCallbackTable(kCallbacks, static_cast<int>(sizeof kCallbacks / sizeof kCallbacks[0]));
}
