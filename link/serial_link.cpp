#include "link/serial_link.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "link/line_guard.h"
#include "link/link_view.h"
#include "panel/serial_monitor.h"
#include "runtime/rs232.h"

int g_iConnection_status;
int g_iCom_port_num;
int g_iBusy;
int g_iTimer_cnt;
int g_iTimeout_val;
int g_iSpeedCounter;

namespace {

constexpr int kParityNone = 0;
constexpr int kDataBits = 8;
constexpr int kStopBits = 1;
constexpr int kQueueSize = 512;
constexpr double kPortTimeoutSeconds = 2.0;
constexpr int kHandshakeOff = 0;
constexpr int kDrainLimitTicks = 2;
constexpr int kReasonSize = 128;

// What the open port is for.
enum class PortUse {
    None,     // no port open
    Link,     // opened by OpenLinkPort: connected, or about to be
    Upgrade,  // opened for an upgrade while not connected
    Held,     // given up while a late answer may still come
};

struct OwnedPort {
    PortUse use = PortUse::None;
    int port = 0;
};
OwnedPort g_owned;

void closePortNow() {
    if (g_owned.use != PortUse::None) CloseCom(g_owned.port);
    g_owned = OwnedPort{};
}

// Closes the port, or keeps it while a late answer may still come.
void givePortUp() {
    if (g_owned.use == PortUse::None) return;
    if (LineUnsettled())
        g_owned.use = PortUse::Held;
    else
        closePortNow();
}

PortPointing g_pointing = {"--port", "--port %d=/dev/ttyUSB0", "Choose..."};

std::string withPort(const char* format, int port) {
    char text[kReasonSize];
    std::snprintf(text, sizeof text, format, port, port);
    return text;
}

// Where the port's mapping came from, in the operator's words.
std::string sourceWords(int port, int source) {
    switch (source) {
        case COM_MAP_COMMAND_LINE:
            return std::string("from ") + g_pointing.optionName;
        case COM_MAP_CHOSEN:
            return g_pointing.chooser ? std::string("chosen with ") + g_pointing.chooser
                                      : "chosen during this run";
        case COM_MAP_ENVIRONMENT:
            return withPort("from TARVIK_COM%d", port);
        case COM_MAP_SETTINGS:
            return "chosen earlier, from the settings file";
        default:
            return withPort("the default for COM%d", port);
    }
}

// How to point the port at another device, fitting where its mapping came from: the same
// place, or for a remembered or default mapping the program's own ways.
std::string pointingFix(int port, int source) {
    const std::string example = withPort(g_pointing.optionExample, port);
    if (source == COM_MAP_ENVIRONMENT)
        return withPort("set TARVIK_COM%d to its device, for example TARVIK_COM%d=/dev/ttyUSB0",
                        port);
    if (g_pointing.chooser && source == COM_MAP_CHOSEN)
        return std::string("choose its device with ") + g_pointing.chooser;
    if (g_pointing.chooser && source != COM_MAP_COMMAND_LINE)
        return std::string("choose its device with ") + g_pointing.chooser +
               ", or give it: " + example;
    return "give its device, for example " + example;
}

// The fix after "Permission denied": join the device's group, or know that only root may.
std::string permissionFix(int port) {
    char group[kReasonSize] = "";
    const int who = GetComDeviceGroup(port, group, sizeof group);
    if (who == 0)
        return "Only root can open this device (it belongs to root and no group may use it); "
               "a udev rule can give it to the dialout group";
    const std::string name = who > 0 ? group : "dialout";
    return "Join the " + name + " group: sudo usermod -aG " + name + " $USER, then log in again";
}

// Logs which device the port is and where that came from, why it did not open, and what
// to do about it; returns that line.
std::string logOpenFailureReason(int port, int code) {
    char path[COM_MAX_PATH], mapped[COM_MAX_PATH], reason[kReasonSize];
    GetComPortDevice(port, path, sizeof path);
    const int source = GetComPortMapping(port, mapped, sizeof mapped);
    GetComErrorReason(port, reason, sizeof reason);
    std::string what = reason, fix;
    switch (code) {
        case COM_ERR_NO_DEVICE:
            fix = "Plug the adapter in, or " + pointingFix(port, source);
            break;
        case COM_ERR_NO_PERMISSION:
            fix = permissionFix(port);
            break;
        case COM_ERR_IN_USE:
            what = std::string("in use by another program (") + reason + ")";
            fix = "Close the program or console that holds it";
            break;
        case COM_ERR_NOT_SERIAL:
            what = std::string("not a serial device (") + reason + ")";
            fix = IsNetworkDevice(path)
                      ? "rfc2217:// is for ser2net's telnet(rfc2217) accepters, tcp:// for its "
                        "tcp ones"
                      : withPort("Point COM%d at the board's serial device: ", port) +
                            pointingFix(port, source);
            break;
        case COM_ERR_NO_HOST:
            fix = "Check the host's name, or " + pointingFix(port, source);
            break;
        case COM_ERR_UNREACHABLE:
            fix = "Is ser2net running there, and is the port in its configuration?";
            break;
        case COM_ERR_BAD_SETTING:
            if (IsNetworkDevice(path))
                fix =
                    "The server must take 38400 baud, 8 data bits, no parity, one stop bit "
                    "and no flow control";
            break;
        default:
            break;
    }
    std::string line = "COM" + std::to_string(port) + " is " + path + " (" +
                       sourceWords(port, source) + "): " + what;
    if (!fix.empty()) line += ". " + fix;
    LogError(line.c_str());
    return line;
}

// Whether the port open here still stands for the device its number maps to (a device
// chosen meanwhile is opened afresh).
bool openOnMappedDevice(int port) {
    char open[COM_MAX_PATH] = "", mapped[COM_MAX_PATH] = "";
    GetComPortDevice(port, open, sizeof open);
    GetComPortMapping(port, mapped, sizeof mapped);
    return std::strcmp(open, mapped) == 0;
}

}  // namespace

void InitLinkState(void) {
    closePortNow();
    g_iBusy = 0;
    g_iConnection_status = 0;
    g_iTimer_cnt = 0;
    g_iTimeout_val = kDrainLimitTicks;
    ResetLineGuard();
}

LinkResult OpenLinkPort(int port) {
    if (g_owned.use != PortUse::None && (g_owned.port != port || !openOnMappedDevice(port)))
        closePortNow();
    g_iCom_port_num = port;
    DisableBreakOnLibraryErrors();
    const int opened = OpenComConfig(port, "", LINK_BAUD_RATE, kParityNone, kDataBits, kStopBits,
                                     kQueueSize, kQueueSize);
    EnableBreakOnLibraryErrors();
    if (opened < 0) {
        // A port that was held here is closed by the failed open.
        g_owned = OwnedPort{};
        ResetLineGuard();
        std::snprintf(disp_str, sizeof disp_str, "FAILURE: Connection to COM%i port failed!", port);
        LogError(disp_str);
        return LinkResult::Failure(LinkError::PortNotOpened, logOpenFailureReason(port, opened));
    }
    g_owned = {PortUse::Link, port};
    if (SetComTime(port, kPortTimeoutSeconds) < 0) LogWarning("WARNING: Could not change timeout");
    if (SetCTSMode(port, kHandshakeOff) < 0) LogWarning("WARNING: Could not turn CTS off");
    FlushInQ(port);
    FlushOutQ(port);
    return {};
}

void SetPortPointing(const PortPointing& how) {
    g_pointing = how;
}

void MarkLinkConnected(void) {
    g_iConnection_status = 1;
}

LinkResult OpenPortForUpgrade(int port) {
    if (g_iConnection_status == 1) return {};
    const LinkResult opened = OpenLinkPort(port);
    if (opened.ok()) g_owned.use = PortUse::Upgrade;
    return opened;
}

void EndUpgradePortUse(void) {
    if (g_owned.use == PortUse::Upgrade) givePortUp();
}

void DisconnectLink(void) {
    g_iConnection_status = 0;
    givePortUp();
    std::snprintf(disp_str, sizeof disp_str, "Disconnected from COM%d", g_iCom_port_num);
    LogToWindow(disp_str);
    if (const LinkView* view = CurrentLinkView(); view && view->down) view->down();
}

int LinkDeviceLost(std::string* why) {
    if (g_owned.use != PortUse::Link && g_owned.use != PortUse::Upgrade) return 0;
    if (CheckComDevice(g_owned.port) != COM_ERR_IO) return 0;
    char path[COM_MAX_PATH], reason[kReasonSize];
    GetComPortDevice(g_owned.port, path, sizeof path);
    GetComErrorReason(g_owned.port, reason, sizeof reason);
    char words[COM_MAX_PATH + kReasonSize * 2];
    std::snprintf(words, sizeof words, "COM%d (%s) is gone: %s", g_owned.port, path, reason);
    if (why) *why = words;
    LogError((std::string("ERROR: ") + words).c_str());
    // Nothing late can come from a device that is gone.
    ResetLineGuard();
    if (g_iConnection_status == 1) DisconnectLink();
    closePortNow();
    return 1;
}

void ServiceLinkPort(void) {
    if (g_owned.use == PortUse::Held) {
        double quietLeft = 0;
        if (LookAtLine(g_owned.port, &quietLeft) != LineSettle::NotQuiet) {
            ResetLineGuard();
            closePortNow();
        }
        return;
    }
    // A command in progress notices a vanished device by itself, and the upgrade must not
    // lose its port under it.
    if (g_iConnection_status == 1 && g_iBusy == 0) LinkDeviceLost();
}

int ShutdownLink(void) {
    bool settled = true;
    if (g_owned.use != PortUse::None && LineUnsettled())
        settled = SettleLine(g_owned.port) == LineSettle::Settled;
    ResetLineGuard();
    closePortNow();
    g_iConnection_status = 0;
    return settled ? 1 : 0;
}

int LinkPortOpen(void) {
    return g_owned.use != PortUse::None ? 1 : 0;
}
