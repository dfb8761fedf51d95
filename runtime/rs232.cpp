#include "runtime/rs232.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include "runtime/device_url.h"
#include "runtime/library_errors.h"
#include "runtime/port_map.h"
#include "runtime/serial_backend.h"
#include "runtime/serial_devices.h"

namespace tarvik::rt {
namespace {

constexpr double kDefaultTimeoutSeconds = 10.0;

struct OpenPort {
    std::unique_ptr<SerialBackend> backend;
    std::string path;
    double timeoutSeconds = kDefaultTimeoutSeconds;
};

std::map<int, OpenPort>& ports() {
    static std::map<int, OpenPort> table;
    return table;
}

// The system's words for each port's last open failure or vanished device.
std::map<int, std::string>& reasons() {
    static std::map<int, std::string> table;
    return table;
}

ComByteWatcher g_byteWatcher = nullptr;

// Shows the bytes a call moved to the watcher, and passes its result on.
int watched(int port, int direction, const void* buffer, int moved) {
    if (g_byteWatcher && moved > 0)
        g_byteWatcher(port, direction, static_cast<const unsigned char*>(buffer), moved);
    return moved;
}

SerialBackendFactory& factory() {
    static SerialBackendFactory f;
    return f;
}

const char* meaningOf(int code) {
    static const char* const kMeaning[] = {"",
                                           "unknown error",
                                           "invalid port number",
                                           "port not open",
                                           "cannot open port",
                                           "unsupported setting",
                                           "device failed or vanished",
                                           "time-out",
                                           "no such device",
                                           "permission denied",
                                           "in use by another program",
                                           "not a serial device",
                                           "mapped, but the settings file cannot be written",
                                           "host not found",
                                           "server not reachable"};
    constexpr int kCount = static_cast<int>(sizeof kMeaning / sizeof kMeaning[0]);
    // Codes are negative; anything outside the table is "unknown error".
    return (code < 0 && -code < kCount) ? kMeaning[-code] : kMeaning[-COM_ERR_UNKNOWN];
}

// Reports a failure through the library-error channel and passes the code on.
int fail(const char* function, int port, int code, const std::string& what = {}) {
    std::string text = "COM" + std::to_string(port) + ": ";
    text += what.empty() ? meaningOf(code) : what;
    ReportLibraryError(function, text);
    return code;
}

void copyText(const std::string& text, char* buffer, int size) {
    if (!buffer || size <= 0) return;
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

OpenPort* find(int port) {
    auto it = ports().find(port);
    return it == ports().end() ? nullptr : &it->second;
}

}  // namespace

int SerialBackend::waitForInput(int count, double timeoutSeconds) {
    const int queued = inQueueLength();
    if (queued < 0 || queued >= count || !(timeoutSeconds > 0) || !std::isfinite(timeoutSeconds))
        return queued;
    constexpr double kLongestSleepSeconds = 24 * 3600.0;
    std::this_thread::sleep_for(
        std::chrono::duration<double>(std::min(timeoutSeconds, kLongestSleepSeconds)));
    return inQueueLength();
}

void SetSerialBackendFactory(SerialBackendFactory f) {
    factory() = std::move(f);
}

void CloseAllComPorts() {
    ports().clear();
}

}  // namespace tarvik::rt

using namespace tarvik::rt;

// Looks up an open port or returns from the calling function with the error.
#define OPEN_PORT_OR_FAIL(function, port)                                                   \
    if ((port) < 1 || (port) > COM_MAX_PORT) return fail(function, port, COM_ERR_BAD_PORT); \
    OpenPort* open = find(port);                                                            \
    if (!open) return fail(function, port, COM_ERR_NOT_OPEN)

int OpenComConfig(int port, const char* deviceName, long baudRate, int parity, int dataBits,
                  int stopBits, int inputQueueSize, int outputQueueSize) {
    if (port < 1 || port > COM_MAX_PORT) return fail("OpenComConfig", port, COM_ERR_BAD_PORT);
    // The driver's own buffers serve as the queues; only nonsense sizes are refused.
    if (inputQueueSize < 0 || outputQueueSize < 0)
        return fail("OpenComConfig", port, COM_ERR_BAD_SETTING);
    OpenPort* open = find(port);
    // A device that came back after an unplug is a new device: the old
    // descriptor stays hung up for good, so configuring it would only fail.
    if (open && open->backend->checkPresent(nullptr) < 0) {
        ports().erase(port);
        open = nullptr;
    }
    if (!open) {
        std::string path = (deviceName && *deviceName) ? deviceName : ComPortPath(port);
        OpenFailure failure;
        std::unique_ptr<SerialBackend> backend = factory() ? factory()(port, path, &failure)
                                                 : IsDeviceUrl(path)
                                                     ? OpenNetworkBackend(path, &failure)
                                                     : OpenTermiosBackend(path, &failure);
        if (!backend) {
            const int code = failure.code < 0 ? failure.code : COM_ERR_OPEN_FAILED;
            reasons()[port] = failure.reason.empty() ? meaningOf(code) : failure.reason;
            return fail("OpenComConfig", port, code, path + ": " + reasons()[port]);
        }
        open = &ports()[port];
        open->backend = std::move(backend);
        open->path = path;
    }
    int r = open->backend->configure(baudRate, parity, dataBits, stopBits);
    if (r < 0) {
        const std::string why = open->backend->failureReason();
        ports().erase(port);
        reasons()[port] = why.empty() ? meaningOf(r) : why;
        return fail("OpenComConfig", port, r, reasons()[port]);
    }
    open->backend->setHardwareHandshake(false);
    return 0;
}

int CloseCom(int port) {
    OPEN_PORT_OR_FAIL("CloseCom", port);
    (void)open;
    ports().erase(port);
    return 0;
}

int GetComPortDevice(int port, char* path, int size) {
    if (port < 1 || port > COM_MAX_PORT) {
        copyText("", path, size);
        return COM_ERR_BAD_PORT;
    }
    const OpenPort* open = find(port);
    copyText(open ? open->path : ComPortPath(port), path, size);
    return 0;
}

int GetComPortMapping(int port, char* path, int size) {
    if (port < 1 || port > COM_MAX_PORT) {
        copyText("", path, size);
        return COM_ERR_BAD_PORT;
    }
    int source = 0;
    copyText(ComPortPath(port, &source), path, size);
    return source;
}

int SetComPortDevice(int port, const char* device, int remember, int source) {
    if (port < 1 || port > COM_MAX_PORT) return fail("SetComPortDevice", port, COM_ERR_BAD_PORT);
    if (!device || !*device || (source != COM_MAP_CHOSEN && source != COM_MAP_COMMAND_LINE))
        return fail("SetComPortDevice", port, COM_ERR_BAD_SETTING);
    ChooseComPortDevice(port, device, source);
    if (remember && !RememberComPortDevice(port, device))
        return fail("SetComPortDevice", port, COM_ERR_NOT_SAVED);
    return 0;
}

int IsNetworkDevice(const char* path) {
    return path && IsDeviceUrl(path) ? 1 : 0;
}

int CheckComDevicePath(const char* path, char* reason, int size) {
    std::string why;
    const int checked = CheckSerialDevicePath(path ? path : "", &why);
    copyText(why, reason, size);
    return checked;
}

int GetComDeviceGroup(int port, char* group, int size) {
    copyText("", group, size);
    if (port < 1 || port > COM_MAX_PORT) return COM_ERR_BAD_PORT;
    std::string name;
    const int who = SerialDeviceGroup(ComPortPath(port), &name);
    if (who < 0) return COM_ERR_UNKNOWN;
    copyText(name, group, size);
    return who;
}

int GetComErrorReason(int port, char* reason, int size) {
    if (port < 1 || port > COM_MAX_PORT) {
        copyText("", reason, size);
        return COM_ERR_BAD_PORT;
    }
    auto it = reasons().find(port);
    copyText(it == reasons().end() ? std::string() : it->second, reason, size);
    return 0;
}

int CheckComDevice(int port) {
    OPEN_PORT_OR_FAIL("CheckComDevice", port);
    std::string reason;
    if (open->backend->checkPresent(&reason) == 0) return 0;
    reasons()[port] = reason.empty() ? meaningOf(COM_ERR_IO) : reason;
    return fail("CheckComDevice", port, COM_ERR_IO, open->path + ": " + reasons()[port]);
}

int SetComTime(int port, double timeoutSeconds) {
    OPEN_PORT_OR_FAIL("SetComTime", port);
    if (!(timeoutSeconds >= 0.0) || !std::isfinite(timeoutSeconds))
        return fail("SetComTime", port, COM_ERR_BAD_SETTING);
    open->timeoutSeconds = timeoutSeconds;
    return 0;
}

int SetCTSMode(int port, int mode) {
    OPEN_PORT_OR_FAIL("SetCTSMode", port);
    if (mode != 0 && mode != 1) return fail("SetCTSMode", port, COM_ERR_BAD_SETTING);
    int r = open->backend->setHardwareHandshake(mode == 1);
    return r < 0 ? fail("SetCTSMode", port, r) : 0;
}

int FlushInQ(int port) {
    OPEN_PORT_OR_FAIL("FlushInQ", port);
    int r = open->backend->flushInput();
    return r < 0 ? fail("FlushInQ", port, r) : 0;
}

int FlushOutQ(int port) {
    OPEN_PORT_OR_FAIL("FlushOutQ", port);
    int r = open->backend->flushOutput();
    return r < 0 ? fail("FlushOutQ", port, r) : 0;
}

int GetInQLen(int port) {
    OPEN_PORT_OR_FAIL("GetInQLen", port);
    int r = open->backend->inQueueLength();
    return r < 0 ? fail("GetInQLen", port, r) : r;
}

int GetOutQLen(int port) {
    OPEN_PORT_OR_FAIL("GetOutQLen", port);
    int r = open->backend->outQueueLength();
    return r < 0 ? fail("GetOutQLen", port, r) : r;
}

int WaitInQLen(int port, int count, double timeoutSeconds) {
    OPEN_PORT_OR_FAIL("WaitInQLen", port);
    if (count < 0) return fail("WaitInQLen", port, COM_ERR_BAD_SETTING);
    int r = open->backend->waitForInput(count, timeoutSeconds);
    return r < 0 ? fail("WaitInQLen", port, r) : r;
}

int ComWrt(int port, const void* buffer, int count) {
    OPEN_PORT_OR_FAIL("ComWrt", port);
    if (count < 0 || (count > 0 && !buffer)) return fail("ComWrt", port, COM_ERR_BAD_SETTING);
    int r =
        open->backend->write(static_cast<const std::uint8_t*>(buffer), count, open->timeoutSeconds);
    return r < 0 ? fail("ComWrt", port, r) : watched(port, COM_BYTES_SENT, buffer, r);
}

int ComRd(int port, void* buffer, int count) {
    OPEN_PORT_OR_FAIL("ComRd", port);
    if (count < 0 || (count > 0 && !buffer)) return fail("ComRd", port, COM_ERR_BAD_SETTING);
    int r = open->backend->read(static_cast<std::uint8_t*>(buffer), count, open->timeoutSeconds);
    return r < 0 ? fail("ComRd", port, r) : watched(port, COM_BYTES_RECEIVED, buffer, r);
}

void SetComByteWatcher(ComByteWatcher watcher) {
    g_byteWatcher = watcher;
}

int ComWrtByte(int port, int byte) {
    std::uint8_t b = static_cast<std::uint8_t>(byte);
    int r = ComWrt(port, &b, 1);
    return r == 1 ? 1 : (r < 0 ? r : COM_ERR_TIMEOUT);
}

int ComRdByte(int port) {
    std::uint8_t b = 0;
    int r = ComRd(port, &b, 1);
    if (r == 1) return b;
    return r < 0 ? r : fail("ComRdByte", port, COM_ERR_TIMEOUT);
}
