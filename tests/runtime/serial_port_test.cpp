// Numbered serial ports on a pseudo-terminal: every operation, time-outs, and
// a far end that vanishes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <limits>

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
    static std::string reasonOf(int port) {
        char reason[128];
        EXPECT_EQ(GetComErrorReason(port, reason, sizeof reason), 0);
        return reason;
    }
    static std::string deviceOf(int port) {
        char path[128];
        EXPECT_EQ(GetComPortDevice(port, path, sizeof path), 0);
        return path;
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

TEST_F(SerialPortTest, TimeOutsThatAreNoNumberAreRefused) {
    EXPECT_EQ(SetComTime(kPort, std::numeric_limits<double>::infinity()), COM_ERR_BAD_SETTING);
    EXPECT_EQ(SetComTime(kPort, std::numeric_limits<double>::quiet_NaN()), COM_ERR_BAD_SETTING);
    EXPECT_EQ(SetComTime(kPort, -1.0), COM_ERR_BAD_SETTING);
    // The port keeps the last good time-out: a read of nothing ends after it.
    std::uint8_t byte = 0;
    EXPECT_EQ(ComRd(kPort, &byte, 1), 0);
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

TEST_F(SerialPortTest, BadPortsFailAtOnceAndSayWhy) {
    MapComPort(kPort + 1, "/nonexistent/tty");
    EXPECT_EQ(OpenComConfig(kPort + 1, "", 38400, 0, 8, 1, 512, 512), COM_ERR_NO_DEVICE);
    EXPECT_EQ(reasonOf(kPort + 1), "No such file or directory");
    MapComPort(kPort + 2, "/dev/null");  // exists, but is no serial device
    EXPECT_EQ(OpenComConfig(kPort + 2, "", 38400, 0, 8, 1, 512, 512), COM_ERR_NOT_SERIAL);
    EXPECT_EQ(reasonOf(kPort + 2), "Inappropriate ioctl for device");
    EXPECT_EQ(deviceOf(kPort + 2), "/dev/null");
    EXPECT_EQ(OpenComConfig(0, "", 38400, 0, 8, 1, 512, 512), COM_ERR_BAD_PORT);
    EXPECT_EQ(OpenComConfig(COM_MAX_PORT + 1, "", 38400, 0, 8, 1, 512, 512), COM_ERR_BAD_PORT);
    EXPECT_EQ(GetInQLen(kPort + 3), COM_ERR_NOT_OPEN);
    EXPECT_EQ(ComWrtByte(kPort + 3, 0x0D), COM_ERR_NOT_OPEN);
    EXPECT_EQ(ComRdByte(kPort + 3), COM_ERR_NOT_OPEN);
}

TEST_F(SerialPortTest, VanishedFarEndFailsWithoutBlocking) {
    // An hour's port time-out: waiting for bytes that cannot come would run
    // into the test's time-out long before.
    ASSERT_EQ(SetComTime(kPort, 3600.0), 0);
    pty.hangUp();
    std::uint8_t got[8];
    EXPECT_LT(GetInQLen(kPort), 0);
    EXPECT_LT(ComRd(kPort, got, 8), 0);
    EXPECT_LT(ComRdByte(kPort), 0);
    EXPECT_LT(ComWrtByte(kPort, 0x42), 1);
}

TEST_F(SerialPortTest, AnotherBackendCanStandInForTheDevice) {
    struct Silent : tarvik::rt::SerialBackend {
        int configure(long, int, int, int) override { return 0; }
        int setHardwareHandshake(bool) override { return 0; }
        int inQueueLength() override { return 0; }
        int outQueueLength() override { return 3; }                         // never drains
        int write(const std::uint8_t*, int, double) override { return 0; }  // refuses
        int read(std::uint8_t*, int, double) override { return 0; }
        int flushInput() override { return 0; }
        int flushOutput() override { return 0; }
    };
    tarvik::rt::SetSerialBackendFactory([](int, const std::string&, tarvik::rt::OpenFailure*) {
        return std::unique_ptr<tarvik::rt::SerialBackend>(new Silent);
    });
    EXPECT_EQ(OpenComConfig(kPort + 4, "", 38400, 0, 8, 1, 512, 512), 0);
    tarvik::rt::SetSerialBackendFactory(nullptr);
    EXPECT_EQ(GetOutQLen(kPort + 4), 3);
    EXPECT_NE(ComWrtByte(kPort + 4, 0x42), 1);
    CloseCom(kPort + 4);
}

TEST_F(SerialPortTest, APortHeldHereIsInUseForEveryOtherOpener) {
    // A second console in this process (root or not) is refused.
    MapComPort(kPort + 1, pty.slavePath());
    EXPECT_EQ(OpenComConfig(kPort + 1, "", 38400, 0, 8, 1, 512, 512), COM_ERR_IN_USE);
    EXPECT_FALSE(reasonOf(kPort + 1).empty());
    // Once closed, the lock is gone: another program can take it.
    ASSERT_EQ(CloseCom(kPort), 0);
    int other = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    EXPECT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    // ... and while that program holds its lock, the console stays out.
    EXPECT_EQ(OpenComConfig(kPort, "", 38400, 0, 8, 1, 512, 512), COM_ERR_IN_USE);
    EXPECT_EQ(reasonOf(kPort), "Resource temporarily unavailable");
    ::close(other);
    EXPECT_EQ(OpenComConfig(kPort, "", 38400, 0, 8, 1, 512, 512), 0);
}

TEST_F(SerialPortTest, ADeviceTheUserMayNotOpenSaysPermissionDenied) {
    ASSERT_EQ(CloseCom(kPort), 0);
    ASSERT_EQ(chmod(pty.slavePath().c_str(), 0), 0);
    // Root opens anything: try as nobody, in a child that touches no toolkit.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (getuid() == 0 && setuid(65534) != 0) _exit(100);
        tarvik::rt::OpenFailure failure;
        auto backend = tarvik::rt::OpenTermiosBackend(pty.slavePath(), &failure);
        _exit(backend ? 101 : -failure.code);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), -COM_ERR_NO_PERMISSION);
}

TEST_F(SerialPortTest, ClosingPutsTheDeviceBackAsItWasFound) {
    ASSERT_EQ(CloseCom(kPort), 0);
    int fd = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    termios before{};
    ASSERT_EQ(tcgetattr(fd, &before), 0);
    before.c_lflag |= ICANON | ECHO;
    before.c_iflag |= IXON;
    cfsetispeed(&before, B9600);
    cfsetospeed(&before, B9600);
    ASSERT_EQ(tcsetattr(fd, TCSANOW, &before), 0);

    ASSERT_EQ(OpenComConfig(kPort, "", 38400, 0, 8, 1, 512, 512), 0);
    termios during{};
    ASSERT_EQ(tcgetattr(fd, &during), 0);
    EXPECT_EQ(during.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(during.c_iflag & IXON, 0u);
    EXPECT_EQ(cfgetospeed(&during), speed_t(B38400));

    ASSERT_EQ(CloseCom(kPort), 0);
    termios after{};
    ASSERT_EQ(tcgetattr(fd, &after), 0);
    EXPECT_EQ(after.c_lflag & (ICANON | ECHO), tcflag_t(ICANON | ECHO));
    EXPECT_EQ(after.c_iflag & IXON, tcflag_t(IXON));
    EXPECT_EQ(cfgetospeed(&after), speed_t(B9600));
    ::close(fd);
    EXPECT_EQ(CloseCom(kPort), COM_ERR_NOT_OPEN);
}

TEST_F(SerialPortTest, AVanishedDeviceIsNoticedWithoutReadingAndReopenedAfresh) {
    EXPECT_EQ(CheckComDevice(kPort), 0);
    pty.write({0x11, 0x22});
    ASSERT_EQ(waitForInput(2), 2);
    // Looking does not take the bytes a transaction waits for.
    EXPECT_EQ(CheckComDevice(kPort), 0);
    EXPECT_EQ(GetInQLen(kPort), 2);
    EXPECT_EQ(deviceOf(kPort), pty.slavePath());

    pty.hangUp();
    EXPECT_EQ(CheckComDevice(kPort), COM_ERR_IO);
    EXPECT_EQ(reasonOf(kPort), "Input/output error");
    EXPECT_EQ(CheckComDevice(kPort + 5), COM_ERR_NOT_OPEN);

    // The device is back (a new line on the same COM number): one open does it.
    PtyPair back;
    MapComPort(kPort, back.slavePath());
    ASSERT_EQ(OpenComConfig(kPort, "", 38400, 0, 8, 1, 512, 512), 0);
    EXPECT_EQ(CheckComDevice(kPort), 0);
    EXPECT_EQ(deviceOf(kPort), back.slavePath());
    back.write({0x55});
    EXPECT_EQ(waitForInput(1), 1);
}
