// A board whose device vanishes (a USB adapter pulled out, the virtual board
// killed): said once, the link taken down, and one press of Connect once it
// is back on the same path.
#include <QElapsedTimer>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "app/shell.h"
#include "link/connection.h"
#include "link/frame.h"
#include "link/serial_link.h"
#include "link/transaction.h"
#include "panel/Tarviktest.h"
#include "panel/serial_monitor.h"
#include "registers/block_access.h"
#include "registers/register_access.h"
#include "runtime/userint.h"
#include "tests/support/board_fixture.h"
#include "tests/support/pty_pair.h"

namespace {

using Fault = boardsim::Fault;
using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

// The console reaches the board through a symlink, as with `boardsim --link`:
// a board started again gets a new pty, and the link is pointed at it.
class UnplugTest : public BoardTest {
  protected:
    void SetUp() override {
        BoardTest::SetUp();
        folder = fs::temp_directory_path() / ("tarvik-unplug-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        link = (folder / "board").string();
        pointLink();
        MapComPort(1, link);
    }
    void TearDown() override {
        BoardTest::TearDown();
        fs::remove_all(folder);
    }
    void pointLink() {
        fs::remove(link);
        fs::create_symlink(board.devicePath(), link);
    }
    void plugBackIn() {
        std::string error;
        ASSERT_TRUE(board.start(&error)) << error;
        board.setRawTemperature(500);
        pointLink();
    }
    std::string goneLine() const {
        return "ERROR: COM1 (" + link + ") is gone: Input/output error";
    }
    std::string connectLabel() {
        char label[64];
        GetCtrlAttribute(g_hmainPanel, PANEL_CONNECT, ATTR_LABEL_TEXT, label);
        return label;
    }

    fs::path folder;
    std::string link;
};

}  // namespace

TEST_F(UnplugTest, AnIdleUnplugIsReportedOnceAndOnePressReconnects) {
    connectQuickly();

    board.stop();
    // Noticed within a tick or so while idle, and said once: two more ticks add nothing.
    ASSERT_TRUE(PumpUntil([] { return g_iConnection_status == 0; }, 3000));
    PumpEvents(600);
    EXPECT_EQ(monitorLines(), (Lines{goneLine(), "Disconnected from COM1"}));
    EXPECT_EQ(connectLabel(), "Connect");

    click(PANEL_TEMPERATURE_MEAS);
    ASSERT_EQ(popups.popups.size(), 1u);
    EXPECT_EQ(popups.popups[0].title, "Connection warning");
    EXPECT_EQ(popups.popups[0].message, "Not connected");

    plugBackIn();
    ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    click(PANEL_CONNECT);
    EXPECT_EQ(g_iConnection_status, 1);
    EXPECT_EQ(messages(), (Lines{"Connected to COM1", "Firmware version is 0x0012",
                                 "Board temperature is 22.00"}));
    EXPECT_EQ(connectLabel(), "Disconnect");
}

TEST_F(UnplugTest, AnUnplugDuringACommandFailsItAtOnceAndTakesTheLinkDown) {
    connectQuickly();
    board.setFault({.kind = Fault::Kind::HangUp, .count = 1, .bytes = 4});

    click(PANEL_TEMPERATURE_MEAS);
    EXPECT_EQ(text(PANEL_TEMPERATURE), "Err");
    EXPECT_EQ(messages(),
              (Lines{goneLine(), "Disconnected from COM1", "ERROR:failed to get a response"}));
    EXPECT_EQ(g_iConnection_status, 0);
    EXPECT_EQ(g_iBusy, 0);
    EXPECT_EQ(connectLabel(), "Connect");

    plugBackIn();
    click(PANEL_CONNECT);
    EXPECT_EQ(g_iConnection_status, 1);
}

// Wherever the answer is cut, the wait ends with the device, never at its time-out, and the
// link is down: the receive wait is far longer than the board takes to hang up.
TEST_F(UnplugTest, AHangUpAnywhereInAnAnswerIsAGoneDeviceNeverATimeOut) {
    struct Cut {
        bool block;
        int bytes;  // of the register's 8 or the 16-word block's 72
    };
    for (const Cut cut :
         {Cut{false, 0}, Cut{false, 3}, Cut{false, 7}, Cut{true, 4}, Cut{true, 71}}) {
        SCOPED_TRACE((cut.block ? "block cut after " : "register cut after ") +
                     std::to_string(cut.bytes));
        // A hung-up board may still be finishing its serving when the next case starts.
        if (board.hungUp() || !board.serving()) plugBackIn();
        connectQuickly();
        board.setFault({.kind = Fault::Kind::HangUp, .count = 1, .bytes = cut.bytes});
        RegisterResult result;
        if (cut.block) {
            uint32_t words[CHANNEL_COUNT];
            result = ReadBlock(0x60, CHANNEL_COUNT, words);
        } else {
            unsigned int value = 0;
            result = ReadRegister(1, &value);
        }
        EXPECT_EQ(result.error, RegisterError::NoAnswer);
        EXPECT_EQ(result.reason, goneLine().substr(std::string("ERROR: ").size()));
        EXPECT_EQ(messages().at(0), goneLine());
        EXPECT_EQ(messages().at(1), "Disconnected from COM1");
        EXPECT_EQ(g_iConnection_status, 0);
        EXPECT_FALSE(LinkPortOpen());
    }
}

TEST_F(UnplugTest, AnUnplugDuringTheConnectStopsItBeforeTheVersionRead) {
    // Pulled out while the speed test runs (it dispatches events).
    QTimer::singleShot(100, [this] { board.stop(); });
    click(PANEL_CONNECT);
    EXPECT_EQ(g_iConnection_status, 0);
    EXPECT_EQ(messages(), (Lines{"Connected to COM1", goneLine(), "Disconnected from COM1"}));
    EXPECT_EQ(connectLabel(), "Connect");
}

TEST_F(UnplugTest, ASendToAVanishedDeviceTakesTheLinkDownToo) {
    connectQuickly();
    board.stop();
    g_iTXCommand_id = CMD_GET_REGISTER;
    g_uiTx_word_buf[0] = 0x42000002;
    g_uiTx_word_buf[1] = 0x00010000;
    EXPECT_EQ(SendSerialMsg(g_uiTx_word_buf, 2), -2);
    EXPECT_EQ(messages(), (Lines{"ERROR on 66: Failed to write output queue", goneLine(),
                                 "Disconnected from COM1"}));
    EXPECT_EQ(g_iConnection_status, 0);
    EXPECT_EQ(g_iBusy, 0);
}
