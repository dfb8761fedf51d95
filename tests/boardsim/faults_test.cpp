// Every way the board can be told to misbehave, as the console sees it on the line.

#include <gtest/gtest.h>

#include <chrono>

#include "pty_client.h"

namespace boardsim_test {
namespace {

using boardsim::Fault;
using Kind = boardsim::Fault::Kind;

class Faults : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(bench.started) << bench.startError;
        bench.board.setRawTemperature(500);
    }
    // The good answer to reading register 1 is C2 00 00 02 01 F4 00 B9.
    Bytes readTemperature(std::size_t bytes = 8, int timeoutMs = 2000) {
        bench.client.send(getRegister(1));
        return bench.client.read(bytes, timeoutMs);
    }
    Bench bench;
};

const Bytes kGood{0xC2, 0x00, 0x00, 0x02, 0x01, 0xF4, 0x00, 0xB9};

TEST_F(Faults, SilenceDropsTheRequestButCountsIt) {
    bench.board.setFault({.kind = Kind::Silence, .count = 1});
    EXPECT_TRUE(readTemperature(8, 300).empty());
    EXPECT_EQ(bench.board.requestsServed(), 1u);
    EXPECT_EQ(readTemperature(), kGood);
}

TEST_F(Faults, DelayHoldsTheAnswerBack) {
    bench.board.setFault({.kind = Kind::Delay, .delayMs = 250});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(readTemperature(), kGood);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
}

TEST_F(Faults, FieldFaultsKeepTheChecksumRight) {
    bench.board.setFault({.kind = Kind::StatusBits, .status = 0x03, .count = 1});
    EXPECT_EQ(readTemperature(), request({0xC2000002, 0x01F40300}));

    bench.board.setFault({.kind = Kind::WrongId, .count = 1});
    EXPECT_EQ(readTemperature(), request({0xC3000002, 0x01F40000}));
    bench.board.setFault({.kind = Kind::WrongId, .count = 1, .id = 0x42});
    EXPECT_EQ(readTemperature(), request({0x42000002, 0x01F40000}));

    bench.board.setFault({.kind = Kind::WrongCount, .count = 1});
    EXPECT_EQ(readTemperature(), request({0xC2000003, 0x01F40000}));

    EXPECT_EQ(readTemperature(), kGood);
}

TEST_F(Faults, BadChecksumIsOffByOne) {
    bench.board.setFault({.kind = Kind::BadChecksum, .count = 1});
    Bytes expected = kGood;
    expected.back() = 0xBA;
    EXPECT_EQ(readTemperature(), expected);
}

TEST_F(Faults, ByteFaultsShapeTheAnswer) {
    bench.board.setFault({.kind = Kind::TrailingBytes, .count = 1, .bytes = 3});
    bench.client.send(getRegister(1));
    Bytes expected = kGood;
    expected.insert(expected.end(), 3, 0xEE);
    EXPECT_EQ(bench.client.readUntilQuiet(200), expected);

    bench.board.setFault({.kind = Kind::ShortAnswer, .count = 1, .bytes = 2});
    bench.client.send(getRegister(1));
    EXPECT_EQ(bench.client.readUntilQuiet(200), Bytes(kGood.begin(), kGood.end() - 2));

    // More than the whole answer leaves nothing, and nothing breaks.
    bench.board.setFault({.kind = Kind::ShortAnswer, .count = 1, .bytes = 100});
    EXPECT_TRUE(readTemperature(8, 200).empty());
    EXPECT_EQ(readTemperature(), kGood);
}

TEST_F(Faults, AfterAndCountChooseTheRequests) {
    bench.board.setFault({.kind = Kind::StatusBits, .status = 0x20, .count = 2, .after = 1});
    EXPECT_EQ(readTemperature(), kGood);
    EXPECT_EQ(readTemperature()[6], 0x20);
    EXPECT_EQ(readTemperature()[6], 0x20);
    EXPECT_EQ(readTemperature(), kGood);

    bench.board.setFault({.kind = Kind::StatusBits, .status = 0x80});
    bench.board.setFault({.kind = Kind::TrailingBytes, .bytes = 1});
    for (int i = 0; i < 3; ++i) {
        bench.client.send(getRegister(1));
        const Bytes a = bench.client.readUntilQuiet(200);
        ASSERT_EQ(a.size(), 9u);
        EXPECT_EQ(a[6], 0x80);
    }
    bench.board.clearFaults();
    EXPECT_EQ(readTemperature(), kGood);
}

TEST_F(Faults, HangUpClosesTheLineMidAnswer) {
    bench.board.setFault({.kind = Kind::HangUp, .bytes = 3});
    bench.client.send(getRegister(1));
    EXPECT_EQ(bench.client.read(3), Bytes(kGood.begin(), kGood.begin() + 3));
    EXPECT_TRUE(bench.client.hungUp(2000));
    EXPECT_TRUE(bench.board.hungUp());
    EXPECT_TRUE(bench.board.waitForRequestsServed(1, 1000));

    // Plugged in again: a new line that works.
    bench.board.clearFaults();
    std::string error;
    ASSERT_TRUE(bench.board.start(&error)) << error;
    EXPECT_FALSE(bench.board.hungUp());
    PtyClient again(bench.board.devicePath());
    ASSERT_TRUE(again.isOpen());
    again.send(getRegister(1));
    EXPECT_EQ(again.read(8), kGood);
}

TEST_F(Faults, ChatterNeverAnswersAndKeepsTalkingUntilCleared) {
    bench.board.setFault({.kind = Kind::Chatter, .delayMs = 2});
    const Bytes stream = readTemperature(40, 2000);
    ASSERT_EQ(stream.size(), 40u);
    EXPECT_EQ(stream, Bytes(40, boardsim::kTrailingFiller));
    // Still talking well after the request, however long one waits.
    EXPECT_EQ(bench.client.read(20, 2000).size(), 20u);

    bench.board.clearFaults();
    bench.client.readUntilQuiet(100);
    EXPECT_TRUE(bench.client.read(1, 100).empty());
    EXPECT_EQ(readTemperature(), kGood);
}

// A stop() that waited for the delay would run into the suite's time-out.
TEST_F(Faults, StopInterruptsALongDelay) {
    bench.board.setFault({.kind = Kind::Delay, .delayMs = 600'000});
    bench.client.send(getRegister(1));
    ASSERT_TRUE(bench.board.waitForReceived(8, 2000));
    bench.board.stop();
    EXPECT_EQ(bench.board.requestsServed(), 0u);
}

}  // namespace
}  // namespace boardsim_test
