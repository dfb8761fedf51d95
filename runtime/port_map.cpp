#include "runtime/port_map.h"

#include <cstdlib>
#include <map>

#include "runtime/rs232.h"
#include "runtime/settings.h"
#include "runtime/testing.h"

namespace tarvik::rt {
namespace {

struct Choice {
    std::string device;
    int source;
};

std::map<int, Choice>& chosen() {
    static std::map<int, Choice> table;
    return table;
}

std::string settingsKey(int port) {
    return "ports/COM" + std::to_string(port);
}

}  // namespace

std::string ComPortPath(int port, int* source) {
    auto report = [source](int from) {
        if (source) *source = from;
    };
    if (auto it = chosen().find(port); it != chosen().end()) {
        report(it->second.source);
        return it->second.device;
    }
    const std::string variable = "TARVIK_COM" + std::to_string(port);
    if (const char* mapped = std::getenv(variable.c_str()); mapped && *mapped) {
        report(COM_MAP_ENVIRONMENT);
        return mapped;
    }
    std::string remembered(COM_MAX_PATH, '\0');
    if (LoadSetting(settingsKey(port).c_str(), remembered.data(), COM_MAX_PATH) &&
        remembered[0] != '\0') {
        report(COM_MAP_SETTINGS);
        return remembered.c_str();
    }
    report(COM_MAP_DEFAULT);
    return "/dev/ttyS" + std::to_string(port - 1);
}

void ChooseComPortDevice(int port, const std::string& device, int source) {
    chosen()[port] = {device, source};
}

bool RememberComPortDevice(int port, const std::string& device) {
    return SaveSetting(settingsKey(port).c_str(), device.c_str()) == 0;
}

void ForgetChosenComPortDevices() {
    chosen().clear();
}

}  // namespace tarvik::rt
