// What reaches tarvikctl from its command line and its input unchanged, and
// what leaves it as JSON that a parser accepts, whatever the text holds.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

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

// "--" ends the options: what follows is the command's, even a word that looks like one.
TEST_F(CliOptions, DoubleDashEndsTheOptions) {
    const CliOutcome negative = run({"set-output", "3", "--", "-5"});
    ASSERT_EQ(negative.status, kCliOk) << Described(negative);
    EXPECT_EQ(board.word(address::kSetPoint + 2), Bits(-5.0f));
    // Before the command too, and a negative number needs no "--".
    EXPECT_EQ(run({"--", "set-output", "4", "-7.5"}).status, kCliOk);
    EXPECT_EQ(board.word(address::kSetPoint + 3), Bits(-7.5f));
    EXPECT_EQ(run({"set-output", "5", "-.5"}).status, kCliOk);
    EXPECT_EQ(board.word(address::kSetPoint + 4), Bits(-0.5f));

    const CliOutcome word = run({"read", "--", "--json"});
    EXPECT_EQ(word.status, kCliUsage) << Described(word);
    EXPECT_TRUE(word.out.empty()) << word.out;
    EXPECT_NE(word.err.find("address \"--json\" refused"), std::string::npos) << word.err;
}

// Options as getopt_long takes them: a long one by any unambiguous start, its value after '='
// or as the next word (even one that starts with '-'), short ones clustered.
TEST_F(CliOptions, OptionsAreTakenAsGetoptLongTakesThem) {
    const CliOutcome abbreviated = RunCli({"--js", "--dev=" + board.devicePath(), "read", "0"});
    ASSERT_EQ(abbreviated.status, kCliOk) << Described(abbreviated);
    EXPECT_EQ(JsonOf(abbreviated)["value"].toInt(), 0x0012);
    EXPECT_EQ(RunCli({"-vv", "--device", board.devicePath(), "read", "0"}).status, kCliOk);
    const CliOutcome help = RunCli({"-h"});
    EXPECT_EQ(help.status, kCliOk);
    EXPECT_EQ(help.out, RunCli({"--help"}).out);
    EXPECT_EQ(help.out.rfind("Usage: tarvikctl", 0), 0u) << help.out;
    // An ADC reading may be negative: the value of --v1 is the next word, whatever it is.
    const CliOutcome negative =
        run({"calibrate", "adc", "--v1", "-2", "--v2=30", "--channel", "1", "--json"}, "\n\n");
    EXPECT_NE(negative.status, kCliUsage) << Described(negative);
}

// -q leaves errors alone; -v adds the monitor's lines; -vv the bytes as the board saw them.
TEST_F(CliOptions, QuietAndVerboseSetHowMuchIsTold) {
    const CliOutcome quiet = run({"-q", "read", "0"});
    EXPECT_EQ(quiet.status, kCliOk) << Described(quiet);
    EXPECT_EQ(quiet.out + quiet.err, "");
    EXPECT_EQ(JsonOf(run({"--quiet", "--json", "read", "0"}))["value"].toInt(), 0x0012);
    const CliOutcome failed = run({"-q", "read", "0x10"});
    EXPECT_EQ(failed.status, kCliBoardFailed);
    EXPECT_EQ(LinesOf(failed.err).size(), 1u) << failed.err;
    EXPECT_EQ(run({"-q", "-v", "read", "0"}).status, kCliUsage);

    const CliOutcome verbose = run({"-v", "read", "0"});
    EXPECT_NE(verbose.err.find("TX: 42000002"), std::string::npos) << verbose.err;
    EXPECT_EQ(verbose.err.find("bytes:"), std::string::npos) << verbose.err;

    board.clearRecording();
    const CliOutcome raw = run({"-vv", "read", "0"});
    ASSERT_EQ(raw.status, kCliOk) << Described(raw);
    std::string sent = "TX bytes:", answered = "RX bytes:";
    char hex[sizeof " FF"];
    for (const boardsim::WireByte& byte : board.recording()) {
        std::snprintf(hex, sizeof hex, " %02X", byte.value);
        (byte.fromConsole ? sent : answered) += hex;
    }
    const std::vector<std::string> lines = LinesOf(raw.err);
    EXPECT_NE(std::find(lines.begin(), lines.end(), sent), lines.end()) << raw.err;
    EXPECT_NE(std::find(lines.begin(), lines.end(), answered), lines.end()) << raw.err;
    EXPECT_NE(raw.err.find("TX: 42000002"), std::string::npos) << raw.err;
}

TEST_F(CliOptions, ReadingsWithWindowsLineEndsAreTaken) {
    const CliOutcome outcome =
        RunCli(onBoard({"calibrate", "dac", "--v1", "5", "--v2", "25", "--channel", "1"}),
               "5.1\r\n25.2\r\n");
    EXPECT_EQ(outcome.status, kCliOk) << Described(outcome);
}

// What bash offers for the words typed so far (the last one being completed), from the
// completion the package installs.
std::vector<std::string> Completions(const std::vector<std::string>& words) {
    std::string command =
        "bash --norc --noprofile -c 'source \"$0\"; COMP_WORDS=(\"$@\"); "
        "COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _tarvikctl; printf \"%s\\n\" \"${COMPREPLY[@]}\"' "
        "'" TARVIK_COMPLETION_PATH "' tarvikctl";
    for (const std::string& word : words) {
        std::string quoted;
        for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        command += " '" + quoted + "'";
    }
    std::string out;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char chunk[kFolderName];
        while (std::fgets(chunk, sizeof chunk, pipe)) out += chunk;
        ::pclose(pipe);
    }
    std::vector<std::string> offered = LinesOf(out);
    std::erase(offered, "");
    return offered;
}

bool Offers(const std::vector<std::string>& offered, const std::string& word) {
    return std::find(offered.begin(), offered.end(), word) != offered.end();
}

TEST_F(CliOptions, BashCompletesCommandsOptionsAndDevices) {
    linkBoardAt(folder / "board");
    writeFile("new.hex", "");
    writeFile("notes.txt", "");
    using Words = std::vector<std::string>;
    const std::string board = (folder / "board").string();
    const std::string typed = (folder / "bo").string();
    EXPECT_EQ(Completions({"--js"}), Words{"--json"});
    EXPECT_EQ(Completions({"--device", typed}), Words{board});
    EXPECT_EQ(Completions({"--device", "=", typed}), Words{board});
    EXPECT_EQ(Completions({"--device=" + typed}), Words{"--device=" + board});
    EXPECT_EQ(Completions({"--device", board, "-v", "wr"}), Words{"write"});
    EXPECT_EQ(Completions({"--port", "2", "coefficients", ""}), (Words{"dac", "adc"}));
    EXPECT_EQ(Completions({"upgrade", folder.string() + "/"}),
              Words{(folder / "new.hex").string()});
    EXPECT_TRUE(Completions({"--port", ""}).empty());
    // Each device the list offers first is offered, when there is one.
    if (fs::exists("/dev/ttyS0")) {
        EXPECT_TRUE(Offers(Completions({"--device", ""}), "/dev/ttyS0"));
    }

    // Nothing is offered that tarvikctl would not take.
    const Words commands = Completions({""});
    EXPECT_TRUE(Offers(commands, "block-read") && Offers(commands, "ports"));
    for (const std::string& command : commands) {
        const CliOutcome outcome = RunCli({"--device", "/nonexistent", command});
        EXPECT_EQ(outcome.err.find("unknown command"), std::string::npos) << command;
    }
    const std::string help = RunCli({"--help"}).out;
    for (const std::string& option : Completions({"--"}))
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

// A script or a bug report names the package the program came in, revision and all.
TEST(CliVersion, VersionNamesThePackageItCameIn) {
    const CliOutcome version = RunCli({"--version"});
    EXPECT_EQ(version.status, kCliOk) << Described(version);
    EXPECT_EQ(RunCli({"-V"}).out, version.out);
    // The version, then a Debian revision: "tarvikctl 1.0.14-2".
    const std::string revised = std::string("tarvikctl ") + TARVIK_VERSION + "-";
    EXPECT_EQ(version.out.rfind(revised, 0), 0u) << version.out;
    EXPECT_TRUE(std::regex_match(version.out.substr(std::min(revised.size(), version.out.size())),
                                 std::regex("[0-9]+\n")))
        << version.out;
}

}  // namespace
