// The virtual board's request parser and engine on any bytes at any times:
// nothing crashes, every frame it hands on has a word count a frame may have,
// and every answer it plans is a whole number of words or a bootloader answer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "boardsim/engine.h"
#include "boardsim/frame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr double kStall = 0.1;
    boardsim::frame::FrameAssembler parser(kStall);
    boardsim::Engine engine(kStall);
    std::vector<boardsim::Transmission> out;
    double seconds = 0;
    // Byte pairs: a time step (in milliseconds) and a byte.
    for (size_t i = 0; i + 1 < size; i += 2) {
        seconds += data[i] / 1000.0;
        if (const auto frame = parser.push(data[i + 1], seconds)) {
            const auto words = frame->words.size();
            if (words < boardsim::frame::kMinWords || words > boardsim::frame::kMaxWords)
                std::abort();
        }
        parser.expire(seconds);
        engine.receive(data[i + 1], seconds, out);
        engine.expire(seconds, out);
    }
    for (const auto& t : out) {
        if (t.isFrameAnswer && !t.silent && t.bytes.size() % boardsim::frame::kBytesPerWord != 0 &&
            !t.hangUpAfter)
            std::abort();
    }
    return 0;
}
