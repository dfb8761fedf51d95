#pragma once
// The commands' words read as numbers, every one whole or refused, with the
// console's own reading of number texts. A refusal fills *result with
// EXIT_USAGE and the reason, before anything is sent.

#include <string>

#include "cli/options.h"
#include "cli/report.h"

namespace cli {

// An address, value, mask or word, as Linux tools read them: hexadecimal after 0x or 0X,
// else decimal (a leading 0 too, never octal); at most largest. A refusal says which
// reading it tried, and for hexadecimal digits without 0x how to write them.
bool NumberArgument(const std::string& text, const char* what, unsigned int largest,
                    unsigned int* value, Result* result);
// Decimal from lowest to highest.
bool DecimalArgument(const std::string& text, const char* what, int lowest, int highest, int* value,
                     Result* result);
// A voltage from lowest to highest volts; a comma may stand for the point.
bool VoltsArgument(const std::string& text, const char* what, double lowest, double highest,
                   float* volts, Result* result);
// A 32-bit word: a NumberArgument, or with asFloat a finite float's bit pattern.
bool WordArgument(const std::string& text, bool asFloat, unsigned int* word, Result* result);

// The word that stands for standard input where a command takes a file.
inline constexpr const char* STANDARD_INPUT_WORD = "-";
// What a file word is called in messages: "standard input" for "-", else the word.
std::string FileNamed(const std::string& word);

// Checks that the command got from fewest to most words (most < 0: no limit).
bool WordCount(const Options& options, int fewest, int most, Result* result);

}  // namespace cli
