#pragma once
// Start-up, the main panel's run-time controls and the quit command.

enum { CHANNEL_COUNT = 16 };  // DAC outputs, ADC inputs and currents alike

extern int g_hmainPanel;
// Control ids of the calibration voltage boxes, index = channel - 1. Element 0
// is the panel file's channel-1 box; the rest are made by CreateGUI.
extern int g_iCidAdc_volt1_box[CHANNEL_COUNT];
extern int g_iCidAdc_volt2_box[CHANNEL_COUNT];
extern int g_iCidDac_volt1_box[CHANNEL_COUNT];
extern int g_iCidDac_volt2_box[CHANNEL_COUNT];

// Sets the globals' start-up defaults (not busy, not connected, empty monitor,
// tick counter 0, drain limit 2 ticks, the line trusted).
void init(void);

// Titles the main panel and adds the calibration boxes and labels of channels
// 2 to 16 below the channel-1 rows. Requires g_hmainPanel to be loaded; run once.
void CreateGUI(void);

// Quit: on commit, cancels a running firmware upgrade (CancelFirmwareUpgrade) and ends the
// event loop once the callback has returned. Returns 0.
int Close_CB(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
