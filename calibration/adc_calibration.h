#pragma once
// Two-point calibration of the 16 ADC inputs.

int Get_AdcCounts_cb(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int ReadAll_Adc_cb(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int Calculate_Adc_coeficients_cb(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int Reset_AdcChannel_cb(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int Save_AdcCoeficients_cb(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int Display_AdcCoef_cb(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
