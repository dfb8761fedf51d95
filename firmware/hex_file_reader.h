#pragma once
// Reading a HEX firmware file into memory as the bootloader is to receive it:
// its characters as they are, every line ended by one carriage return.

#include <cstdio>

// The most characters one upgrade can send.
enum { HEX_BUFFER_SIZE = 400000 };

enum HexReadResult {
    HEX_READ_OK = 0,
    HEX_READ_TOO_LARGE = 1,  // the data needs more than the buffer holds
    HEX_READ_FAILED = 2,     // the file could not be read (a directory, an I/O error)
};

// Reads file from its current position into buffer, which holds capacity characters, and
// sets *count to the characters stored (0 unless the result is HEX_READ_OK).
// - A ';' ends the data at once; it and everything after it are not stored, and the line it
//   cut short gets no line end.
// - Every line end (LF, CR LF or a lone CR) is stored as one BOOTLOADER_CR.
// - When the end of the file leaves the last line without a line end, one BOOTLOADER_CR is
//   stored after it, so that the bootloader receives and answers that line too.
// - Every other byte (NUL and 0xFF included) is stored unchanged.
// Never writes past buffer[capacity - 1]; stops with HEX_READ_TOO_LARGE as soon as one more
// character would not fit.
HexReadResult ReadHexFile(std::FILE* file, unsigned char* buffer, int capacity, int* count);
