#include "app/panel_contract.h"

#include <cstdio>
#include <cstring>

#include "panel/Tarviktest.h"
#include "runtime/userint.h"

#define CONTROL(id, style, type, callback, label) \
    { id, #id, style, type, callback, label }

const PanelControlEntry g_mainPanelControls[] = {
    CONTROL(PANEL_COM_PORT, CTRL_NUMERIC, VAL_INTEGER, "", "COM port"),
    CONTROL(PANEL_DAC_CONTROL_VOLTAGE1, CTRL_NUMERIC, VAL_FLOAT, "", "Control voltage 1"),
    CONTROL(PANEL_DAC_VOLT1, CTRL_NUMERIC, VAL_FLOAT, "", ""),
    CONTROL(PANEL_DAC_CONTROL_VOLTAGE2, CTRL_NUMERIC, VAL_FLOAT, "", "Control voltage 2"),
    CONTROL(PANEL_DAC_VOLT2, CTRL_NUMERIC, VAL_FLOAT, "", ""),
    CONTROL(PANEL_ADC_VOLT1, CTRL_NUMERIC, VAL_FLOAT, "", ""),
    CONTROL(PANEL_ADC_VOLT2, CTRL_NUMERIC, VAL_FLOAT, "", ""),
    CONTROL(PANEL_BLOCK_ADDRESS, CTRL_STRING, VAL_STRING, "", "Block address"),
    CONTROL(PANEL_BLOCK_VALUE, CTRL_STRING, VAL_STRING, "", "Block value"),
    CONTROL(PANEL_BLOCK_COUNT, CTRL_STRING, VAL_STRING, "", "Word count"),
    CONTROL(PANEL_REG_ADDRESS, CTRL_STRING, VAL_STRING, "", "Register address"),
    CONTROL(PANEL_REG_VALUE, CTRL_STRING, VAL_STRING, "", "Register value"),
    CONTROL(PANEL_REG_MASK, CTRL_STRING, VAL_STRING, "", "Write mask"),
    CONTROL(PANEL_SERIAL_WINDOW, CTRL_TEXT_BOX, VAL_STRING, "", ""),
    CONTROL(PANEL_TIMER, CTRL_TIMER, VAL_INTEGER, "Timer_CB", ""),
    CONTROL(PANEL_ADC_CHANNEL, CTRL_NUMERIC, VAL_INTEGER, "", "ADC channel"),
    CONTROL(PANEL_DAC_CH1_LABEL, CTRL_TEXT_MSG, VAL_STRING, "", ""),
    CONTROL(PANEL_ADC_CH1_LABEL, CTRL_TEXT_MSG, VAL_STRING, "", ""),
    CONTROL(PANEL_BLOCK_FLOAT, CTRL_TOGGLE, VAL_INTEGER, "FormatRegChange_cb", "Float"),
    CONTROL(PANEL_REG_DECIMAL, CTRL_TOGGLE, VAL_INTEGER, "FormatRegChange_cb", "Decimal"),
    CONTROL(PANEL_BLOCK_FORMAT, CTRL_TOGGLE, VAL_INTEGER, "FormatRegChange_cb", "Hex word"),
    CONTROL(PANEL_REG_FORMAT, CTRL_TOGGLE, VAL_INTEGER, "FormatRegChange_cb", "Hex"),
    CONTROL(PANEL_DAC_OUTPUT_CHANNEL, CTRL_NUMERIC, VAL_INTEGER, "", "Output channel"),
    CONTROL(PANEL_DAC_CHANNEL, CTRL_NUMERIC, VAL_INTEGER, "", "DAC channel"),
    CONTROL(PANEL_TEMPERATURE, CTRL_STRING, VAL_STRING, "", "Temperature"),
    CONTROL(PANEL_DAC_OUTPUT_VOLTAGE, CTRL_NUMERIC, VAL_FLOAT, "", "Output voltage"),
    CONTROL(PANEL_CONNECT, CTRL_COMMAND_BUTTON, VAL_INTEGER, "Connect_CB", "Connect"),
    CONTROL(PANEL_TEMPERATURE_MEAS, CTRL_COMMAND_BUTTON, VAL_INTEGER, "Temperature_meas_cb",
            "Read temperature"),
    CONTROL(PANEL_READ_CURRENTS, CTRL_COMMAND_BUTTON, VAL_INTEGER, "ReadAll_current_cb",
            "Read currents"),
    CONTROL(PANEL_READ_REGISTER, CTRL_COMMAND_BUTTON, VAL_INTEGER, "GetRegister_cb",
            "Read register"),
    CONTROL(PANEL_WRITE_REGISTER, CTRL_COMMAND_BUTTON, VAL_INTEGER, "SetRegister_cb",
            "Write register"),
    CONTROL(PANEL_READ_BLOCK, CTRL_COMMAND_BUTTON, VAL_INTEGER, "GetBLock_cb", "Read block"),
    CONTROL(PANEL_WRITE_BLOCK, CTRL_COMMAND_BUTTON, VAL_INTEGER, "SetBlock_cb", "Write block"),
    CONTROL(PANEL_SET_VOLTAGE1, CTRL_COMMAND_BUTTON, VAL_INTEGER, "Set_Voltage1_cb",
            "Set voltage 1"),
    CONTROL(PANEL_SET_VOLTAGE2, CTRL_COMMAND_BUTTON, VAL_INTEGER, "Set_Voltage2_cb",
            "Set voltage 2"),
    CONTROL(PANEL_CALC_DAC, CTRL_COMMAND_BUTTON, VAL_INTEGER, "Calculate_DAC_coeficients_cb",
            "Calculate DAC coefficients"),
    CONTROL(PANEL_SAVE_DAC, CTRL_COMMAND_BUTTON, VAL_INTEGER, "Save_DAC_coeficients_cb",
            "Save DAC coefficients"),
    CONTROL(PANEL_DISPLAY_DAC, CTRL_COMMAND_BUTTON, VAL_INTEGER, "Display_DacCoef_cb",
            "Display DAC coefficients"),
    CONTROL(PANEL_SET_CALIBRATED, CTRL_COMMAND_BUTTON, VAL_INTEGER, "Set_Dac_Calibrated_Output_cb",
            "Set calibrated output"),
    CONTROL(PANEL_CAPTURE_ADC, CTRL_COMMAND_BUTTON, VAL_INTEGER, "Get_AdcCounts_cb",
            "Capture ADC channel"),
    CONTROL(PANEL_CAPTURE_ALL_ADC, CTRL_COMMAND_BUTTON, VAL_INTEGER, "ReadAll_Adc_cb",
            "Capture all ADC channels"),
    CONTROL(PANEL_CALC_ADC, CTRL_COMMAND_BUTTON, VAL_INTEGER, "Calculate_Adc_coeficients_cb",
            "Calculate ADC coefficients"),
    CONTROL(PANEL_RESET_ADC, CTRL_COMMAND_BUTTON, VAL_INTEGER, "Reset_AdcChannel_cb",
            "Reset ADC capture"),
    CONTROL(PANEL_SAVE_ADC, CTRL_COMMAND_BUTTON, VAL_INTEGER, "Save_AdcCoeficients_cb",
            "Save ADC coefficients"),
    CONTROL(PANEL_DISPLAY_ADC, CTRL_COMMAND_BUTTON, VAL_INTEGER, "Display_AdcCoef_cb",
            "Display ADC coefficients"),
    CONTROL(PANEL_UPGRADE_FIRMWARE, CTRL_COMMAND_BUTTON, VAL_INTEGER, "Upgrade_firmware_cb",
            "Upgrade firmware..."),
    CONTROL(PANEL_UPGRADE_PROGRESS, CTRL_PROGRESS_BAR, VAL_INTEGER, "", ""),
    CONTROL(PANEL_CANCEL_UPGRADE, CTRL_COMMAND_BUTTON, VAL_INTEGER, "Cancel_upgrade_cb", "Cancel"),
    CONTROL(PANEL_QUIT, CTRL_COMMAND_BUTTON, VAL_INTEGER, "Close_CB", "Quit"),
    CONTROL(PANEL_CLEAR_MONITOR, CTRL_COMMAND_BUTTON, VAL_INTEGER, "Clear_SerialWindow_cb",
            "Clear monitor"),
};
const int g_mainPanelControlCount = sizeof g_mainPanelControls / sizeof g_mainPanelControls[0];

int CheckMainPanel(int panel, char* why, std::size_t size) {
    char text[256];
    for (int i = 0; i < g_mainPanelControlCount; ++i) {
        const PanelControlEntry& entry = g_mainPanelControls[i];
        int style = 0, type = 0;
        if (GetCtrlAttribute(panel, entry.id, ATTR_CTRL_STYLE, &style) < 0) {
            std::snprintf(why, size, "the panel has no control %s (id %d)", entry.constant,
                          entry.id);
            return 0;
        }
        GetCtrlAttribute(panel, entry.id, ATTR_DATA_TYPE, &type);
        if (style != entry.style || type != entry.dataType) {
            std::snprintf(why, size, "control %s (id %d) is not of the kind the program needs",
                          entry.constant, entry.id);
            return 0;
        }
        GetCtrlAttribute(panel, entry.id, ATTR_CALLBACK_NAME, text);
        if (std::strcmp(text, entry.callback) != 0) {
            std::snprintf(why, size, "control %s must have the callback '%s', not '%s'",
                          entry.constant, entry.callback, text);
            return 0;
        }
    }
    return 1;
}
