#pragma once
// Start-up, the main panel's run-time controls and the quit command.

#include "panel/panel.h"

// Sets the globals' start-up defaults (not busy, not connected, empty monitor,
// tick counter 0, drain limit 2 ticks, the line trusted).
void init(void);

// Titles the main panel, adds the calibration boxes and labels of channels 2 to
// 16 below the channel-1 rows, names every calibration box for screen readers
// ("DAC channel 2, voltage 1 reading", "ADC channel 16, voltage 2") and sets the
// keys: Ctrl+S saves the monitor's log, Ctrl+L clears the monitor, Return in the
// register (block) address box reads the register (block). Requires g_hmainPanel
// to be loaded; run once.
void CreateGUI(void);

// Quit: on commit, cancels a running firmware upgrade (CancelFirmwareUpgrade) and ends the
// event loop once the callback has returned. Returns 0.
int Close_CB(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
