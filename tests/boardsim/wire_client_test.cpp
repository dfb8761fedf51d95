// A client that knows only the wire protocol does a bench session: identify the board, read
// its measurements, calibrate a DAC channel with the board's true output as the meter, and
// upload a firmware file through the bootloader.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "pty_client.h"

namespace boardsim_test {
namespace {

constexpr double kVoltsPerCode = 32.5 / 65535.0;

// One checked transaction: identifier + 0x80, word count, status 0 and checksum must all hold.
std::optional<std::vector<uint32_t>> transact(PtyClient& line, const Bytes& rq,
                                              std::size_t words_) {
    line.send(rq);
    const Bytes a = line.read(words_ * 4);
    if (a.size() != words_ * 4) return std::nullopt;
    std::vector<uint32_t> w = words(a);
    uint8_t sum = 0;
    for (std::size_t i = 0; i + 1 < a.size(); ++i) sum = static_cast<uint8_t>(sum + a[i]);
    const bool ok = (w[0] >> 24) == rq[0] + 0x80u && (w[0] & 0xFFFF) == words_ &&
                    ((w.back() >> 8) & 0xFF) == 0 && sum == a.back();
    if (!ok) return std::nullopt;
    return w;
}

std::optional<uint16_t> readReg(PtyClient& line, uint16_t address) {
    const auto w = transact(line, getRegister(address), 2);
    if (!w) return std::nullopt;
    return static_cast<uint16_t>((*w)[1] >> 16);
}

bool writeReg(PtyClient& line, uint16_t address, uint16_t value) {
    const auto w = transact(line, setRegister(address, 0xFFFF, value), 2);
    return w && ((*w)[1] >> 16) == value;
}

bool writeFloat(PtyClient& line, uint16_t address, float value) {
    return transact(line, setBlock(address, {bitsOf(value)}), 2).has_value();
}

TEST(WireClient, BenchSessionFromIdentificationToFirmwareUpload) {
    Bench bench;
    ASSERT_TRUE(bench.started) << bench.startError;
    bench.board.setFirmwareVersion(0x0107);
    PtyClient& line = bench.client;

    EXPECT_EQ(readReg(line, 0), 0x0107);
    const auto raw = readReg(line, 1);
    ASSERT_TRUE(raw);
    const int celsius = *raw / 4 - 103;
    EXPECT_GE(celsius, 15);
    EXPECT_LE(celsius, 30);

    const auto currents = transact(line, getBlock(0x50, 16), 18);
    ASSERT_TRUE(currents);
    for (int ch = 0; ch < 16; ++ch) EXPECT_TRUE(std::isfinite(floatOf((*currents)[1 + ch])));

    // Two-point calibration of channel 6 (index 5).
    constexpr int ch = 5;
    constexpr uint16_t code1 = 10000;
    constexpr uint16_t code2 = 50000;
    ASSERT_TRUE(writeReg(line, 0x20 + ch, code1));
    const double measured1 = bench.board.outputVoltage(ch);
    ASSERT_TRUE(writeReg(line, 0x20 + ch, code2));
    const double measured2 = bench.board.outputVoltage(ch);
    const double control1 = code1 * kVoltsPerCode;
    const double control2 = code2 * kVoltsPerCode;
    const float gain = static_cast<float>((measured2 - measured1) / (control2 - control1));
    const float offset = static_cast<float>(measured1 - double{gain} * control1);
    ASSERT_TRUE(writeFloat(line, 0x60 + ch, gain));
    ASSERT_TRUE(writeFloat(line, 0x70 + ch, offset));
    const auto coefficients = transact(line, getBlock(0x60, 32), 34);
    ASSERT_TRUE(coefficients);
    EXPECT_EQ(floatOf((*coefficients)[1 + ch]), gain);
    EXPECT_EQ(floatOf((*coefficients)[1 + 16 + ch]), offset);

    for (float wanted : {3.3f, 12.0f, 30.0f}) {
        ASSERT_TRUE(writeFloat(line, 0x40 + ch, wanted));
        EXPECT_NEAR(bench.board.outputVoltage(ch), wanted, 0.001);
    }
    // Uncalibrated, the same channel misses by more than a millivolt.
    ASSERT_TRUE(
        writeReg(line, 0x20 + ch, static_cast<uint16_t>(std::lround(12.0 / kVoltsPerCode))));
    EXPECT_GT(std::abs(bench.board.outputVoltage(ch) - 12.0), 0.001);

    // Firmware upload: presence test, then the file line by line.
    const std::vector<std::string> file{":020000040000FA",
                                        ":10000000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF00",
                                        ":0400100001020304E2", ":00000001FF"};
    line.send(Bytes{0x0D});
    ASSERT_EQ(line.read(3), (Bytes{0x13, 0x06, 0x11}));
    for (const std::string& record : file) {
        Bytes bytes(record.begin(), record.end());
        bytes.push_back(0x0D);
        line.send(bytes);
        ASSERT_EQ(line.read(3), (Bytes{0x13, 0x06, 0x11})) << record;
    }
    EXPECT_EQ(bench.board.bootloaderLines(), file);
    // The new firmware answers frames again.
    EXPECT_EQ(readReg(line, 0), 0x0107);
}

}  // namespace
}  // namespace boardsim_test
