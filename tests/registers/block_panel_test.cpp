// The block section against the virtual board: what is sent, what is shown,
// and the requests it refuses without sending anything.
#include "registers/block_panel.h"

#include <string>
#include <vector>

#include "app/shell.h"
#include "link/connection.h"
#include "link/frame.h"
#include "link/serial_link.h"
#include "panel/Tarviktest.h"
#include "runtime/userint.h"
#include "tests/support/board_fixture.h"
#include "tests/support/test_names.h"

namespace {

constexpr uint16_t kSetPointCells = 0x40;
constexpr uint16_t kDacGainCells = 0x60;
constexpr uint32_t kAddressMask = 0xFFFF0000u;

class BlockPanelTest : public BoardTest {
  protected:
    void SetUp() override {
        BoardTest::SetUp();
        connectQuickly();
    }
    void useFloat() { click(PANEL_BLOCK_FLOAT); }
    void fill(const std::string& address, const std::string& count, const std::string& value) {
        setText(PANEL_BLOCK_ADDRESS, address);
        setText(PANEL_BLOCK_COUNT, count);
        setText(PANEL_BLOCK_VALUE, value);
    }
};

TEST_F(BlockPanelTest, ReadShowsOnlyTheLastWord) {
    board.setWord(kDacGainCells, 0x11111111);
    board.setWord(kDacGainCells + 1, 0x22222222);
    board.setWord(kDacGainCells + 2, 0x0000ABCD);
    fill("0x60", "3", "");
    click(PANEL_READ_BLOCK);
    ASSERT_EQ(framesSent().size(), 1u);
    const std::vector<uint32_t> request = framesSent()[0];
    ASSERT_EQ(request.size(), 3u);
    EXPECT_EQ(request[0], 0x44000003u);
    EXPECT_EQ(request[1], 3u);
    EXPECT_EQ(request[2] & kAddressMask, 0x00600000u);
    EXPECT_EQ(text(PANEL_BLOCK_VALUE), "0x0000ABCD");

    board.setWord(kDacGainCells + 2, FloatBits(1.0f));
    useFloat();
    click(PANEL_READ_BLOCK);
    EXPECT_EQ(text(PANEL_BLOCK_VALUE), "1.000");
}

TEST_F(BlockPanelTest, FailedTransfersShowError) {
    shortenReceiveWait();
    board.setFault({.kind = boardsim::Fault::Kind::StatusBits, .status = 0x10});
    fill("60", "3", "1");
    click(PANEL_READ_BLOCK);
    EXPECT_EQ(text(PANEL_BLOCK_VALUE), "Error");

    setText(PANEL_BLOCK_VALUE, "1");
    EXPECT_EQ(SetBlock_cb(g_hmainPanel, PANEL_WRITE_BLOCK, EVENT_COMMIT, nullptr, 0, 0), -1);
    EXPECT_EQ(text(PANEL_BLOCK_VALUE), "Error");
    EXPECT_EQ(framesSent().size(), 2u);
}

TEST_F(BlockPanelTest, FloatWriteSendsTheSameFrameAsItsHexWord) {
    fill("40", "4", "3FC00000");
    click(PANEL_WRITE_BLOCK);
    useFloat();
    setText(PANEL_BLOCK_VALUE, "1.5");
    click(PANEL_WRITE_BLOCK);

    const auto frames = framesSent();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], frames[1]);
    ASSERT_EQ(frames[0].size(), 6u);
    EXPECT_EQ(frames[0][0], 0x43000006u);
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(frames[0][i], 0x3FC00000u) << i;
    EXPECT_EQ(frames[0][5] & kAddressMask, 0x00400000u);
    for (uint16_t a = kSetPointCells; a < kSetPointCells + 4; ++a)
        EXPECT_EQ(board.word(a), 0x3FC00000u);
    EXPECT_EQ(text(PANEL_BLOCK_VALUE), "1.5");  // the operator's text stays
}

TEST_F(BlockPanelTest, LargestCountsAreAccepted) {
    board.setWord(kDacGainCells + BLOCK_MAX_WORDS - 1, 0xCAFE0001);
    fill("60", std::to_string(BLOCK_MAX_WORDS), "");
    click(PANEL_READ_BLOCK);
    EXPECT_EQ(text(PANEL_BLOCK_VALUE), "0xCAFE0001");

    fill("60", std::to_string(BLOCK_WRITE_BUFFER_WORDS), "0x12345678");
    click(PANEL_WRITE_BLOCK);
    EXPECT_EQ(board.word(kDacGainCells + BLOCK_WRITE_BUFFER_WORDS - 1), 0x12345678u);
    EXPECT_EQ(board.word(kDacGainCells + BLOCK_WRITE_BUFFER_WORDS), FloatBits(0.0f));
}

struct Refusal {
    int button;
    bool floatFormat;
    const char* count;
    const char* value;
    const char* line;
};

class BlockRefusalTest : public BlockPanelTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(BlockRefusalTest, ShowsErrorSaysWhyAndSendsNothing) {
    const Refusal r = GetParam();
    if (r.floatFormat) useFloat();
    fill("60", r.count, r.value);
    ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    click(r.button);
    EXPECT_EQ(text(PANEL_BLOCK_VALUE), "Error");
    EXPECT_EQ(monitorLines(), std::vector<std::string>{r.line});
    EXPECT_TRUE(board.received().empty());
    EXPECT_TRUE(popups.popups.empty());
}

INSTANTIATE_TEST_SUITE_P(
    BlockRefusals, BlockRefusalTest,
    ::testing::Values(
        Refusal{PANEL_READ_BLOCK, false, "0", "", "ERROR: Word count \"0\" refused: not 1 to 48"},
        Refusal{PANEL_READ_BLOCK, false, "", "",
                "ERROR: Word count \"\" refused: not a decimal number"},
        Refusal{PANEL_READ_BLOCK, false, "49", "", "ERROR: Word count \"49\" refused: not 1 to 48"},
        Refusal{PANEL_READ_BLOCK, false, "abc", "",
                "ERROR: Word count \"abc\" refused: not a decimal number"},
        Refusal{PANEL_READ_BLOCK, false, "-1", "",
                "ERROR: Word count \"-1\" refused: not a decimal number"},
        Refusal{PANEL_READ_BLOCK, false, "4294967297", "",
                "ERROR: Word count \"4294967297\" refused: not 1 to 48"},
        Refusal{PANEL_WRITE_BLOCK, false, "0", "1", "ERROR: Word count \"0\" refused: not 1 to 30"},
        Refusal{PANEL_WRITE_BLOCK, false, "31", "1",
                "ERROR: Word count \"31\" refused: not 1 to 30"},
        Refusal{PANEL_WRITE_BLOCK, false, "4", "xyz",
                "ERROR: Block value \"xyz\" refused: not a hexadecimal number"},
        Refusal{PANEL_WRITE_BLOCK, false, "4", "",
                "ERROR: Block value \"\" refused: not a hexadecimal number"},
        Refusal{PANEL_WRITE_BLOCK, false, "4", "-1",
                "ERROR: Block value \"-1\" refused: not a hexadecimal number"},
        Refusal{PANEL_WRITE_BLOCK, false, "4", "0x",
                "ERROR: Block value \"0x\" refused: not a hexadecimal number"},
        Refusal{PANEL_WRITE_BLOCK, false, "4", "123456789",
                "ERROR: Block value \"123456789\" refused: more than 32 bits (at most "
                "0xFFFFFFFF)"},
        Refusal{PANEL_WRITE_BLOCK, true, "4", "abc",
                "ERROR: Block value \"abc\" refused: not a finite decimal number"},
        Refusal{PANEL_WRITE_BLOCK, true, "4", "nan",
                "ERROR: Block value \"nan\" refused: not a finite decimal number"},
        Refusal{PANEL_WRITE_BLOCK, true, "4", "inf",
                "ERROR: Block value \"inf\" refused: not a finite decimal number"},
        Refusal{PANEL_WRITE_BLOCK, true, "4", "1e39",
                "ERROR: Block value \"1e39\" refused: beyond the single-precision float range"}),
    [](const ::testing::TestParamInfo<Refusal>& info) {
        const Refusal& r = info.param;
        return CaseName(ControlName(r.button) + (r.floatFormat ? "_float" : "") + "_count_" +
                            r.count + "_value_" + r.value,
                        info.index);
    });

TEST_F(BlockPanelTest, TheAddressMustFitTheFrame) {
    fill("10060", "2", "1");
    click(PANEL_READ_BLOCK);
    EXPECT_EQ(text(PANEL_BLOCK_VALUE), "Error");
    EXPECT_EQ(lastMonitorLine(),
              "ERROR: Block address \"10060\" refused: more than 16 bits (at most 0xFFFF)");
    EXPECT_TRUE(board.received().empty());
}

}  // namespace
