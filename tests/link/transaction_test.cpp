// Whole transactions against the virtual board: exact bytes on the wire, every
// way a response can be wrong, and the busy flag.
#include "link/transaction.h"

#include "link/connection.h"
#include "link/deadline.h"
#include "link/frame.h"
#include "link/line_guard.h"
#include "link/serial_link.h"
#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "panel/serial_monitor.h"
#include "registers/block_access.h"
#include "registers/register_access.h"
#include "runtime/cvirte.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"
#include "tests/support/board_fixture.h"

namespace {

using Fault = boardsim::Fault;
using Lines = std::vector<std::string>;

class TransactionTest : public BoardTest {
  protected:
    void SetUp() override {
        BoardTest::SetUp();
        connectQuickly();
    }
    // Proves without a pause that nothing went out before: with the link
    // free again, the first bytes the board sees are this read's.
    void expectOnlyTheNextReadSent() {
        g_iBusy = 0;
        g_iConnection_status = 1;
        unsigned int value = 0;
        ASSERT_EQ(GetRegister(1, &value), 1);
        EXPECT_EQ(framesSent(), (std::vector<std::vector<uint32_t>>{{0x42000002, 0x00010045}}));
    }
};

}  // namespace

TEST_F(TransactionTest, ReadingRegisterOneSendsTheDocumentedBytes) {
    unsigned int value = 0;
    ASSERT_EQ(GetRegister(1, &value), 1);
    EXPECT_EQ(board.received(),
              (std::vector<uint8_t>{0x42, 0x00, 0x00, 0x02, 0x00, 0x01, 0x00, 0x45}));
    EXPECT_EQ(value, 500u);
    EXPECT_EQ(monitorLines(),
              (Lines{"TX: 42000002", "       00010045", "RX: C2000002", "       01F400B9"}));
    // The request keeps its checksum; the response's is cleared once checked.
    EXPECT_EQ(g_uiTx_word_buf[1], 0x00010045u);
    EXPECT_EQ(g_uiRx_word_buf[1] & 0xFFu, 0u);
    EXPECT_EQ(g_iBusy, 0);
}

TEST_F(TransactionTest, OnlyTheLow16BitsOfAnAddressOrValueGoOut) {
    unsigned int value = 0, readback = 0;
    ASSERT_EQ(GetRegister(0x10001, &value), 1);
    EXPECT_EQ(value, 500u);
    board.clearRecording();
    ASSERT_EQ(SetRegister(0x20, 0xFFFF, 0x00FF, &readback), 1);
    EXPECT_EQ(framesSent(),
              (std::vector<std::vector<uint32_t>>{{0x41000003, 0xFFFF00FF, 0x00200061}}));
    EXPECT_EQ(readback, 0x00FFu);
    board.clearRecording();
    // A value wider than 16 bits must not change the mask half of the word.
    ASSERT_EQ(SetRegister(0x21, 0x00FF, 0x12345, &readback), 1);
    EXPECT_EQ(framesSent().at(0).at(1), 0x00FF2345u);
}

TEST_F(TransactionTest, BlocksCarryWholeWordsBothWays) {
    const uint32_t gains[2] = {FloatBits(1.25f), FloatBits(-0.5f)};
    ASSERT_EQ(SetBlock(0x60, 2, gains), 1);
    auto frames = framesSent();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][0], 0x43000004u);
    EXPECT_EQ(frames[0][1], gains[0]);
    EXPECT_EQ(frames[0][2], gains[1]);
    EXPECT_EQ(frames[0][3] & 0xFFFFFF00u, 0x00600000u);

    board.clearRecording();
    uint32_t read[16];
    ASSERT_EQ(GetBlock(0x60, 16, read), 1);
    EXPECT_EQ(framesSent().at(0), (std::vector<uint32_t>{0x44000003, 0x00000010, 0x006000B7}));
    EXPECT_EQ(read[0], gains[0]);
    EXPECT_EQ(read[1], gains[1]);
    for (int i = 2; i < 16; ++i) EXPECT_EQ(read[i], board.word(0x60 + i)) << i;
}

TEST_F(TransactionTest, BlockCountsOutsideTheFrameAreRefusedUnsent) {
    uint32_t words[BLOCK_MAX_WORDS + 1] = {0xDEADBEEF};
    EXPECT_EQ(GetBlock(0x60, 0, words), BLOCK_BAD_COUNT);
    EXPECT_EQ(GetBlock(0x60, BLOCK_MAX_WORDS + 1, words), BLOCK_BAD_COUNT);
    EXPECT_EQ(SetBlock(0x60, -1, words), BLOCK_BAD_COUNT);
    EXPECT_EQ(words[0], 0xDEADBEEFu);
    EXPECT_EQ(GetSerialResponse(FRAME_MAX_BYTES + 4), -1);
    EXPECT_TRUE(board.received().empty());
    uint32_t most[BLOCK_MAX_WORDS];
    EXPECT_EQ(GetBlock(0x60, BLOCK_MAX_WORDS, most), 1);
}

TEST_F(TransactionTest, EachStatusBitHasItsLineAndFails) {
    const Lines all = {"Status register error: checksum error",
                       "Status register error: PIC response timeout",
                       "Status register error: PIC failed to respond after boot",
                       "Status register error: unrecognized command ID",
                       "Status register error: unrecognized address",
                       "Status register error: other PIC related error",
                       "Status register error: boot registers are not configured"};
    for (int bit = 0; bit < 7; ++bit) {
        SCOPED_TRACE(bit);
        connectQuickly();
        shortenReceiveWait();
        board.setFault(Fault{.kind = Fault::Kind::StatusBits, .status = uint8_t(1u << bit)});
        unsigned int value = 99;
        EXPECT_EQ(GetRegister(1, &value), -1);
        EXPECT_EQ(value, 0u);
        EXPECT_EQ(messages(), (Lines{all[bit], "ERROR:failed to get a response"}));
    }
    connectQuickly();
    shortenReceiveWait();
    board.setFault(Fault{.kind = Fault::Kind::StatusBits, .status = 0x03});
    unsigned int value = 0;
    EXPECT_EQ(GetRegister(1, &value), -1);
    EXPECT_EQ(messages(), (Lines{all[0], all[1], "ERROR:failed to get a response"}));

    // 0x80 fails without a line of its own.
    connectQuickly();
    shortenReceiveWait();
    board.setFault(Fault{.kind = Fault::Kind::StatusBits, .status = 0x80});
    EXPECT_EQ(GetRegister(1, &value), -1);
    EXPECT_EQ(messages(), (Lines{"ERROR:failed to get a response"}));
    EXPECT_EQ(g_iBusy, 0);
}

// Each failure is a value with its reason in words, and each line a level: the command line
// companion builds its messages and its filter from these, never from the monitor's text.
TEST_F(TransactionTest, MalformedResponsesFailWithTheirReasonAndLevel) {
    struct Case {
        Fault fault;
        RegisterError error;
        std::string reason;
        Lines lines;
    };
    const std::string kNoAnswerAdvice = NoAnswerAdvice(board.devicePath());
    const Case cases[] = {
        {Fault{.kind = Fault::Kind::WrongCount},
         RegisterError::NoAnswer,
         "Different number of words received",
         {"ERROR on 66: Different number of words received", "ERROR:failed to get a response"}},
        {Fault{.kind = Fault::Kind::BadChecksum},
         RegisterError::NoAnswer,
         "Incorrect checksum",
         {"ERROR in GetResponse: Incorrect checksum", "ERROR:failed to get a response"}},
        {Fault{.kind = Fault::Kind::WrongId},
         RegisterError::WrongAnswer,
         "rx = 195, tx = 66",
         {"ERROR: rx = 195, tx = 66"}},
        {Fault{.kind = Fault::Kind::StatusBits, .status = 0x18},
         RegisterError::NoAnswer,
         "Status register error: unrecognized command ID; Status register error: unrecognized "
         "address",
         {"Status register error: unrecognized command ID",
          "Status register error: unrecognized address", "ERROR:failed to get a response"}},
        // No answer at all, or not a whole one: one more line says what to check.
        {Fault{.kind = Fault::Kind::Silence},
         RegisterError::NoAnswer,
         "Timed out on GetInQLen",
         {"ERROR on 66: Timed out on GetInQLen", kNoAnswerAdvice,
          "ERROR:failed to get a response"}},
        {Fault{.kind = Fault::Kind::ShortAnswer, .bytes = 3},
         RegisterError::NoAnswer,
         "Timed out on GetInQLen",
         {"ERROR on 66: Timed out on GetInQLen", kNoAnswerAdvice,
          "ERROR:failed to get a response"}},
    };
    static std::vector<std::pair<LogLevel, std::string>> logged;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        connectQuickly();
        shortenReceiveWait();
        board.clearFaults();
        board.setFault(c.fault);
        logged.clear();
        SetLogSink([](LogLevel level, const char* line) { logged.emplace_back(level, line); });
        unsigned int value = 7;
        const RegisterResult result = ReadRegister(1, &value);
        SetLogSink(nullptr);
        EXPECT_EQ(result.error, c.error);
        EXPECT_EQ(result.reason, c.reason);
        EXPECT_EQ(RegisterResultCode(result), -1);
        EXPECT_EQ(value, 0u);
        Lines problems;
        for (const auto& [level, line] : logged) {
            const bool frame = line.rfind("TX: ", 0) == 0 || line.rfind("RX: ", 0) == 0 ||
                               line.rfind("       ", 0) == 0;
            EXPECT_EQ(level, frame                     ? LOG_INFORMATION
                             : line == kNoAnswerAdvice ? LOG_WARNING
                                                       : LOG_ERROR)
                << line;
            if (!frame) problems.push_back(line);
        }
        EXPECT_EQ(problems, c.lines);
        EXPECT_EQ(g_iBusy, 0);
    }
}

TEST_F(TransactionTest, TrailingBytesAreFlushedByTheNextSend) {
    board.setFault(Fault{.kind = Fault::Kind::TrailingBytes, .count = 1, .bytes = 5});
    unsigned int value = 0;
    EXPECT_EQ(GetRegister(1, &value), 1);
    EXPECT_EQ(value, 500u);
    // The stray bytes are in the console's input queue before the next send.
    for (int i = 0; i < 400 && GetInQLen(1) < 5; ++i) Delay(0.005);
    ASSERT_EQ(GetInQLen(1), 5);
    EXPECT_EQ(GetRegister(0, &value), 1);
    EXPECT_EQ(value, 0x12u);
}

TEST_F(TransactionTest, BusyRefusalsSendNothing) {
    g_iBusy = 1;
    unsigned int value = 5;
    EXPECT_EQ(GetRegister(1, &value), -1);
    EXPECT_EQ(value, 5u);
    EXPECT_EQ(SetRegister(0x20, 0xFFFF, 1, &value), -1);
    uint32_t words[2] = {1, 2};
    EXPECT_EQ(GetBlock(0x60, 2, words), -1);
    EXPECT_EQ(words[0], 1u);
    EXPECT_EQ(SetBlock(0x60, 2, words), -1);
    EXPECT_EQ(monitorLines(), Lines(4, "WARNING: Busy, can't process cmd!"));
    EXPECT_EQ(ReadRegister(1, &value).error, RegisterError::Busy);
    EXPECT_EQ(SendFrame(g_uiTx_word_buf, 2).error, LinkError::Busy);
    ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    g_uiTx_word_buf[0] = 0x42000002;
    g_uiTx_word_buf[1] = 0x00010000;
    EXPECT_EQ(SendSerialMsg(g_uiTx_word_buf, 2), -1);
    EXPECT_EQ(lastMonitorLine(), "WARNING: g_iBusy, can't process cmd!");
    EXPECT_EQ(g_iBusy, 1);
    expectOnlyTheNextReadSent();
}

TEST_F(TransactionTest, NotConnectedSendsNothingAndFails) {
    g_iConnection_status = 0;
    unsigned int value = 5;
    EXPECT_EQ(GetRegister(1, &value), LINK_NOT_CONNECTED);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(ReadRegister(1, &value).error, RegisterError::NotConnected);
    uint32_t words[16];
    std::fill(std::begin(words), std::end(words), 0xFFFFFFFFu);
    EXPECT_EQ(GetBlock(0x60, 16, words), LINK_NOT_CONNECTED);
    for (uint32_t w : words) EXPECT_EQ(w, 0u);
    EXPECT_EQ(SetBlock(0x60, 16, words), LINK_NOT_CONNECTED);
    EXPECT_TRUE(monitorLines().empty());
    expectOnlyTheNextReadSent();
}

// A program being stopped (tarvikctl on a signal) asks the link to stop: nothing more goes
// out, a wait for an answer ends at once and leaves the line guarded for its late answer.
TEST_F(TransactionTest, AnInterruptedLinkSendsNothingAndWaitsForNoAnswer) {
    board.setFault(Fault{.kind = Fault::Kind::Silence});
    g_iTXCommand_id = 0x42;
    g_uiTx_word_buf[0] = 0x42000002;
    g_uiTx_word_buf[1] = 0x00010000;
    ASSERT_TRUE(SendFrame(g_uiTx_word_buf, 2).ok());
    InterruptLinkWaits();
    const double start = Timer();
    EXPECT_EQ(ReceiveFrame(2 * 4).error, LinkError::Interrupted);
    EXPECT_LT(Timer() - start, FullReceiveWaitSeconds() / 2);
    EXPECT_EQ(LineUnsettled(), 1);
    EXPECT_EQ(lastMonitorLine(), "ERROR on 66: Interrupted while waiting for the answer");
    const std::size_t sent = board.received().size();
    EXPECT_EQ(SendFrame(g_uiTx_word_buf, 2).error, LinkError::Interrupted);
    EXPECT_EQ(g_iBusy, 0);
    EXPECT_EQ(board.received().size(), sent);
    ClearLinkInterrupt();
}

TEST_F(TransactionTest, BoardHangingUpMidAnswerFailsPromptly) {
    // A command that hung would run into the test's time-out.
    board.setFault(Fault{.kind = Fault::Kind::HangUp, .bytes = 4});
    unsigned int value = 9;
    EXPECT_LT(GetRegister(1, &value), 0);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(messages().back(), "ERROR:failed to get a response");
    // Later commands fail too, but none of them hangs.
    EXPECT_LT(GetRegister(1, &value), 0);
    EXPECT_EQ(g_iBusy, 0);
}
