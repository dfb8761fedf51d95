#pragma once
// The commands of tarvikctl. Each takes the parsed options (its own words in
// options.args), fills *result and returns its exit status.

#include "cli/options.h"
#include "cli/report.h"

namespace cli {

int RunInfo(const Options& options, Result* result);
int RunRead(const Options& options, Result* result);
int RunWrite(const Options& options, Result* result);
int RunBlockRead(const Options& options, Result* result);
int RunBlockWrite(const Options& options, Result* result);
int RunTemperature(const Options& options, Result* result);
int RunCurrents(const Options& options, Result* result);
int RunCoefficients(const Options& options, Result* result);
int RunSetOutput(const Options& options, Result* result);
int RunCalibrate(const Options& options, Result* result);
int RunUpgrade(const Options& options, Result* result);
int RunPorts(const Options& options, Result* result);

// Adds channels first .. first+count-1 of the coefficients (index = channel
// index) to the result: a console coefficient line each, and "channels".
void AddCoefficients(const float gains[], const float offsets[], int first, int count,
                     Result* result);

// Looks the command up. Null for an unknown one.
using CommandFunction = int (*)(const Options&, Result*);
CommandFunction FindCommand(const std::string& name);

}  // namespace cli
