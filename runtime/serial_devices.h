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
