#include "boardsim/frame.h"

// The board's own word assembly and checksum, kept apart from the console's on purpose: it is
// written from the protocol, not from the console's code, so that it catches the console's
// mistakes instead of repeating them.

namespace boardsim::frame {

namespace {
constexpr int kBitsPerByte = 8;
constexpr uint32_t kChecksumMask = 0xFFu;
constexpr std::size_t kHeaderBytes = kBytesPerWord;

uint32_t wordFromBytes(const uint8_t* bytes) {
    uint32_t w = 0;
    for (std::size_t i = 0; i < kBytesPerWord; ++i) w = (w << kBitsPerByte) | bytes[i];
    return w;
}
}  // namespace

uint8_t byteSum(std::span<const uint32_t> words) {
    uint8_t sum = 0;
    for (uint32_t w : words) {
        for (std::size_t i = 0; i < kBytesPerWord; ++i) {
            sum = static_cast<uint8_t>(sum + ((w >> (i * kBitsPerByte)) & kChecksumMask));
        }
    }
    return sum;
}

void seal(std::vector<uint32_t>& words) {
    if (words.empty()) return;
    words.back() &= ~kChecksumMask;
    words.back() |= byteSum(words);
}

bool checksumValid(std::span<const uint32_t> words) {
    if (words.empty()) return false;
    std::vector<uint32_t> copy(words.begin(), words.end());
    const uint8_t received = checksumOf(copy.back());
    copy.back() &= ~kChecksumMask;
    return byteSum(copy) == received;
}

std::vector<uint8_t> toWire(std::span<const uint32_t> words) {
    std::vector<uint8_t> bytes;
    bytes.reserve(words.size() * kBytesPerWord);
    for (uint32_t w : words) {
        for (std::size_t i = kBytesPerWord; i-- > 0;) {
            bytes.push_back(static_cast<uint8_t>(w >> (i * kBitsPerByte)));
        }
    }
    return bytes;
}

std::vector<uint32_t> fromWire(std::span<const uint8_t> bytes) {
    std::vector<uint32_t> words;
    words.reserve(bytes.size() / kBytesPerWord);
    for (std::size_t i = 0; i + kBytesPerWord <= bytes.size(); i += kBytesPerWord) {
        words.push_back(wordFromBytes(bytes.data() + i));
    }
    return words;
}

FrameAssembler::FrameAssembler(double stallSeconds) : stallSeconds_(stallSeconds) {}

std::optional<FrameAssembler::Frame> FrameAssembler::push(uint8_t byte, double seconds) {
    // A byte after a stall starts afresh, whether or not expire() ran in between: a request
    // must never be completed with the bytes of one abandoned earlier.
    if (const auto deadline = stallDeadline(); deadline && seconds >= *deadline) reset();
    lastByteSeconds_ = seconds;
    if (discarding_) return std::nullopt;
    if (pending_.empty()) firstByteSeconds_ = seconds;
    pending_.push_back(byte);

    if (pending_.size() == kHeaderBytes) {
        const int count = wordCountOf(wordFromBytes(pending_.data()));
        if (count < kMinWords || count > kMaxWords) {
            pending_.clear();
            discarding_ = true;
            return std::nullopt;
        }
        expectedBytes_ = static_cast<std::size_t>(count) * kBytesPerWord;
    }
    if (pending_.size() < kHeaderBytes || pending_.size() < expectedBytes_) return std::nullopt;

    Frame frame{fromWire(pending_), firstByteSeconds_};
    pending_.clear();
    expectedBytes_ = 0;
    return frame;
}

std::optional<double> FrameAssembler::stallDeadline() const {
    if (!discarding_ && pending_.empty()) return std::nullopt;
    return lastByteSeconds_ + stallSeconds_;
}

std::optional<std::vector<uint8_t>> FrameAssembler::expire(double seconds) {
    const std::optional<double> deadline = stallDeadline();
    if (!deadline || seconds < *deadline) return std::nullopt;
    std::vector<uint8_t> dropped;
    dropped.swap(pending_);
    reset();
    return dropped;
}

void FrameAssembler::reset() {
    pending_.clear();
    expectedBytes_ = 0;
    discarding_ = false;
}

}  // namespace boardsim::frame
