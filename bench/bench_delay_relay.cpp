#include "bench/bench_delay_relay.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <deque>
#include <vector>

#include "tests/support/ser2net_server.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kChunk = 4096;

struct Held {
    Clock::time_point due;
    std::vector<std::uint8_t> bytes;
};

// Both ends send at once and acknowledge at once, so that only the added delay is seen.
void Immediate(int fd) {
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::setsockopt(fd, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
}

bool SendAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

DelayRelay::~DelayRelay() {
    if (stop_[1] >= 0) {
        const char byte = 0;
        (void)!::write(stop_[1], &byte, 1);
    }
    if (thread_.joinable()) thread_.join();
    for (const int fd : {listener_, stop_[0], stop_[1]})
        if (fd >= 0) ::close(fd);
}

bool DelayRelay::start(int targetPort, std::chrono::microseconds delay, std::string* error) {
    targetPort_ = targetPort;
    delay_ = delay;
    listener_ = ListenOnLoopback(&port_);
    if (listener_ < 0 || ::pipe2(stop_, O_CLOEXEC) != 0) {
        *error = std::string("relay: ") + std::strerror(errno);
        return false;
    }
    thread_ = std::thread([this] { run(); });
    return true;
}

void DelayRelay::run() {
    pollfd waits[2] = {{listener_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
    if (::poll(waits, 2, -1) <= 0 || !(waits[0].revents & POLLIN)) return;
    const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) return;
    const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in target = LoopbackAddress(targetPort_);
    if (server >= 0 &&
        ::connect(server, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0)
        relay(client, server);
    ::close(client);
    if (server >= 0) ::close(server);
}

void DelayRelay::relay(int client, int server) {
    Immediate(client);
    Immediate(server);
    const int ends[2] = {client, server};
    std::deque<Held> toward[2];  // toward[i]: held for ends[i]
    for (;;) {
        // Wakes when the earliest held chunk is due, to the microsecond.
        Clock::time_point next = Clock::time_point::max();
        for (const auto& queue : toward)
            if (!queue.empty()) next = std::min(next, queue.front().due);
        timespec wait{};
        if (next != Clock::time_point::max()) {
            const auto left = std::max(Clock::duration::zero(), next - Clock::now());
            const auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            wait.tv_sec = static_cast<time_t>(nanos / 1000000000);
            wait.tv_nsec = static_cast<long>(nanos % 1000000000);
        }
        pollfd waits[3] = {{client, POLLIN, 0}, {server, POLLIN, 0}, {stop_[0], POLLIN, 0}};
        if (::ppoll(waits, 3, next == Clock::time_point::max() ? nullptr : &wait, nullptr) < 0 &&
            errno != EINTR)
            return;
        if (waits[2].revents) return;
        for (int from = 0; from < 2; ++from) {
            if (!waits[from].revents) continue;
            std::vector<std::uint8_t> bytes(kChunk);
            const ssize_t n = ::recv(ends[from], bytes.data(), bytes.size(), 0);
            if (n <= 0) return;
            Immediate(ends[from]);
            bytes.resize(static_cast<std::size_t>(n));
            toward[1 - from].push_back({Clock::now() + delay_, std::move(bytes)});
        }
        for (int to = 0; to < 2; ++to)
            while (!toward[to].empty() && toward[to].front().due <= Clock::now()) {
                if (!SendAll(ends[to], toward[to].front().bytes)) return;
                toward[to].pop_front();
            }
    }
}
