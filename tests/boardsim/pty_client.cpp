#include "pty_client.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <chrono>

namespace boardsim_test {

namespace {
using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

void appendWord(Bytes& out, uint32_t w) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(w >> shift));
}
}  // namespace

PtyClient::PtyClient(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return;
    termios t{};
    tcgetattr(fd_, &t);
    cfmakeraw(&t);
    cfsetispeed(&t, B38400);
    cfsetospeed(&t, B38400);
    tcsetattr(fd_, TCSANOW, &t);
}

PtyClient::~PtyClient() {
    if (fd_ >= 0) ::close(fd_);
}

void PtyClient::send(const Bytes& bytes) {
    std::size_t done = 0;
    while (fd_ >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
    }
}

Bytes PtyClient::read(std::size_t count, int timeoutMs) {
    Bytes out;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (fd_ >= 0 && out.size() < count) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, msLeft(deadline)) <= 0) break;
        uint8_t buf[256];
        const ssize_t n = ::read(fd_, buf, std::min(sizeof buf, count - out.size()));
        if (n <= 0 && errno != EAGAIN) break;
        if (n > 0) out.insert(out.end(), buf, buf + n);
    }
    return out;
}

Bytes PtyClient::readUntilQuiet(int quietMs) {
    Bytes out;
    for (;;) {
        Bytes more = read(1, quietMs);
        if (more.empty()) return out;
        out.insert(out.end(), more.begin(), more.end());
    }
}

bool PtyClient::hungUp(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (fd_ >= 0) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, msLeft(deadline)) <= 0) return false;
        uint8_t b;
        const ssize_t n = ::read(fd_, &b, 1);
        if (n == 0 || (n < 0 && errno == EIO)) return true;
    }
    return false;
}

Bytes request(std::vector<uint32_t> w) {
    uint8_t sum = 0;
    for (uint32_t x : w) {
        for (int shift = 0; shift < 32; shift += 8) sum = static_cast<uint8_t>(sum + (x >> shift));
    }
    w.back() |= sum;
    Bytes out;
    for (uint32_t x : w) appendWord(out, x);
    return out;
}

Bytes getRegister(uint16_t address) {
    return request({0x42000002, uint32_t{address} << 16});
}

Bytes setRegister(uint16_t address, uint16_t mask, uint16_t value) {
    return request({0x41000003, (uint32_t{mask} << 16) | value, uint32_t{address} << 16});
}

Bytes getBlock(uint16_t address, uint32_t count) {
    return request({0x44000003, count, uint32_t{address} << 16});
}

Bytes setBlock(uint16_t address, const std::vector<uint32_t>& data) {
    std::vector<uint32_t> w{0x43000000u + static_cast<uint32_t>(data.size()) + 2};
    w.insert(w.end(), data.begin(), data.end());
    w.push_back(uint32_t{address} << 16);
    return request(w);
}

std::vector<uint32_t> words(const Bytes& bytes) {
    std::vector<uint32_t> out;
    for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        out.push_back((uint32_t{bytes[i]} << 24) | (uint32_t{bytes[i + 1]} << 16) |
                      (uint32_t{bytes[i + 2]} << 8) | bytes[i + 3]);
    }
    return out;
}

uint32_t bitsOf(float f) {
    return std::bit_cast<uint32_t>(f);
}
float floatOf(uint32_t bits) {
    return std::bit_cast<float>(bits);
}

Bench::Bench() : started(board.start(&startError)), client(board.devicePath()) {}

Bytes Bench::exchange(const Bytes& rq, std::size_t answerBytes) {
    client.send(rq);
    return client.read(answerBytes);
}

uint32_t Bench::readRegister(uint16_t address) {
    const Bytes a = exchange(getRegister(address), 8);
    if (a.size() != 8) return 0xFFFFFFFFu;
    return (uint32_t{a[4]} << 8) | a[5];
}

}  // namespace boardsim_test
