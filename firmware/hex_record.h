#pragma once
// One line of an Intel HEX file as the bootloader takes it: ':' and then the bytes in
// hexadecimal, namely the data length, the address (high, low), the record type, the data
// and a checksum that brings the sum of all of them to zero modulo 256.

#include <cstddef>

enum {
    HEX_RECORD_DATA = 0x00,
    HEX_RECORD_END_OF_FILE = 0x01,
    HEX_RECORD_LAST_TYPE = 0x05,  // start linear address, the highest type there is
};

// Room for any problem CheckHexRecord describes.
enum { HEX_PROBLEM_SIZE = 96 };

// Checks text[0 .. length) (a line without its line end) as one record. Returns its record
// type, HEX_RECORD_DATA to HEX_RECORD_LAST_TYPE, when it is one. Otherwise returns -1 and
// describes the first problem found in problem (cut to size - 1 characters and a NUL), in
// this order of checks, for example:
//   "does not start with ':'"
//   "'G' at column 8 is not a hexadecimal digit" (unprintable ones as "byte 0x1A at ...")
//   "odd number of hexadecimal digits (9)"
//   "too short for a record (3 bytes, at least 5)"
//   "length byte 0x10, but the record has 15 data bytes"
//   "checksum 0x3C, expected 0x3D"
//   "unknown record type 0x06"
// Digits may be in either case. Nothing but the record may be on the line.
int CheckHexRecord(const unsigned char* text, int length, char* problem, std::size_t size);
