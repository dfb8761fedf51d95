// The console's start-up as a desktop program: --connect presses Connect on the
// given or the last COM port, and Qt's standard options reach Qt; checked in
// this process and on the console program itself, against the virtual board.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/connect_command.h"
#include "app/console_text.h"
#include "app/port_choice.h"
#include "link/serial_link.h"
#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "runtime/cvirte.h"
#include "runtime/settings.h"
#include "runtime/userint.h"
#include "tests/support/board_fixture.h"
#include "tests/support/pty_pair.h"

namespace fs = std::filesystem;

namespace {

// What a Connect sends: the firmware version (register 0), then the temperature (register 1).
const std::vector<std::vector<uint32_t>> kConnectFrames{{0x42000002, 0x00000044},
                                                        {0x42000002, 0x00010045}};

class StartUpTest : public BoardTest {
  protected:
    void SetUp() override {
        BoardTest::SetUp();
        std::remove(SettingsFilePath().c_str());
        board.clearRecording();
    }
    void TearDown() override {
        std::remove(SettingsFilePath().c_str());
        BoardTest::TearDown();
    }
    static int comNumber() {
        int port = 0;
        GetCtrlVal(g_hmainPanel, PANEL_COM_PORT, &port);
        return port;
    }
    // Runs ParseCommandLine on the words given after the program name; returns what
    // GetStartupConnect then says (-1 for no --connect).
    static int connectOption(std::vector<std::string> words) {
        words.insert(words.begin(), "tarvikdebug");
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        int status = -1;
        EXPECT_EQ(ParseCommandLine(argv.data(), ConsoleProgramText(), &status), 1);
        EXPECT_EQ(status, 0);
        int port = -1;
        return GetStartupConnect(&port) ? port : -1;
    }
    std::string lastPortRemembered() {
        char value[16] = "";
        LoadSetting("connection/lastPort", value, sizeof value);
        return value;
    }
};

}  // namespace

TEST_F(StartUpTest, ConnectOptionNamesAPortOrTheLastOne) {
    EXPECT_EQ(connectOption({}), -1);
    EXPECT_EQ(connectOption({"--connect"}), 0);
    EXPECT_EQ(connectOption({"--connect", "3"}), 3);
    EXPECT_EQ(connectOption({"--connect=4"}), 4);
    EXPECT_EQ(connectOption({"-connect", "5", "-platform", "offscreen"}), 5);
    EXPECT_EQ(connectOption({"--connect", "-platform", "offscreen"}), 0)
        << "an option after --connect is no port number";
    EXPECT_EQ(connectOption({"--connect", "3", "--connect"}), 0) << "the last one holds";
}

TEST_F(StartUpTest, ConnectAtStartUpOnTheGivenPortShowsTheBoard) {
    SetCtrlVal(g_hmainPanel, PANEL_COM_PORT, 2);  // as restored from an earlier run
    EXPECT_EQ(ConnectAtStartUp(1), 1);
    EXPECT_EQ(comNumber(), 1);
    ASSERT_EQ(g_iConnection_status, 1);
    EXPECT_EQ(messages(),
              (std::vector<std::string>{"Connected to COM1", "Firmware version is 0x0012",
                                        "Board temperature is 22.00"}));
    char label[64] = "";
    GetCtrlAttribute(g_hmainPanel, PANEL_CONNECT, ATTR_LABEL_TEXT, label);
    EXPECT_STREQ(label, "Disconnect");
    EXPECT_EQ(framesSent(), kConnectFrames);
    EXPECT_EQ(lastPortRemembered(), "1");
}

TEST_F(StartUpTest, ConnectAtStartUpWithoutANumberUsesTheLastConnectedPort) {
    constexpr int kLastPort = 5;
    MapComPort(kLastPort, board.devicePath());
    ASSERT_EQ(SaveSetting("connection/lastPort", "5"), 0);
    RestoreComPortChoice();  // as main() does before the Connect
    EXPECT_EQ(ConnectAtStartUp(0), 1);
    EXPECT_EQ(comNumber(), kLastPort);
    ASSERT_EQ(g_iConnection_status, 1);
    EXPECT_EQ(messages().front(), "Connected to COM5");
    EXPECT_EQ(framesSent(), kConnectFrames);
    unsetenv("TARVIK_COM5");
}

TEST_F(StartUpTest, APortTheBoxCannotShowIsRefusedAndNothingIsOpened) {
    SetCtrlVal(g_hmainPanel, PANEL_COM_PORT, 1);
    EXPECT_EQ(ConnectAtStartUp(300), 0);
    EXPECT_EQ(g_iConnection_status, 0);
    EXPECT_EQ(comNumber(), 1);
    EXPECT_EQ(lastMonitorLine(),
              "ERROR: --connect 300: the COM port box takes 1 to 256; not connected");
    EXPECT_TRUE(board.received().empty());
}

// The program itself, with no display at all: Qt's -platform and -style reach Qt, --port and
// --connect keep their meaning, and the window saved shows a connected board.
TEST_F(StartUpTest, TheConsoleTakesQtOptionsAndConnectsAtStartUp) {
    char folder[] = "/tmp/tarvik-start.XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const fs::path dir = folder;
    fs::create_directories(dir / "tarvikdebug");
    std::ofstream(dir / "tarvikdebug/tarvikdebug.conf") << "[connection]\nlastPort=3\n";
    const fs::path shot = dir / "shot.png";
    const std::string command =
        "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM TARVIK_QT_MESSAGES=1"
        " XDG_CONFIG_HOME='" +
        dir.string() + "' TARVIK_SNAPSHOT='" + shot.string() + "' timeout 30 '" +
        TARVIK_CONSOLE_PATH + "' -platform offscreen -style NoSuchStyle" + " --port 3='" +
        board.devicePath() + "' --connect 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe)) output += buffer;
    const int status = pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status)) << output;
    EXPECT_EQ(WEXITSTATUS(status), 0) << output;
    // Qt's own word that it was given the style (and, by starting at all, the platform).
    EXPECT_NE(output.find("'NoSuchStyle'"), std::string::npos) << output;
    EXPECT_GT(fs::exists(shot) ? fs::file_size(shot) : 0, 1000u) << output;
    EXPECT_EQ(framesSent(), kConnectFrames) << output;
    std::ifstream settings(dir / "tarvikdebug/tarvikdebug.conf");
    const std::string text((std::istreambuf_iterator<char>(settings)), {});
    EXPECT_NE(text.find("lastPort=3"), std::string::npos) << text;
    fs::remove_all(dir);
}
