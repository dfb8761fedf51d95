#pragma once
// The bytes of the PIC bootloader's line protocol.

enum {
    BOOTLOADER_CR = 0x0D,    // ends every line; alone, it is the presence test
    BOOTLOADER_XOFF = 0x13,  // first byte of every answer
    BOOTLOADER_ACK = 0x06,   // second byte: the line was taken
    BOOTLOADER_XON = 0x11,   // third byte: the bootloader is ready for the next line
};

enum { BOOTLOADER_ANSWER_LENGTH = 3 };

// Every answer, in the order the bootloader sends it.
inline constexpr unsigned char BOOTLOADER_ANSWER[BOOTLOADER_ANSWER_LENGTH] = {
    BOOTLOADER_XOFF, BOOTLOADER_ACK, BOOTLOADER_XON};
