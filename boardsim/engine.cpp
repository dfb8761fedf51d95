#include "boardsim/engine.h"

#include <algorithm>

#include "boardsim/commands.h"
#include "boardsim/wire.h"

namespace boardsim {

namespace {
constexpr double kMillisecondsPerSecond = 1000.0;
}

Engine::Engine(double stallSeconds) : assembler_(stallSeconds) {}

void Engine::receive(uint8_t byte, double seconds, std::vector<Transmission>& out) {
    // What stalled before this byte is settled first (a lone CR enters the bootloader), so the
    // order in which the owner looks at the clock and at the line does not matter.
    expire(seconds, out);
    if (bootMode_) {
        if (const auto reply = bootloader_.push(byte, seconds)) answerLine(*reply, seconds, out);
        return;
    }
    if (const auto f = assembler_.push(byte, seconds)) answerFrame(*f, seconds, out);
}

void Engine::expire(double seconds, std::vector<Transmission>& out) {
    if (nextChatter_ && !faults_.has(Fault::Kind::Chatter)) nextChatter_.reset();
    if (nextChatter_ && seconds >= *nextChatter_) {
        out.push_back({{kTrailingFiller}, seconds, false, std::nullopt, false});
        // Keeps its rhythm, but never owes a burst after the thread was held up.
        nextChatter_ = std::max(*nextChatter_ + chatterSeconds_, seconds);
    }
    if (bootMode_) return;
    const auto dropped = assembler_.expire(seconds);
    const bool loneCarriageReturn =
        dropped && dropped->size() == 1 && dropped->front() == boot::kCarriageReturn;
    if (!loneCarriageReturn || !autoBoot_) return;
    setBootloaderMode(true);
    if (const auto reply = bootloader_.push(boot::kCarriageReturn, seconds)) {
        answerLine(*reply, seconds, out);
    }
}

std::optional<double> Engine::nextDeadline() const {
    std::optional<double> stall = bootMode_ ? std::nullopt : assembler_.stallDeadline();
    if (!nextChatter_ || !faults_.has(Fault::Kind::Chatter)) return stall;
    return stall ? std::min(*stall, *nextChatter_) : *nextChatter_;
}

void Engine::setBootloaderMode(bool on) {
    if (on) bootloader_.restart();
    assembler_.reset();
    bootMode_ = on;
}

void Engine::answerFrame(const frame::FrameAssembler::Frame& f, double seconds,
                         std::vector<Transmission>& out) {
    Delivery d = faults_.deliver(answerRequest(model_, f.words, seconds));
    if (d.chatterSeconds && !nextChatter_) {
        chatterSeconds_ = *d.chatterSeconds;
        nextChatter_ = seconds;
    }
    const double arrived =
        pacing_ ? std::max(seconds,
                           pacedArrival(f.firstByteSeconds, f.words.size() * frame::kBytesPerWord))
                : seconds;
    out.push_back({std::move(d.bytes), arrived + d.delayMs / kMillisecondsPerSecond, d.silent,
                   d.hangUpAfter, true});
}

void Engine::answerLine(const Bootloader::Reply& reply, double seconds,
                        std::vector<Transmission>& out) {
    const double arrived =
        pacing_ ? std::max(seconds, pacedArrival(reply.lineStartSeconds, reply.lineBytes))
                : seconds;
    out.push_back({reply.bytes, arrived, reply.bytes.empty(), std::nullopt, false});
    // A real bootloader hands over to the new firmware once the file is through.
    if (reply.endOfFile) setBootloaderMode(false);
}

}  // namespace boardsim
