// A COM port on another machine, as a serial-to-network server (ser2net) offers it: a raw
// TCP connection whose line settings are the server's, or a telnet one (RFC 2217) that sets
// them. Everything above sees it as any other port: bytes in, bytes out, a queue to wait on.
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "runtime/device_url.h"
#include "runtime/rs232.h"
#include "runtime/serial_backend.h"
#include "runtime/telnet_codec.h"
#include "runtime/wait_time.h"

namespace tarvik::rt {
namespace {

// How long a connection attempt, and an RFC 2217 server's answer to a setting, may take.
constexpr double kServerSeconds = 5.0;
// "within 5 s", as the reasons that name that bound say it.
const std::string kWithinServerTime =
    "within " + std::to_string(static_cast<int>(kServerSeconds)) + " s";
// A server that refuses a second client (ser2net: "Port already in use") says so and
// closes at once; this long after connecting, a raw connection that stays open is taken.
constexpr double kRefusalSeconds = 0.1;
constexpr int kReadChunk = 4096;
// A server takes the next client only once it has closed the last one: a close waits this
// long for the server's own close, so that a Connect or a command right after finds the
// port free, and no longer, so that a signal still ends a program promptly.
constexpr double kCloseSeconds = 0.25;
// RFC 2217's values for the settings the link uses.
constexpr std::uint8_t kParityNone = 1, kParityOdd = 2, kParityEven = 3;
constexpr std::uint8_t kOneStopBit = 1, kTwoStopBits = 2;
constexpr std::uint8_t kNoFlowControl = 1;
constexpr std::uint8_t kPurgeServerReceiveBuffer = 1;
constexpr int kBaudBytes = 4;
constexpr int kBitsPerByte = 8;

struct Resolved {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    int status = 0;
    addrinfo* list = nullptr;
    ~Resolved() {
        if (list) freeaddrinfo(list);
    }
};

// getaddrinfo cannot be given a time-out: it runs on a thread of its own, and a name service
// that takes longer than the deadline is left to finish there, unheard.
std::shared_ptr<Resolved> resolve(const DeviceUrl& url, Clock::time_point deadline) {
    auto resolved = std::make_shared<Resolved>();
    std::thread([resolved, host = url.host, port = url.port] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* list = nullptr;
        const int status = getaddrinfo(host.c_str(), port.c_str(), &hints, &list);
        std::lock_guard<std::mutex> guard(resolved->lock);
        resolved->status = status;
        resolved->list = list;
        resolved->finished = true;
        resolved->done.notify_all();
    }).detach();
    std::unique_lock<std::mutex> guard(resolved->lock);
    resolved->done.wait_until(guard, deadline, [&] { return resolved->finished; });
    return resolved->finished ? resolved : nullptr;
}

std::nullptr_t failOpen(OpenFailure* failure, int code, const std::string& reason, int fd = -1) {
    if (failure) *failure = {code, reason};
    if (fd >= 0) ::close(fd);
    return nullptr;
}

// Connects to one address without waiting past the deadline. Returns the socket, or -1
// with errno's words in *why.
int connectTo(const addrinfo& address, Clock::time_point deadline, std::string* why) {
    const int fd =
        ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *why = std::strerror(errno);
        return -1;
    }
    if (::connect(fd, address.ai_addr, address.ai_addrlen) != 0 && errno != EINPROGRESS) {
        *why = std::strerror(errno);
        ::close(fd);
        return -1;
    }
    pollfd p{fd, POLLOUT, 0};
    const int r = ::poll(&p, 1, millisecondsLeft(deadline));
    int error = 0;
    socklen_t length = sizeof error;
    if (r == 0) {
        *why = "no answer " + kWithinServerTime;
    } else if (r < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
        *why = std::strerror(errno);
    } else if (error != 0) {
        *why = std::strerror(error);
    } else {
        return fd;
    }
    ::close(fd);
    return -1;
}

class NetworkBackend : public SerialBackend {
  public:
    NetworkBackend(int fd, bool telnet) : fd_(fd), telnet_(telnet) {
        // Nothing tells when a socket's bytes have left this machine: each byte goes at once.
        const int on = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    ~NetworkBackend() override {
        if (!gone_ && ::shutdown(fd_, SHUT_WR) == 0)
            waitForServer(deadlineAfter(kCloseSeconds), [] { return false; });
        ::close(fd_);
    }

    // Opens the telnet options; on a raw connection, takes a server's refusal. Returns 0,
    // or the failure with its reason.
    int start(OpenFailure* failure) {
        if (!telnet_) {
            waitForServer(deadlineAfter(kRefusalSeconds), [] { return false; });
            return gone_ ? refused(failure) : 0;
        }
        sendRaw(options_.opening());
        waitForServer(deadlineAfter(kServerSeconds),
                      [this] { return options_.comPortAgreed() || options_.comPortRefused(); });
        if (gone_) return refused(failure);
        if (options_.comPortAgreed()) return 0;
        *failure = {
            COM_ERR_NOT_SERIAL,
            options_.comPortRefused()
                ? "the server does not take RFC 2217's serial settings (is it a raw port?)"
                : "the server did not answer RFC 2217's serial settings " + kWithinServerTime};
        return failure->code;
    }

    int configure(long baudRate, int parity, int dataBits, int stopBits) override {
        if (!telnet_) return 0;  // the server's own settings hold
        struct Setting {
            std::uint8_t command;
            std::vector<std::uint8_t> value;
            const char* name;
        };
        std::vector<std::uint8_t> baud(kBaudBytes);
        for (int i = 0; i < kBaudBytes; ++i)
            baud[i] = static_cast<std::uint8_t>(baudRate >> (kBitsPerByte * (kBaudBytes - 1 - i)));
        const std::uint8_t parityValue = parity == 0   ? kParityNone
                                         : parity == 1 ? kParityOdd
                                                       : kParityEven;
        const Setting settings[] = {
            {COM_PORT_SET_BAUDRATE, baud, "baud rate"},
            {COM_PORT_SET_DATASIZE, {static_cast<std::uint8_t>(dataBits)}, "data size"},
            {COM_PORT_SET_PARITY, {parityValue}, "parity"},
            {COM_PORT_SET_STOPSIZE, {stopBits == 2 ? kTwoStopBits : kOneStopBit}, "stop size"},
            {COM_PORT_SET_CONTROL, {kNoFlowControl}, "flow control"},
        };
        for (const Setting& setting : settings) {
            answers_.erase(setting.command);
            sendRaw(ComPortCommand(setting.command, setting.value));
        }
        const auto deadline = deadlineAfter(kServerSeconds);
        for (const Setting& setting : settings) {
            waitForServer(deadline, [&] { return answers_.count(setting.command) != 0; });
            if (gone_) {
                OpenFailure closed;
                refused(&closed);
                failureReason_ = closed.reason;
                return closed.code;
            }
            const auto answer = answers_.find(setting.command);
            if (answer == answers_.end()) {
                failureReason_ = std::string("the server did not answer the ") + setting.name +
                                 " setting " + kWithinServerTime;
                return COM_ERR_BAD_SETTING;
            }
            if (answer->second != setting.value) {
                failureReason_ = std::string("the server set the ") + setting.name + " to " +
                                 valueText(answer->second) + ", not " + valueText(setting.value);
                return COM_ERR_BAD_SETTING;
            }
        }
        return 0;
    }

    // Set with the other settings (flow control off) in configure.
    int setHardwareHandshake(bool) override { return 0; }

    int inQueueLength() override {
        pump();
        if (gone_) return COM_ERR_IO;
        return static_cast<int>(data_.size());
    }

    // Nothing tells when a socket's bytes leave this machine, let alone the far end's wire.
    // The bytes of the last write count as queued for one look, so that a drain wait sleeps
    // its half character once after each write, as it does on a local line, and no longer.
    int outQueueLength() override {
        if (gone_) return COM_ERR_IO;
        const int queued = unlooked_;
        unlooked_ = 0;
        return queued;
    }

    int waitForInput(int count, double timeoutSeconds) override {
        const auto deadline = deadlineAfter(timeoutSeconds);
        for (;;) {
            pump();
            if (gone_) return COM_ERR_IO;
            const int queued = static_cast<int>(data_.size());
            if (queued >= count || Clock::now() >= deadline) return queued;
            pollfd p{fd_, POLLIN, 0};
            const timespec wait = timespecOf(deadline - Clock::now());
            const int r = ::ppoll(&p, 1, &wait, nullptr);
            // A signal ends the wait early, so that its handler's wish is seen at once.
            if (r < 0) return errno == EINTR ? queued : COM_ERR_IO;
        }
    }

    int write(const std::uint8_t* data, int count, double timeoutSeconds) override {
        if (gone_ || count <= 0) return gone_ ? COM_ERR_IO : 0;
        const std::vector<std::uint8_t> bytes =
            telnet_
                ? TelnetEscaped(data, static_cast<std::size_t>(count), options_.serverTakesBinary())
                : std::vector<std::uint8_t>(data, data + count);
        if (!sendAll(bytes, deadlineAfter(timeoutSeconds))) return COM_ERR_IO;
        unlooked_ = count;
        return count;
    }

    int read(std::uint8_t* data, int count, double timeoutSeconds) override {
        const int queued = waitForInput(count, timeoutSeconds);
        if (queued < 0) return queued;
        const int n = std::min(queued, count);
        std::copy(data_.begin(), data_.begin() + n, data);
        data_.erase(data_.begin(), data_.begin() + n);
        return n;
    }

    int flushInput() override {
        pump();
        data_.clear();
        // The server may hold bytes from the board that have not reached us yet.
        if (telnet_) sendRaw(ComPortCommand(COM_PORT_PURGE_DATA, {kPurgeServerReceiveBuffer}));
        return gone_ ? COM_ERR_IO : 0;
    }

    int flushOutput() override { return gone_ ? COM_ERR_IO : 0; }

    int checkPresent(std::string* reason) override {
        pump();
        if (!gone_) return 0;
        if (reason) *reason = goneReason_;
        return COM_ERR_IO;
    }

    std::string failureReason() const override { return failureReason_; }

  private:
    static std::string valueText(const std::vector<std::uint8_t>& value) {
        unsigned long number = 0;
        for (const std::uint8_t byte : value) number = (number << kBitsPerByte) | byte;
        return std::to_string(number);
    }

    // What a server said before it closed the connection at once: its refusal.
    int refused(OpenFailure* failure) {
        std::string text(data_.begin(), data_.end());
        text.erase(
            std::remove_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }),
            text.end());
        *failure = text.empty() ? OpenFailure{COM_ERR_UNREACHABLE, goneReason_}
                                : OpenFailure{COM_ERR_IN_USE, "refused by the server: " + text};
        return failure->code;
    }

    // Takes what the server sent so far, without waiting.
    void pump() {
        if (gone_) return;
        std::uint8_t chunk[kReadChunk];
        for (;;) {
            const ssize_t n = ::recv(fd_, chunk, sizeof chunk, MSG_DONTWAIT);
            if (n > 0) {
                acknowledgeAtOnce();
                take(chunk, static_cast<std::size_t>(n));
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
            if (n < 0 && errno == EINTR) continue;
            gone_ = true;
            goneReason_ = n == 0 ? "the server closed the connection" : std::strerror(errno);
            return;
        }
    }

    void take(const std::uint8_t* bytes, std::size_t count) {
        if (!telnet_) {
            data_.insert(data_.end(), bytes, bytes + count);
            return;
        }
        TelnetReader::Parts parts;
        reader_.feed(bytes, count, options_.serverSendsBinary(), &parts);
        data_.insert(data_.end(), parts.data.begin(), parts.data.end());
        for (const TelnetReader::Negotiation& negotiation : parts.negotiations)
            sendRaw(options_.answer(negotiation));
        for (const std::vector<std::uint8_t>& sub : parts.subnegotiations)
            if (sub.size() >= 2 && sub[0] == TELNET_COM_PORT && sub[1] > COM_PORT_SERVER_OFFSET)
                answers_[static_cast<std::uint8_t>(sub[1] - COM_PORT_SERVER_OFFSET)] =
                    std::vector<std::uint8_t>(sub.begin() + 2, sub.end());
    }

    // Waits, taking what comes, until ready() or the server went away or the deadline.
    template <typename Ready>
    void waitForServer(Clock::time_point deadline, Ready ready) {
        for (;;) {
            pump();
            if (gone_ || ready() || Clock::now() >= deadline) return;
            pollfd p{fd_, POLLIN, 0};
            ::poll(&p, 1, std::max(millisecondsLeft(deadline), 1));
        }
    }

    // A server that sends each of the board's bytes as it comes (ser2net with "chardelay"
    // off) holds the next until the last is acknowledged (Nagle), and Linux delays the
    // acknowledgement of a connection that also sends by up to 40 ms: an 8-byte answer would
    // take ten times its wire time. The kernel forgets the wish after a while, so it is said
    // again after every send and receive.
    void acknowledgeAtOnce() {
        const int on = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
    }

    void sendRaw(const std::vector<std::uint8_t>& bytes) {
        if (!bytes.empty()) sendAll(bytes, deadlineAfter(kServerSeconds));
    }

    bool sendAll(const std::vector<std::uint8_t>& bytes, Clock::time_point deadline) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                acknowledgeAtOnce();
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                gone_ = true;
                goneReason_ = std::strerror(errno);
                return false;
            }
            pollfd p{fd_, POLLOUT, 0};
            if (::poll(&p, 1, millisecondsLeft(deadline)) <= 0) return false;
        }
        return true;
    }

    int fd_;
    bool telnet_;
    bool gone_ = false;
    std::string goneReason_, failureReason_;
    std::vector<std::uint8_t> data_;  // what the board sent, not yet read
    int unlooked_ = 0;                // bytes written since outQueueLength last looked
    TelnetReader reader_;
    TelnetOptions options_;
    std::map<std::uint8_t, std::vector<std::uint8_t>> answers_;  // the server's, by command
};

}  // namespace

std::unique_ptr<SerialBackend> OpenNetworkBackend(const std::string& path, OpenFailure* failure) {
    DeviceUrl url;
    std::string error;
    if (!ParseDeviceUrl(path, &url, &error)) return failOpen(failure, COM_ERR_NOT_SERIAL, error);
    const auto deadline = deadlineAfter(kServerSeconds);
    const std::shared_ptr<Resolved> resolved = resolve(url, deadline);
    if (!resolved)
        return failOpen(failure, COM_ERR_NO_HOST,
                        "no answer from the name service " + kWithinServerTime);
    if (resolved->status != 0)
        return failOpen(failure, COM_ERR_NO_HOST, gai_strerror(resolved->status));
    std::string why = "no address";
    for (const addrinfo* a = resolved->list; a; a = a->ai_next) {
        const int fd = connectTo(*a, deadline, &why);
        if (fd < 0) continue;
        auto backend = std::make_unique<NetworkBackend>(fd, url.kind == DeviceUrl::Kind::Rfc2217);
        OpenFailure refused;
        if (backend->start(&refused) != 0) return failOpen(failure, refused.code, refused.reason);
        return backend;
    }
    return failOpen(failure, COM_ERR_UNREACHABLE, why);
}

}  // namespace tarvik::rt
