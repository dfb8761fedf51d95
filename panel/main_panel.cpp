#include "panel/panel.h"

int g_hmainPanel;
int g_iCidAdc_volt1_box[CHANNEL_COUNT];
int g_iCidAdc_volt2_box[CHANNEL_COUNT];
int g_iCidDac_volt1_box[CHANNEL_COUNT];
int g_iCidDac_volt2_box[CHANNEL_COUNT];
