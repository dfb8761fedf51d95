#pragma once
// The main panel as every layer names it: its handle, the channel count and
// the ids of the calibration voltage boxes.

#include "panel/channels.h"

// The main panel's handle, once loaded.
extern int g_hmainPanel;
// Control ids of the calibration voltage boxes, index = channel - 1. Element 0
// is the panel file's channel-1 box; the rest are made by CreateGUI.
extern int g_iCidAdc_volt1_box[CHANNEL_COUNT];
extern int g_iCidAdc_volt2_box[CHANNEL_COUNT];
extern int g_iCidDac_volt1_box[CHANNEL_COUNT];
extern int g_iCidDac_volt2_box[CHANNEL_COUNT];
