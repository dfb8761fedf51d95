#include <cstring>

#include "cli/commands.h"

namespace cli {
namespace {

struct Command {
    const char* name;
    CommandFunction run;
};
const Command kCommands[] = {
    {"info", RunInfo},
    {"read", RunRead},
    {"write", RunWrite},
    {"block-read", RunBlockRead},
    {"block-write", RunBlockWrite},
    {"temperature", RunTemperature},
    {"currents", RunCurrents},
    {"coefficients", RunCoefficients},
    {"set-output", RunSetOutput},
    {"calibrate", RunCalibrate},
    {"upgrade", RunUpgrade},
    {"ports", RunPorts},
};

}  // namespace

CommandFunction FindCommand(const std::string& name) {
    for (const Command& command : kCommands)
        if (name == command.name) return command.run;
    return nullptr;
}

}  // namespace cli
