#include "boardsim/bootloader.h"

#include "boardsim/intel_hex.h"

namespace boardsim {

namespace {
constexpr int kPresenceTestLine = 0;
}

void Bootloader::restart() {
    current_.clear();
    overlong_ = false;
    lineByteCount_ = 0;
    silenced_ = false;
    lines_.clear();
}

std::optional<Bootloader::Reply> Bootloader::push(uint8_t byte, double seconds) {
    if (lineByteCount_ == 0) lineStartSeconds_ = seconds;
    ++lineByteCount_;
    if (byte != boot::kCarriageReturn) {
        if (current_.size() < boot::kMaxLineChars) {
            current_.push_back(static_cast<char>(byte));
        } else {
            overlong_ = true;
        }
        return std::nullopt;
    }

    Reply reply;
    reply.lineStartSeconds = lineStartSeconds_;
    reply.lineBytes = lineByteCount_;
    int lineNumber = kPresenceTestLine;
    bool good = true;
    if (!current_.empty() || overlong_) {
        lines_.push_back(current_);
        lineNumber = static_cast<int>(lines_.size());
        const std::optional<uint8_t> type = overlong_ ? std::nullopt : hex::recordType(current_);
        good = type.has_value();
        reply.endOfFile = type == hex::kEndOfFileRecord;
    }
    current_.clear();
    overlong_ = false;
    lineByteCount_ = 0;

    if (silentFrom_ && lineNumber >= *silentFrom_) silenced_ = true;
    if (silenced_) {
        reply.endOfFile = false;
        return reply;
    }
    reply.bytes = {boot::kXoff, good ? boot::kAck : boot::kNak, boot::kXon};
    if (auto bad = badAnswers_.find(lineNumber); bad != badAnswers_.end()) {
        reply.bytes[bad->second.first] = bad->second.second;
    }
    return reply;
}

void Bootloader::setBadAnswer(int line, int byteIndex, uint8_t value) {
    if (line < kPresenceTestLine || byteIndex < 0 ||
        byteIndex >= static_cast<int>(boot::kAnswerBytes)) {
        return;
    }
    badAnswers_[line] = {static_cast<std::size_t>(byteIndex), value};
}

void Bootloader::setSilentFrom(int line) {
    if (line >= kPresenceTestLine) silentFrom_ = line;
}

void Bootloader::clearFaults() {
    badAnswers_.clear();
    silentFrom_.reset();
    silenced_ = false;
}

}  // namespace boardsim
