#pragma once
// Single bytes to and from the bootloader on g_iCom_port_num, every wait bounded.

// The longest the bootloader may take for an answer byte. It is the time the presence test
// gives the bootloader to answer, and far above what it needs to write a record into flash
// (milliseconds), yet a board that stopped answering holds the console no longer than this.
inline constexpr double BOOTLOADER_ANSWER_SECONDS = 2.0;

// The answer wait in force: BOOTLOADER_ANSWER_SECONDS unless a test shortened it
// (firmware/testing.h).
double BootloaderAnswerWait(void);

// Writes byte and waits until it has left the output queue, at most the drain limit a
// transaction allows (g_iTimeout_val timer ticks). Returns 1 when it left (or the queue
// cannot be asked), 0 when the queue still held it at the limit.
int SendBootloaderByte(unsigned char byte);

// Sleeps until the input queue holds a byte, at most BootloaderAnswerWait(), then reads it
// into *byte (ComRdByte's result: 0..255, or negative when the read failed) and returns 1.
// Returns 0, *byte untouched, when no byte came in time or the port failed. whileWaiting,
// unless null, is called at least every half UPGRADE_EVENTS_SECONDS while no byte comes.
int WaitBootloaderByte(int* byte, void (*whileWaiting)(void));
