#pragma once
// Proving that the board's bootloader is running before any firmware is sent.

// Flushes the input queue, logs "Sending test character", sends one BOOTLOADER_CR, waits
// BootloaderAnswerWait() without dispatching events and then looks through what came
// for XOFF, ACK and XON in that order (other bytes before, between and after them are
// ignored). Returns 1 when all three came; otherwise logs "ERROR: Timed out on GetInQLen",
// processes events and returns 0.
int TestBootloaderPresence(void);
