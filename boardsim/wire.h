#pragma once
// What crossed the line, and how fast a byte may cross it.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace boardsim {

// One byte on the line; seconds are counted from the board's start on the steady clock.
struct WireByte {
    bool fromConsole = false;
    uint8_t value = 0;
    double seconds = 0.0;
};

// 38400 baud 8N1: a start bit, eight data bits and a stop bit per byte.
inline constexpr double kBaudRate = 38400.0;
inline constexpr double kBitsPerByte = 10.0;
inline constexpr double kByteSeconds = kBitsPerByte / kBaudRate;

// Time at which `byteCount` bytes starting at `firstByteSeconds` have fully crossed a paced line.
double pacedArrival(double firstByteSeconds, std::size_t byteCount);

// Thread-safe log of every byte in both directions. It keeps the most recent `capacity` bytes so
// that a board left running for days cannot eat the memory; counts stay exact.
class WireRecorder {
  public:
    explicit WireRecorder(std::size_t capacity = kDefaultCapacity);

    void add(const WireByte& byte);
    // Writes bytes to the line with `write` (which returns how many it wrote) and records those
    // as sent by the board at `seconds`. Whoever looks at the recording sees a write together
    // with its bytes, never the bytes before the write nor the write before its bytes.
    std::size_t addWritten(const uint8_t* bytes, std::size_t count, double seconds,
                           const std::function<std::size_t(const uint8_t*, std::size_t)>& write);
    std::vector<WireByte> bytes() const;
    // Bytes from the console still held, in arrival order.
    std::vector<uint8_t> fromConsole() const;
    // Forgets the held bytes; the count of bytes received since start keeps running.
    void clear();
    // True once at least `count` bytes from the console are held (cleared ones do not count);
    // false when `timeoutMs` passes first.
    bool waitForFromConsole(std::size_t count, int timeoutMs) const;

    static constexpr std::size_t kDefaultCapacity = 1u << 20;

  private:
    std::size_t capacity_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    void addLocked(const WireByte& byte);  // with mutex_ held

    std::deque<WireByte> bytes_;
    std::size_t heldFromConsole_ = 0;
};

}  // namespace boardsim
