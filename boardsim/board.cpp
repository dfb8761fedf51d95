#include "boardsim/board.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <limits>
#include <mutex>
#include <thread>

#include "boardsim/engine.h"
#include "boardsim/pty_port.h"

namespace boardsim {

namespace {
using Clock = std::chrono::steady_clock;

constexpr std::size_t kReadChunk = 512;
// Without deadlines the loop still wakes now and then; stop() does not depend on it.
constexpr double kIdleWakeSeconds = 1.0;
// A console that stops reading must not wedge the board.
constexpr int kWriteTimeoutMs = 1000;
// Long enough for a console that reads to take what came before the hang-up.
constexpr int kHangUpGraceMs = 150;
// After the line failed (should not happen while the port holds the slave), do not spin.
constexpr double kLineErrorBackoffSeconds = 0.010;
constexpr long kNanosPerSecond = 1'000'000'000L;

timespec toTimespec(double seconds) {
    seconds = std::max(seconds, 0.0);
    const double whole = std::floor(seconds);
    return {static_cast<time_t>(whole), static_cast<long>((seconds - whole) * kNanosPerSecond)};
}
// How long before a paced deadline the serving thread stops sleeping and spins.
constexpr double kSpinSeconds = 0.0003;
}  // namespace

struct Board::Impl {
    Impl() : engine(kFrameStallSeconds) {}

    double now() const { return std::chrono::duration<double>(Clock::now() - epoch).count(); }

    // Waits until board time `seconds`; false when stop() interrupts the wait.
    bool sleepUntil(double seconds) {
        for (;;) {
            const double left = seconds - now();
            if (left <= 0) return !stopRequested();
            pollfd p{stopPipe[0], POLLIN, 0};
            const timespec ts = toTimespec(left);
            if (ppoll(&p, 1, &ts, nullptr) > 0) return false;
        }
    }

    // Like sleepUntil, but wakes on time: a late wake-up after every paced byte
    // would add up to a line far slower than 38400 baud. Sleeps most of the
    // wait and spins the last stretch.
    bool waitPreciselyUntil(double seconds) {
        if (!sleepUntil(seconds - kSpinSeconds)) return false;
        while (now() < seconds) {
        }
        return !stopRequested();
    }

    bool stopRequested() const {
        pollfd p{stopPipe[0], POLLIN, 0};
        return ::poll(&p, 1, 0) > 0;
    }

    void serve();
    void stopLocked();  // stop() with `lifecycle` held
    bool transmit(const Transmission& t);
    // The serving thread's last word on why it stopped, for whoever asks next.
    void failWith(const std::string& why) {
        std::lock_guard lock(mutex);
        failure = why;
    }
    void countServed() {
        {
            std::lock_guard lock(mutex);
            ++served;
        }
        servedChanged.notify_all();
    }

    const Clock::time_point epoch = Clock::now();
    mutable std::mutex mutex;  // guards engine, served, devicePath
    Engine engine;
    std::size_t served = 0;
    mutable std::condition_variable servedChanged;
    std::string devicePath;

    WireRecorder recorder;
    PtyPort port;          // touched only by start()/stop() and the serving thread in between
    std::mutex lifecycle;  // serialises start() and stop(): both touch thread and the pipe
    std::thread thread;
    std::array<int, 2> stopPipe{-1, -1};
    std::atomic<bool> hungUp{false};
    std::atomic<bool> serving{false};  // false once serve() has returned, for whatever reason
    std::string failure;               // guarded by mutex
    double lastSentSeconds = -std::numeric_limits<double>::infinity();
};

void Board::Impl::serve() {
    std::array<uint8_t, kReadChunk> buffer{};
    std::vector<Transmission> out;
    for (;;) {
        std::optional<double> deadline;
        {
            std::lock_guard lock(mutex);
            deadline = engine.nextDeadline();
        }
        const timespec wait = toTimespec(deadline ? *deadline - now() : kIdleWakeSeconds);
        std::array<pollfd, 3> fds{
            {{stopPipe[0], POLLIN, 0}, {port.masterFd(), POLLIN, 0}, {port.watchFd(), POLLIN, 0}}};
        if (ppoll(fds.data(), fds.size(), &wait, nullptr) < 0 && errno != EINTR) {
            failWith(std::string("ppoll: ") + std::strerror(errno));
            return;
        }
        if (fds[0].revents) return;
        if (fds[2].revents) port.onSlaveActivity();

        if (fds[1].revents) {
            const long n = port.readAvailable(buffer.data(), buffer.size());
            if (n < 0 && !sleepUntil(now() + kLineErrorBackoffSeconds)) return;
            const double at = now();
            std::lock_guard lock(mutex);
            for (long i = 0; i < n; ++i) {
                recorder.add({true, buffer[i], at});
                engine.receive(buffer[i], at, out);
            }
        }
        {
            std::lock_guard lock(mutex);
            engine.expire(now(), out);
        }
        for (const Transmission& t : out) {
            if (!transmit(t)) return;
        }
        out.clear();
    }
}

bool Board::Impl::transmit(const Transmission& t) {
    if (t.silent) {
        if (t.isFrameAnswer) countServed();
        return true;
    }
    if (!waitPreciselyUntil(t.notBeforeSeconds)) return false;
    bool pacing = false;
    {
        std::lock_guard lock(mutex);
        pacing = engine.pacing();
    }
    const std::size_t count = std::min(t.bytes.size(), t.hangUpAfter.value_or(t.bytes.size()));
    // The recording holds what reached the line, stamped when it left.
    const auto write = [this](const uint8_t* bytes, std::size_t n) {
        return port.writeAll(bytes, n, kWriteTimeoutMs);
    };
    if (pacing) {
        for (std::size_t i = 0; i < count; ++i) {
            if (!waitPreciselyUntil(lastSentSeconds + kByteSeconds)) return false;
            lastSentSeconds = now();
            if (recorder.addWritten(&t.bytes[i], 1, lastSentSeconds, write) != 1) break;
        }
    } else {
        lastSentSeconds = now();
        recorder.addWritten(t.bytes.data(), count, lastSentSeconds, write);
    }
    if (t.hangUpAfter) {
        port.waitUntilTaken(kHangUpGraceMs);
        hungUp = true;  // before the close, so whoever sees the hang-up also sees the flag
        port.close();
    }
    if (t.isFrameAnswer) countServed();
    return !t.hangUpAfter;
}

Board::Board() : impl_(std::make_unique<Impl>()) {}

Board::~Board() {
    stop();
}

bool Board::start(std::string* error) {
    std::lock_guard lifecycle(impl_->lifecycle);
    if (impl_->thread.joinable()) {
        // A line that hung up, or a serving loop that failed, may be started again.
        if (impl_->serving && !impl_->hungUp) {
            if (error) *error = "the board is already serving";
            return false;
        }
        impl_->stopLocked();
    }
    if (pipe2(impl_->stopPipe.data(), O_CLOEXEC) != 0) {
        if (error) *error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    if (!impl_->port.open(error)) {
        stop();
        return false;
    }
    impl_->hungUp = false;
    {
        std::lock_guard lock(impl_->mutex);
        impl_->devicePath = impl_->port.slavePath();
    }
    {
        std::lock_guard lock(impl_->mutex);
        impl_->failure.clear();
    }
    impl_->serving = true;
    impl_->thread = std::thread([impl = impl_.get()] {
        impl->serve();
        impl->serving = false;
    });
    return true;
}

void Board::stop() {
    std::lock_guard lifecycle(impl_->lifecycle);
    impl_->stopLocked();
}

void Board::Impl::stopLocked() {
    if (thread.joinable()) {
        const char wake = 0;
        [[maybe_unused]] const ssize_t ignored = ::write(stopPipe[1], &wake, 1);
        thread.join();
    }
    port.close();
    for (int& fd : stopPipe) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

bool Board::serving() const {
    return impl_->serving;
}

std::string Board::failure() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->failure;
}

std::string Board::devicePath() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->devicePath;
}

bool Board::hungUp() const {
    return impl_->hungUp;
}

void Board::setFirmwareVersion(uint16_t version) {
    std::lock_guard lock(impl_->mutex);
    impl_->engine.model().setFirmwareVersion(version);
}

void Board::setRawTemperature(uint16_t raw) {
    std::lock_guard lock(impl_->mutex);
    impl_->engine.model().fixRawTemperature(raw);
}

uint16_t Board::reg(uint16_t address) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->engine.model().readRegister(address, impl_->now());
}

void Board::setReg(uint16_t address, uint16_t value) {
    std::lock_guard lock(impl_->mutex);
    impl_->engine.model().forceRegister(address, value);
}

uint32_t Board::word(uint16_t address) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->engine.model().readCell(address);
}

void Board::setWord(uint16_t address, uint32_t value) {
    std::lock_guard lock(impl_->mutex);
    impl_->engine.model().forceCell(address, value);
}

double Board::outputVoltage(int channel) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->engine.model().outputVolts(channel);
}

void Board::setInputVoltage(int channel, double volts) {
    std::lock_guard lock(impl_->mutex);
    impl_->engine.model().setInputVolts(channel, volts);
}

void Board::clearInputVoltage(int channel) {
    std::lock_guard lock(impl_->mutex);
    impl_->engine.model().clearInputVolts(channel);
}

void Board::setFault(const Fault& fault) {
    std::lock_guard lock(impl_->mutex);
    impl_->engine.faults().set(fault);
}

void Board::clearFaults() {
    std::lock_guard lock(impl_->mutex);
    impl_->engine.faults().clear();
    impl_->engine.bootloader().clearFaults();
}

void Board::setBootloaderMode(bool on) {
    std::lock_guard lock(impl_->mutex);
    impl_->engine.setBootloaderMode(on);
}

bool Board::bootloaderMode() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->engine.bootloaderMode();
}

void Board::setAutoBootloader(bool on) {
    std::lock_guard lock(impl_->mutex);
    impl_->engine.setAutoBootloader(on);
}

void Board::setBootloaderBadAnswer(int line, int byteIndex, uint8_t value) {
    std::lock_guard lock(impl_->mutex);
    impl_->engine.bootloader().setBadAnswer(line, byteIndex, value);
}

void Board::setBootloaderSilentFrom(int line) {
    std::lock_guard lock(impl_->mutex);
    impl_->engine.bootloader().setSilentFrom(line);
}

std::vector<std::string> Board::bootloaderLines() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->engine.bootloader().lines();
}

void Board::setPacing(bool on) {
    std::lock_guard lock(impl_->mutex);
    impl_->engine.setPacing(on);
}

std::vector<WireByte> Board::recording() const {
    return impl_->recorder.bytes();
}

void Board::clearRecording() {
    impl_->recorder.clear();
}

std::vector<uint8_t> Board::received() const {
    return impl_->recorder.fromConsole();
}

bool Board::waitForReceived(std::size_t count, int timeoutMs) const {
    return impl_->recorder.waitForFromConsole(count, timeoutMs);
}

std::size_t Board::requestsServed() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->served;
}

bool Board::waitForRequestsServed(std::size_t count, int timeoutMs) const {
    std::unique_lock lock(impl_->mutex);
    return impl_->servedChanged.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                                         [&] { return impl_->served >= count; });
}

}  // namespace boardsim
