#include "boardsim/faults.h"

#include <algorithm>

#include "boardsim/frame.h"

namespace boardsim {

namespace {
constexpr uint32_t kIdMask = 0xFF000000u;
constexpr uint32_t kCountMask = 0x0000FFFFu;
constexpr uint32_t kStatusMask = 0x0000FF00u;
constexpr int kIdShift = 24;
constexpr int kStatusShift = 8;
// Distinct from the right identifier (+0x80) and from the request's own.
constexpr uint8_t kWrongIdStep = frame::kAnswerFlag + 1;
// More stray bytes than a whole frame would only slow the tests down.
constexpr std::size_t kMaxTrailingBytes = frame::kMaxWords * frame::kBytesPerWord;
constexpr double kMillisecondsPerSecond = 1000.0;

std::size_t clampedBytes(int bytes, std::size_t limit) {
    return std::min<std::size_t>(static_cast<std::size_t>(std::max(bytes, 0)), limit);
}

// Changes to the words keep a correct checksum, so only the intended field is wrong.
void applyToWords(const Fault& f, std::vector<uint32_t>& words) {
    uint32_t& header = words.front();
    switch (f.kind) {
        case Fault::Kind::StatusBits:
            words.back() = (words.back() & ~kStatusMask) | (uint32_t{f.status} << kStatusShift);
            break;
        case Fault::Kind::WrongId: {
            const uint8_t requestId =
                static_cast<uint8_t>(frame::commandOf(header) - frame::kAnswerFlag);
            const uint8_t id = f.id != 0 ? f.id : static_cast<uint8_t>(requestId + kWrongIdStep);
            header = (header & ~kIdMask) | (uint32_t{id} << kIdShift);
            break;
        }
        case Fault::Kind::WrongCount: {
            const uint16_t count =
                f.wordCount != 0 ? f.wordCount : static_cast<uint16_t>(words.size() + 1);
            header = (header & ~kCountMask) | count;
            break;
        }
        default:
            return;
    }
    frame::seal(words);
}
}  // namespace

void FaultSet::set(const Fault& fault) {
    std::erase_if(faults_, [&](const Fault& f) { return f.kind == fault.kind; });
    if (fault.kind != Fault::Kind::None && fault.count != 0) faults_.push_back(fault);
}

bool FaultSet::has(Fault::Kind kind) const {
    return std::any_of(faults_.begin(), faults_.end(),
                       [&](const Fault& f) { return f.kind == kind; });
}

void FaultSet::clear() {
    faults_.clear();
}

Delivery FaultSet::deliver(std::vector<uint32_t> answer) {
    std::vector<Fault> due;
    for (Fault& f : faults_) {
        if (f.after > 0) {
            --f.after;
            continue;
        }
        due.push_back(f);
        if (f.count > 0) --f.count;
    }
    std::erase_if(faults_, [](const Fault& f) { return f.count == 0; });

    auto find = [&](Fault::Kind kind) -> const Fault* {
        auto it =
            std::find_if(due.begin(), due.end(), [&](const Fault& f) { return f.kind == kind; });
        return it == due.end() ? nullptr : &*it;
    };

    Delivery d;
    if (answer.empty()) return d;
    // Field changes keep the checksum right; a bad checksum is made last, on the final words.
    for (const Fault& f : due) applyToWords(f, answer);
    if (find(Fault::Kind::BadChecksum)) {
        const uint8_t wrong = static_cast<uint8_t>(frame::checksumOf(answer.back()) + 1);
        answer.back() = frame::withChecksum(answer.back(), wrong);
    }
    d.bytes = frame::toWire(answer);
    if (const Fault* f = find(Fault::Kind::ShortAnswer)) {
        d.bytes.resize(d.bytes.size() - clampedBytes(f->bytes, d.bytes.size()));
    }
    if (const Fault* f = find(Fault::Kind::TrailingBytes)) {
        d.bytes.insert(d.bytes.end(), clampedBytes(f->bytes, kMaxTrailingBytes), kTrailingFiller);
    }
    if (const Fault* f = find(Fault::Kind::HangUp)) {
        d.hangUpAfter = clampedBytes(f->bytes, d.bytes.size());
    }
    if (const Fault* f = find(Fault::Kind::Delay)) d.delayMs = std::max(f->delayMs, 0);
    d.silent = find(Fault::Kind::Silence) != nullptr;
    if (const Fault* f = find(Fault::Kind::Chatter)) {
        d.silent = true;
        d.chatterSeconds = std::max(f->delayMs, 1) / kMillisecondsPerSecond;
    }
    return d;
}

}  // namespace boardsim
