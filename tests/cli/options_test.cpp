// What reaches tarvikctl from its command line and its input unchanged, and
// what leaves it as JSON that a parser accepts, whatever the text holds.
#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>

#include "boardsim/address_map.h"
#include "tarvik_version.h"
#include "tests/cli/cli_fixture.h"

namespace fs = std::filesystem;
namespace address = boardsim::address;

namespace {

// Well past 255 characters, the longest a file name may be, so the path needs folders.
constexpr std::size_t kLongPath = 400;
constexpr std::size_t kFolderName = 100;

class CliOptions : public CliTest {
  protected:
    // A symbolic link to the board at path (its folders made), as udev names adapters.
    void linkBoardAt(const fs::path& path) {
        fs::create_directories(path.parent_path());
        fs::create_symlink(board.devicePath(), path);
    }

    // The device info reports for the board reached through path.
    std::string deviceShownFor(const std::string& path) {
        const CliOutcome info = RunCli({"info", "--json", "--device", path});
        EXPECT_EQ(info.status, kCliOk) << Described(info);
        return JsonOf(info)["device"].toString().toStdString();
    }
};

TEST_F(CliOptions, DevicePathWithSpacesAndQuotesIsUsedAndReportedAsItIs) {
    const std::string path = (folder / "usb adapter" / "tty \"bench\" \\1").string();
    linkBoardAt(path);
    EXPECT_EQ(deviceShownFor(path), path);
    EXPECT_EQ(RunCli({"--device=" + path, "read", "0"}).out, "0x0012\n");
}

TEST_F(CliOptions, LongDevicePathIsReportedWhole) {
    fs::path path = folder;
    while (path.string().size() < kLongPath) path /= std::string(kFolderName, 'd');
    path /= "tty";
    linkBoardAt(path);
    EXPECT_EQ(deviceShownFor(path.string()), path.string());
}

TEST_F(CliOptions, JsonStaysValidForTextThatIsNotUtf8) {
    // A file name is bytes; this one is Latin-1.
    const CliOutcome outcome = RunCli({"--json", "--device", "/nonexistent/k\xe4lte", "read", "0"});
    EXPECT_EQ(outcome.status, kCliPortFailed);
    EXPECT_EQ(JsonOf(outcome)["status"].toInt(), kCliPortFailed);
}

TEST_F(CliOptions, VoltageWithTwoSignsIsRefused) {
    const CliOutcome outcome = run({"set-output", "1", "+-5"});
    EXPECT_EQ(outcome.status, kCliUsage) << Described(outcome);
    EXPECT_TRUE(board.received().empty());
    EXPECT_EQ(board.word(address::kSetPoint), 0u);
}

TEST_F(CliOptions, ReadingsWithWindowsLineEndsAreTaken) {
    const CliOutcome outcome =
        RunCli(onBoard({"calibrate", "dac", "--v1", "5", "--v2", "25", "--channel", "1"}),
               "5.1\r\n25.2\r\n");
    EXPECT_EQ(outcome.status, kCliOk) << Described(outcome);
}

// A script or a bug report names the package the program came in, revision and all.
TEST(CliVersion, VersionNamesThePackageItCameIn) {
    const CliOutcome version = RunCli({"--version"});
    EXPECT_EQ(version.status, kCliOk) << Described(version);
    // The version, then a Debian revision: "tarvikctl 1.0.14-2".
    const std::string revised = std::string("tarvikctl ") + TARVIK_VERSION + "-";
    EXPECT_EQ(version.out.rfind(revised, 0), 0u) << version.out;
    EXPECT_TRUE(std::regex_match(version.out.substr(std::min(revised.size(), version.out.size())),
                                 std::regex("[0-9]+\n")))
        << version.out;
}

}  // namespace
