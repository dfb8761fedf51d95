#pragma once
// Blocks of 32-bit words (integers or float bit patterns) at consecutive
// addresses, as typed cores and as the panel's result codes (register_result.h).

#include "registers/register_result.h"

// Words each block command keeps, the panel's and the command line's alike. A write is
// limited to its buffer; a read to what one frame carries (BLOCK_MAX_WORDS).
enum {
    BLOCK_READ_BUFFER_WORDS = 50,
    BLOCK_WRITE_BUFFER_WORDS = 30,
};

// Reads count words (1..BLOCK_MAX_WORDS) from address into words. Returns
// success; Busy; BadCount (words untouched); NotConnected; NotSent; NoAnswer;
// WrongAnswer. On every failure after the count check the count words are zero.
RegisterResult ReadBlock(int address, int count, void* words);
// ReadBlock as a result code: 1; -1 busy, no valid or a wrong response; -2
// not sent; LINK_NOT_CONNECTED; BLOCK_BAD_COUNT.
int GetBlock(int address, int count, void* words);

// Writes count words (1..BLOCK_MAX_WORDS) from words to address. Same results.
RegisterResult WriteBlock(int address, int count, const void* words);
int SetBlock(int address, int count, const void* words);
