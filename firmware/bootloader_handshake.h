#pragma once
// Proving that the board's bootloader is running before any firmware is sent.

#include "firmware/upgrade_outcome.h"

// Flushes the input queue, logs "Sending test character", sends one BOOTLOADER_CR and, for
// at most BootloaderAnswerWait() and without dispatching events, looks through what comes for
// XOFF, ACK and XON in that order (other bytes before, between and after them are ignored);
// it stops waiting once an answer is complete (its XON has come).
// When instead the answer holds XOFF and later XON with no ACK between them, the bootloader
// has refused what it held as a partial line (bytes that reached a board left in its
// bootloader: a register read, a Connect), and the CR only completed it: logs "Bootloader
// discarded a partial line; sending the test character again", sends the CR once more and
// judges that answer alike. Returns success when all three came; otherwise NoBootloader,
// after logging "ERROR: Timed out on GetInQLen" (or, when the port's device vanished, its
// "is gone" line) and processing events.
UpgradeOutcome TestBootloaderPresence(void);
