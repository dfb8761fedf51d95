#pragma once
// What the console says of itself: its name and version on the command line, its help,
// the head of a saved log and the name it suggests for one, and where its panel file lies.

#include <string>

#include "runtime/cvirte.h"

// The console's command line as ParseCommandLine takes it: "tarvikdebug", the version
// and the --help text, which names the settings file.
ProgramText ConsoleProgramText(void);

// "Tarvikdebug 1.0.14": the first words of a saved serial monitor log.
const char* ConsoleLogTitle(void);
// "tarvikdebug-log": the suggested name of a saved log, before its date and time.
extern const char CONSOLE_LOG_FILE_STEM[];

// The panel file's path: the one in the working folder, else the file next to the program
// (a build folder), else in the data folder beside the program's bin/ (an installed or
// unpacked package), else its bare name.
std::string ConsolePanelFile(void);
