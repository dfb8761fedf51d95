#pragma once
// Blocks of 32-bit words (integers or float bit patterns) at consecutive addresses.

// Reads count words (1..BLOCK_MAX_WORDS) from address into words. Returns 1;
// -1 busy, no valid response or a wrong response; -2 not sent;
// LINK_NOT_CONNECTED; -5 count out of range (nothing sent, words untouched).
// On every failure after the count check the count words are zero.
int GetBlock(int address, int count, void* words);

// Writes count words (1..BLOCK_MAX_WORDS) from words to address. Same results.
int SetBlock(int address, int count, const void* words);

enum { BLOCK_BAD_COUNT = -5 };
