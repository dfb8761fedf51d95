// Register and block commands, status answers and framing, byte for byte on the line.

#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "pty_client.h"

namespace boardsim_test {
namespace {

class FrameProtocol : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(bench.started) << bench.startError; }
    Bench bench;
};

TEST_F(FrameProtocol, GetRegisterAnswersExactBytes) {
    bench.board.setRawTemperature(500);
    EXPECT_EQ(bench.exchange({0x42, 0x00, 0x00, 0x02, 0x00, 0x01, 0x00, 0x45}, 8),
              (Bytes{0xC2, 0x00, 0x00, 0x02, 0x01, 0xF4, 0x00, 0xB9}));
    // Default firmware version 0x0012.
    EXPECT_EQ(bench.exchange({0x42, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x44}, 8),
              (Bytes{0xC2, 0x00, 0x00, 0x02, 0x00, 0x12, 0x00, 0xD6}));
}

TEST_F(FrameProtocol, SetRegisterAppliesMaskAndAnswersResult) {
    // 0x20 <- 0x1234 with the full mask.
    EXPECT_EQ(
        bench.exchange({0x41, 0x00, 0x00, 0x03, 0xFF, 0xFF, 0x12, 0x34, 0x00, 0x20, 0x00, 0xA8}, 8),
        (Bytes{0xC1, 0x00, 0x00, 0x02, 0x12, 0x34, 0x00, 0x09}));
    // Only bits 4..7 of 0xABCD pass the mask 0x00F0.
    const Bytes a = bench.exchange(setRegister(0x20, 0x00F0, 0xABCD), 8);
    ASSERT_EQ(a.size(), 8u);
    EXPECT_EQ(words(a)[1] >> 16, 0x12C4u);
    EXPECT_EQ(bench.board.reg(0x20), 0x12C4);
}

TEST_F(FrameProtocol, WritesToMeasuredRegistersChangeNothing) {
    bench.board.setReg(0x35, 1234);
    const Bytes a = bench.exchange(setRegister(0x35, 0xFFFF, 7), 8);
    ASSERT_EQ(a.size(), 8u);
    EXPECT_EQ(words(a)[1] >> 16, 1234u);
    EXPECT_EQ(words(a)[1] & 0xFF00, 0u);
    EXPECT_EQ(bench.readRegister(0), 0x0012u);
    bench.exchange(setRegister(0x00, 0xFFFF, 0x9999), 8);
    EXPECT_EQ(bench.readRegister(0), 0x0012u);
}

TEST_F(FrameProtocol, BlockWriteThenReadRoundTrip) {
    const std::vector<uint32_t> data{bitsOf(1.01f), bitsOf(0.98f), bitsOf(-0.5f)};
    EXPECT_EQ(bench.exchange(setBlock(0x61, data), 8), request({0xC3000002, 0x00000000}));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(bench.board.word(0x61 + i), data[i]);

    const Bytes a = bench.exchange(getBlock(0x61, 3), 20);
    ASSERT_EQ(a.size(), 20u);
    const auto w = words(a);
    EXPECT_EQ(w[0], 0xC4000005u);
    EXPECT_EQ(std::vector<uint32_t>(w.begin() + 1, w.begin() + 4), data);
    EXPECT_EQ(w[4] & 0xFF00, 0u);
    EXPECT_EQ(a, request({0xC4000005, data[0], data[1], data[2], 0}));
}

TEST_F(FrameProtocol, BlockLimitsAreOneToFortyEightWords) {
    // 48 words from 0x40 fit the map and a frame.
    const Bytes full = bench.exchange(getBlock(0x40, 48), 4 * 50);
    ASSERT_EQ(full.size(), 200u);
    EXPECT_EQ(words(full)[0], 0xC4000032u);

    std::vector<uint32_t> many(48, bitsOf(2.0f));
    EXPECT_EQ(words(bench.exchange(setBlock(0x60, many), 8))[1] & 0xFF00, 0u);
    EXPECT_EQ(bench.board.word(0x8F), bitsOf(2.0f));

    for (uint32_t bad : {0u, 49u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(bench.exchange(getBlock(0x40, bad), 8), request({0xC4000002, 0x00002000}));
    }
}

TEST_F(FrameProtocol, StatusAnswersAreFramedAndChecksummed) {
    // Bad checksum: nothing executed.
    Bytes corrupt = setRegister(0x21, 0xFFFF, 0x1111);
    corrupt.back() ^= 0x01;
    EXPECT_EQ(bench.exchange(corrupt, 8), request({0xC1000002, 0x00000100}));
    EXPECT_EQ(bench.board.reg(0x21), 0);

    // Unknown command.
    EXPECT_EQ(bench.exchange(request({0x50000002, 0x00010000}), 8),
              request({0xD0000002, 0x00000800}));

    // Unknown register addresses, below, between and above the registers.
    for (uint16_t address : {0x02, 0x1F, 0x40, 0xFFFF}) {
        SCOPED_TRACE(address);
        EXPECT_EQ(bench.exchange(getRegister(address), 8), request({0xC2000002, 0x00001000}));
    }

    // A block running past the last cell is refused whole.
    EXPECT_EQ(bench.exchange(setBlock(0x9F, {1, 2}), 8), request({0xC3000002, 0x00001000}));
    EXPECT_NE(bench.board.word(0x9F), 1u);
    EXPECT_EQ(bench.exchange(setBlock(0x10, {1}), 8), request({0xC3000002, 0x00001000}));

    // A block read keeps its length, so the status can be read where it is expected.
    EXPECT_EQ(bench.exchange(getBlock(0x00, 2), 16), request({0xC4000004, 0, 0, 0x00001000}));
}

TEST_F(FrameProtocol, KnownCommandInWrongShapeIsOtherError) {
    EXPECT_EQ(bench.exchange(request({0x42000003, 0, 0x00010000}), 8),
              request({0xC2000002, 0x00002000}));
    EXPECT_EQ(bench.exchange(request({0x41000002, 0x00200000}), 8),
              request({0xC1000002, 0x00002000}));
}

TEST_F(FrameProtocol, ImpossibleWordCountIsDroppedAndLineResynchronises) {
    for (uint32_t header : {0x42000001u, 0x42000000u, 0x42000033u, 0x4200FFFFu}) {
        SCOPED_TRACE(header);
        const std::size_t before = bench.board.received().size();
        bench.client.send(request({header, 0x00010000}));
        // The board stamps bytes when it reads them: it must have read these before the quiet
        // time starts, or a busy machine could hand it both requests in one read.
        ASSERT_TRUE(bench.board.waitForReceived(before + 8, 2000));
        EXPECT_TRUE(bench.client.read(1, 300).empty());
        EXPECT_EQ(bench.readRegister(0), 0x0012u);
    }
    // An answer counts as served once it is out; the console may read it first.
    EXPECT_TRUE(bench.board.waitForRequestsServed(4u, 2000));
    EXPECT_EQ(bench.board.requestsServed(), 4u);
}

TEST_F(FrameProtocol, StalledPartialRequestIsDropped) {
    const Bytes rq = getRegister(0);
    bench.client.send(Bytes(rq.begin(), rq.begin() + 5));
    ASSERT_TRUE(bench.board.waitForReceived(5, 2000));
    EXPECT_TRUE(bench.client.read(1, 300).empty());
    EXPECT_EQ(bench.readRegister(0), 0x0012u);
    // An answer counts as served once it is out; the console may read it first.
    EXPECT_TRUE(bench.board.waitForRequestsServed(1u, 2000));
    EXPECT_EQ(bench.board.requestsServed(), 1u);
}

TEST_F(FrameProtocol, BackToBackRequestsAreAnsweredInOrder) {
    bench.board.setRawTemperature(600);
    Bytes both = getRegister(0);
    const Bytes second = getRegister(1);
    both.insert(both.end(), second.begin(), second.end());
    const Bytes a = bench.exchange(both, 16);
    ASSERT_EQ(a.size(), 16u);
    EXPECT_EQ(words(a)[1] >> 16, 0x0012u);
    EXPECT_EQ(words(a)[3] >> 16, 600u);
}

TEST_F(FrameProtocol, SurvivesRandomBytes) {
    bench.board.setAutoBootloader(false);  // a stray lone CR must not switch protocols here
    std::mt19937 random(1234);
    for (int burst = 0; burst < 20; ++burst) {
        Bytes noise(1 + random() % 300);
        for (uint8_t& b : noise) b = static_cast<uint8_t>(random());
        noise[0] = 0x44;  // a plausible identifier so some bursts parse as frames
        bench.client.send(noise);
    }
    bench.client.readUntilQuiet(300);
    EXPECT_EQ(bench.readRegister(0), 0x0012u);
}

}  // namespace
}  // namespace boardsim_test
