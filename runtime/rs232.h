#pragma once
// Numbered serial ports (COM1 = 1). Port n is, first found: the device given
// on the command line (--port n=DEVICE) or chosen during the run, the
// environment variable TARVIK_COM<n>, the device remembered in the settings
// file (key "ports/COM<n>"), /dev/ttyS<n-1>. A device is a local terminal's path, or a
// serial port on another machine (tcp://HOST:PORT, rfc2217://HOST:PORT; the server's
// serial settings come with the second). Every call returns a negative
// COM_ERR_ code on failure; a port whose device vanished (unplugged, other
// side hung up) fails at once and never blocks.

enum {
    COM_ERR_UNKNOWN = -1,
    COM_ERR_BAD_PORT = -2,  // number out of 1..COM_MAX_PORT
    COM_ERR_NOT_OPEN = -3,
    COM_ERR_OPEN_FAILED = -4,    // cannot open, for none of the reasons below
    COM_ERR_BAD_SETTING = -5,    // unsupported baud rate, parity, sizes
    COM_ERR_IO = -6,             // the device failed or vanished
    COM_ERR_TIMEOUT = -7,        // ComRdByte: no byte within the port time-out
    COM_ERR_NO_DEVICE = -8,      // open: nothing at the path (absent, unplugged, no UART)
    COM_ERR_NO_PERMISSION = -9,  // open: the user may not open the device
    COM_ERR_IN_USE = -10,        // open: another program (or console) holds the device
    COM_ERR_NOT_SERIAL = -11,    // open: the path is no serial device
    COM_ERR_NOT_SAVED = -12,     // SetComPortDevice: mapped, but the settings file is unwritable
    COM_ERR_NO_HOST = -13,       // open: a network device's host name does not resolve
    COM_ERR_UNREACHABLE = -14,   // open: a network device's server refused or did not answer
};
// Where a port's device comes from, highest precedence first.
enum {
    COM_MAP_CHOSEN = 1,       // SetComPortDevice during this run (Choose... in the console)
    COM_MAP_ENVIRONMENT = 2,  // TARVIK_COM<n>
    COM_MAP_SETTINGS = 3,     // the settings file
    COM_MAP_DEFAULT = 4,      // /dev/ttyS<n-1>
    // The program's command line (--port n=DEVICE, tarvikctl's --device); as high as a choice
    // made during the run, the later of the two holding.
    COM_MAP_COMMAND_LINE = 5,
};
enum { COM_MAX_PORT = 999 };
// Room for any device path, its NUL included (PATH_MAX on Linux).
enum { COM_MAX_PATH = 4096 };

// Opens (or, when this process holds it already, re-configures) the port:
// raw, no software flow control, no hardware handshake, exclusive to this
// process for every user, root included (TIOCEXCL and flock). A held port
// whose device has vanished is dropped and its path opened afresh.
// deviceName "" means the port's mapped device. Returns 0 or negative; after a
// failure the port is closed and GetComErrorReason says why.
int OpenComConfig(int port, const char* deviceName, long baudRate, int parity, int dataBits,
                  int stopBits, int inputQueueSize, int outputQueueSize);
// Closes the port: its device gets back the terminal settings it had before
// OpenComConfig, and the lock is released. Returns 0, or COM_ERR_NOT_OPEN.
int CloseCom(int port);
// Copies the device path of the port into path (at most size-1 characters and
// a NUL, cut if longer): the path it was opened on, or for a port not open the
// path it maps to. Returns 0, or COM_ERR_BAD_PORT (path then empty).
int GetComPortDevice(int port, char* path, int size);
// Copies the device the port maps to (as above; not the one it is open on)
// into path, cut like GetComPortDevice. Returns the COM_MAP_ source, or
// COM_ERR_BAD_PORT (path then empty).
int GetComPortMapping(int port, char* path, int size);
// Maps the port to device for the rest of the run, above every other source,
// and, when remember is nonzero, stores it in the settings file for later runs.
// source is COM_MAP_CHOSEN, or COM_MAP_COMMAND_LINE for a device the program's
// command line named; GetComPortMapping reports it. An open port stays on its
// device until opened again. Returns 0; COM_ERR_BAD_PORT or COM_ERR_BAD_SETTING
// (device empty, or another source) with nothing changed; COM_ERR_NOT_SAVED
// when mapped but the settings file could not be written.
int SetComPortDevice(int port, const char* device, int remember, int source = COM_MAP_CHOSEN);
// 1 when path names a serial port on the network (tcp://, rfc2217://), else 0.
int IsNetworkDevice(const char* path);
// Whether path can stand for a port's device, found without opening it: it exists and is
// a terminal (serial port, USB adapter, pseudo-terminal). Returns 0; else COM_ERR_NO_DEVICE
// (nothing there) or COM_ERR_NOT_SERIAL (a folder, a file, another kind of device), with
// the reason in words copied into reason as GetComPortDevice copies.
int CheckComDevicePath(const char* path, char* reason, int size);
// Who may open the device the port maps to, for the advice after "Permission denied":
// returns 1 with the group whose members may open it copied into group; 0 when only root
// may; negative when it cannot be told (group then "").
int GetComDeviceGroup(int port, char* group, int size);
// Copies the system's words for the port's last open failure or vanished
// device ("Permission denied", "Input/output error") into reason, as above;
// empty when nothing failed yet. Returns 0, or COM_ERR_BAD_PORT.
int GetComErrorReason(int port, char* reason, int size);
// Whether the device behind the open port is still there, found without
// reading a byte or waiting: 0 while it is; COM_ERR_IO once it has vanished
// (GetComErrorReason then says why; the port stays open until closed);
// COM_ERR_NOT_OPEN or COM_ERR_BAD_PORT.
int CheckComDevice(int port);
// Read and write time-out of the port, seconds (default 10 s).
int SetComTime(int port, double timeoutSeconds);
// mode 0: no hardware handshake; 1: CTS/RTS handshake.
int SetCTSMode(int port, int mode);
int FlushInQ(int port);
int FlushOutQ(int port);
// Bytes waiting to be read / still to be sent.
int GetInQLen(int port);
int GetOutQLen(int port);
// Sleeps in the kernel until at least count bytes wait to be read, the device
// vanishes, a signal arrives, or timeoutSeconds have passed (a time-out that
// is not a positive number looks once). Returns the bytes waiting then, fewer
// than count when the time ran out or a signal came first; negative on a
// failure (COM_ERR_IO once the device has vanished). Costs no processor time
// while it waits.
int WaitInQLen(int port, int count, double timeoutSeconds);
// Queues count bytes; returns how many were taken (count unless the port
// failed or the write time-out ran out).
int ComWrt(int port, const void* buffer, int count);
// Reads up to count bytes, waiting at most the port time-out; returns how many.
int ComRd(int port, void* buffer, int count);
int ComWrtByte(int port, int byte);
// A byte 0..255, or negative (COM_ERR_TIMEOUT when none came in time).
int ComRdByte(int port);

// Which way bytes crossed the line, for a ComByteWatcher.
enum { COM_BYTES_SENT = 0, COM_BYTES_RECEIVED = 1 };
// Sees every byte that ComWrt, ComRd, ComWrtByte and ComRdByte moved on any port, as they
// return, in the order they moved: a trace of the raw line. Bytes flushed unread are not
// seen. Null, the default, watches nothing.
using ComByteWatcher = void (*)(int port, int direction, const unsigned char* bytes, int count);
void SetComByteWatcher(ComByteWatcher watcher);

// While enabled (the default), a failing library call writes one line saying
// what failed to stderr; disabled, failures are only returned.
void EnableBreakOnLibraryErrors(void);
void DisableBreakOnLibraryErrors(void);
