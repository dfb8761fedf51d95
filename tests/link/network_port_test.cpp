// A COM port that is a board on another machine: the virtual board's pseudo-terminal served
// by a real ser2net on 127.0.0.1, through its raw tcp accepter and its telnet(rfc2217) one.
// The same link as a local port: every byte value, the late-answer guard, an upgrade and its
// Cancel, a server that goes away and comes back, and each way a connection fails.
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "link/connection.h"
#include "link/serial_link.h"
#include "link/testing.h"
#include "link/transaction.h"
#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "registers/block_access.h"
#include "registers/register_access.h"
#include "runtime/telnet_codec.h"
#include "runtime/userint.h"
#include "tests/firmware/firmware_fixture.h"
#include "tests/support/pty_pair.h"
#include "tests/support/ser2net_server.h"

namespace {

using Accepter = Ser2netServer::Accepter;
using Kind = boardsim::Fault::Kind;
using namespace tarvik::rt;

// Well above an answer's time through ser2net on loopback, short for the silence cases.
constexpr double kWait = 0.2;
constexpr double kConnectLimitSeconds = 5.0;

std::string AccepterName(const ::testing::TestParamInfo<Accepter>& info) {
    return info.param == Accepter::Rfc2217 ? "rfc2217" : "tcp";
}

class NetworkPortTest : public FirmwareTest, public ::testing::WithParamInterface<Accepter> {
  protected:
    void SetUp() override {
        FirmwareTest::SetUp();
        if (!Ser2netServer::Installed()) GTEST_SKIP() << "ser2net is not installed";
        // ser2net opens the board's line itself: the console lets it go first.
        DropLinkForTest();
        board.setBootloaderMode(false);
        std::string error;
        ASSERT_TRUE(server.start(board.devicePath(), GetParam(), &error)) << error;
        MapComPort(1, server.url());
        connectQuickly();
        SetReceiveWaitSeconds(kWait);
    }
    void TearDown() override {
        DropLinkForTest();
        server.kill();
        FirmwareTest::TearDown();
    }
    std::string goneLinePrefix() const { return "ERROR: COM1 (" + server.url() + ") is gone: "; }

    Ser2netServer server;
};

TEST_P(NetworkPortTest, ConnectShowsTheBoardAndTheDeviceLineTheUrl) {
    DropLinkForTest();
    click(PANEL_CONNECT);
    EXPECT_EQ(g_iConnection_status, 1);
    EXPECT_EQ(messages(), (Lines{"Connected to COM1", "Firmware version is 0x0012",
                                 "Board temperature is 22.00"}));
    EXPECT_EQ(text(PANEL_COM_DEVICE), server.url());
    click(PANEL_CONNECT);
    EXPECT_EQ(lastMonitorLine(), "Disconnected from COM1");
    // The server takes the next client only once it has closed the last one: a port given
    // back waits for that, so that opening it again at once is never refused.
    for (int again = 0; again < 5; ++again) {
        ASSERT_TRUE(OpenLinkOn(1, 0).ok()) << again << ": " << lastMonitorLine();
        DropLinkForTest();
    }
}

// 0xFF is telnet's escape and 0x0D its line end: every byte value goes out and comes back.
TEST_P(NetworkPortTest, EveryByteValuePassesBothWaysUnchanged) {
    constexpr int kWords = 16;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        unsigned int gains[kWords], offsets[kWords];
        for (int i = 0; i < kWords; ++i) {
            const auto byte = [&](int k) {
                return static_cast<unsigned int>(round * 128 + 4 * i + k);
            };
            gains[i] = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
            offsets[i] = ~gains[i];
        }
        ASSERT_TRUE(WriteBlock(0x60, kWords, gains).ok());
        ASSERT_TRUE(WriteBlock(0x70, kWords, offsets).ok());
        unsigned int back[kWords] = {};
        ASSERT_TRUE(ReadBlock(0x60, kWords, back).ok());
        for (int i = 0; i < kWords; ++i) {
            EXPECT_EQ(board.word(0x60 + i), gains[i]) << i;
            EXPECT_EQ(back[i], gains[i]) << i;
        }
        ASSERT_TRUE(ReadBlock(0x70, kWords, back).ok());
        for (int i = 0; i < kWords; ++i) EXPECT_EQ(back[i], offsets[i]) << i;
    }
}

TEST_P(NetworkPortTest, ALateAnswerIsNeverTheNextRequestsAnswer) {
    board.setReg(0x20, 0x1111);
    board.setReg(0x21, 0x2222);
    board.setFault(
        {.kind = Kind::Delay, .delayMs = static_cast<int>(kWait * 1000 * 2), .count = 1});
    unsigned int value = 0;
    EXPECT_EQ(GetRegister(0x20, &value), -1);
    EXPECT_EQ(GetRegister(0x21, &value), 1);
    EXPECT_EQ(value, 0x2222u);
}

TEST_P(NetworkPortTest, AnUpgradeGoesThroughAndCancelStopsAfterAWholeLine) {
    board.setBootloaderMode(true);
    const Lines records = ShortRecords(3);
    upgrade(writeFile(Joined(records)));
    EXPECT_EQ(lastMonitorLine(), "Data successfully sent");
    EXPECT_EQ(board.bootloaderLines(), records);

    board.setBootloaderMode(true);
    board.setPacing(true);
    whenEventsRun([&] {
        if (g_iBusy != 1 || board.bootloaderLines().size() < 3) return false;
        click(PANEL_CANCEL_UPGRADE);
        return true;
    });
    const Lines many = ShortRecords(300);
    upgrade(writeFile(Joined(many)));
    board.setPacing(false);
    ASSERT_FALSE(popups.popups.empty());
    EXPECT_EQ(popups.popups.back().title, "Warning message");
    const Lines taken = board.bootloaderLines();
    ASSERT_GE(taken.size(), 3u);
    EXPECT_LT(taken.size(), many.size());
    EXPECT_EQ(Lines(many.begin(), many.begin() + static_cast<long>(taken.size())), taken);
}

// The far host or ser2net going away is a vanished device, said at once; one press of
// Connect brings the board back once the server is back.
TEST_P(NetworkPortTest, AServerKilledMidCommandIsGoneAndOnePressReconnects) {
    board.setFault({.kind = Kind::Delay, .delayMs = 600, .count = 1});
    SetReceiveWaitSeconds(3);
    std::thread killer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        server.kill();
    });
    const auto started = std::chrono::steady_clock::now();
    unsigned int value = 0;
    EXPECT_EQ(GetRegister(1, &value), -1);
    killer.join();
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(),
              1.5)
        << "said at once, not after the receive wait";
    const Lines lines = messages();
    ASSERT_FALSE(lines.empty());
    bool gone = false;
    for (const std::string& line : lines) gone = gone || line.rfind(goneLinePrefix(), 0) == 0;
    EXPECT_TRUE(gone) << lines.back();
    EXPECT_EQ(g_iConnection_status, 0);

    std::string error;
    ASSERT_TRUE(server.restart(&error)) << error;
    board.clearFaults();
    click(PANEL_CONNECT);
    EXPECT_EQ(g_iConnection_status, 1);
    EXPECT_EQ(lastMonitorLine(), "Board temperature is 22.00");
}

// ser2net serves one client a port: a second gets its refusal as the reason.
TEST_P(NetworkPortTest, ASecondClientGetsTheServersRefusal) {
    DropLinkForTest();
    // The console gave its connection back only once the server had closed it, so the
    // other client is taken at once: it gets no refusal and no close.
    const int other = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = LoopbackAddress(server.port());
    ASSERT_EQ(::connect(other, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    pollfd p{other, POLLIN, 0};
    std::uint8_t bytes[256];
    bool closed = false;
    while (!closed && ::poll(&p, 1, 300) > 0) closed = ::recv(other, bytes, sizeof bytes, 0) <= 0;
    ASSERT_FALSE(closed) << "the server refused the other client";
    click(PANEL_CONNECT);
    ::close(other);
    EXPECT_EQ(g_iConnection_status, 0);
    const std::string line = lastMonitorLine();
    EXPECT_EQ(line.rfind("COM1 is " + server.url() +
                             " (from TARVIK_COM1): in use by another program (refused by the "
                             "server: Port already in use)",
                         0),
              0u)
        << line;
}

INSTANTIATE_TEST_SUITE_P(Accepters, NetworkPortTest,
                         ::testing::Values(Accepter::RawTcp, Accepter::Rfc2217), AccepterName);

// A server that answers the COM-PORT-OPTION but sets another baud rate than asked.
class WrongBaudServer {
  public:
    WrongBaudServer() {
        listener_ = ListenOnLoopback(&port_);
        thread_ = std::thread([this] { serve(); });
    }
    ~WrongBaudServer() {
        ::shutdown(listener_, SHUT_RDWR);
        ::close(listener_);
        thread_.join();
    }
    int port() const { return port_; }

  private:
    void serve() {
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0) return;
        const std::vector<std::uint8_t> agree{TELNET_IAC, TELNET_DO, TELNET_COM_PORT};
        ::send(client, agree.data(), agree.size(), MSG_NOSIGNAL);
        // Whatever is asked, the baud rate answered is 9600 (0x2580).
        std::uint8_t buffer[256];
        while (::recv(client, buffer, sizeof buffer, 0) > 0) {
            const std::vector<std::uint8_t> answer =
                ComPortCommand(COM_PORT_SET_BAUDRATE + COM_PORT_SERVER_OFFSET, {0, 0, 0x25, 0x80});
            ::send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
        }
        ::close(client);
    }
    int listener_ = -1, port_ = 0;
    std::thread thread_;
};

using NetworkFailureTest = BoardTest;

// Each failure says where the mapping came from, the reason, and what to check; none waits
// past the connection's 5 s.
TEST_F(NetworkFailureTest, EachFailureToReachTheServerIsSaidWithItsFix) {
    const int closed = Ser2netServer::FreePort();
    WrongBaudServer wrongBaud;
    struct Case {
        std::string url, reason, fix;
    };
    const Case cases[] = {
        {"tcp://127.0.0.1:" + std::to_string(closed), "Connection refused",
         "Is ser2net running there, and is the port in its configuration?"},
        {"rfc2217://no-such-host.invalid:2001", "",
         "Check the host's name, or set TARVIK_COM1 to its device, for example "
         "TARVIK_COM1=/dev/ttyUSB0"},
        {"rfc2217://127.0.0.1:" + std::to_string(wrongBaud.port()),
         "the server set the baud rate to 9600, not 38400",
         "The server must take 38400 baud, 8 data bits, no parity, one stop bit and no flow "
         "control"},
        {"tcp://rack3", "not a serial device (tcp://HOST:PORT wants a port)",
         "rfc2217:// is for ser2net's telnet(rfc2217) accepters, tcp:// for its tcp ones"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        MapComPort(1, c.url);
        DropLinkForTest();
        ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
        const auto started = std::chrono::steady_clock::now();
        click(PANEL_CONNECT);
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(),
                  kConnectLimitSeconds + 1);
        EXPECT_EQ(g_iConnection_status, 0);
        const Lines lines = monitorLines();
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0], "FAILURE: Connection to COM1 port failed!");
        const std::string head = "COM1 is " + c.url + " (from TARVIK_COM1): ";
        EXPECT_EQ(lines[1].rfind(head + c.reason, 0), 0u) << lines[1];
        EXPECT_GE(lines[1].size(), c.fix.size());
        EXPECT_EQ(lines[1].substr(lines[1].size() - c.fix.size()), c.fix) << lines[1];
    }
}

}  // namespace
