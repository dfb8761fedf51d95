// Which device a COM number stands for: the command line over the environment
// over the settings file over /dev/ttyS<n-1>; the choice remembered; the
// program's own options; the list of serial devices on a fake /dev and /sys.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QSettings>
#include <QString>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/console_text.h"
#include "runtime/cvirte.h"
#include "runtime/rs232.h"
#include "runtime/serial_devices.h"
#include "runtime/settings.h"
#include "runtime/testing.h"
#include "tarvik_version.h"
#include "tests/support/pty_pair.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPort = 12;

struct Mapping {
    int source;
    std::string path;
};

Mapping mappingOf(int port) {
    char path[256];
    int source = GetComPortMapping(port, path, sizeof path);
    return {source, path};
}

class PortMapTest : public ::testing::Test {
  protected:
    void SetUp() override { unsetenv(variable.c_str()); }
    void TearDown() override {
        unsetenv(variable.c_str());
        tarvik::rt::ForgetChosenComPortDevices();
        std::error_code ignored;
        fs::remove(SettingsFilePath(), ignored);
    }
    // Runs ParseCommandLine on the words given after the program name.
    static int parse(std::vector<std::string> words, int* status) {
        words.insert(words.begin(), "tarvikdebug");
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        return ParseCommandLine(argv.data(), ConsoleProgramText(), status);
    }
    std::string variable = "TARVIK_COM" + std::to_string(kPort);
};

}  // namespace

TEST_F(PortMapTest, EachSourceGivesWayToTheOneAboveIt) {
    EXPECT_EQ(mappingOf(kPort).source, COM_MAP_DEFAULT);
    EXPECT_EQ(mappingOf(kPort).path, "/dev/ttyS11");

    ASSERT_EQ(SaveSetting("ports/COM12", "/dev/serial/by-id/usb-adapter-if00"), 0);
    EXPECT_EQ(mappingOf(kPort).source, COM_MAP_SETTINGS);
    EXPECT_EQ(mappingOf(kPort).path, "/dev/serial/by-id/usb-adapter-if00");
    EXPECT_EQ(mappingOf(kPort + 1).source, COM_MAP_DEFAULT) << "another number is not touched";

    setenv(variable.c_str(), "/dev/ttyUSB3", 1);
    EXPECT_EQ(mappingOf(kPort).source, COM_MAP_ENVIRONMENT);
    EXPECT_EQ(mappingOf(kPort).path, "/dev/ttyUSB3");

    int status = -1;
    ASSERT_EQ(parse({"--port", "12=/dev/ttyACM0"}, &status), 1);
    EXPECT_EQ(mappingOf(kPort).source, COM_MAP_COMMAND_LINE);
    EXPECT_EQ(mappingOf(kPort).path, "/dev/ttyACM0");
    // A choice made later in the run holds over the command line, and says it is a choice.
    ASSERT_EQ(SetComPortDevice(kPort, "/dev/ttyACM1", 0), 0);
    EXPECT_EQ(mappingOf(kPort).source, COM_MAP_CHOSEN);
    ASSERT_EQ(SetComPortDevice(kPort, "/dev/ttyACM0", 0, COM_MAP_COMMAND_LINE), 0);

    // The port's own path is the mapped one until it is opened.
    char device[256];
    ASSERT_EQ(GetComPortDevice(kPort, device, sizeof device), 0);
    EXPECT_STREQ(device, "/dev/ttyACM0");
    EXPECT_EQ(GetComPortMapping(0, device, sizeof device), COM_ERR_BAD_PORT);
    EXPECT_STREQ(device, "");
}

TEST_F(PortMapTest, AChosenDeviceHoldsNowAndIsRememberedForTheNextRun) {
    setenv(variable.c_str(), "/dev/ttyUSB3", 1);
    DisableBreakOnLibraryErrors();
    EXPECT_EQ(SetComPortDevice(kPort, "", 1), COM_ERR_BAD_SETTING);
    EXPECT_EQ(SetComPortDevice(0, "/dev/ttyUSB0", 1), COM_ERR_BAD_PORT);
    EnableBreakOnLibraryErrors();
    EXPECT_EQ(mappingOf(kPort).path, "/dev/ttyUSB3") << "a refused choice changes nothing";

    ASSERT_EQ(SetComPortDevice(kPort, "/dev/ttyUSB1", 1), 0);
    EXPECT_EQ(mappingOf(kPort).path, "/dev/ttyUSB1") << "the choice beats the environment now";

    // The next run: no choice made yet, no environment.
    tarvik::rt::ForgetChosenComPortDevices();
    unsetenv(variable.c_str());
    EXPECT_EQ(mappingOf(kPort).source, COM_MAP_SETTINGS);
    EXPECT_EQ(mappingOf(kPort).path, "/dev/ttyUSB1");
    std::ifstream file(SettingsFilePath());
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("COM12=/dev/ttyUSB1"), std::string::npos) << text;
}

TEST_F(PortMapTest, AnUnwritableSettingsFileStillMapsThePortForThisRun) {
    // A file where the settings folder belongs: no folder can be made, even by root.
    const fs::path folder = fs::path(SettingsFilePath()).parent_path();
    fs::remove_all(folder);
    std::ofstream(folder.string()) << "in the way";
    DisableBreakOnLibraryErrors();
    EXPECT_EQ(SetComPortDevice(kPort, "/dev/ttyUSB1", 1), COM_ERR_NOT_SAVED);
    EnableBreakOnLibraryErrors();
    fs::remove(folder);
    EXPECT_EQ(mappingOf(kPort).path, "/dev/ttyUSB1");
}

TEST_F(PortMapTest, SettingsRoundTripAndMissingKeys) {
    char value[8];
    EXPECT_EQ(LoadSetting("firmware/lastFolder", value, sizeof value), 0);
    EXPECT_STREQ(value, "");
    ASSERT_EQ(SaveSetting("firmware/lastFolder", "/home/bench/hex files"), 0);
    EXPECT_EQ(LoadSetting("firmware/lastFolder", value, sizeof value), 1);
    EXPECT_STREQ(value, "/home/b") << "cut to the buffer, NUL-terminated";
    EXPECT_EQ(SaveSetting("", "x"), -1);
    EXPECT_EQ(LoadSetting(nullptr, value, sizeof value), 0);
}

// The settings file is read and written without Qt, yet consoles before wrote it with
// QSettings, and both must read what the other wrote, whatever a path holds.
TEST_F(PortMapTest, SettingsWrittenByQSettingsAreReadAsItReadsThemAndTheOtherWayRound) {
    const std::string values[] = {
        "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0",
        "/home/bench/hex files",
        " leading and trailing blanks ",
        "a,comma;and a semicolon",
        "quote \" and backslash \\ and = sign",
        "@starts with an at sign",
        "Äußere Prüfplätze/µC #3",
        std::string("tab\tnew line\ncontrol \x01"
                    "1 end"),
        "",
    };
    const QString file = QString::fromStdString(SettingsFilePath());
    for (const std::string& value : values) {
        SCOPED_TRACE(value);
        {
            QSettings settings(file, QSettings::IniFormat);
            settings.setValue("firmware/lastFolder", QString::fromStdString(value));
            settings.setValue("lastPortWithoutGroup", 3);
        }
        char read[256] = "x";
        EXPECT_EQ(LoadSetting("firmware/lastFolder", read, sizeof read), 1);
        EXPECT_EQ(read, value);
        EXPECT_EQ(LoadSetting("lastPortWithoutGroup", read, sizeof read), 1);
        EXPECT_STREQ(read, "3");

        ASSERT_EQ(SaveSetting("ports/COM2", value.c_str()), 0);
        QSettings settings(file, QSettings::IniFormat);
        EXPECT_EQ(settings.value("ports/COM2").toString().toStdString(), value);
        EXPECT_EQ(settings.value("firmware/lastFolder").toString().toStdString(), value)
            << "the other keys are kept";
    }
}

TEST_F(PortMapTest, BadOptionsEndTheProgramWithStatus2AndMapNothing) {
    for (const std::vector<std::string>& words :
         std::vector<std::vector<std::string>>{{"--port"},
                                               {"--port", "12"},
                                               {"--port", "0=/dev/ttyUSB0"},
                                               {"--port", "1000=/dev/ttyUSB0"},
                                               {"--port", "x=/dev/ttyUSB0"},
                                               {"--port", "12="},
                                               {"--port=12=/dev/ttyUSB0", "--colour"},
                                               {"-p", "12=/dev/ttyUSB0"}}) {
        int status = -1;
        EXPECT_EQ(parse(words, &status), 0) << words.back();
        EXPECT_EQ(status, 2) << words.back();
        EXPECT_EQ(mappingOf(kPort).source, COM_MAP_DEFAULT) << words.back();
    }
    int status = -1;
    ASSERT_EQ(parse({"--port=12=/dev/ttyUSB0", "--port", "12=/dev/ttyUSB1"}, &status), 1);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(mappingOf(kPort).path, "/dev/ttyUSB1") << "the last one for a port holds";
}

TEST_F(PortMapTest, QtOptionsAreLeftToQtAndOursKeepTheirMeaning) {
    int status = -1;
    ASSERT_EQ(parse({"-platform", "offscreen", "-style", "Fusion", "-stylesheet", "/tmp/x.qss",
                     "-reverse", "--qwindowtitle", "Bench", "-style=Fusion", "-display", ":1",
                     "-session", "s1", "--port", "12=/dev/ttyACM0"},
                    &status),
              1);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(mappingOf(kPort).path, "/dev/ttyACM0");
    // A Qt option's value is its own, whatever it looks like.
    tarvik::rt::ForgetChosenComPortDevices();
    ASSERT_EQ(parse({"-qwindowtitle", "--port", "-platform", "offscreen"}, &status), 1);
    EXPECT_EQ(mappingOf(kPort).source, COM_MAP_DEFAULT);
}

TEST_F(PortMapTest, QtOptionsGivenWronglyEndTheProgramWithStatus2) {
    for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
             {"-platform"},            // no value
             {"-platform=offscreen"},  // Qt reads -platform's value as the next word
             {"-reverse=1"},           // no value wanted
             {"--connect", "x"},       // no COM number
             {"--connect", "0"},
             {"--connect=1000"},
             {"--port", "12=/dev/ttyUSB0", "stray"}}) {
        int status = -1;
        EXPECT_EQ(parse(words, &status), 0) << words.back();
        EXPECT_EQ(status, 2) << words.back();
        EXPECT_EQ(mappingOf(kPort).source, COM_MAP_DEFAULT) << words.back();
        EXPECT_EQ(GetStartupConnect(nullptr), 0) << words.back();
    }
}

// --help and --version must work where there is no display, as on a server.
TEST(ConsoleOptions, HelpAndVersionPrintAndExitWithoutADisplay) {
    const std::string console = TARVIK_CONSOLE_PATH;
    const std::string bare = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";
    auto run = [&](const std::string& args, std::string* out) {
        std::string command = bare + "'" + console + "' " + args + " 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        char buffer[512];
        out->clear();
        while (pipe && fgets(buffer, sizeof buffer, pipe)) *out += buffer;
        int status = pipe ? pclose(pipe) : -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    std::string out;
    EXPECT_EQ(run("--version", &out), 0);
    EXPECT_EQ(out, std::string("tarvikdebug ") + TARVIK_VERSION + "\n");
    EXPECT_EQ(run("--help", &out), 0);
    EXPECT_NE(out.find("--port N=DEVICE"), std::string::npos) << out;
    EXPECT_NE(out.find("TARVIK_COM<N>"), std::string::npos) << out;
    EXPECT_NE(out.find("--connect [N]"), std::string::npos) << out;
    EXPECT_NE(out.find("-platform offscreen"), std::string::npos) << out;
    EXPECT_EQ(run("--port 1", &out), 2);
    EXPECT_NE(out.find("--port wants N=DEVICE"), std::string::npos) << out;
    EXPECT_NE(out.find("Try 'tarvikdebug --help'."), std::string::npos) << out;
    EXPECT_EQ(run("-platform=offscreen", &out), 2);
    EXPECT_NE(out.find("-platform offscreen"), std::string::npos) << out;
    EXPECT_EQ(run("--colour", &out), 2);
    EXPECT_NE(out.find("unknown option '--colour'"), std::string::npos) << out;
    // Qt's options do not stop --help or --version from working without a display.
    EXPECT_EQ(run("-platform xcb -style Fusion --version", &out), 0);
    EXPECT_EQ(out, std::string("tarvikdebug ") + TARVIK_VERSION + "\n");
    // Without a display and without -platform, the console says so instead of aborting.
    EXPECT_EQ(run("--connect", &out), 255);
    EXPECT_NE(out.find("no display"), std::string::npos) << out;
}

class SerialDeviceListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char folder[] = "/tmp/tarvik-devtree.XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        root = folder;
        dev = root / "dev";
        sys = root / "sys";
        fs::create_directories(dev / "serial/by-id");
    }
    void TearDown() override { fs::remove_all(root); }
    void node(const std::string& name) { std::ofstream(dev / name).put('\0'); }
    void uart(const std::string& name, const std::string& type) {
        fs::create_directories(sys / "class/tty" / name);
        std::ofstream(sys / "class/tty" / name / "type") << type << "\n";
    }
    std::vector<std::string> listed() {
        std::vector<std::string> paths;
        for (const SerialDeviceEntry& e : ListSerialDevices(dev.string(), sys.string()))
            paths.push_back(fs::path(e.path).lexically_relative(dev).string());
        return paths;
    }
    fs::path root, dev, sys;
};

TEST_F(SerialDeviceListTest, ListsAdaptersByIdThenNodesInNumberOrderAndOnlyRealUarts) {
    for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "ttyS1", "ttyS31", "tty0",
                             "ttyUSB", "ttyUSBx", "ttyprintk", "null"})
        node(name);
    uart("ttyS0", "4");
    uart("ttyS1", "0");  // a node with no UART behind it
    // ttyS31 has no /sys entry at all.
    fs::create_symlink("../../ttyUSB2", dev / "serial/by-id/usb-FTDI_FT232R_A1B2-if00-port0");
    fs::create_symlink("../../ttyACM0", dev / "serial/by-id/usb-Board_CDC-if00");

    EXPECT_EQ(listed(), (std::vector<std::string>{"serial/by-id/usb-Board_CDC-if00",
                                                  "serial/by-id/usb-FTDI_FT232R_A1B2-if00-port0",
                                                  "ttyUSB2", "ttyUSB10", "ttyACM0", "ttyS0"}));
    const auto entries = ListSerialDevices(dev.string(), sys.string());
    EXPECT_EQ(entries[1].kind, "-> ttyUSB2");
    EXPECT_EQ(entries[2].kind, "USB serial adapter");
    EXPECT_EQ(entries[5].kind, "built-in serial port");
}

// A device typed for a port is checked without opening it: there, and a terminal.
TEST_F(SerialDeviceListTest, ATypedDeviceMustExistAndBeATerminal) {
    PtyPair pty;
    fs::create_symlink(pty.slavePath(), dev / "serial/by-id/usb-board");
    node("plain-file");
    struct Case {
        std::string path;
        int result;
        std::string reason;
    };
    const Case cases[] = {
        {pty.slavePath(), 0, ""},
        {(dev / "serial/by-id/usb-board").string(), 0, ""},
        {"/dev/tty", 0, ""},
        {(dev / "ttyUSB7").string(), COM_ERR_NO_DEVICE, "No such file or directory"},
        {dev.string(), COM_ERR_NOT_SERIAL, "a folder, not a device"},
        {(dev / "plain-file").string(), COM_ERR_NOT_SERIAL, "a file, not a device"},
        {"/dev/null", COM_ERR_NOT_SERIAL, "a device, but not a terminal"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        char reason[64] = "x";
        EXPECT_EQ(CheckComDevicePath(c.path.c_str(), reason, sizeof reason), c.result);
        EXPECT_EQ(reason, c.reason);
    }
}

TEST_F(SerialDeviceListTest, MissingFoldersListNothing) {
    fs::remove_all(dev);
    EXPECT_TRUE(listed().empty());
    EXPECT_TRUE(ListSerialDevices("/nonexistent/dev", "/nonexistent/sys").empty());
}
