#pragma once
// The device behind a numbered port. The engine uses termios devices; tests may
// give it a backend of their own (for example one that injects faults).

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
    // Writes up to count bytes, waiting at most timeoutSeconds for room.
    virtual int write(const std::uint8_t* data, int count, double timeoutSeconds) = 0;
    // Reads up to count bytes, waiting at most timeoutSeconds for all of them;
    // returns how many arrived (0 on a time-out), negative when the device failed
    // before any byte came.
    virtual int read(std::uint8_t* data, int count, double timeoutSeconds) = 0;
    virtual int flushInput() = 0;
    virtual int flushOutput() = 0;
};

// Opens a termios device raw, exclusive and close-on-exec. Null with a message
// in *error when it cannot be opened or is not a terminal.
std::unique_ptr<SerialBackend> OpenTermiosBackend(const std::string& path, std::string* error);

// How a port number becomes a backend. Null restores the default (termios on
// the port's mapped device path).
using SerialBackendFactory =
    std::function<std::unique_ptr<SerialBackend>(int port, const std::string& path, std::string* error)>;
void SetSerialBackendFactory(SerialBackendFactory factory);

// The device path of port n: $TARVIK_COM<n>, else /dev/ttyS<n-1>.
std::string ComPortPath(int port);

}  // namespace tarvik::rt
