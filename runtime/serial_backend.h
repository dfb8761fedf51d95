#pragma once
// The device behind a numbered port. The engine uses termios devices; tests may
// give it a backend of their own (for example one that injects faults).
// Internal to runtime/ and the tests.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tarvik::rt {

class SerialBackend {
  public:
    virtual ~SerialBackend() = default;
    // Each returns >= 0 on success, a negative COM_ERR_ code on failure.
    virtual int configure(long baudRate, int parity, int dataBits, int stopBits) = 0;
    virtual int setHardwareHandshake(bool on) = 0;
    virtual int inQueueLength() = 0;
    virtual int outQueueLength() = 0;
    // Sleeps until at least count bytes wait to be read, the device fails, a
    // signal arrives or timeoutSeconds have passed, whichever comes first.
    // Returns the bytes waiting then (fewer than count unless they came), or
    // COM_ERR_IO once the device has vanished. This default, for stand-ins
    // whose bytes cannot arrive while nobody calls them, looks, sleeps the
    // time out when that is not enough, and looks again.
    virtual int waitForInput(int count, double timeoutSeconds);
    // Writes up to count bytes, waiting at most timeoutSeconds for room.
    virtual int write(const std::uint8_t* data, int count, double timeoutSeconds) = 0;
    // Reads up to count bytes, waiting at most timeoutSeconds for all of them;
    // returns how many arrived (0 on a time-out), negative when the device failed
    // before any byte came.
    virtual int read(std::uint8_t* data, int count, double timeoutSeconds) = 0;
    virtual int flushInput() = 0;
    virtual int flushOutput() = 0;
    // Whether the device is still there, found without reading or waiting: 0,
    // or COM_ERR_IO with the system's words for what happened in *reason.
    // A stand-in that cannot vanish keeps this default.
    virtual int checkPresent(std::string* /*reason*/) { return 0; }
    // Why the last call failed, in words, when the code alone does not say it (a network
    // server that answered a setting with another value); empty otherwise.
    virtual std::string failureReason() const { return {}; }
};

// Why a device did not open: a COM_ERR_ code (COM_ERR_NO_DEVICE,
// COM_ERR_NO_PERMISSION, COM_ERR_IN_USE, COM_ERR_NOT_SERIAL or
// COM_ERR_OPEN_FAILED) and the system's words ("Permission denied").
struct OpenFailure {
    int code = 0;
    std::string reason;
};

// Opens a termios device raw, close-on-exec and exclusive: TIOCEXCL, which
// keeps other users out, and an advisory flock, which keeps out root and any
// program that honours the convention. The device gets back the settings it
// had when the backend is destroyed. Null with *failure filled in when the
// device cannot be opened, is held by another program or is not a terminal.
std::unique_ptr<SerialBackend> OpenTermiosBackend(const std::string& path, OpenFailure* failure);

// Opens a serial port on another machine, url being IsDeviceUrl's (device_url.h): a raw TCP
// connection, or a telnet one that negotiates binary transmission and the COM-PORT-OPTION.
// Gives up within 5 s. Null with *failure filled in (COM_ERR_NO_HOST, COM_ERR_UNREACHABLE,
// COM_ERR_IN_USE when the server refused a second client, COM_ERR_NOT_SERIAL for a malformed
// URL) when it cannot be opened.
std::unique_ptr<SerialBackend> OpenNetworkBackend(const std::string& url, OpenFailure* failure);

// How a port number becomes a backend. Null restores the default (termios on
// the port's mapped device path).
using SerialBackendFactory = std::function<std::unique_ptr<SerialBackend>(
    int port, const std::string& path, OpenFailure* failure)>;
void SetSerialBackendFactory(SerialBackendFactory factory);

}  // namespace tarvik::rt
