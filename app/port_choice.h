#pragma once
// The COM port's device: the label beside the COM port box, the choice among
// the serial devices present, and the COM number remembered between runs.

// Shows beside the COM port box the device its number maps to (a long name
// shortened in the middle), and names that port in the monitor's saved log.
void ShowComPortDevice(void);

// At start-up: sets the COM port box to the number last connected, when one
// is remembered and in the box's range, and shows its device.
void RestoreComPortChoice(void);

// Remembers port as the COM number last connected (for the next start-up).
// A settings file that cannot be written is noted in the monitor.
void RememberConnectedComPort(int port);

// COM port box: on commit, shows the new number's device. Returns 0.
int ComPort_cb(int panel, int control, int event, void* callbackData, int eventData1,
               int eventData2);

// Choose...: on commit, offers the serial devices present (a path may also be
// typed), maps the COM number to the one given for this run and remembers it
// in the settings file, and logs the choice. A cancel changes nothing.
// Returns 0.
int ChooseComDevice_cb(int panel, int control, int event, void* callbackData, int eventData1,
                       int eventData2);
