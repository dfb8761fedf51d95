#pragma once
// The firmware section of the main panel: "Upgrade firmware...", Cancel and the progress bar.

// Installs the panel's view of an upgrade (upgrade_view.h): "Upgrade firmware..." dimmed
// and Cancel usable while one runs (the keyboard focus going along), the progress bar
// following the records acknowledged.
void InstallUpgradePanel(void);

// The "Upgrade firmware..." button. On the commit event it runs the whole upgrade before it
// returns; other events do nothing and return 0.
// 1. Asks for the file ("Load HEX file", "*.hex"); none chosen: logs "Firmware upgrade:
//    no file chosen", popup "Error" "PICFirmwareUpgrade: no file selected!", -1.
// 2. Opens it without ever blocking (OpenFileForReading: a folder, a device, a socket or a
//    named pipe nothing writes to is refused); failing: logs "ERROR: PICFirmwareUpgrade:
//    open file error: <path>: <reason>", popup "Error" with "PICFirmwareUpgrade: open file
//    error" and "<path>: <reason>" on a second line, -1.
// 3. Logs "Starting Firmware Upgrade", processes events, reads and checks the file
//    (ReadHexFile into HEX_BUFFER_SIZE characters). Before anything is sent, a popup refuses
//    a file that cannot be read or does not fit, that holds no data to send, or whose line
//    is not a record (titled "Error", the line and its problem, for example "line 5:
//    checksum 0x3C, expected 0x3D"), and "Firmware upgrade: nothing sent" is logged: -1.
// 4. A file without an end-of-file record is sent only when the operator answers Yes to a
//    question (default No); No: "Firmware upgrade: nothing sent", -1.
// 5. Busy: logs "WARNING: Busy, can't process cmd!", -1, g_iBusy untouched. Otherwise
//    g_iBusy is 1, and the upgrade session (firmware/upgrade_session.h) runs, until the
//    upgrade ends. When the link is not connected, the port PANEL_COM_PORT names is opened
//    for the upgrade (its failure lines logged, nothing sent when it does not open) and
//    given up afterwards.
// 6. TestBootloaderPresence; then logs "PIC is ready for upgrade, sending data" and
//    SendFirmwareData; when all was acknowledged, flushes the input queue and logs
//    "Data successfully sent". Failures are reported by those steps, a failed line also in
//    a popup titled "Error". Returns 0.
// Whatever the outcome, the file is closed, and g_iBusy is 0 when step 5 set it. A cancelled
// upgrade then says in a popup titled "Warning message" that the board stays in its
// bootloader and can be upgraded again.
int Upgrade_firmware_cb(int panel, int control, int event, void* callbackData, int eventData1,
                        int eventData2);

// The Cancel button next to the progress bar: on commit, CancelFirmwareUpgrade. Returns 0.
int Cancel_upgrade_cb(int panel, int control, int event, void* callbackData, int eventData1,
                      int eventData2);
