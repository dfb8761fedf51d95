// The serial monitor's line formats, line count and scrolling.
#include "panel/serial_monitor.h"

#include "app/shell.h"
#include "panel/Tarviktest.h"
#include "panel/serial_monitor_panel.h"
#include "runtime/userint.h"
#include "tests/support/console_fixture.h"

using SerialMonitorTest = ConsoleTest;

namespace {
int firstVisibleLine() {
    int line = -1;
    GetCtrlAttribute(g_hmainPanel, PANEL_SERIAL_WINDOW, ATTR_FIRST_VISIBLE_LINE, &line);
    return line;
}
}  // namespace

TEST_F(SerialMonitorTest, FramesAreLoggedOneWordPerLineWithFixedColumns) {
    const unsigned int words[] = {0x42000002, 0x00010045, 0x0000000A};
    DispMsg(words, "TX: ", 1);
    DispMsg(words, "RX: ", 3);
    const unsigned int extremes[] = {0, 0xFFFFFFFF};
    DispMsg(extremes, "RX: ", 2);
    EXPECT_EQ(monitorLines(),
              (std::vector<std::string>{"TX: 42000002", "RX: 42000002", "       00010045",
                                        "       0000000A", "RX: 00000000", "       FFFFFFFF"}));
    EXPECT_EQ(g_iSerial_comm_cnt, 6);
}

TEST_F(SerialMonitorTest, EmptyOrNegativeCountLogsNothing) {
    const unsigned int word = 1;
    DispMsg(&word, "TX: ", 0);
    DispMsg(&word, "TX: ", -3);
    EXPECT_TRUE(monitorLines().empty());
    EXPECT_EQ(g_iSerial_comm_cnt, 0);
}

TEST_F(SerialMonitorTest, PrefixOfAnotherLengthKeepsTheColumns) {
    const unsigned int word = 0xABCDEF01;
    DispMsg(&word, "X", 1);
    DispMsg(&word, "TOOLONG", 1);
    EXPECT_EQ(monitorLines(), (std::vector<std::string>{"X   ABCDEF01", "TOOLABCDEF01"}));
}

TEST_F(SerialMonitorTest, NewestLineIsBroughtIntoView) {
    LogToWindow("one");
    LogToWindow("two");
    LogToWindow("three");
    EXPECT_EQ(g_iSerial_comm_cnt, 3);
    // Three lines fit the box, so it cannot scroll; what counts is that line 2 is shown.
    EXPECT_LE(firstVisibleLine(), 2);
    for (int i = 0; i < 500; ++i) LogToWindow("line");
    const int first = firstVisibleLine();
    EXPECT_GT(first, 400);
    EXPECT_LE(first, 502);
}

TEST_F(SerialMonitorTest, ClearEmptiesOnCommitOnlyAndRestartsTheCount) {
    LogToWindow("kept");
    Clear_SerialWindow_cb(g_hmainPanel, PANEL_CLEAR_MONITOR, EVENT_TIMER_TICK, nullptr, 0, 0);
    EXPECT_EQ(monitorLines().size(), 1u);
    EXPECT_EQ(g_iSerial_comm_cnt, 1);

    click(PANEL_CLEAR_MONITOR);
    EXPECT_TRUE(monitorLines().empty());
    EXPECT_EQ(g_iSerial_comm_cnt, 0);
    LogToWindow("after");
    EXPECT_EQ(monitorLines(), std::vector<std::string>{"after"});
    EXPECT_EQ(g_iSerial_comm_cnt, 1);
}
