#include "app/port_choice.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "link/serial_link.h"
#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "panel/serial_monitor.h"
#include "runtime/rs232.h"
#include "runtime/serial_devices.h"
#include "runtime/settings.h"
#include "runtime/userint.h"

namespace {

constexpr const char* kLastPortKey = "connection/lastPort";
// As many characters as the label beside the COM port box shows in full.
constexpr std::size_t kLabelChars = 30;
constexpr const char* kEllipsis = "...";
constexpr const char* kByIdFolder = "/dev/serial/by-id/";
// Items show the device's kind after this; a typed path has none.
constexpr const char* kKindSeparator = "   (";

int comPortNumber() {
    int port = 1;
    GetCtrlVal(g_hmainPanel, PANEL_COM_PORT, &port);
    return port;
}

std::string mappedDevice(int port) {
    char path[COM_MAX_PATH] = "";
    GetComPortMapping(port, path, sizeof path);
    return path;
}

// The start and the end of a long name tell adapters apart: "usb-FTDI_FT232R"
// and "A1B2C3-if00-port0"; the by-id folder and the middle give way.
std::string shortened(const std::string& path) {
    const std::string byId = kByIdFolder;
    const std::string text =
        path.compare(0, byId.size(), byId) == 0 ? path.substr(byId.size()) : path;
    if (text.size() <= kLabelChars) return text;
    const std::size_t keep = kLabelChars - std::char_traits<char>::length(kEllipsis);
    const std::size_t head = keep / 2;
    return text.substr(0, head) + kEllipsis + text.substr(text.size() - (keep - head));
}

std::string withoutKind(const std::string& item) {
    return item.substr(0, item.find(kKindSeparator));
}

// A device that is not there or is no terminal would be remembered and fail every later
// run: refuse it in the dialog, saying why.
int deviceUsable(const char* text, char* reason, std::size_t size) {
    const std::string device = withoutKind(text);
    char why[COM_MAX_PATH] = "";
    if (CheckComDevicePath(device.c_str(), why, sizeof why) == 0) return 1;
    std::snprintf(reason, size, "%s: %s", device.c_str(), why);
    return 0;
}

}  // namespace

void ShowComPortDevice(void) {
    const int port = comPortNumber();
    const std::string device = mappedDevice(port);
    SetCtrlVal(g_hmainPanel, PANEL_COM_DEVICE, shortened(device).c_str());
    // While connected the log is of the port in use, whatever the box shows now.
    char open[COM_MAX_PATH] = "";
    const int logged = g_iConnection_status == 1 ? g_iCom_port_num : port;
    GetComPortDevice(logged, open, sizeof open);
    const std::string note = "COM" + std::to_string(logged) + " (" + open + ")";
    SetTextBoxSaveNote(g_hmainPanel, PANEL_SERIAL_WINDOW, note.c_str());
}

void RestoreComPortChoice(void) {
    char text[16] = "";
    if (LoadSetting(kLastPortKey, text, sizeof text)) {
        char* end = nullptr;
        const long port = std::strtol(text, &end, 10);
        double lowest = 0, highest = 0;
        GetCtrlAttribute(g_hmainPanel, PANEL_COM_PORT, ATTR_MIN_VALUE, &lowest);
        GetCtrlAttribute(g_hmainPanel, PANEL_COM_PORT, ATTR_MAX_VALUE, &highest);
        if (end != text && *end == '\0' && port >= lowest && port <= highest)
            SetCtrlVal(g_hmainPanel, PANEL_COM_PORT, static_cast<int>(port));
    }
    ShowComPortDevice();
}

void RememberConnectedComPort(int port) {
    if (SaveSetting(kLastPortKey, std::to_string(port).c_str()) != 0) {
        std::snprintf(disp_str, sizeof disp_str, "WARNING: cannot remember COM%d in %s", port,
                      SettingsFilePath().c_str());
        LogWarning(disp_str);
    }
    ShowComPortDevice();
}

int ComPort_cb(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) ShowComPortDevice();
    return 0;
}

int ChooseComDevice_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    const int port = comPortNumber();
    std::vector<std::string> items;
    for (const SerialDeviceEntry& entry : ListSerialDevices())
        items.push_back(entry.path + kKindSeparator + entry.kind + ")");
    std::vector<const char*> pointers;
    for (const std::string& item : items) pointers.push_back(item.c_str());
    const std::string title = "Device of COM" + std::to_string(port);
    const std::string message =
        items.empty() ? "No serial device found. Type the device's path:"
                      : "Serial devices found (the by-id names stay the same when the adapter "
                        "is plugged in again), or type a path:";
    char answer[COM_MAX_PATH] = "";
    if (ChoicePopup(title.c_str(), message.c_str(), pointers.data(),
                    static_cast<int>(pointers.size()), mappedDevice(port).c_str(), answer,
                    sizeof answer, deviceUsable) != 1)
        return 0;
    const std::string device = withoutKind(answer);
    const int result = SetComPortDevice(port, device.c_str(), 1);
    if (result == 0) {
        std::snprintf(disp_str, sizeof disp_str, "COM%d is %s (remembered in %s)", port,
                      device.c_str(), SettingsFilePath().c_str());
    } else if (result == COM_ERR_NOT_SAVED) {
        std::snprintf(disp_str, sizeof disp_str,
                      "WARNING: COM%d is %s for this run; it cannot be remembered in %s", port,
                      device.c_str(), SettingsFilePath().c_str());
    } else {
        std::snprintf(disp_str, sizeof disp_str, "ERROR: COM%d cannot be mapped to \"%s\"", port,
                      device.c_str());
    }
    LogLine(result == 0                   ? LOG_INFORMATION
            : result == COM_ERR_NOT_SAVED ? LOG_WARNING
                                          : LOG_ERROR,
            disp_str);
    if (result != 0 && result != COM_ERR_NOT_SAVED) return 0;
    if (g_iConnection_status == 1 && g_iCom_port_num == port)
        LogToWindow("The new device is used from the next Connect");
    ShowComPortDevice();
    return 0;
}
