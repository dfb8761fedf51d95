// The COM port's device at the panel: the label beside the COM port box, the
// choice among the devices present, and the COM number remembered at connect.
#include "app/port_choice.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "link/connection.h"
#include "link/serial_link.h"
#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "runtime/rs232.h"
#include "runtime/settings.h"
#include "runtime/testing.h"
#include "runtime/userint.h"
#include "tests/support/board_fixture.h"
#include "tests/support/pty_pair.h"

namespace {

constexpr int kPort = 9;

class PortChoiceTest : public ConsoleTest {
  protected:
    void SetUp() override {
        ConsoleTest::SetUp();
        unsetenv("TARVIK_COM9");
        SetCtrlVal(g_hmainPanel, PANEL_COM_PORT, kPort);
    }
    void TearDown() override {
        tarvik::rt::ForgetChosenComPortDevices();
        std::remove(SettingsFilePath().c_str());
        ConsoleTest::TearDown();
    }
    static int comNumber() {
        int port = 0;
        GetCtrlVal(g_hmainPanel, PANEL_COM_PORT, &port);
        return port;
    }
    static std::string mapped() {
        char path[256];
        GetComPortMapping(kPort, path, sizeof path);
        return path;
    }
};

}  // namespace

TEST_F(PortChoiceTest, TheLabelFollowsTheComNumberAndShortensLongNames) {
    type(PANEL_COM_PORT, "9");
    ShowComPortDevice();
    EXPECT_EQ(text(PANEL_COM_DEVICE), "/dev/ttyS8");
    setenv("TARVIK_COM3", "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3D4-if00-port0", 1);
    type(PANEL_COM_PORT, "3");
    EXPECT_EQ(text(PANEL_COM_DEVICE), "usb-FTDI_FT23...3D4-if00-port0");
    unsetenv("TARVIK_COM3");
}

TEST_F(PortChoiceTest, AChosenDeviceIsUsedAndRememberedAndACancelChangesNothing) {
    popups.choiceAnswers.push_back(std::nullopt);
    click(PANEL_CHOOSE_DEVICE);
    ASSERT_EQ(popups.choices.size(), 1u);
    EXPECT_EQ(popups.choices[0].title, "Device of COM9");
    EXPECT_EQ(popups.choices[0].current, "/dev/ttyS8") << "the dialog starts at today's device";
    EXPECT_EQ(mapped(), "/dev/ttyS8");
    EXPECT_TRUE(monitorLines().empty());

    // A listed item carries its kind after the path; only the path is taken.
    PtyPair adapter;
    const std::string device = adapter.slavePath();
    popups.choiceAnswers.push_back(device + "   (USB serial adapter)");
    click(PANEL_CHOOSE_DEVICE);
    EXPECT_EQ(mapped(), device);
    EXPECT_EQ(text(PANEL_COM_DEVICE), device);
    EXPECT_EQ(lastMonitorLine(),
              "COM9 is " + device + " (remembered in " + SettingsFilePath() + ")");
    char remembered[64];
    ASSERT_EQ(LoadSetting("ports/COM9", remembered, sizeof remembered), 1);
    EXPECT_EQ(remembered, device);

    // A typed path is taken as it is, a link to the device too.
    const std::string link = "/tmp/my board " + std::to_string(::getpid());
    std::filesystem::create_symlink(device, link);
    popups.choiceAnswers.push_back(link);
    click(PANEL_CHOOSE_DEVICE);
    EXPECT_EQ(mapped(), link);
    std::filesystem::remove(link);
}

// A path that is not there, or no terminal, would be remembered and fail every later run:
// the dialog refuses it with the reason and stays open for another.
TEST_F(PortChoiceTest, ATypedPathThatIsNoTerminalIsRefusedInTheDialog) {
    PtyPair adapter;
    popups.choiceAnswers = {"/dev/ttyUSB7", "/dev/null", "tcp://rack3", adapter.slavePath()};
    click(PANEL_CHOOSE_DEVICE);
    ASSERT_EQ(popups.choices.size(), 4u) << "the dialog stayed open three times";
    EXPECT_NE(popups.choices[1].message.find("\n\n/dev/ttyUSB7: No such file or directory"),
              std::string::npos)
        << popups.choices[1].message;
    EXPECT_EQ(popups.choices[1].current, "/dev/ttyUSB7") << "the typed text stays";
    EXPECT_NE(popups.choices[2].message.find("/dev/null: a device, but not a terminal"),
              std::string::npos);
    EXPECT_NE(popups.choices[3].message.find("\n\ntcp://rack3: tcp://HOST:PORT wants a port"),
              std::string::npos)
        << popups.choices[3].message;
    EXPECT_EQ(mapped(), adapter.slavePath());

    // A port on another host is taken without asking its server.
    popups.choiceAnswers = {"rfc2217://[fd00::12]:2001"};
    click(PANEL_CHOOSE_DEVICE);
    EXPECT_EQ(mapped(), "rfc2217://[fd00::12]:2001");
    popups.choiceAnswers = {adapter.slavePath()};
    click(PANEL_CHOOSE_DEVICE);

    // Given up after a refusal: nothing is mapped or remembered.
    popups.choices.clear();
    popups.choiceAnswers = {"/dev/ttyUSB7", std::nullopt};
    click(PANEL_CHOOSE_DEVICE);
    EXPECT_EQ(popups.choices.size(), 2u);
    EXPECT_EQ(mapped(), adapter.slavePath());
    char remembered[64];
    ASSERT_EQ(LoadSetting("ports/COM9", remembered, sizeof remembered), 1);
    EXPECT_EQ(remembered, adapter.slavePath());
}

TEST_F(PortChoiceTest, StartUpShowsTheComNumberLastConnectedWhenItIsValid) {
    for (const char* stored : {"abc", "0", "9999", "4x", ""}) {
        SetCtrlVal(g_hmainPanel, PANEL_COM_PORT, 1);
        ASSERT_EQ(SaveSetting("connection/lastPort", stored), 0);
        RestoreComPortChoice();
        EXPECT_EQ(comNumber(), 1) << stored;
    }
    ASSERT_EQ(SaveSetting("connection/lastPort", "7"), 0);
    RestoreComPortChoice();
    EXPECT_EQ(comNumber(), 7);
    EXPECT_EQ(text(PANEL_COM_DEVICE), "/dev/ttyS6");
}

using ConnectRemembersTest = BoardTest;

TEST_F(ConnectRemembersTest, ConnectingRemembersTheComNumber) {
    std::remove(SettingsFilePath().c_str());
    click(PANEL_CONNECT);
    ASSERT_EQ(g_iConnection_status, 1);
    char remembered[16];
    ASSERT_EQ(LoadSetting("connection/lastPort", remembered, sizeof remembered), 1);
    int port = 0;
    GetCtrlVal(g_hmainPanel, PANEL_COM_PORT, &port);
    EXPECT_EQ(std::string(remembered), std::to_string(port));
}
