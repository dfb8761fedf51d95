#pragma once
// What tarvikctl tells people on standard error: the monitor's lines, prompts, progress,
// the raw bytes on the line, and errors. Standard output carries only results.

#include <string>

#include "cli/options.h"

namespace cli {

// Sets how much is told, from the options, and routes the routines' monitor lines here:
//   -q       errors alone (Complain);
//   default  warnings too, and prompts and progress (Tell); a failed command's error lines
//            are left to its one "tarvikctl: <why>" line, which says what they said;
//   -v       every monitor line (TX/RX words, progress, errors) as it is logged;
//   -vv      also the raw bytes as they cross the line ("TX bytes: 42 00 00 02").
// With --json every line on standard error starts with "tarvikctl: ", so that none can be
// taken for the program's output.
void StartTelling(const Options& options);

// Writes "tarvikctl: <text>" on standard error, whatever -q says: an error, or what the
// operator must know to run the next command.
void Complain(const std::string& text);

// A line for people (a prompt, a progress line); not with -q.
void Tell(const std::string& text);

// Shows text on a terminal's last line in place of what the previous call showed there (a
// progress bar); not with -q. Whatever is told next starts on a line of its own.
void TellInPlace(const std::string& text);

// Shows what is still held back (raw bytes gathered into a line) and ends a line left open
// by TellInPlace, so that what follows, on either stream, starts on a line of its own.
void EndTelling();

}  // namespace cli
