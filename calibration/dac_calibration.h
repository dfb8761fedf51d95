#pragma once
// Two-point calibration of the 16 DAC outputs and calibrated outputs by voltage.

int Set_Voltage1_cb(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int Set_Voltage2_cb(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int Calculate_DAC_coeficients_cb(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int Save_DAC_coeficients_cb(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int Display_DacCoef_cb(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int Set_Dac_Calibrated_Output_cb(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
