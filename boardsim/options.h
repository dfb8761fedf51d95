#pragma once
// The boardsim program's command line.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "boardsim/faults.h"

namespace boardsim {

struct BootBadAnswer {
    int line = 0;
    int byteIndex = 1;
    uint8_t value = 0x15;  // NAK
};

struct ProgramOptions {
    bool help = false;
    std::string linkPath;
    std::string recordPath;
    bool pace = false;
    bool bootloader = false;
    bool autoBootloader = true;
    std::optional<uint16_t> firmwareVersion;
    std::optional<uint16_t> rawTemperature;
    std::vector<Fault> faults;  // `after` and `count` already applied
    std::vector<BootBadAnswer> bootBadAnswers;
    std::optional<int> bootSilentFrom;
};

// Parses argv[1..argc-1]. Numbers may be decimal or 0x-hex. False with a message in `error` for
// an unknown option, a missing or malformed value, or a value out of range.
bool parseOptions(int argc, const char* const* argv, ProgramOptions& out, std::string& error);

// The --help text, its usage line naming the program as it was started
// ("boardsim" in the build folder, "tarvik-boardsim" when installed).
std::string usageText(const std::string& program = "boardsim");

}  // namespace boardsim
