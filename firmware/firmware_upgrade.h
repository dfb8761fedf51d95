#pragma once
// Re-flashing the board from a HEX file through its bootloader, which must already be running.

// The "Upgrade firmware..." button. On the commit event it runs the whole upgrade before it
// returns; other events do nothing and return 0.
// 1. Asks for the file ("Load HEX file", "*.hex"); none chosen: popup "Error"
//    "PICFirmwareUpgrade: no file selected!", -1.
// 2. Opens it; failing: popup "Error" "PICFirmwareUpgrade: open file error", -1.
// 3. Logs "Starting Firmware Upgrade", processes events, reads the file (ReadHexFile into
//    HEX_BUFFER_SIZE characters). A file that cannot be read or does not fit, or that holds
//    no data to send, is refused with a popup saying so before anything is sent: -1.
// 4. Busy: logs "WARNING: Busy, can't process cmd!", -1, g_iBusy untouched. Otherwise
//    g_iBusy is 1 until the upgrade ends.
// 5. TestBootloaderPresence; then logs "PIC is ready for upgrade, sending data" and
//    SendFirmwareData; when all was acknowledged, flushes the input queue and logs
//    "Data successfully sent". Failures are reported by those steps. Returns 0.
// Whatever the outcome, the file is closed, and g_iBusy is 0 when step 4 set it.
int Upgrade_firmware_cb(int panel, int control, int event, void* callbackData, int eventData1,
                        int eventData2);
