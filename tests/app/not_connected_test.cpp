// Every command that needs the board, pressed while not connected: the
// "Not connected" warning and nothing else, whatever the boxes hold.
#include <gtest/gtest.h>

#include <vector>

#include "app/shell.h"
#include "link/connection.h"
#include "link/serial_link.h"
#include "panel/Tarviktest.h"
#include "registers/register_access.h"
#include "runtime/userint.h"
#include "tests/support/board_fixture.h"
#include "tests/support/test_names.h"

namespace {

class NotConnectedTest : public BoardTest, public ::testing::WithParamInterface<int> {};

TEST_P(NotConnectedTest, WarnsAndSendsNothing) {
    const int button = GetParam();
    // Boxes filled as for a real command, so a command that skipped the check would send.
    setText(PANEL_REG_ADDRESS, "20");
    setText(PANEL_REG_VALUE, "0x0042");
    setText(PANEL_BLOCK_ADDRESS, "60");
    setText(PANEL_BLOCK_COUNT, "2");
    setText(PANEL_BLOCK_VALUE, "0x3F800000");
    click(button);

    ASSERT_EQ(popups.popups.size(), 1u);
    EXPECT_EQ(popups.popups[0].title, "Connection warning");
    EXPECT_EQ(popups.popups[0].message, "Not connected");
    EXPECT_TRUE(monitorLines().empty());
    EXPECT_EQ(text(PANEL_REG_VALUE), "0x0042");
    EXPECT_EQ(text(PANEL_BLOCK_VALUE), "0x3F800000");

    // Nothing went out before: the first bytes the board sees are this read's.
    connectQuickly();
    unsigned int value = 0;
    ASSERT_EQ(GetRegister(1, &value), 1);
    EXPECT_EQ(board.received().size(), 8u);
    EXPECT_EQ(framesSent(), (std::vector<std::vector<uint32_t>>{{0x42000002, 0x00010045}}));
}

INSTANTIATE_TEST_SUITE_P(
    EveryBoardCommand, NotConnectedTest,
    ::testing::Values(PANEL_READ_REGISTER, PANEL_WRITE_REGISTER, PANEL_READ_BLOCK,
                      PANEL_WRITE_BLOCK, PANEL_TEMPERATURE_MEAS, PANEL_READ_CURRENTS,
                      PANEL_SET_VOLTAGE1, PANEL_SET_VOLTAGE2, PANEL_CALC_DAC, PANEL_SAVE_DAC,
                      PANEL_DISPLAY_DAC, PANEL_SET_CALIBRATED, PANEL_CAPTURE_ADC,
                      PANEL_CAPTURE_ALL_ADC, PANEL_CALC_ADC, PANEL_SAVE_ADC, PANEL_DISPLAY_ADC),
    [](const ::testing::TestParamInfo<int>& info) { return ControlName(info.param); });

}  // namespace
