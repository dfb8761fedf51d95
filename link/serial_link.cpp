#include "link/serial_link.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "link/line_guard.h"
#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "panel/serial_monitor.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"

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

// What the operator reads after "FAILURE: Connection to COM%i port failed!":
// what the device is, in words around the system's reason, and the fix.
struct OpenFailureHint {
    int code;
    const char* what;  // "%s" is the system's reason
    const char* fix;   // "%d" is the port number, every time it appears
};
const OpenFailureHint kOpenFailureHints[] = {
    {COM_ERR_NO_DEVICE, "%s",
     "Plug the adapter in, or point COM%d at its device, for example TARVIK_COM%d=/dev/ttyUSB0 "
     "for a USB adapter"},
    {COM_ERR_NO_PERMISSION, "%s",
     "Join the dialout group: sudo usermod -aG dialout $USER, then log in again"},
    {COM_ERR_IN_USE, "in use by another program (%s)",
     "Close the program or console that holds it"},
    {COM_ERR_NOT_SERIAL, "not a serial device (%s)",
     "Point COM%d at the board's serial device, for example TARVIK_COM%d=/dev/ttyUSB0"},
};

// Logs which device the port is, why it did not open, and what to do about it; returns that.
std::string logOpenFailureReason(int port, int code) {
    char path[COM_MAX_PATH], reason[kReasonSize], what[kReasonSize * 2], fix[kReasonSize * 2] = "";
    GetComPortDevice(port, path, sizeof path);
    GetComErrorReason(port, reason, sizeof reason);
    const OpenFailureHint* hint = nullptr;
    for (const OpenFailureHint& h : kOpenFailureHints)
        if (h.code == code) hint = &h;
    std::snprintf(what, sizeof what, hint ? hint->what : "%s", reason);
    if (hint) std::snprintf(fix, sizeof fix, hint->fix, port, port);
    std::snprintf(disp_str, sizeof disp_str, hint ? "COM%d is %s: %s. %s" : "COM%d is %s: %s", port,
                  path, what, fix);
    LogError(disp_str);
    return disp_str;
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
    SetCtrlAttribute(g_hmainPanel, PANEL_CONNECT, ATTR_LABEL_TEXT, "Connect");
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
