#pragma once
// The bootloader's byte protocol: every carriage return ends a line and is answered with
// XOFF, ACK, XON when the line is a good HEX record (or empty: the console's presence test),
// and with XOFF, NAK, XON when it is not. Not thread-safe: the owner serialises access.

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace boardsim {

namespace boot {
inline constexpr uint8_t kCarriageReturn = 0x0D;
inline constexpr uint8_t kXoff = 0x13;
inline constexpr uint8_t kAck = 0x06;
inline constexpr uint8_t kNak = 0x15;
inline constexpr uint8_t kXon = 0x11;
inline constexpr std::size_t kAnswerBytes = 3;
// Longest possible record (255 data bytes) with room to spare; longer lines are refused.
inline constexpr std::size_t kMaxLineChars = 600;
}  // namespace boot

class Bootloader {
  public:
    struct Reply {
        std::vector<uint8_t> bytes;     // empty when the bootloader stays silent
        double lineStartSeconds = 0.0;  // arrival of the line's first byte (or of the CR alone)
        std::size_t lineBytes = 0;      // bytes of the line, its CR included
        bool endOfFile = false;         // a good end-of-file record was acknowledged
    };

    // Starts a fresh session: line numbering from 1, no lines kept. Faults stay.
    void restart();

    // Takes one byte received at `seconds`; returns the reply when the byte was a CR.
    std::optional<Reply> push(uint8_t byte, double seconds);

    // Lines of the session without their CR; empty lines (presence tests) are not kept.
    const std::vector<std::string>& lines() const { return lines_; }

    // Faults, numbered by line: 0 is the presence test, 1 the session's first record line.
    // The answer to `line` gets `value` at `byteIndex` (0..2; others are ignored).
    void setBadAnswer(int line, int byteIndex, uint8_t value);
    // No answer to `line` and to everything after it in the session, presence tests included.
    void setSilentFrom(int line);
    void clearFaults();

  private:
    std::string current_;
    bool overlong_ = false;
    std::size_t lineByteCount_ = 0;
    bool silenced_ = false;
    double lineStartSeconds_ = 0.0;
    std::vector<std::string> lines_;
    std::map<int, std::pair<std::size_t, uint8_t>> badAnswers_;
    std::optional<int> silentFrom_;
};

}  // namespace boardsim
