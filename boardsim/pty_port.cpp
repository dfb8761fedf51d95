#include "boardsim/pty_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace boardsim {

namespace {
constexpr std::size_t kPathCapacity = 128;
constexpr std::size_t kWatchBufferBytes = 4096;
constexpr auto kHandOverTime = std::chrono::milliseconds(10);
constexpr auto kTakenPollInterval = std::chrono::milliseconds(2);

bool fail(std::string* error, const char* what) {
    if (error) *error = std::string(what) + ": " + std::strerror(errno);
    return false;
}

bool makeRaw(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return false;
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    cfsetispeed(&t, B38400);
    cfsetospeed(&t, B38400);
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}
}  // namespace

PtyPort::~PtyPort() {
    close();
}

bool PtyPort::open(std::string* error) {
    close();
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) return fail(error, "posix_openpt");
    std::array<char, kPathCapacity> path{};
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 ||
        ptsname_r(master_, path.data(), path.size()) != 0) {
        const bool r = fail(error, "preparing the pseudo-terminal");
        close();
        return r;
    }
    slavePath_ = path.data();
    slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (slave_ < 0 || !makeRaw(slave_) || !makeRaw(master_) ||
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK) != 0) {
        const bool r = fail(error, "setting up the slave");
        close();
        return r;
    }
    // Watching is a convenience for non-root consoles; the board works without it.
    watch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch_ >= 0 && inotify_add_watch(watch_, slavePath_.c_str(), IN_CLOSE) < 0) closeFd(watch_);
    return true;
}

void PtyPort::close() {
    closeFd(watch_);
    closeFd(slave_);
    closeFd(master_);
}

long PtyPort::readAvailable(uint8_t* buffer, std::size_t capacity) {
    if (master_ < 0) return -1;
    const ssize_t n = ::read(master_, buffer, capacity);
    if (n >= 0) return n;
    return (errno == EAGAIN || errno == EINTR) ? 0 : -1;
}

std::size_t PtyPort::writeAll(const uint8_t* bytes, std::size_t count, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::size_t done = 0;
    while (done < count) {
        if (master_ < 0) return done;
        const ssize_t n = ::write(master_, bytes + done, count - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return done;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return done;
        pollfd p{master_, POLLOUT, 0};
        ::poll(&p, 1, static_cast<int>(left.count()));
    }
    return done;
}

void PtyPort::waitUntilTaken(int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto deadline = start + std::chrono::milliseconds(timeoutMs);
    while (slave_ >= 0 && Clock::now() < deadline) {
        int waiting = 0;
        if (ioctl(slave_, FIONREAD, &waiting) != 0) return;
        // Written bytes reach the slave's queue a moment after the write returns.
        if (waiting == 0 && Clock::now() - start >= kHandOverTime) return;
        std::this_thread::sleep_for(kTakenPollInterval);
    }
}

void PtyPort::onSlaveActivity() {
    std::array<char, kWatchBufferBytes> events{};
    while (watch_ >= 0 && ::read(watch_, events.data(), events.size()) > 0) {
    }
    if (slave_ >= 0) ioctl(slave_, TIOCNXCL);
}

}  // namespace boardsim
