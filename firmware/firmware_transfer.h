#pragma once
// Sending the firmware to a bootloader that has answered its presence test.

#include "firmware/upgrade_outcome.h"

// Flushes the input queue and sends the count characters of data one at a time, each drained
// before the next. data holds `records` lines ended by a BOOTLOADER_CR. After every CR it reads
// the three answer bytes, each waited for at most BootloaderAnswerWait(), and checks them
// against XOFF, ACK, XON. The progress (StartUpgradeProgress and the rest of
// firmware/upgrade_progress.h) is shown throughout, with events dispatched while the bytes go
// out and while the answers are awaited. The outcome's sent and records say how far it came.
// Before each line it looks whether the upgrade was cancelled (UpgradeCancelRequested); if so
// it logs "Firmware upgrade cancelled at line <k> of <records>", k the lines acknowledged, and
// returns Cancelled with nothing more sent.
// Each failure of line n stops the transfer at once with its line logged, and returns
// TransferStopped with the console's "Error" popup in the outcome:
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
//   the port's device vanished: its "is gone" line (and the disconnect's, when connected),
//                               popup "PICFirmwareUpgrade: COM<n> (<device>) is gone: <why>"
UpgradeOutcome SendFirmwareData(const unsigned char* data, int count, int records);
