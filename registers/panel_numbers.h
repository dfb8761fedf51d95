#pragma once
// How the register and block sections read the operator's number texts, and
// the float/word reinterpretation their value boxes share. A text is a number
// only as a whole: "1G", "12abc" or "" never become the number they start with.

#include "link/frame.h"  // FloatToWord, WordToFloat

// Results of reading a number text.
enum {
    NUMBER_TEXT_OK = 1,
    NUMBER_TEXT_NOT_A_NUMBER = 0,  // empty, signed, or a character outside the number
    NUMBER_TEXT_TOO_LARGE = -1,    // a number that does not fit its field
    NUMBER_TEXT_TOO_SMALL = -2,    // a float text that is not zero but rounds to 0
};

// True when text is empty or only blanks.
bool IsBlankText(const char* text);

// Reads text as one unsigned number in base 10 or 16, with blanks around it
// allowed and, in base 16, an optional 0x prefix; no sign. Stores it in
// *value and returns NUMBER_TEXT_OK when it is at most largest; otherwise
// returns the reason and leaves *value alone.
int ReadUnsignedText(const char* text, int base, unsigned int largest, unsigned int* value);

// Reads text as one finite decimal number (a sign allowed, blanks around it)
// and stores the bit pattern of the nearest single-precision float in *word.
// NaN, infinities and anything else that is not a number give
// NUMBER_TEXT_NOT_A_NUMBER; a number whose nearest float is infinite gives
// NUMBER_TEXT_TOO_LARGE (one that rounds to the largest float, as its printed
// form 3.4028235e38 does, is taken); a number that is not zero but whose
// nearest float is, NUMBER_TEXT_TOO_SMALL. *word is left alone unless
// NUMBER_TEXT_OK.
int ReadFloatText(const char* text, unsigned int* word);

// Why a text was refused, in the operator's words, for a log line: "not a
// hexadecimal number", "more than 16 bits (at most 0xFFFF)" (largest is a
// field's all-ones value). Writes at most size-1 characters and a NUL.
void DescribeRefusal(int result, int base, unsigned int largest, char* reason, int size);

// Why ReadFloatText refused a text, in the operator's words.
const char* FloatRefusalReason(int result);
