#include "boardsim/wire.h"

#include <chrono>

namespace boardsim {

double pacedArrival(double firstByteSeconds, std::size_t byteCount) {
    return firstByteSeconds + static_cast<double>(byteCount) * kByteSeconds;
}

WireRecorder::WireRecorder(std::size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {}

void WireRecorder::addLocked(const WireByte& byte) {
    if (bytes_.size() == capacity_) {
        if (bytes_.front().fromConsole) --heldFromConsole_;
        bytes_.pop_front();
    }
    bytes_.push_back(byte);
    if (byte.fromConsole) ++heldFromConsole_;
}

void WireRecorder::add(const WireByte& byte) {
    {
        std::lock_guard lock(mutex_);
        addLocked(byte);
    }
    changed_.notify_all();
}

std::size_t WireRecorder::addWritten(
    const uint8_t* bytes, std::size_t count, double seconds,
    const std::function<std::size_t(const uint8_t*, std::size_t)>& write) {
    std::size_t written = 0;
    {
        std::lock_guard lock(mutex_);
        written = write(bytes, count);
        for (std::size_t i = 0; i < written; ++i) addLocked({false, bytes[i], seconds});
    }
    changed_.notify_all();
    return written;
}

std::vector<WireByte> WireRecorder::bytes() const {
    std::lock_guard lock(mutex_);
    return {bytes_.begin(), bytes_.end()};
}

std::vector<uint8_t> WireRecorder::fromConsole() const {
    std::lock_guard lock(mutex_);
    std::vector<uint8_t> out;
    out.reserve(heldFromConsole_);
    for (const WireByte& b : bytes_) {
        if (b.fromConsole) out.push_back(b.value);
    }
    return out;
}

void WireRecorder::clear() {
    std::lock_guard lock(mutex_);
    bytes_.clear();
    heldFromConsole_ = 0;
}

bool WireRecorder::waitForFromConsole(std::size_t count, int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs),
                             [&] { return heldFromConsole_ >= count; });
}

}  // namespace boardsim
