// Drives the console as an engineer would at the bench and saves the window
// (build/screenshot.png), which is the README's picture. It also checks that
// a whole session leaves the panel as the engineer expects.
#include <QRect>

#include "app/shell.h"
#include "link/connection.h"
#include "link/serial_link.h"
#include "panel/Tarviktest.h"
#include "registers/address_map.h"
#include "runtime/qt_access.h"
#include "runtime/userint.h"
#include "tests/support/board_fixture.h"

using ScreenshotTest = BoardTest;

TEST_F(ScreenshotTest, ABenchSessionLeavesAReadablePanel) {
    for (int k = 0; k < 16; ++k) board.setWord(ADDR_CURRENT + k, FloatBits(10.0f + 0.5f * k));
    click(PANEL_CONNECT);
    ASSERT_EQ(g_iConnection_status, 1);
    click(PANEL_READ_CURRENTS);
    type(PANEL_REG_ADDRESS, "0");
    click(PANEL_READ_REGISTER);
    EXPECT_EQ(text(PANEL_REG_VALUE), "0x0012");
    EXPECT_EQ(text(PANEL_TEMPERATURE), "22.00");
    EXPECT_EQ(lastMonitorLine(), "       001200D6");
    // As on a screen with room for the whole window, whatever the test's screen is.
    tarvik::rt::FitPanelWindow(g_hmainPanel, QRect(0, 0, 1920, 1200));
    EXPECT_EQ(SavePanelImage(g_hmainPanel, "screenshot.png"), 0);
}
