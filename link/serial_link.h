#pragma once
// The board's port and the link's state have one owner, this file: it opens
// the port (locked, configured for the board, the settings it had kept), gives
// it up (those settings restored, the lock released), notices when its device
// vanishes, and holds the connection state. No other code opens or closes the
// port or writes g_iConnection_status.

#include "link/result.h"

// 1 while connected (port open and configured), else 0.
extern int g_iConnection_status;
// The COM port in use (1 = COM1); kept after a disconnect.
extern int g_iCom_port_num;
// 1 while a frame is being sent and for the whole firmware upgrade.
extern int g_iBusy;
// Ticks of PANEL_TIMER counted since the counter was last set to 0.
extern int g_iTimer_cnt;
// Output-drain limit of a transaction, in timer ticks (2).
extern int g_iTimeout_val;
// Input-queue polls counted by the last speed test; 0 before the first connect.
extern int g_iSpeedCounter;

// The board's line: 38400 baud, 8 data bits, no parity, one stop bit, so 10
// bits a character on the wire.
inline constexpr int LINK_BAUD_RATE = 38400;
inline constexpr double LINK_CHARACTER_SECONDS = 10.0 / LINK_BAUD_RATE;

// The link's start-up state: not busy, not connected, no port open, tick
// counter 0, drain limit 2 ticks, the line trusted.
void InitLinkState(void);

// Opens COM `port` for the link with the board's settings (38400 8N1, port
// time-out 2 s, no handshake; "WARNING: Could not change timeout" or
// "WARNING: Could not turn CTS off" when one cannot be set) and flushes both
// queues; sets g_iCom_port_num. A port held here after a failed answer is
// configured afresh when it is this one, and closed first when it is
// another. Does not change the connection state. Returns success; or
// PortNotOpened, after "FAILURE: Connection to COM<n> port failed!" and a
// line with the device, where its mapping came from, the system's reason and
// the fix that fits that source ("COM1 is /dev/ttyUSB7 (chosen earlier, from
// the settings file): No such file or directory. Plug the adapter in, or
// choose its device with Choose...") are logged, that line also the reason
// held in the result; no port is open then.
LinkResult OpenLinkPort(int port);

// How this program's operator points a COM number at another device, for the fix that
// follows a port failure, and how a mapping given on its command line is named there.
struct PortPointing {
    const char* optionName;     // "--port": "COM1 is ... (from --port)"
    const char* optionExample;  // "%d" is the port number: "--port %d=/dev/ttyUSB0"
    const char* chooser;        // the console's "Choose...", or null where there is none
};
// The console's, until a program sets its own (tarvikctl: --device, no chooser).
void SetPortPointing(const PortPointing& how);

// Marks the link connected on the port OpenLinkPort opened.
void MarkLinkConnected(void);

// The port the firmware upgrade talks on. When connected it is the link's;
// otherwise `port` is opened as OpenLinkPort opens it, for the upgrade alone.
// Returns OpenLinkPort's result (success when connected).
LinkResult OpenPortForUpgrade(int port);
// Ends the upgrade's use of a port that OpenPortForUpgrade opened: gives it
// up as a disconnect does. A connected link keeps its port.
void EndUpgradePortUse(void);

// Takes the link down: marks it not connected, gives the port up, logs
// "Disconnected from COM<n>" and tells the link's view (link_view.h; the console labels
// PANEL_CONNECT "Connect"). Giving up
// closes the port at once, unless a late answer may still come after a
// failed receive (line_guard.h): then the port stays open and locked, so that
// no other program can take that answer for its own, until its line has been
// quiet for the guard time (ServiceLinkPort closes it), the link opens it
// again, or the program ends (ShutdownLink).
void DisconnectLink(void);

// When the port is in use (connected, or open for an upgrade) and its device
// has vanished (unplugged, hung up): logs "ERROR: COM<n> (<device>) is gone:
// <reason>", takes the link down as DisconnectLink does when connected,
// closes the port (nothing late can come from a device that is gone) and
// returns 1, with that line's words after "ERROR: " in *why when given.
// Otherwise changes nothing and returns 0. Reads no byte.
int LinkDeviceLost(std::string* why = nullptr);

// The link's part of each timer tick: while connected and no command holds
// the link, checks that the device is still there (LinkDeviceLost); closes a
// port given up with a late answer pending once its line is quiet or its
// device gone.
void ServiceLinkPort(void);

// At a program's end: when a late answer may still come, sleeps until the
// port's line has been quiet for the guard time (at most the quiet limit,
// less when InterruptLinkWaits is called); then closes the port and marks the
// link not connected, logging nothing. Returns 1 when the line was settled
// (or no port open), 0 when the wait ended otherwise.
int ShutdownLink(void);

// 1 while a port is open (connected, upgrading, or held for a late answer).
int LinkPortOpen(void);
