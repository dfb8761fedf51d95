// Connecting as the operator does: the button, the log lines, the label, and
// a board that is absent, silent or busy.
#include "link/connection.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "app/connect_command.h"
#include "app/shell.h"
#include "link/serial_link.h"
#include "link/speed_test.h"
#include "link/transaction.h"
#include "panel/Tarviktest.h"
#include "panel/serial_monitor.h"
#include "runtime/rs232.h"
#include "runtime/serial_backend.h"
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
    EXPECT_EQ(messages(), (Lines{"Connected to COM1", "Firmware version is 0x0012",
                                 "Board temperature is 22.00"}));
    EXPECT_EQ(monitorLines().at(1), "TX: 42000002");
    EXPECT_EQ(text(PANEL_TEMPERATURE), "22.00");
    EXPECT_EQ(connectLabel(), "Disconnect");
    // The speed test calibrated the receive wait and left the timer at 0.25 s. The wait is
    // six times the window it measured, a time that the machine's load later cannot move.
    EXPECT_GT(g_iSpeedCounter, 0);
    EXPECT_EQ(g_iSpeedCounter % 4001, 0);
    EXPECT_GE(SpeedTestWindowSeconds(), 0.5);
    EXPECT_DOUBLE_EQ(FullReceiveWaitSeconds(), 6 * SpeedTestWindowSeconds());
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

    // The port was closed; connecting again opens it afresh.
    SetCtrlVal(g_hmainPanel, PANEL_COM_PORT, 1);
    click(PANEL_CONNECT);
    EXPECT_EQ(g_iConnection_status, 1);
    EXPECT_EQ(lastMonitorLine(), "Board temperature is 22.00");
}

TEST_F(ConnectionTest, PortThatCannotOpenSaysWhyAndHowToFixIt) {
    MapComPort(5, "/nonexistent/tty");
    SetCtrlVal(g_hmainPanel, PANEL_COM_PORT, 5);
    click(PANEL_CONNECT);
    EXPECT_EQ(g_iConnection_status, 0);
    EXPECT_EQ(monitorLines(),
              (Lines{"FAILURE: Connection to COM5 port failed!",
                     "COM5 is /nonexistent/tty: No such file or directory. Plug the adapter in, or "
                     "point COM5 at its device, for example TARVIK_COM5=/dev/ttyUSB0 for a USB "
                     "adapter"}));
    EXPECT_EQ(connectLabel(), "Connect");

    ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    MapComPort(5, "/dev/null");
    click(PANEL_CONNECT);
    EXPECT_EQ(monitorLines(),
              (Lines{"FAILURE: Connection to COM5 port failed!",
                     "COM5 is /dev/null: not a serial device (Inappropriate ioctl for device). "
                     "Point COM5 at the board's serial device, for example "
                     "TARVIK_COM5=/dev/ttyUSB0"}));
}

TEST_F(ConnectionTest, APortAnotherProgramHoldsIsRefusedEvenForRoot) {
    const int other = ::open(board.devicePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    click(PANEL_CONNECT);
    EXPECT_EQ(g_iConnection_status, 0);
    EXPECT_EQ(monitorLines(),
              (Lines{"FAILURE: Connection to COM1 port failed!",
                     "COM1 is " + board.devicePath() +
                         ": in use by another program (Resource temporarily unavailable). Close "
                         "the program or console that holds it"}));
    EXPECT_TRUE(board.received().empty());
    ::close(other);

    // Connected, the console holds the lock; disconnected, it lets go.
    click(PANEL_CONNECT);
    ASSERT_EQ(g_iConnection_status, 1);
    const int again = ::open(board.devicePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(again, 0);
    EXPECT_NE(flock(again, LOCK_EX | LOCK_NB), 0);
    click(PANEL_CONNECT);
    EXPECT_EQ(flock(again, LOCK_EX | LOCK_NB), 0);
    ::close(again);
}

TEST_F(ConnectionTest, ADeviceTheUserMayNotOpenPointsToTheDialoutGroup) {
    // Root opens anything, so the refusal is staged.
    tarvik::rt::SetSerialBackendFactory(
        [](int, const std::string&, tarvik::rt::OpenFailure* failure) {
            *failure = {COM_ERR_NO_PERMISSION, "Permission denied"};
            return std::unique_ptr<tarvik::rt::SerialBackend>();
        });
    MapComPort(3, "/dev/ttyUSB0");
    SetCtrlVal(g_hmainPanel, PANEL_COM_PORT, 3);
    click(PANEL_CONNECT);
    tarvik::rt::SetSerialBackendFactory(nullptr);
    EXPECT_EQ(monitorLines(),
              (Lines{"FAILURE: Connection to COM3 port failed!",
                     "COM3 is /dev/ttyUSB0: Permission denied. Join the dialout group: sudo "
                     "usermod -aG dialout $USER, then log in again"}));
}

TEST_F(ConnectionTest, SilentBoardIsDroppedAgain) {
    board.setFault(boardsim::Fault{.kind = boardsim::Fault::Kind::Silence});
    // Not the speed test's three seconds: what the board gets does not depend on the wait.
    SetReceiveWaitSeconds(0.2);
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
