#pragma once
// The serial devices present on this machine, for choosing a COM port's device.

#include <string>
#include <vector>

struct SerialDeviceEntry {
    std::string path;  // the name to open, under devRoot
    std::string kind;  // what it is, for people: "USB serial adapter", "-> ttyUSB0"
};

// Lists, in the order an operator looks for them: the devRoot/serial/by-id
// names (they name the adapter and survive re-plugging), then ttyUSB*,
// ttyACM* and the ttyS* that have a UART behind them (sysRoot/class/tty/
// ttySn/type is not 0; the kernel makes nodes for absent ones), each group in
// number order. devRoot and sysRoot are "/dev" and "/sys" but for tests. A
// missing or unreadable folder contributes nothing; never fails.
std::vector<SerialDeviceEntry> ListSerialDevices(const std::string& devRoot = "/dev",
                                                 const std::string& sysRoot = "/sys");

// Whether path can stand for a COM port's device, found without opening it (an open would
// move the modem lines of a real port): it exists (a symlink followed) and is a terminal,
// that is a character device of sysRoot's tty class or a pseudo-terminal; or it is a
// well-formed tcp:// or rfc2217:// URL (the server is not asked). Returns 0; else
// COM_ERR_NO_DEVICE (nothing there) or COM_ERR_NOT_SERIAL (a directory, a file, a device of
// another kind, a malformed URL), with the reason in words in *reason.
int CheckSerialDevicePath(const std::string& path, std::string* reason,
                          const std::string& sysRoot = "/sys");

// Who may open the device at path. Returns 1 with the group whose members may read and
// write it in *group; 0 when only root may (owned by root, no read-write for its group or
// its group is root's); -1 when it cannot be looked at or belongs to another user.
int SerialDeviceGroup(const std::string& path, std::string* group);
