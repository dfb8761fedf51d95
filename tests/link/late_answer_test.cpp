// An answer that comes after its receive wait gave up must never be taken for
// the answer to the next request: the next send waits it out and throws it away.
#include <array>

#include "app/shell.h"
#include "link/connection.h"
#include "link/line_guard.h"
#include "link/serial_link.h"
#include "link/testing.h"
#include "link/transaction.h"
#include "panel/Tarviktest.h"
#include "panel/serial_monitor.h"
#include "registers/block_access.h"
#include "registers/register_access.h"
#include "runtime/cvirte.h"
#include "runtime/userint.h"
#include "tests/support/board_fixture.h"

namespace {

using Fault = boardsim::Fault;
using Lines = std::vector<std::string>;

constexpr uint16_t kFirst = 0x20, kSecond = 0x21;  // DAC code registers the board keeps
constexpr uint16_t kGains = 0x60, kCurrents = 0x50;

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
    }
    // A board that answers the next request `factor` receive waits late. The
    // wait is counted in polls and a busy machine stretches it, so its length
    // is measured on a silent request just before, rather than taken from the
    // speed test.
    void answerNextLate(double factor) {
        connectQuickly();
        shortenReceiveWait();
        board.clearFaults();
        board.setFault({.kind = Fault::Kind::Silence, .count = 1});
        unsigned int ignored = 0;
        const double start = Timer();
        ASSERT_EQ(GetRegister(kFirst, &ignored), -1);
        const double wait = Timer() - start;
        board.setFault({.kind = Fault::Kind::Delay,
                        .delayMs = static_cast<int>(factor * wait * 1000),
                        .count = 1});
        board.clearRecording();
        ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    }
};

}  // namespace

// The wait is counted in polls and the board's delay in time, so on a busy
// machine a late answer may still land within its wait, or arrive after the
// guard; either way a read gives its own data or fails, never another's.
TEST_F(LateAnswerTest, ARegisterReadAfterALateAnswerGetsItsOwnRegister) {
    for (double factor : {0.5, 1.5, 1.9}) {
        SCOPED_TRACE(factor);
        answerNextLate(factor);
        unsigned int value = 0;
        if (GetRegister(kFirst, &value) == 1) {
            EXPECT_EQ(value, 0x1111u);
        }
        if (GetRegister(kSecond, &value) == 1) {
            EXPECT_EQ(value, 0x2222u);
        }
    }
}

TEST_F(LateAnswerTest, ABlockReadAfterALateAnswerGetsItsOwnBlock) {
    for (double factor : {0.5, 1.5, 1.9}) {
        SCOPED_TRACE(factor);
        // As at the bench: the coefficients' read times out, then Read currents.
        answerNextLate(factor);
        std::array<uint32_t, CHANNEL_COUNT> words{};
        GetBlock(kGains, CHANNEL_COUNT, words.data());
        if (GetBlock(kCurrents, CHANNEL_COUNT, words.data()) == 1) {
            for (int k = 0; k < CHANNEL_COUNT; ++k) EXPECT_EQ(BitsFloat(words[k]), 10.0f + k) << k;
        }

        // A register read after a late block is no different.
        answerNextLate(factor);
        GetBlock(kGains, CHANNEL_COUNT, words.data());
        unsigned int value = 0;
        if (GetRegister(kSecond, &value) == 1) {
            EXPECT_EQ(value, 0x2222u);
        }
    }
}

TEST_F(LateAnswerTest, DiscardedBytesAreCountedInTheMonitor) {
    // A busy machine may stretch the wait over the late answer; try again then.
    unsigned int value = 0;
    int first = 1;
    for (int attempt = 0; attempt < 3 && first == 1; ++attempt) {
        answerNextLate(1.2);
        first = GetRegister(kFirst, &value);
    }
    ASSERT_EQ(first, -1);
    ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    ASSERT_EQ(GetRegister(kSecond, &value), 1);
    EXPECT_EQ(messages(), Lines{"WARNING on 66: Discarded 8 late bytes of a failed answer"});
    // Only the two requests reached the board: nothing was sent while it was late.
    EXPECT_EQ(framesSent().size(), 2u);
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
        connectQuickly();
        shortenReceiveWait();
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
    connectQuickly();
    shortenReceiveWait();
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
