// PLACEHOLDER: replaced by the issue that builds these commands.
#include "calibration/adc_calibration.h"

int Get_AdcCounts_cb(int, int, int, void*, int, int) { return 0; }
int ReadAll_Adc_cb(int, int, int, void*, int, int) { return 0; }
int Calculate_Adc_coeficients_cb(int, int, int, void*, int, int) { return 0; }
int Reset_AdcChannel_cb(int, int, int, void*, int, int) { return 0; }
int Save_AdcCoeficients_cb(int, int, int, void*, int, int) { return 0; }
int Display_AdcCoef_cb(int, int, int, void*, int, int) { return 0; }
