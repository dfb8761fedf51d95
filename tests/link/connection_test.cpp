// Connecting as the operator does: the button, the log lines, the label, and
// a board that is absent, silent or busy.
#include "link/connection.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "app/connect_command.h"
#include "app/shell.h"
#include "link/serial_link.h"
#include "link/speed_test.h"
#include "link/transaction.h"
#include "panel/Tarviktest.h"
#include "panel/serial_monitor.h"
#include "runtime/rs232.h"
#include "runtime/serial_backend.h"
#include "runtime/settings.h"
#include "runtime/testing.h"
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

// Each failure line says where the port's device came from and gives the fix that fits
// that source: the same place, or the console's own ways for a remembered mapping.
TEST_F(ConnectionTest, PortThatCannotOpenSaysWhyWhereItsDeviceCameFromAndHowToFixIt) {
    constexpr int kPort = 5;
    struct Case {
        std::string device;
        int source;
        std::string line;
    };
    const Case cases[] = {
        {"/nonexistent/tty", COM_MAP_ENVIRONMENT,
         "COM5 is /nonexistent/tty (from TARVIK_COM5): No such file or directory. Plug the "
         "adapter in, or set TARVIK_COM5 to its device, for example TARVIK_COM5=/dev/ttyUSB0"},
        {"/dev/ttyUSB7", COM_MAP_SETTINGS,
         "COM5 is /dev/ttyUSB7 (chosen earlier, from the settings file): No such file or "
         "directory. Plug the adapter in, or choose its device with Choose..., or give it: "
         "--port 5=/dev/ttyUSB0"},
        {"/nonexistent/tty", COM_MAP_CHOSEN,
         "COM5 is /nonexistent/tty (chosen with Choose...): No such file or directory. Plug the "
         "adapter in, or choose its device with Choose..."},
        {"/dev/null", COM_MAP_COMMAND_LINE,
         "COM5 is /dev/null (from --port): not a serial device (Inappropriate ioctl for "
         "device). Point COM5 at the board's serial device: give its device, for example "
         "--port 5=/dev/ttyUSB0"},
        {"/tmp", COM_MAP_ENVIRONMENT,
         "COM5 is /tmp (from TARVIK_COM5): not a serial device (Is a directory). Point COM5 at "
         "the board's serial device: set TARVIK_COM5 to its device, for example "
         "TARVIK_COM5=/dev/ttyUSB0"},
    };
    SetCtrlVal(g_hmainPanel, PANEL_COM_PORT, kPort);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        tarvik::rt::ForgetChosenComPortDevices();
        unsetenv("TARVIK_COM5");
        SaveSetting("ports/COM5", "");
        if (c.source == COM_MAP_ENVIRONMENT) MapComPort(kPort, c.device);
        if (c.source == COM_MAP_SETTINGS) SaveSetting("ports/COM5", c.device.c_str());
        if (c.source == COM_MAP_CHOSEN || c.source == COM_MAP_COMMAND_LINE)
            SetComPortDevice(kPort, c.device.c_str(), 0, c.source);
        ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
        click(PANEL_CONNECT);
        EXPECT_EQ(g_iConnection_status, 0);
        EXPECT_EQ(monitorLines(), (Lines{"FAILURE: Connection to COM5 port failed!", c.line}));
        EXPECT_EQ(connectLabel(), "Connect");
    }
    tarvik::rt::ForgetChosenComPortDevices();
    unsetenv("TARVIK_COM5");
}

TEST_F(ConnectionTest, APortAnotherProgramHoldsIsRefusedEvenForRoot) {
    const int other = ::open(board.devicePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    click(PANEL_CONNECT);
    EXPECT_EQ(g_iConnection_status, 0);
    EXPECT_EQ(monitorLines(), (Lines{"FAILURE: Connection to COM1 port failed!",
                                     "COM1 is " + board.devicePath() +
                                         " (from TARVIK_COM1): in use by another program (Resource "
                                         "temporarily unavailable). Close "
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

// The fix names the group that may open the device, or says that only root can.
TEST_F(ConnectionTest, ADeviceTheUserMayNotOpenNamesTheGroupThatMay) {
    // Root opens anything, so the refusal is staged; the device's owner and mode are real.
    tarvik::rt::SetSerialBackendFactory(
        [](int, const std::string&, tarvik::rt::OpenFailure* failure) {
            *failure = {COM_ERR_NO_PERMISSION, "Permission denied"};
            return std::unique_ptr<tarvik::rt::SerialBackend>();
        });
    const std::string device =
        std::filesystem::temp_directory_path() / ("tarvik-perm-" + std::to_string(::getpid()));
    ::close(::open(device.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
    struct Case {
        const char* group;  // null: the file stays root's alone
        mode_t mode;
        std::string fix;
    };
    const Case cases[] = {
        {"dialout", 0660,
         "Join the dialout group: sudo usermod -aG dialout $USER, then log in again"},
        {"uucp", 0660, "Join the uucp group: sudo usermod -aG uucp $USER, then log in again"},
        {nullptr, 0600,
         "Only root can open this device (it belongs to root and no group may use it); a udev "
         "rule can give it to the dialout group"},
    };
    MapComPort(3, device);
    SetCtrlVal(g_hmainPanel, PANEL_COM_PORT, 3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fix);
        const group* named = c.group ? getgrnam(c.group) : nullptr;
        if ((c.group && !named) || ::chown(device.c_str(), 0, named ? named->gr_gid : 0) != 0)
            continue;  // not root, or no such group here: nothing to stage
        ::chmod(device.c_str(), c.mode);
        ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
        click(PANEL_CONNECT);
        EXPECT_EQ(monitorLines(), (Lines{"FAILURE: Connection to COM3 port failed!",
                                         "COM3 is " + device +
                                             " (from TARVIK_COM3): Permission denied. " + c.fix}));
    }
    tarvik::rt::SetSerialBackendFactory(nullptr);
    std::filesystem::remove(device);
}

TEST_F(ConnectionTest, SilentBoardIsDroppedAgain) {
    board.setFault(boardsim::Fault{.kind = boardsim::Fault::Kind::Silence});
    // Not the speed test's three seconds: what the board gets does not depend on the wait.
    SetReceiveWaitSeconds(0.2);
    click(PANEL_CONNECT);
    EXPECT_EQ(g_iConnection_status, 0);
    EXPECT_EQ(messages(), (Lines{"Connected to COM1", "ERROR on 66: Timed out on GetInQLen",
                                 "ERROR:failed to get a response", "Hardware is not responding",
                                 NoAnswerAdvice(board.devicePath()), "Disconnected from COM1"}));
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
