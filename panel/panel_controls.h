#pragma once
// Every control of the main panel the program addresses, one line each, in the
// panel file's id order: its PANEL_ constant and id, kind, value type, the
// callback the panel file must bind (BOUND) or none (DATA), and the label that
// names it on screen. The ids, the start-up check of the panel file and the
// callback table are all made from this list, so adding a button is one line
// here and its entry in Tarviktest.uir. Kinds and types are the engine's
// CTRL_ and VAL_ constants (runtime/userint.h).
// clang-format off
#define TARVIK_MAIN_PANEL_CONTROLS(DATA, BOUND) \
    BOUND(PANEL_COM_PORT, 2, CTRL_NUMERIC, VAL_INTEGER, ComPort_cb, "COM port") \
    BOUND(PANEL_CONNECT, 3, CTRL_COMMAND_BUTTON, VAL_INTEGER, Connect_CB, "Connect") \
    DATA(PANEL_DAC_CONTROL_VOLTAGE1, 4, CTRL_NUMERIC, VAL_FLOAT, "Control voltage 1") \
    DATA(PANEL_DAC_VOLT1, 6, CTRL_NUMERIC, VAL_FLOAT, "") \
    DATA(PANEL_DAC_CONTROL_VOLTAGE2, 7, CTRL_NUMERIC, VAL_FLOAT, "Control voltage 2") \
    DATA(PANEL_DAC_VOLT2, 9, CTRL_NUMERIC, VAL_FLOAT, "") \
    DATA(PANEL_ADC_VOLT1, 11, CTRL_NUMERIC, VAL_FLOAT, "") \
    DATA(PANEL_ADC_VOLT2, 12, CTRL_NUMERIC, VAL_FLOAT, "") \
    DATA(PANEL_BLOCK_ADDRESS, 17, CTRL_STRING, VAL_STRING, "Block address") \
    DATA(PANEL_BLOCK_VALUE, 18, CTRL_STRING, VAL_STRING, "Block value") \
    DATA(PANEL_BLOCK_COUNT, 19, CTRL_STRING, VAL_STRING, "Word count") \
    DATA(PANEL_REG_ADDRESS, 22, CTRL_STRING, VAL_STRING, "Register address") \
    DATA(PANEL_REG_VALUE, 23, CTRL_STRING, VAL_STRING, "Register value") \
    DATA(PANEL_REG_MASK, 24, CTRL_STRING, VAL_STRING, "Write mask") \
    DATA(PANEL_SERIAL_WINDOW, 27, CTRL_TEXT_BOX, VAL_STRING, "") \
    BOUND(PANEL_TIMER, 28, CTRL_TIMER, VAL_INTEGER, Timer_CB, "") \
    DATA(PANEL_ADC_CHANNEL, 29, CTRL_NUMERIC, VAL_INTEGER, "ADC channel") \
    DATA(PANEL_DAC_CH1_LABEL, 33, CTRL_TEXT_MSG, VAL_STRING, "") \
    DATA(PANEL_ADC_CH1_LABEL, 34, CTRL_TEXT_MSG, VAL_STRING, "") \
    BOUND(PANEL_BLOCK_FLOAT, 35, CTRL_TOGGLE, VAL_INTEGER, FormatRegChange_cb, "Float") \
    BOUND(PANEL_REG_DECIMAL, 36, CTRL_TOGGLE, VAL_INTEGER, FormatRegChange_cb, "Decimal") \
    BOUND(PANEL_BLOCK_FORMAT, 37, CTRL_TOGGLE, VAL_INTEGER, FormatRegChange_cb, "Hex word") \
    BOUND(PANEL_REG_FORMAT, 38, CTRL_TOGGLE, VAL_INTEGER, FormatRegChange_cb, "Hex") \
    BOUND(PANEL_TEMPERATURE_MEAS, 39, CTRL_COMMAND_BUTTON, VAL_INTEGER, Temperature_meas_cb, \
          "Read temperature") \
    DATA(PANEL_DAC_OUTPUT_CHANNEL, 40, CTRL_NUMERIC, VAL_INTEGER, "Output channel") \
    DATA(PANEL_DAC_CHANNEL, 41, CTRL_NUMERIC, VAL_INTEGER, "DAC channel") \
    DATA(PANEL_TEMPERATURE, 42, CTRL_STRING, VAL_STRING, "Temperature") \
    DATA(PANEL_DAC_OUTPUT_VOLTAGE, 52, CTRL_NUMERIC, VAL_FLOAT, "Output voltage") \
    BOUND(PANEL_QUIT, 60, CTRL_COMMAND_BUTTON, VAL_INTEGER, Close_CB, "Quit") \
    BOUND(PANEL_CLEAR_MONITOR, 61, CTRL_COMMAND_BUTTON, VAL_INTEGER, Clear_SerialWindow_cb, \
          "Clear monitor") \
    BOUND(PANEL_READ_REGISTER, 62, CTRL_COMMAND_BUTTON, VAL_INTEGER, GetRegister_cb, \
          "Read register") \
    BOUND(PANEL_WRITE_REGISTER, 63, CTRL_COMMAND_BUTTON, VAL_INTEGER, SetRegister_cb, \
          "Write register") \
    BOUND(PANEL_READ_BLOCK, 64, CTRL_COMMAND_BUTTON, VAL_INTEGER, GetBLock_cb, "Read block") \
    BOUND(PANEL_WRITE_BLOCK, 65, CTRL_COMMAND_BUTTON, VAL_INTEGER, SetBlock_cb, "Write block") \
    BOUND(PANEL_READ_CURRENTS, 66, CTRL_COMMAND_BUTTON, VAL_INTEGER, ReadAll_current_cb, \
          "Read currents") \
    BOUND(PANEL_SET_VOLTAGE1, 67, CTRL_COMMAND_BUTTON, VAL_INTEGER, Set_Voltage1_cb, \
          "Set voltage 1") \
    BOUND(PANEL_SET_VOLTAGE2, 68, CTRL_COMMAND_BUTTON, VAL_INTEGER, Set_Voltage2_cb, \
          "Set voltage 2") \
    BOUND(PANEL_CALC_DAC, 69, CTRL_COMMAND_BUTTON, VAL_INTEGER, Calculate_DAC_coeficients_cb, \
          "Calculate DAC coefficients") \
    BOUND(PANEL_SAVE_DAC, 70, CTRL_COMMAND_BUTTON, VAL_INTEGER, Save_DAC_coeficients_cb, \
          "Save DAC coefficients") \
    BOUND(PANEL_DISPLAY_DAC, 71, CTRL_COMMAND_BUTTON, VAL_INTEGER, Display_DacCoef_cb, \
          "Display DAC coefficients") \
    BOUND(PANEL_SET_CALIBRATED, 72, CTRL_COMMAND_BUTTON, VAL_INTEGER, \
          Set_Dac_Calibrated_Output_cb, \
          "Set calibrated output") \
    BOUND(PANEL_CAPTURE_ADC, 73, CTRL_COMMAND_BUTTON, VAL_INTEGER, Get_AdcCounts_cb, \
          "Capture ADC channel") \
    BOUND(PANEL_CAPTURE_ALL_ADC, 74, CTRL_COMMAND_BUTTON, VAL_INTEGER, ReadAll_Adc_cb, \
          "Capture all ADC channels") \
    BOUND(PANEL_CALC_ADC, 75, CTRL_COMMAND_BUTTON, VAL_INTEGER, Calculate_Adc_coeficients_cb, \
          "Calculate ADC coefficients") \
    BOUND(PANEL_RESET_ADC, 76, CTRL_COMMAND_BUTTON, VAL_INTEGER, Reset_AdcChannel_cb, \
          "Reset ADC capture") \
    BOUND(PANEL_SAVE_ADC, 77, CTRL_COMMAND_BUTTON, VAL_INTEGER, Save_AdcCoeficients_cb, \
          "Save ADC coefficients") \
    BOUND(PANEL_DISPLAY_ADC, 78, CTRL_COMMAND_BUTTON, VAL_INTEGER, Display_AdcCoef_cb, \
          "Display ADC coefficients") \
    BOUND(PANEL_UPGRADE_FIRMWARE, 79, CTRL_COMMAND_BUTTON, VAL_INTEGER, Upgrade_firmware_cb, \
          "Upgrade firmware...") \
    DATA(PANEL_UPGRADE_PROGRESS, 80, CTRL_PROGRESS_BAR, VAL_INTEGER, "") \
    BOUND(PANEL_CANCEL_UPGRADE, 81, CTRL_COMMAND_BUTTON, VAL_INTEGER, Cancel_upgrade_cb, "Cancel") \
    DATA(PANEL_COM_DEVICE, 82, CTRL_TEXT_MSG, VAL_STRING, "") \
    BOUND(PANEL_CHOOSE_DEVICE, 83, CTRL_COMMAND_BUTTON, VAL_INTEGER, ChooseComDevice_cb, \
          "Choose...")
// clang-format on
