#include "runtime/serial_devices.h"

#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "runtime/device_url.h"
#include "runtime/rs232.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kByIdFolder = "serial/by-id";
// Pseudo-terminal slaves (/dev/pts/N) have these majors and no entry under /sys.
constexpr unsigned kFirstPtyMajor = 136, kLastPtyMajor = 143;
constexpr std::size_t kGroupBufferSize = 4096;

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

int CheckSerialDevicePath(const std::string& path, std::string* reason,
                          const std::string& sysRoot) {
    // A port on the network is checked for its form only: reaching the server belongs to
    // Connect, with its time-out.
    if (tarvik::rt::IsDeviceUrl(path)) {
        tarvik::rt::DeviceUrl url;
        return tarvik::rt::ParseDeviceUrl(path, &url, reason) ? 0 : COM_ERR_NOT_SERIAL;
    }
    struct stat node {};
    if (::stat(path.c_str(), &node) != 0) {
        *reason = std::strerror(errno);
        return errno == ENOENT || errno == ENOTDIR ? COM_ERR_NO_DEVICE : COM_ERR_NOT_SERIAL;
    }
    if (S_ISDIR(node.st_mode)) {
        *reason = "a folder, not a device";
        return COM_ERR_NOT_SERIAL;
    }
    if (!S_ISCHR(node.st_mode)) {
        *reason = "a file, not a device";
        return COM_ERR_NOT_SERIAL;
    }
    const unsigned major = ::major(node.st_rdev), minor = ::minor(node.st_rdev);
    if (major >= kFirstPtyMajor && major <= kLastPtyMajor) return 0;
    std::error_code error;
    const fs::path subsystem =
        fs::read_symlink(fs::path(sysRoot) / "dev/char" /
                             (std::to_string(major) + ":" + std::to_string(minor)) / "subsystem",
                         error);
    if (!error && subsystem.filename() == "tty") return 0;
    *reason = "a device, but not a terminal";
    return COM_ERR_NOT_SERIAL;
}

int SerialDeviceGroup(const std::string& path, std::string* group) {
    struct stat node {};
    if (::stat(path.c_str(), &node) != 0) return -1;
    const bool groupMay = (node.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    if (groupMay && node.st_gid != 0) {
        struct group entry {};
        struct group* found = nullptr;
        std::string buffer(kGroupBufferSize, '\0');
        if (getgrgid_r(node.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
            return -1;
        *group = found->gr_name;
        return 1;
    }
    return node.st_uid == 0 ? 0 : -1;
}
