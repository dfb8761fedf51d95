// Numbered serial ports on a pseudo-terminal: every operation, time-outs, and
// a far end that vanishes.
#include <gtest/gtest.h>

#include <chrono>

#include "runtime/rs232.h"
#include "runtime/serial_backend.h"
#include "tests/support/pty_pair.h"

namespace {

constexpr int kPort = 7;
using Bytes = std::vector<std::uint8_t>;

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        DisableBreakOnLibraryErrors();
        MapComPort(kPort, pty.slavePath());
        ASSERT_EQ(OpenComConfig(kPort, "", 38400, 0, 8, 1, 512, 512), 0);
        ASSERT_EQ(SetComTime(kPort, 0.3), 0);
    }
    void TearDown() override {
        CloseCom(kPort);
        EnableBreakOnLibraryErrors();
    }
    // Waits until the console side sees n bytes queued.
    int waitForInput(int n) {
        for (int i = 0; i < 200 && GetInQLen(kPort) < n; ++i) usleep(5000);
        return GetInQLen(kPort);
    }
    PtyPair pty;
};

}  // namespace

TEST_F(SerialPortTest, BytesCrossBothWaysUnchanged) {
    const std::uint8_t frame[] = {0x42, 0x00, 0x00, 0x02, 0x00, 0x01, 0x00, 0x45};
    EXPECT_EQ(ComWrt(kPort, frame, 4), 4);
    for (int i = 4; i < 8; ++i) EXPECT_EQ(ComWrtByte(kPort, frame[i]), 1);
    EXPECT_LE(GetOutQLen(kPort), 0);
    EXPECT_EQ(pty.read(8, 1000), Bytes(frame, frame + 8));

    // XON, XOFF, CR, LF and NUL are data on this link.
    const Bytes answer = {0x13, 0x06, 0x11, 0x0D, 0x0A, 0x00, 0xFF};
    pty.write(answer);
    ASSERT_EQ(waitForInput(7), 7);
    std::uint8_t got[7] = {};
    EXPECT_EQ(ComRd(kPort, got, 7), 7);
    EXPECT_EQ(Bytes(got, got + 7), answer);
    EXPECT_EQ(GetInQLen(kPort), 0);
}

TEST_F(SerialPortTest, ReadsStopAtThePortTimeOut) {
    pty.write({0xC2, 0x00, 0x00});
    ASSERT_EQ(waitForInput(3), 3);
    std::uint8_t got[8] = {};
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ComRd(kPort, got, 8), 3);
    EXPECT_GE(secondsSince(start), 0.25);
    EXPECT_EQ(got[0], 0xC2);

    EXPECT_EQ(ComRdByte(kPort), COM_ERR_TIMEOUT);
    pty.write({0x06});
    EXPECT_EQ(ComRdByte(kPort), 0x06);
}

TEST_F(SerialPortTest, FlushDropsWhatCameBefore) {
    pty.write({1, 2, 3});
    ASSERT_EQ(waitForInput(3), 3);
    EXPECT_EQ(FlushInQ(kPort), 0);
    EXPECT_EQ(GetInQLen(kPort), 0);
    EXPECT_EQ(FlushOutQ(kPort), 0);
    EXPECT_EQ(SetCTSMode(kPort, 0), 0);
}

TEST_F(SerialPortTest, ReopeningAHeldPortAppliesTheSettingsAgain) {
    EXPECT_EQ(OpenComConfig(kPort, "", 38400, 0, 8, 1, 512, 512), 0);
    EXPECT_EQ(OpenComConfig(kPort, "", 12345, 0, 8, 1, 512, 512), COM_ERR_BAD_SETTING);
    // A refused setting leaves the port closed rather than half-configured.
    EXPECT_EQ(GetInQLen(kPort), COM_ERR_NOT_OPEN);
    EXPECT_EQ(OpenComConfig(kPort, "", 38400, 0, 8, 1, 512, 512), 0);
    pty.write({0x55});
    EXPECT_EQ(waitForInput(1), 1);
}

TEST_F(SerialPortTest, BadPortsFailAtOnce) {
    MapComPort(kPort + 1, "/nonexistent/tty");
    EXPECT_EQ(OpenComConfig(kPort + 1, "", 38400, 0, 8, 1, 512, 512), COM_ERR_OPEN_FAILED);
    MapComPort(kPort + 2, "/dev/null");  // exists, but is no serial device
    EXPECT_EQ(OpenComConfig(kPort + 2, "", 38400, 0, 8, 1, 512, 512), COM_ERR_OPEN_FAILED);
    EXPECT_EQ(OpenComConfig(0, "", 38400, 0, 8, 1, 512, 512), COM_ERR_BAD_PORT);
    EXPECT_EQ(OpenComConfig(COM_MAX_PORT + 1, "", 38400, 0, 8, 1, 512, 512), COM_ERR_BAD_PORT);
    EXPECT_EQ(GetInQLen(kPort + 3), COM_ERR_NOT_OPEN);
    EXPECT_EQ(ComWrtByte(kPort + 3, 0x0D), COM_ERR_NOT_OPEN);
    EXPECT_EQ(ComRdByte(kPort + 3), COM_ERR_NOT_OPEN);
}

TEST_F(SerialPortTest, VanishedFarEndFailsWithoutBlocking) {
    ASSERT_EQ(SetComTime(kPort, 5.0), 0);
    pty.hangUp();
    auto start = std::chrono::steady_clock::now();
    std::uint8_t got[8];
    EXPECT_LT(GetInQLen(kPort), 0);
    EXPECT_LT(ComRd(kPort, got, 8), 0);
    EXPECT_LT(ComRdByte(kPort), 0);
    EXPECT_LT(ComWrtByte(kPort, 0x42), 1);
    // Far below the 5 s port time-out: nothing waited for bytes that cannot come.
    EXPECT_LT(secondsSince(start), 2.5);
}

TEST_F(SerialPortTest, AnotherBackendCanStandInForTheDevice) {
    struct Silent : tarvik::rt::SerialBackend {
        int configure(long, int, int, int) override { return 0; }
        int setHardwareHandshake(bool) override { return 0; }
        int inQueueLength() override { return 0; }
        int outQueueLength() override { return 3; }  // never drains
        int write(const std::uint8_t*, int, double) override { return 0; }  // refuses
        int read(std::uint8_t*, int, double) override { return 0; }
        int flushInput() override { return 0; }
        int flushOutput() override { return 0; }
    };
    tarvik::rt::SetSerialBackendFactory([](int, const std::string&, std::string*) {
        return std::unique_ptr<tarvik::rt::SerialBackend>(new Silent);
    });
    EXPECT_EQ(OpenComConfig(kPort + 4, "", 38400, 0, 8, 1, 512, 512), 0);
    tarvik::rt::SetSerialBackendFactory(nullptr);
    EXPECT_EQ(GetOutQLen(kPort + 4), 3);
    EXPECT_NE(ComWrtByte(kPort + 4, 0x42), 1);
    CloseCom(kPort + 4);
}
