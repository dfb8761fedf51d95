// Connecting as the operator does: the button, the log lines, the label, and
// a board that is absent, silent or busy.
#include "app/Tarviktest.h"
#include "app/serial_monitor.h"
#include "app/shell.h"
#include "link/connection.h"
#include "link/speed_test.h"
#include "link/transaction.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"
#include "tests/support/board_fixture.h"
#include "tests/support/pty_pair.h"

namespace {

using Lines = std::vector<std::string>;

class ConnectionTest : public BoardTest {
protected:
    std::string connectLabel() {
        char label[64];
        GetCtrlAttribute(g_hmainPanel, PANEL_CONNECT, ATTR_LABEL_TEXT, label);
        return label;
    }
};

}  // namespace

TEST_F(ConnectionTest, ConnectReadsVersionAndTemperatureThenDisconnects) {
    board.setFirmwareVersion(0x12);
    click(PANEL_CONNECT);
    EXPECT_EQ(g_iConnection_status, 1);
    EXPECT_EQ(messages(), (Lines{"Connected to COM1", "Firmware version is 0x0012", "Board temperature is 22.00"}));
    EXPECT_EQ(monitorLines().at(1), "TX: 42000002");
    EXPECT_EQ(text(PANEL_TEMPERATURE), "22.00");
    EXPECT_EQ(connectLabel(), "Disconnect");
    // The speed test calibrated the receive wait and left the timer at 0.25 s.
    EXPECT_GT(g_iSpeedCounter, 0);
    EXPECT_EQ(g_iSpeedCounter % 4001, 0);
    double interval = 0;
    GetCtrlAttribute(g_hmainPanel, PANEL_TIMER, ATTR_INTERVAL, &interval);
    EXPECT_DOUBLE_EQ(interval, 0.25);
    // Only the two reads went to the board: the speed test sends nothing.
    EXPECT_EQ(board.received().size(), 16u);

    // Disconnect names the port used, whatever the box says now.
    SetCtrlVal(g_hmainPanel, PANEL_COM_PORT, 4);
    click(PANEL_CONNECT);
    EXPECT_EQ(g_iConnection_status, 0);
    EXPECT_EQ(lastMonitorLine(), "Disconnected from COM1");
    EXPECT_EQ(connectLabel(), "Connect");
    EXPECT_EQ(board.received().size(), 16u);

    // The port is still held; connecting again re-uses it.
    SetCtrlVal(g_hmainPanel, PANEL_COM_PORT, 1);
    click(PANEL_CONNECT);
    EXPECT_EQ(g_iConnection_status, 1);
    EXPECT_EQ(lastMonitorLine(), "Board temperature is 22.00");
}

TEST_F(ConnectionTest, PortThatCannotOpenOnlyLogsTheFailure) {
    MapComPort(5, "/nonexistent/tty");
    SetCtrlVal(g_hmainPanel, PANEL_COM_PORT, 5);
    click(PANEL_CONNECT);
    EXPECT_EQ(g_iConnection_status, 0);
    EXPECT_EQ(monitorLines(), Lines{"FAILURE: Connection to COM5 port failed!"});
    EXPECT_EQ(connectLabel(), "Connect");
}

TEST_F(ConnectionTest, SilentBoardIsDroppedAgain) {
    board.setFault(boardsim::Fault{boardsim::Fault::Kind::Silence});
    click(PANEL_CONNECT);
    EXPECT_EQ(g_iConnection_status, 0);
    EXPECT_EQ(messages(), (Lines{"Connected to COM1", "ERROR on 66: Timed out on GetInQLen",
                                 "ERROR:failed to get a response", "Hardware is not responding",
                                 "Disconnected from COM1"}));
    EXPECT_EQ(connectLabel(), "Connect");
    EXPECT_EQ(g_iBusy, 0);
}

TEST_F(ConnectionTest, BusyLinkRefusesConnectAndDisconnect) {
    g_iBusy = 1;
    EXPECT_EQ(Connect(), -1);
    EXPECT_EQ(g_iConnection_status, 0);
    EXPECT_EQ(lastMonitorLine(), "WARNING: g_iBusy, can't process cmd!");
    EXPECT_EQ(connectLabel(), "g_iBusy 1");
    g_iConnection_status = 1;
    EXPECT_EQ(Connect(), -1);
    EXPECT_EQ(g_iConnection_status, 1);
    g_iBusy = 0;
    EXPECT_EQ(Connect(), 1);
    EXPECT_EQ(connectLabel(), "Connect");
    Connect_CB(g_hmainPanel, PANEL_CONNECT, EVENT_TIMER_TICK, nullptr, 0, 0);
    EXPECT_EQ(g_iConnection_status, 0);
}
