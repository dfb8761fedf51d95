#pragma once
// Re-flashing the board from a HEX file through its bootloader, which must already be running.

// How an upgrade of a chosen file ended.
enum FirmwareUpgradeResult {
    UPGRADE_DONE = 0,          // every record acknowledged, "Data successfully sent"
    UPGRADE_FILE_REFUSED = 1,  // steps 2 to 4 below: nothing sent, the popup said why
    UPGRADE_BUSY = 2,          // step 5: nothing sent
    UPGRADE_FAILED = 3,        // no bootloader, or the transfer stopped: reported by step 6
    UPGRADE_CANCELLED = 4,     // CancelFirmwareUpgrade during the transfer
};

// Steps 2 to 6 below for the file at path, for the button and the command line alike.
FirmwareUpgradeResult UpgradeFirmwareFile(const char* path);

// The "Upgrade firmware..." button. On the commit event it runs the whole upgrade before it
// returns; other events do nothing and return 0.
// 1. Asks for the file ("Load HEX file", "*.hex"); none chosen: popup "Error"
//    "PICFirmwareUpgrade: no file selected!", -1.
// 2. Opens it; failing: popup "Error" "PICFirmwareUpgrade: open file error", -1.
// 3. Logs "Starting Firmware Upgrade", processes events, reads and checks the file
//    (ReadHexFile into HEX_BUFFER_SIZE characters). Before anything is sent, a popup refuses
//    a file that cannot be read or does not fit, that holds no data to send, or whose line
//    is not a record (titled "Error", the line and its problem, for example "line 5:
//    checksum 0x3C, expected 0x3D"): -1.
// 4. A file without an end-of-file record is sent only when the operator answers Yes to a
//    question (default No); No: -1.
// 5. Busy: logs "WARNING: Busy, can't process cmd!", -1, g_iBusy untouched. Otherwise
//    g_iBusy is 1, and the upgrade session (firmware/upgrade_session.h) runs, until the
//    upgrade ends.
// 6. TestBootloaderPresence; then logs "PIC is ready for upgrade, sending data" and
//    SendFirmwareData; when all was acknowledged, flushes the input queue and logs
//    "Data successfully sent". Failures are reported by those steps. Returns 0.
// Whatever the outcome, the file is closed, and g_iBusy is 0 when step 5 set it. A cancelled
// upgrade then says in a popup titled "Warning message" that the board stays in its
// bootloader and can be upgraded again.
int Upgrade_firmware_cb(int panel, int control, int event, void* callbackData, int eventData1,
                        int eventData2);
