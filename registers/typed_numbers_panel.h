#pragma once
// Numbers the operator typed into the register and block sections' boxes.
// A text that is not a number of its field is refused with one monitor line
// naming the box, the text and the reason, so a typo never reaches the board.

// Reads the text of control (on g_hmainPanel) as an unsigned number in base
// (10 or 16) of at most largest. Returns 1 with *value set; otherwise logs
// "ERROR: <boxName> "<text>" refused: <reason>" and returns 0 (*value alone).
int ReadTypedNumber(int control, const char* boxName, int base, unsigned int largest,
                    unsigned int* value);

// The same for a decimal count of 1..largest ("not 1 to 48" when refused).
int ReadTypedCount(int control, const char* boxName, unsigned int largest, unsigned int* count);

// The same for a finite single-precision float, stored as its bit pattern.
int ReadTypedFloat(int control, const char* boxName, unsigned int* word);
