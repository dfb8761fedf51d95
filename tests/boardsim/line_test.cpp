// The line itself: reopening, exclusive access, recording and pacing.

#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <thread>

#include "pty_client.h"

namespace boardsim_test {
namespace {

class Line : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(bench.started) << bench.startError;
        bench.board.setRawTemperature(500);
    }
    Bench bench;
};

TEST_F(Line, SurvivesTheConsoleClosingAndReopening) {
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        PtyClient console(bench.board.devicePath());
        ASSERT_TRUE(console.isOpen());
        console.send(getRegister(0));
        EXPECT_EQ(console.read(8), request({0xC2000002, 0x00120000}));
    }
    // Closing in the middle of a request loses only that request.
    {
        PtyClient console(bench.board.devicePath());
        console.send(Bytes{0x42, 0x00});
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(bench.readRegister(0), 0x0012u);
}

TEST_F(Line, ExclusiveAccessEndsWhenTheConsoleCloses) {
    {
        PtyClient console(bench.board.devicePath());
        ASSERT_EQ(ioctl(console.fd(), TIOCEXCL), 0);
    }
    // The board clears the flag shortly after the close.
    int exclusive = 1;
    for (int i = 0; i < 100 && exclusive; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_EQ(ioctl(bench.client.fd(), TIOCGEXCL, &exclusive), 0);
    }
    EXPECT_EQ(exclusive, 0);
}

TEST_F(Line, RecordsBothDirectionsInOrder) {
    const Bytes rq = getRegister(1);
    const Bytes answer = bench.exchange(rq, 8);
    ASSERT_EQ(answer.size(), 8u);
    const auto rec = bench.board.recording();
    ASSERT_EQ(rec.size(), 16u);
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_TRUE(rec[i].fromConsole);
        EXPECT_EQ(rec[i].value, rq[i]);
        EXPECT_FALSE(rec[8 + i].fromConsole);
        EXPECT_EQ(rec[8 + i].value, answer[i]);
    }
    for (std::size_t i = 1; i < rec.size(); ++i) EXPECT_GE(rec[i].seconds, rec[i - 1].seconds);
    EXPECT_EQ(bench.board.received(), rq);

    bench.board.clearRecording();
    EXPECT_TRUE(bench.board.recording().empty());
    bench.client.send(Bytes{0x42, 0x00, 0x00});
    EXPECT_TRUE(bench.board.waitForReceived(3, 2000));
    EXPECT_FALSE(bench.board.waitForReceived(4, 150));
}

TEST_F(Line, PacingSpacesBytesAtTheWireRate) {
    bench.board.setPacing(true);
    const Bytes a = bench.exchange(getBlock(0x60, 16), 72);
    ASSERT_EQ(a.size(), 72u);
    bench.client.send(Bytes{0x0D});
    ASSERT_EQ(bench.client.read(3).size(), 3u);  // presence test, paced the same way

    const auto rec = bench.board.recording();
    double firstRequestByte = -1;
    double firstAnswerByte = -1;
    double previousSent = -1;
    for (const boardsim::WireByte& b : rec) {
        if (b.fromConsole) {
            if (firstRequestByte < 0) firstRequestByte = b.seconds;
            continue;
        }
        if (firstAnswerByte < 0) firstAnswerByte = b.seconds;
        if (previousSent >= 0) {
            EXPECT_GE(b.seconds - previousSent, boardsim::kByteSeconds);
        }
        previousSent = b.seconds;
    }
    // The 12-byte request takes 12 byte times to arrive before the board can answer.
    EXPECT_GE(firstAnswerByte - firstRequestByte, 12 * boardsim::kByteSeconds);
}

TEST_F(Line, StartingTwiceIsRefusedAndStopIsFinal) {
    std::string error;
    EXPECT_FALSE(bench.board.start(&error));
    EXPECT_FALSE(error.empty());
    bench.board.stop();
    EXPECT_TRUE(bench.client.hungUp(2000));
    bench.board.stop();  // harmless
}

TEST_F(Line, StartAndStopFromTwoThreadsLeaveOneConsistentBoard) {
    bench.board.stop();
    std::thread stopper([&] {
        for (int i = 0; i < 20; ++i) bench.board.stop();
    });
    for (int i = 0; i < 20; ++i) bench.board.start();
    stopper.join();
    bench.board.stop();
    EXPECT_FALSE(bench.board.serving());
    std::string error;
    ASSERT_TRUE(bench.board.start(&error)) << error;
    EXPECT_TRUE(bench.board.serving());
    PtyClient console(bench.board.devicePath());
    console.send(getRegister(1));
    EXPECT_EQ(console.read(8).size(), 8u);
}

TEST_F(Line, AHungUpLineIsNoLongerServedAndMayBeStartedAgain) {
    bench.board.setFault({.kind = boardsim::Fault::Kind::HangUp, .count = 1, .bytes = 2});
    bench.client.send(getRegister(1));
    EXPECT_TRUE(bench.client.hungUp(2000));
    for (int i = 0; i < 200 && bench.board.serving(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(bench.board.serving());
    EXPECT_TRUE(bench.board.failure().empty());
    std::string error;
    EXPECT_TRUE(bench.board.start(&error)) << error;
}

}  // namespace
}  // namespace boardsim_test
