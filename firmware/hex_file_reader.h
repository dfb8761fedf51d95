#pragma once
// Reading a HEX firmware file into memory as the bootloader is to receive it: its records as
// they are, every one ended by one carriage return, each checked before anything is sent.

#include <cstdio>

#include "firmware/hex_record.h"

// The most characters of a file that one upgrade sends. The carriage return added after a
// last record that has no line end comes on top: the file's own characters are the limit.
enum { HEX_MOST_CHARACTERS = 400000 };
// Room for HEX_MOST_CHARACTERS and that added carriage return.
enum { HEX_BUFFER_SIZE = HEX_MOST_CHARACTERS + 1 };

// Room for a problem CheckHexRecord describes and the line number in front of it.
enum { HEX_LINE_PROBLEM_SIZE = HEX_PROBLEM_SIZE + 32 };

enum HexReadResult {
    HEX_READ_OK = 0,
    HEX_READ_TOO_LARGE = 1,  // the data needs more than the buffer holds
    HEX_READ_FAILED = 2,     // the file could not be read (a directory, an I/O error)
    HEX_READ_NOT_HEX = 3,    // a line is not a record; HexImage::problem says which and why
};

// What ReadHexFile stored.
struct HexImage {
    int count;      // characters stored
    int records;    // stored records ended by a carriage return, each answered by the bootloader
    int endOfFile;  // 1 when one of them is an end-of-file record, else 0
    char problem[HEX_LINE_PROBLEM_SIZE];  // with HEX_READ_NOT_HEX, e.g.
                                          // "line 5: checksum 0x3C, expected 0x3D"; else ""
};

// Reads file from its current position into buffer, which holds capacity characters, and
// describes what was stored in *image (count 0 unless the result is HEX_READ_OK).
// - Lines end at LF, CR LF or a lone CR; they are numbered from 1 as in the file.
// - A ';' ends the data at once: it and everything after it are not read, and the line it
//   cuts short gets no line end.
// - Spaces and tabs that end a line are dropped, and a line left empty is not stored at all,
//   its line end included. A 0x1A that is the file's last byte (the end-of-text mark some
//   tools write) is dropped.
// - Every other line must be a record (CheckHexRecord) and must not come after an
//   end-of-file record; the first one that is not stops the reading with HEX_READ_NOT_HEX.
// - Each stored record is followed by one BOOTLOADER_CR, including a last record without a
//   line end in the file (but not one cut short by ';').
// Never writes past buffer[capacity - 1]. The stored characters other than the carriage
// return added after a last record take at most capacity - 1 places; HEX_READ_TOO_LARGE as
// soon as one more would not fit.
HexReadResult ReadHexFile(std::FILE* file, unsigned char* buffer, int capacity, HexImage* image);
