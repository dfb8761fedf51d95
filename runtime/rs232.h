#pragma once
// Numbered serial ports (COM1 = 1). Port n is the device named by the
// environment variable TARVIK_COM<n>, else /dev/ttyS<n-1>. Every call returns
// a negative COM_ERR_ code on failure; a port whose device vanished (unplugged,
// other side hung up) fails at once and never blocks.

enum {
    COM_ERR_UNKNOWN = -1,
    COM_ERR_BAD_PORT = -2,     // number out of 1..COM_MAX_PORT
    COM_ERR_NOT_OPEN = -3,
    COM_ERR_OPEN_FAILED = -4,  // absent, busy, not a serial device
    COM_ERR_BAD_SETTING = -5,  // unsupported baud rate, parity, sizes
    COM_ERR_IO = -6,           // the device failed or vanished
    COM_ERR_TIMEOUT = -7,      // ComRdByte: no byte within the port time-out
};
enum { COM_MAX_PORT = 999 };

// Opens (or, when this process holds it already, re-configures) the port:
// raw, no software flow control, no hardware handshake, exclusive.
// deviceName "" means the port's mapped device. Returns 0 or negative.
int OpenComConfig(int port, const char* deviceName, long baudRate, int parity, int dataBits,
                  int stopBits, int inputQueueSize, int outputQueueSize);
int CloseCom(int port);
// Read and write time-out of the port, seconds (default 10 s).
int SetComTime(int port, double timeoutSeconds);
// mode 0: no hardware handshake; 1: CTS/RTS handshake.
int SetCTSMode(int port, int mode);
int FlushInQ(int port);
int FlushOutQ(int port);
// Bytes waiting to be read / still to be sent.
int GetInQLen(int port);
int GetOutQLen(int port);
// Queues count bytes; returns how many were taken (count unless the port
// failed or the write time-out ran out).
int ComWrt(int port, const void* buffer, int count);
// Reads up to count bytes, waiting at most the port time-out; returns how many.
int ComRd(int port, void* buffer, int count);
int ComWrtByte(int port, int byte);
// A byte 0..255, or negative (COM_ERR_TIMEOUT when none came in time).
int ComRdByte(int port);

// While enabled (the default), a failing library call writes one line saying
// what failed to stderr; disabled, failures are only returned.
void EnableBreakOnLibraryErrors(void);
void DisableBreakOnLibraryErrors(void);
