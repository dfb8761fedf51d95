// The board's request parser on its own, with the clock in the test's hands:
// a stalled partial request never merges with the next one, whatever the
// serving thread's timing.

#include <gtest/gtest.h>

#include <vector>

#include "boardsim/engine.h"
#include "boardsim/frame.h"
#include "pty_client.h"

namespace boardsim_test {
namespace {

using boardsim::frame::FrameAssembler;

constexpr double kStall = 0.1;

// Pushes bytes at `seconds`; returns the frames they completed.
std::vector<FrameAssembler::Frame> pushAll(FrameAssembler& parser, const Bytes& bytes,
                                           double seconds) {
    std::vector<FrameAssembler::Frame> frames;
    for (uint8_t b : bytes) {
        if (auto f = parser.push(b, seconds)) frames.push_back(*f);
    }
    return frames;
}

TEST(FrameAssembler, AStalledPartialRequestIsDroppedBeforeTheNextByteIsTaken) {
    FrameAssembler parser(kStall);
    const Bytes read = getRegister(1);
    // Five bytes of a request, then nothing for 0.3 s, and no expire() in between.
    EXPECT_TRUE(pushAll(parser, Bytes(read.begin(), read.begin() + 5), 0.0).empty());
    const auto frames = pushAll(parser, read, 0.3);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].words, (std::vector<uint32_t>{0x42000002, 0x00010045}));
    EXPECT_DOUBLE_EQ(frames[0].firstByteSeconds, 0.3);

    // Within the stall time the bytes belong together.
    EXPECT_TRUE(pushAll(parser, Bytes(read.begin(), read.begin() + 5), 1.0).empty());
    EXPECT_EQ(pushAll(parser, Bytes(read.begin() + 5, read.end()), 1.05).size(), 1u);
}

TEST(FrameAssembler, DiscardingEndsWithTheFirstByteAfterAQuietLine) {
    FrameAssembler parser(kStall);
    // A header with an impossible word count puts the parser into discarding.
    EXPECT_TRUE(pushAll(parser, {0x42, 0x00, 0x00, 0x63}, 0.0).empty());
    EXPECT_TRUE(pushAll(parser, getRegister(1), 0.05).empty());
    EXPECT_EQ(pushAll(parser, getRegister(1), 0.2).size(), 1u);
}

TEST(FrameAssembler, ALoneCarriageReturnStillWakesTheBootloaderWhenTheNextByteComesFirst) {
    boardsim::Engine engine(kStall);
    std::vector<boardsim::Transmission> out;
    engine.receive(0x0D, 0.0, out);
    EXPECT_FALSE(engine.bootloaderMode());
    engine.receive(':', 0.3, out);
    EXPECT_TRUE(engine.bootloaderMode());
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].bytes, (Bytes{0x13, 0x06, 0x11}));
}

}  // namespace
}  // namespace boardsim_test
