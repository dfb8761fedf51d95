// PLACEHOLDER: replaced by the issue that builds these commands.
#include "calibration/dac_calibration.h"

int Set_Voltage1_cb(int, int, int, void*, int, int) { return 0; }
int Set_Voltage2_cb(int, int, int, void*, int, int) { return 0; }
int Calculate_DAC_coeficients_cb(int, int, int, void*, int, int) { return 0; }
int Save_DAC_coeficients_cb(int, int, int, void*, int, int) { return 0; }
int Display_DacCoef_cb(int, int, int, void*, int, int) { return 0; }
int Set_Dac_Calibrated_Output_cb(int, int, int, void*, int, int) { return 0; }
