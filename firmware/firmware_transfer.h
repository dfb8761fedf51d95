#pragma once
// Sending the firmware to a bootloader that has answered its presence test.

enum TransferResult {
    TRANSFER_STOPPED = 0,    // a line failed; the failure has been reported
    TRANSFER_DONE = 1,       // every character went out and every line was acknowledged
    TRANSFER_CANCELLED = 2,  // the operator cancelled; logged, not yet told in a popup
};

// Flushes the input queue and sends the count characters of data one at a time, each drained
// before the next. data holds `records` lines ended by a BOOTLOADER_CR. After every CR it reads
// the three answer bytes, each waited for at most BootloaderAnswerWait(), and checks them
// against XOFF, ACK, XON. The progress (StartUpgradeProgress and the rest of
// firmware/upgrade_progress.h) is shown throughout, with events dispatched while the bytes go
// out and while the answers are awaited.
// Before each line it looks whether the upgrade was cancelled (UpgradeCancelRequested); if so
// it logs "Firmware upgrade cancelled at line <k> of <records>", k the lines acknowledged, and
// returns TRANSFER_CANCELLED with nothing more sent.
// Each failure of line n stops the transfer at once, logged with the line's number and shown
// in a popup titled "Error", and returns TRANSFER_STOPPED:
//   a wrong first answer byte:  log "ERROR: Bad bootloader XOFF response to line <n> (0x..)",
//                               popup "Bad bootloader XOFF response"
//   a wrong second byte (a NAK when the bootloader refused the line):
//                               log "ERROR: Bad bootloader ACK response to line <n> (0x..)",
//                               popup "Bad bootloader ACK response"
//   a wrong third byte:         log "ERROR: Bad bootloader XON response to line <n> (0x..)",
//                               popup "Bad bootloader ACK response"
//   an answer byte that did not come: log "ERROR: No bootloader answer to line <n>", popup
//                               "PICFirmwareUpgrade: the bootloader stopped answering"
//   a byte that did not leave the output queue: log "ERROR: Output queue was not emptied on
//                               line <n>", popup "PICFirmwareUpgrade: the serial port stopped
//                               sending"
TransferResult SendFirmwareData(const unsigned char* data, int count, int records);
