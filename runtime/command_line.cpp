#include <charconv>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>

#include "runtime/cvirte.h"
#include "runtime/port_map.h"
#include "runtime/rs232.h"
#include "runtime/settings.h"
#include "tarvik_version.h"

namespace {

constexpr const char* kProgram = "tarvikdebug";
constexpr int kUsageError = 2;
constexpr std::string_view kPortOption = "--port";

void printHelp() {
    std::printf(
        "Usage: %s [--port N=DEVICE]...\n"
        "Desktop console for the board on an RS-232 port: serial monitor, registers and\n"
        "blocks, DAC and ADC calibration, temperature and currents, firmware upgrade.\n"
        "\n"
        "  --port N=DEVICE  COM port N is DEVICE for this run (repeatable),\n"
        "                   for example --port 1=/dev/ttyUSB0\n"
        "  --help           print this help and exit\n"
        "  --version        print the version and exit\n"
        "\n"
        "COM port N is, first found: --port N=DEVICE, the environment variable\n"
        "TARVIK_COM<N>, the device chosen for it in an earlier run (remembered in\n"
        "%s), /dev/ttyS<N-1>.\n",
        kProgram, SettingsFilePath().c_str());
}

bool usageError(const std::string& why) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", kProgram, why.c_str(), kProgram);
    return false;
}

// "N=DEVICE" with N a COM number and DEVICE not empty.
bool parsePortMapping(std::string_view text, std::map<int, std::string>& mappings) {
    const auto equals = text.find('=');
    if (equals == std::string_view::npos)
        return usageError("--port wants N=DEVICE, not '" + std::string(text) + "'");
    int port = 0;
    const char* first = text.data();
    const char* last = first + equals;
    auto [end, error] = std::from_chars(first, last, port);
    if (error != std::errc() || end != last || port < 1 || port > COM_MAX_PORT)
        return usageError("--port: '" + std::string(text.substr(0, equals)) +
                          "' is no COM number (1 to " + std::to_string(COM_MAX_PORT) + ")");
    if (equals + 1 == text.size())
        return usageError("--port " + std::to_string(port) + "= names no device");
    mappings[port] = std::string(text.substr(equals + 1));
    return true;
}

}  // namespace

int ParseCommandLine(char* argv[], int* exitStatus) {
    int ignored = 0;
    int& status = exitStatus ? *exitStatus : ignored;
    status = 0;
    std::map<int, std::string> mappings;
    for (int i = 1; argv && argv[i]; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            printHelp();
            return 0;
        }
        if (arg == "--version") {
            std::printf("%s %s\n", kProgram, TARVIK_VERSION);
            return 0;
        }
        bool ok = false;
        if (arg == kPortOption) {
            ok = argv[i + 1] ? parsePortMapping(argv[++i], mappings)
                             : usageError("--port wants N=DEVICE");
        } else if (arg.substr(0, kPortOption.size() + 1) == "--port=") {
            ok = parsePortMapping(arg.substr(kPortOption.size() + 1), mappings);
        } else {
            ok = usageError("unknown option '" + std::string(arg) + "'");
        }
        if (!ok) {
            status = kUsageError;
            return 0;
        }
    }
    for (const auto& [port, device] : mappings)
        tarvik::rt::ChooseComPortDevice(port, device, COM_MAP_COMMAND_LINE);
    return 1;
}
