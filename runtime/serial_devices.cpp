#include "runtime/serial_devices.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr const char* kByIdFolder = "serial/by-id";

struct NodeFamily {
    const char* prefix;
    const char* kind;
    bool needsUart;
};
constexpr NodeFamily kFamilies[] = {
    {"ttyUSB", "USB serial adapter", false},
    {"ttyACM", "USB modem-class (CDC ACM) device", false},
    {"ttyS", "built-in serial port", true},
};

// The number after the prefix, or -1 when the name is not prefix + digits.
long nodeNumber(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return -1;
    long number = 0;
    for (size_t i = prefix.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return -1;
        number = number * 10 + (name[i] - '0');
        if (number > 1'000'000) return -1;
    }
    return number;
}

// A 16550 or other UART: the kernel reports its type, 0 (PORT_UNKNOWN) for a
// node with nothing behind it.
bool hasUart(const fs::path& sysRoot, const std::string& name) {
    std::ifstream type(sysRoot / "class/tty" / name / "type");
    int value = 0;
    return static_cast<bool>(type >> value) && value != 0;
}

std::vector<std::string> names(const fs::path& folder) {
    std::vector<std::string> found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        found.push_back(it->path().filename().string());
    return found;
}

void addByIdNames(const fs::path& devRoot, std::vector<SerialDeviceEntry>& list) {
    const fs::path folder = devRoot / kByIdFolder;
    std::vector<std::string> links = names(folder);
    std::sort(links.begin(), links.end());
    for (const std::string& name : links) {
        std::error_code error;
        const fs::path target = fs::read_symlink(folder / name, error);
        std::string kind = "adapter";
        if (!error) kind = "-> " + target.filename().string();
        list.push_back({(folder / name).string(), kind});
    }
}

void addNodes(const fs::path& devRoot, const fs::path& sysRoot, const NodeFamily& family,
              std::vector<SerialDeviceEntry>& list) {
    std::vector<std::pair<long, std::string>> nodes;
    for (const std::string& name : names(devRoot)) {
        const long number = nodeNumber(name, family.prefix);
        if (number < 0) continue;
        if (family.needsUart && !hasUart(sysRoot, name)) continue;
        nodes.emplace_back(number, name);
    }
    std::sort(nodes.begin(), nodes.end());
    for (const auto& node : nodes) list.push_back({(devRoot / node.second).string(), family.kind});
}

}  // namespace

std::vector<SerialDeviceEntry> ListSerialDevices(const std::string& devRoot,
                                                 const std::string& sysRoot) {
    std::vector<SerialDeviceEntry> list;
    addByIdNames(devRoot, list);
    for (const NodeFamily& family : kFamilies) addNodes(devRoot, sysRoot, family, list);
    return list;
}
