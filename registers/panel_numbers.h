#pragma once
// How the register and block sections read the operator's number texts, and
// the float/word reinterpretation their value boxes share.

// The number at the start of text as strtoul reads it in base (16 also takes
// a 0x prefix; leading blanks allowed; parsing stops at the first character
// that does not fit; no number gives 0), cut to its low 32 bits.
unsigned int ParsePanelNumber(const char* text, int base);

// The word count typed in text (decimal, as ParsePanelNumber reads it) when it
// lies in 1..limit: stores it in *count and returns 1. Otherwise returns 0 and
// leaves *count alone; a negative text never wraps into the range.
int ParseWordCount(const char* text, int limit, int* count);

// Results of scanning a block value text.
enum {
    VALUE_TEXT_OK = 1,
    VALUE_TEXT_NO_NUMBER = 0,  // nothing the scan recognises; the word is 0
    VALUE_TEXT_TOO_WIDE = -1,  // a number that does not fit a 32-bit word
};

// Reads text as sscanf "%X" does (hexadecimal, 0x prefix optional) into *word.
// More than 8 significant hex digits give VALUE_TEXT_TOO_WIDE (with whatever
// low bits sscanf kept); no number gives VALUE_TEXT_NO_NUMBER and *word 0.
int ScanHexWord(const char* text, unsigned int* word);

// Reads text as sscanf "%f" does into a single-precision float and stores its
// bit pattern in *word. A finite number beyond the float range gives
// VALUE_TEXT_TOO_WIDE (an explicit "inf" is taken as typed); no number gives
// VALUE_TEXT_NO_NUMBER and *word 0.
int ScanFloatWord(const char* text, unsigned int* word);

// The same 32 bits seen as the other type (IEEE 754 single precision).
unsigned int FloatToWord(float value);
float WordToFloat(unsigned int word);
