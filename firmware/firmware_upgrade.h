#pragma once
// Re-flashing the board from a HEX file through its bootloader.

int Upgrade_firmware_cb(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
