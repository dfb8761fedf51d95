#include "app/console_text.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "runtime/settings.h"
#include "tarvik_version.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kProgram = "tarvikdebug";
constexpr const char* kPanelFileName = "Tarviktest.uir";
// An installed program keeps its panel file in the data folder beside its bin/.
constexpr const char* kInstalledDataFolder = "../share/tarvikdebug";
constexpr int kHelpSize = 2048;
constexpr int kFolderSize = 4096;  // PATH_MAX on Linux

}  // namespace

const char CONSOLE_LOG_FILE_STEM[] = "tarvikdebug-log";

ProgramText ConsoleProgramText(void) {
    static char help[kHelpSize];
    std::snprintf(help, sizeof help,
                  "Usage: %s [--port N=DEVICE]... [--connect [N]] [Qt options]\n"
                  "Desktop console for the board on an RS-232 port: serial monitor, registers and\n"
                  "blocks, DAC and ADC calibration, temperature and currents, firmware upgrade.\n"
                  "\n"
                  "  --port N=DEVICE  COM port N is DEVICE for this run (repeatable),\n"
                  "                   for example --port 1=/dev/ttyUSB0\n"
                  "  --connect [N]    press Connect at start-up, on COM port N, or without N on\n"
                  "                   the port the COM port box starts with (the last connected)\n"
                  "  -h, --help       print this help and exit\n"
                  "  --version        print the version and exit\n"
                  "\n"
                  "COM port N is, first found: --port N=DEVICE, the environment variable\n"
                  "TARVIK_COM<N>, the device chosen for it in an earlier run (remembered in\n"
                  "%s), /dev/ttyS<N-1>.\n"
                  "\n"
                  "Qt's standard options go to Qt, for example -platform offscreen (no display\n"
                  "needed), -style Fusion, -stylesheet FILE, -reverse, -display :1 (X11);\n"
                  "man tarvikdebug lists them.\n",
                  kProgram, SettingsFilePath().c_str());
    return {kProgram, TARVIK_VERSION, help};
}

const char* ConsoleLogTitle(void) {
    return "Tarvikdebug " TARVIK_VERSION;
}

std::string ConsolePanelFile(void) {
    char folder[kFolderSize] = "";
    std::error_code error;
    if (fs::exists(kPanelFileName, error) || GetProgramDir(folder, sizeof folder) != 0)
        return kPanelFileName;
    for (const fs::path& path : {fs::path(folder) / kPanelFileName,
                                 fs::path(folder) / kInstalledDataFolder / kPanelFileName}) {
        if (fs::exists(path, error)) return path.lexically_normal().string();
    }
    return kPanelFileName;
}
