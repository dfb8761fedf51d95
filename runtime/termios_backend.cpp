#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "runtime/rs232.h"
#include "runtime/serial_backend.h"
#include "runtime/wait_time.h"

namespace tarvik::rt {
namespace {

// 10 bits a character (start, 8 data, stop) at the link's rate, until configure() says otherwise.
constexpr double kDefaultCharacterSeconds = 10.0 / 38400;
// Waiting for the last byte of an answer: looks per character time.
constexpr int kLooksPerCharacter = 4;
// Silence, beyond the time the missing bytes take on the wire, after which a partly arrived
// answer counts as stalled. Longer than a busy machine delays a thread or a byte in the
// kernel, and than the latency timer with which a USB adapter hands bytes over (16 ms by
// default on many): a few characters' time, as it was, took those for a stall, and 5 ms
// looks then added milliseconds to a quarter of the reads on a busy machine.
constexpr double kStallSeconds = 0.020;
constexpr double kStalledLineLookSeconds = 0.005;

speed_t speedFor(long baud) {
    switch (baud) {
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        case 230400:
            return B230400;
        default:
            return B0;
    }
}

class TermiosBackend : public SerialBackend {
  public:
    TermiosBackend(int fd, const termios& found) : fd_(fd), found_(found) {}
    // Puts the device back as it was found. On a vanished device these fail
    // harmlessly; closing releases the lock either way.
    ~TermiosBackend() override {
        tcsetattr(fd_, TCSANOW, &found_);
        ioctl(fd_, TIOCNXCL);
        ::close(fd_);
    }

    int configure(long baudRate, int parity, int dataBits, int stopBits) override {
        speed_t speed = speedFor(baudRate);
        if (speed == B0 || dataBits < 5 || dataBits > 8 || (stopBits != 1 && stopBits != 2) ||
            parity < 0 || parity > 2)
            return COM_ERR_BAD_SETTING;
        termios tio{};
        if (tcgetattr(fd_, &tio) != 0) return COM_ERR_IO;
        cfmakeraw(&tio);
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB);
        static const tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
        tio.c_cflag |= kSizes[dataBits - 5];
        if (parity != 0) tio.c_cflag |= PARENB | (parity == 1 ? PARODD : 0);
        if (stopBits == 2) tio.c_cflag |= CSTOPB;
        // XON and XOFF are data on this link (the bootloader answers with them).
        tio.c_iflag &= ~(IXON | IXOFF | IXANY);
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        if (tcsetattr(fd_, TCSANOW, &tio) != 0) return COM_ERR_BAD_SETTING;
        const int bitsPerCharacter = 1 + dataBits + (parity != 0 ? 1 : 0) + stopBits;
        characterSeconds_ = static_cast<double>(bitsPerCharacter) / static_cast<double>(baudRate);
        return 0;
    }

    int setHardwareHandshake(bool on) override {
        termios tio{};
        if (tcgetattr(fd_, &tio) != 0) return COM_ERR_IO;
        if (on)
            tio.c_cflag |= CRTSCTS;
        else
            tio.c_cflag &= ~CRTSCTS;
        return tcsetattr(fd_, TCSANOW, &tio) == 0 ? 0 : COM_ERR_IO;
    }

    int inQueueLength() override {
        if (hungUp()) return COM_ERR_IO;
        int n = 0;
        if (ioctl(fd_, FIONREAD, &n) != 0) return COM_ERR_IO;
        return n;
    }

    int outQueueLength() override {
        int n = 0;
        if (ioctl(fd_, TIOCOUTQ, &n) != 0) return COM_ERR_IO;
        return n;
    }

    int waitForInput(int count, double timeoutSeconds) override {
        const auto deadline = deadlineAfter(timeoutSeconds);
        // Each look is one system call: a hang-up shows in poll's answer below, and bytes
        // that are all here are taken whatever happens to the line next.
        int queued = inQueueLength();
        int seen = queued;
        auto lastArrival = Clock::now();
        for (;;) {
            if (queued < 0 || queued >= count) return queued;
            const auto now = Clock::now();
            const auto left = deadline - now;
            if (left <= Clock::duration::zero()) return queued;
            if (queued != seen) {
                seen = queued;
                lastArrival = now;
            }
            // A hang-up wakes either sleep below (poll always reports it).
            const timespec wait =
                timespecOf(std::min(left, partialSleep(count - queued, queued, now - lastArrival)));
            pollfd p{fd_, static_cast<short>(queued == 0 ? POLLIN : 0), 0};
            const int r = ::ppoll(&p, 1, &wait, nullptr);
            // A signal ends the wait early, so that its handler's wish is seen at once.
            if (r < 0) return errno == EINTR ? inQueueLength() : COM_ERR_IO;
            if (r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) return COM_ERR_IO;
            if (ioctl(fd_, FIONREAD, &queued) != 0) return COM_ERR_IO;
        }
    }

    int write(const std::uint8_t* data, int count, double timeoutSeconds) override {
        auto deadline = deadlineAfter(timeoutSeconds);
        int done = 0;
        while (done < count) {
            ssize_t n = ::write(fd_, data + done, static_cast<size_t>(count - done));
            if (n > 0) {
                done += static_cast<int>(n);
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR) return done > 0 ? done : COM_ERR_IO;
            pollfd p{fd_, POLLOUT, 0};
            int r = ::poll(&p, 1, millisecondsLeft(deadline));
            if (r == 0) break;
            if (r < 0 && errno != EINTR) return done > 0 ? done : COM_ERR_IO;
            if (r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
                return done > 0 ? done : COM_ERR_IO;
        }
        return done;
    }

    int read(std::uint8_t* data, int count, double timeoutSeconds) override {
        auto deadline = deadlineAfter(timeoutSeconds);
        int done = 0;
        while (done < count) {
            ssize_t n = ::read(fd_, data + done, static_cast<size_t>(count - done));
            if (n > 0) {
                done += static_cast<int>(n);
                continue;
            }
            // With VMIN = VTIME = 0 an empty queue reads 0, like a hang-up
            // does; only poll tells the two apart. EIO: the device vanished.
            if ((n == 0 && hungUp()) || (n < 0 && errno != EAGAIN && errno != EINTR))
                return done > 0 ? done : COM_ERR_IO;
            int wait = millisecondsLeft(deadline);
            if (wait == 0) break;
            pollfd p{fd_, POLLIN, 0};
            int r = ::poll(&p, 1, wait);
            if (r == 0) break;
            if (r < 0 && errno != EINTR) return done > 0 ? done : COM_ERR_IO;
            if (r > 0 && !(p.revents & POLLIN) && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
                return done > 0 ? done : COM_ERR_IO;
        }
        return done;
    }

    int flushInput() override { return tcflush(fd_, TCIFLUSH) == 0 ? 0 : COM_ERR_IO; }
    int flushOutput() override { return tcflush(fd_, TCOFLUSH) == 0 ? 0 : COM_ERR_IO; }

    int checkPresent(std::string* reason) override {
        // A hung-up terminal (USB adapter pulled, pty's far end closed) fails
        // every ioctl with the reason; a poll flag alone has no words for it.
        int queued = 0;
        if (ioctl(fd_, FIONREAD, &queued) != 0) {
            if (reason) *reason = std::strerror(errno);
            return COM_ERR_IO;
        }
        if (hungUp()) {
            if (reason) *reason = "the line hung up";
            return COM_ERR_IO;
        }
        return 0;
    }

  private:
    // How long to sleep while `missing` bytes of an answer are still to come. Before the first
    // byte the kernel wakes the wait when it comes (the time left is the answer). Once some are
    // here poll would only report those: the rest cannot come faster than the line carries
    // them, so sleep for all but the last of them, then look often for the last, so the answer
    // is taken within a fraction of a character of its end; and seldom once the line has
    // stopped in the middle of an answer, so a short answer costs no processor time.
    Clock::duration partialSleep(int missing, int queued, Clock::duration sinceLastByte) const {
        if (queued == 0) return toDuration(kLongestWaitSeconds);
        const double character = characterSeconds_;
        double seconds = missing > 1 ? character * (missing - 1) : character / kLooksPerCharacter;
        if (sinceLastByte > toDuration(character * missing + kStallSeconds))
            seconds = kStalledLineLookSeconds;
        return toDuration(seconds);
    }
    static Clock::duration toDuration(double seconds) {
        return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    }

    bool hungUp() const {
        pollfd p{fd_, 0, 0};
        return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL));
    }

    int fd_;
    termios found_;
    double characterSeconds_ = kDefaultCharacterSeconds;
};

// What an errno from open() means for the operator.
int openFailureCode(int error) {
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case EIO:  // a ttyS node without a UART behind it
            return COM_ERR_NO_DEVICE;
        case EACCES:
        case EPERM:
            return COM_ERR_NO_PERMISSION;
        case EBUSY:  // another user's TIOCEXCL
            return COM_ERR_IN_USE;
        case ENOTTY:
        case EISDIR:
            return COM_ERR_NOT_SERIAL;
        default:
            return COM_ERR_OPEN_FAILED;
    }
}

std::nullptr_t failOpen(OpenFailure* failure, int code, int error, int fd = -1) {
    if (failure) *failure = {code, std::strerror(error)};
    if (fd >= 0) ::close(fd);
    return nullptr;
}

}  // namespace

std::unique_ptr<SerialBackend> OpenTermiosBackend(const std::string& path, OpenFailure* failure) {
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        return failOpen(failure, openFailureCode(error), error);
    }
    termios found{};
    if (tcgetattr(fd, &found) != 0) return failOpen(failure, COM_ERR_NOT_SERIAL, errno, fd);
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        return failOpen(failure, error == EWOULDBLOCK ? COM_ERR_IN_USE : COM_ERR_OPEN_FAILED, error,
                        fd);
    }
    if (ioctl(fd, TIOCEXCL) != 0) return failOpen(failure, COM_ERR_OPEN_FAILED, errno, fd);
    return std::make_unique<TermiosBackend>(fd, found);
}

}  // namespace tarvik::rt
