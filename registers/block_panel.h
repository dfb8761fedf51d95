#pragma once
// The block section of the main panel: PANEL_BLOCK_ADDRESS (hexadecimal, 0x
// optional), PANEL_BLOCK_COUNT (decimal), PANEL_BLOCK_VALUE and the format
// selector PANEL_BLOCK_FORMAT (on: 32-bit words in hexadecimal; off:
// single-precision floats). Both are control callbacks that act on
// EVENT_COMMIT only (anything else returns 0 and changes nothing) and work on
// g_hmainPanel. When not connected each shows the "Connection warning" popup,
// sends nothing, changes no control and returns 0.

#include "registers/block_access.h"  // BLOCK_READ_BUFFER_WORDS, BLOCK_WRITE_BUFFER_WORDS

// "Read block": reads count words from the address and shows the last one in
// PANEL_BLOCK_VALUE as "0x%.8X" or "%0.3f"; the others are dropped. A count
// outside 1..BLOCK_MAX_WORDS sends nothing. "Error" in the box after a refusal
// or a failed read. Returns 0.
int GetBLock_cb(int panel, int control, int event, void* callbackData, int eventData1,
                int eventData2);

// "Write block": writes the value of PANEL_BLOCK_VALUE (sscanf "%X", or "%f"
// whose bit pattern becomes the word) to every one of count words from the
// address. Refused with nothing sent: a count outside
// 1..BLOCK_WRITE_BUFFER_WORDS, a value text without a number, a value that
// does not fit the word (more than 8 hex digits, beyond the float range).
// After a refusal or a failed write the box shows "Error" and the result is
// -1; after a write it keeps the operator's text and the result is 0.
int SetBlock_cb(int panel, int control, int event, void* callbackData, int eventData1,
                int eventData2);
