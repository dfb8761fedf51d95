// An answer that comes after its receive wait gave up must never be taken for
// the answer to a later request: the next send waits it out and throws it away,
// and the port is not given to another program before the line is quiet.
#include <unistd.h>

#include <QElapsedTimer>
#include <algorithm>
#include <array>

#include "app/shell.h"
#include "link/connection.h"
#include "link/frame.h"
#include "link/line_guard.h"
#include "link/serial_link.h"
#include "link/testing.h"
#include "link/transaction.h"
#include "panel/Tarviktest.h"
#include "panel/serial_monitor.h"
#include "registers/block_access.h"
#include "registers/register_access.h"
#include "runtime/cvirte.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"
#include "tests/cli/cli_process.h"
#include "tests/support/board_fixture.h"

namespace {

using Fault = boardsim::Fault;
using Lines = std::vector<std::string>;

constexpr uint16_t kFirst = 0x20, kSecond = 0x21;  // DAC code registers the board keeps
constexpr uint16_t kGains = 0x60, kCurrents = 0x50;
// The receive wait these tests use; the guard is one and a half of it.
constexpr double kWait = 0.1;

class LateAnswerTest : public BoardTest {
  protected:
    void SetUp() override {
        BoardTest::SetUp();
        board.setReg(kFirst, 0x1111);
        board.setReg(kSecond, 0x2222);
        for (int k = 0; k < CHANNEL_COUNT; ++k) {
            board.setWord(kGains + k, FloatBits(1.0f + k / 100.0f));
            board.setWord(kCurrents + k, FloatBits(10.0f + k));
        }
        connectQuickly();
        SetReceiveWaitSeconds(kWait);
    }
    // The board answers the next request `factor` receive waits after it.
    void answerNextLate(double factor) {
        board.clearFaults();
        board.setFault({.kind = Fault::Kind::Delay,
                        .delayMs = static_cast<int>(factor * kWait * 1000),
                        .count = 1});
        board.clearRecording();
        ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    }
    void expectCurrents() {
        std::array<uint32_t, CHANNEL_COUNT> words{};
        ASSERT_EQ(GetBlock(kCurrents, CHANNEL_COUNT, words.data()), 1);
        for (int k = 0; k < CHANNEL_COUNT; ++k) EXPECT_EQ(BitsFloat(words[k]), 10.0f + k) << k;
    }
};

}  // namespace

// The waits are times on the clock, so where an answer lands is known: within the wait it
// is taken; after it, within the guard, it is thrown away before the next request goes out.
TEST_F(LateAnswerTest, ALateAnswerIsNeverTheNextRequestsAnswer) {
    struct Case {
        double factor;  // of the receive wait
        bool block;     // a block read fails first, else a register read
        bool inTime;
    };
    const Case cases[] = {{0.3, false, true},
                          {1.5, false, false},
                          {2.3, false, false},
                          {1.5, true, false},
                          {2.3, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE((c.block ? "block, " : "register, ") + std::to_string(c.factor));
        answerNextLate(c.factor);
        unsigned int value = 0;
        std::array<uint32_t, CHANNEL_COUNT> gains{};
        const int first =
            c.block ? GetBlock(kGains, CHANNEL_COUNT, gains.data()) : GetRegister(kFirst, &value);
        EXPECT_EQ(first, c.inTime ? 1 : -1);
        EXPECT_EQ(LineUnsettled(), c.inTime ? 0 : 1);
        // As at the bench: the coefficients' read timed out, then Read currents.
        if (c.block) expectCurrents();
        ASSERT_EQ(GetRegister(kSecond, &value), 1);
        EXPECT_EQ(value, 0x2222u);
        const std::string discarded =
            "WARNING on " + std::to_string(c.block ? CMD_GET_BLOCK : CMD_GET_REGISTER) +
            ": Discarded " + std::to_string(c.block ? 72 : 8) + " late bytes of a failed answer";
        const Lines lines = messages();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), discarded), c.inTime ? 0 : 1);
        // Only the requests reached the board: nothing was sent while it was late.
        EXPECT_EQ(framesSent().size(), c.block ? 3u : 2u);
    }
}

TEST_F(LateAnswerTest, EveryKindOfFailedAnswerUnsettlesTheLineAndSuccessLeavesItAlone) {
    const Fault faults[] = {{.kind = Fault::Kind::Silence, .count = 1},
                            {.kind = Fault::Kind::StatusBits, .status = 0x10, .count = 1},
                            {.kind = Fault::Kind::WrongId, .count = 1},
                            {.kind = Fault::Kind::WrongCount, .count = 1},
                            {.kind = Fault::Kind::BadChecksum, .count = 1},
                            {.kind = Fault::Kind::ShortAnswer, .count = 1, .bytes = 2}};
    for (const Fault& fault : faults) {
        SCOPED_TRACE(static_cast<int>(fault.kind));
        unsigned int value = 0;
        ASSERT_EQ(GetRegister(kFirst, &value), 1);
        EXPECT_EQ(LineUnsettled(), 0);
        board.setFault(fault);
        EXPECT_EQ(GetRegister(kFirst, &value), -1);
        EXPECT_EQ(LineUnsettled(), 1);
        ASSERT_EQ(GetRegister(kSecond, &value), 1);
        EXPECT_EQ(value, 0x2222u);
        EXPECT_EQ(LineUnsettled(), 0);
    }
}

TEST_F(LateAnswerTest, ABoardThatNeverStopsSendingFailsTheNextCommandUnsent) {
    SetLineQuietLimit(0.5);
    board.setFault({.kind = Fault::Kind::Chatter, .delayMs = 5});
    unsigned int value = 0;
    EXPECT_EQ(GetRegister(kFirst, &value), -1);
    board.clearRecording();
    ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");

    EXPECT_EQ(GetRegister(kSecond, &value), -2);
    EXPECT_EQ(value, 0u);
    const Lines lines = messages();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("ERROR on 66: The line never went quiet after a failed answer (", 0),
              0u)
        << lines[0];
    EXPECT_EQ(lines[1], "ERROR:failed to send message");
    EXPECT_TRUE(board.received().empty());
    EXPECT_EQ(g_iBusy, 0);
    EXPECT_EQ(LineUnsettled(), 1);

    // Quiet again: the next command goes through.
    board.clearFaults();
    ASSERT_EQ(GetRegister(kSecond, &value), 1);
    EXPECT_EQ(value, 0x2222u);
    SetLineQuietLimit(LINE_QUIET_LIMIT_SECONDS);
}

// Disconnect after a failed answer: the console keeps the port locked until the line is
// quiet, so that no other program opens it in time to take the late answer for its own.
TEST_F(LateAnswerTest, APortGivenUpAfterAFailedAnswerStaysLockedUntilTheLineIsQuiet) {
    answerNextLate(1.5);
    unsigned int value = 0;
    ASSERT_EQ(GetRegister(kFirst, &value), -1);
    click(PANEL_CONNECT);
    EXPECT_EQ(lastMonitorLine(), "Disconnected from COM1");
    EXPECT_EQ(g_iConnection_status, 0);
    EXPECT_TRUE(LinkPortOpen());
    QElapsedTimer waited;
    waited.start();
    while (LinkPortOpen() && waited.elapsed() < 10'000) PumpEvents(20);
    EXPECT_FALSE(LinkPortOpen());
    EXPECT_EQ(lastMonitorLine(), "WARNING on 66: Discarded 8 late bytes of a failed answer");

    // The next Connect's version read gets the version.
    board.setFirmwareVersion(0x0012);
    click(PANEL_CONNECT);
    EXPECT_EQ(messages().at(messages().size() - 2), "Firmware version is 0x0012");

    // A port held for a late answer is given up for a device chosen meanwhile.
    answerNextLate(1.5);
    ASSERT_EQ(GetRegister(kFirst, &value), -1);
    click(PANEL_CONNECT);
    ASSERT_TRUE(LinkPortOpen());
    ASSERT_EQ(SetComPortDevice(1, "/nonexistent/tty", 0), 0);
    click(PANEL_CONNECT);
    EXPECT_EQ(messages().at(messages().size() - 2), "FAILURE: Connection to COM1 port failed!");
    EXPECT_FALSE(LinkPortOpen());
}

// The console opened right after a failed tarvikctl run: the run gave up the port only once
// the late answer had come and gone, so the console's first read gets its own register.
TEST_F(LateAnswerTest, TheConsoleAfterAFailedCommandLineRunGetsItsOwnAnswers) {
    DropLinkForTest();
    answerNextLate(1.6);
    setenv("TARVIKCTL_RECEIVE_WAIT", std::to_string(kWait).c_str(), 1);
    const CliOutcome failed = RunCli({"--device", board.devicePath(), "read", "0x20"});
    EXPECT_EQ(failed.status, 1) << failed.err;
    connectQuickly();
    unsigned int value = 0;
    ASSERT_EQ(GetRegister(kSecond, &value), 1);
    EXPECT_EQ(value, 0x2222u);
}
