#pragma once
// The request/answer frame: 32-bit words sent most significant byte first, a header word with
// the command and the word count, and a last word carrying payload, status and checksum.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace boardsim::frame {

inline constexpr std::size_t kBytesPerWord = 4;
inline constexpr int kMinWords = 2;
inline constexpr int kMaxWords = 50;
// A block frame spends one word on the header and one on the address.
inline constexpr int kMaxBlockWords = kMaxWords - 2;
inline constexpr uint8_t kAnswerFlag = 0x80;

namespace command {
inline constexpr uint8_t kSetRegister = 0x41;
inline constexpr uint8_t kGetRegister = 0x42;
inline constexpr uint8_t kSetBlock = 0x43;
inline constexpr uint8_t kGetBlock = 0x44;
}  // namespace command

namespace status {
inline constexpr uint8_t kOk = 0x00;
inline constexpr uint8_t kChecksumError = 0x01;
inline constexpr uint8_t kUnknownCommand = 0x08;
inline constexpr uint8_t kUnknownAddress = 0x10;
inline constexpr uint8_t kOtherError = 0x20;
}  // namespace status

inline uint8_t commandOf(uint32_t header) {
    return static_cast<uint8_t>(header >> 24);
}
inline uint16_t wordCountOf(uint32_t header) {
    return static_cast<uint16_t>(header & 0xFFFFu);
}
inline uint32_t makeHeader(uint8_t command, uint16_t wordCount) {
    return (uint32_t{command} << 24) | wordCount;
}

inline uint16_t payloadOf(uint32_t lastWord) {
    return static_cast<uint16_t>(lastWord >> 16);
}
inline uint8_t statusOf(uint32_t lastWord) {
    return static_cast<uint8_t>(lastWord >> 8);
}
inline uint8_t checksumOf(uint32_t lastWord) {
    return static_cast<uint8_t>(lastWord);
}
inline uint32_t withChecksum(uint32_t lastWord, uint8_t checksum) {
    return (lastWord & ~uint32_t{0xFF}) | checksum;
}
// Last word with a zero checksum field; seal() fills it in.
inline uint32_t makeLastWord(uint16_t payload, uint8_t status) {
    return (uint32_t{payload} << 16) | (uint32_t{status} << 8);
}

// Sum of every byte of every word, modulo 256.
uint8_t byteSum(std::span<const uint32_t> words);

// Writes the checksum of `words` (computed with the checksum field zero) into the last word.
// Does nothing to an empty frame.
void seal(std::vector<uint32_t>& words);

// True when the last word's checksum field matches the sum over the frame with that field zero.
// An empty frame is never valid.
bool checksumValid(std::span<const uint32_t> words);

// Wire order: word 0 first, each word most significant byte first.
std::vector<uint8_t> toWire(std::span<const uint32_t> words);
// Inverse of toWire; a trailing partial word is ignored.
std::vector<uint32_t> fromWire(std::span<const uint8_t> bytes);

// Cuts the console's byte stream into request frames by the header's word count. A header whose
// count no frame can have puts it into discarding mode: everything is dropped until the line has
// been quiet for the stall time, so the next request after a pause is read from its start.
// A frame left incomplete for the stall time is dropped for the same reason.
class FrameAssembler {
  public:
    struct Frame {
        std::vector<uint32_t> words;
        double firstByteSeconds = 0.0;
    };

    explicit FrameAssembler(double stallSeconds);

    // Takes one byte received at `seconds`; returns the frame it completes, if any. Bytes
    // pending (or being discarded) since before the stall deadline are dropped first.
    std::optional<Frame> push(uint8_t byte, double seconds);

    // When bytes are pending or being discarded: the time at which the line counts as stalled.
    std::optional<double> stallDeadline() const;

    // If the stall deadline has passed at `seconds`, forgets the partial frame and returns its
    // bytes (empty when it was discarding); nullopt when nothing has expired.
    std::optional<std::vector<uint8_t>> expire(double seconds);

    void reset();

  private:
    double stallSeconds_;
    std::vector<uint8_t> pending_;
    double firstByteSeconds_ = 0.0;
    double lastByteSeconds_ = 0.0;
    std::size_t expectedBytes_ = 0;
    bool discarding_ = false;
};

}  // namespace boardsim::frame
