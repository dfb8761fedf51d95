// tarvikctl's exit statuses, which scripts act on: bad usage refused before
// the board hears anything, a port that does not open, a board that fails.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <iterator>
#include <string>
#include <vector>

#include "boardsim/faults.h"
#include "link/frame.h"
#include "panel/panel.h"
#include "registers/block_panel.h"
#include "tests/cli/cli_fixture.h"

namespace {

using Args = std::vector<std::string>;
using Kind = boardsim::Fault::Kind;

// The status the board sets for an address it does not have.
constexpr uint8_t kUnknownAddressStatus = 0x10;
constexpr const char* kUnknownAddressLine = "Status register error: unrecognized address";
// How soon a stop signal ends a command: what a person pressing Ctrl+C takes for at once.
constexpr double kStopBoundSeconds = 0.3;
constexpr int kWaitMs = 10'000;
// A request's first word, which the board has when a command waits for its answer.
constexpr std::size_t kRequestWordBytes = 4;
// A board that does not answer must not hold a script for long; a run takes a few seconds
// (the receive wait), so this bound leaves room for a loaded machine.
constexpr double kSilenceBoundSeconds = 10.0;

using CliExitStatus = CliTest;

int Count(const std::string& text, const std::string& piece) {
    int found = 0;
    for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++found;
    return found;
}

TEST_F(CliExitStatus, BadUsageExitsTwoAndSendsNothing) {
    Args tooManyWords{"block-write", "60"};
    tooManyWords.resize(tooManyWords.size() + BLOCK_WRITE_BUFFER_WORDS + 1, "1");
    const std::string tooManyToRead = std::to_string(BLOCK_MAX_WORDS + 1);
    const Args cases[] = {
        {},
        {"frob"},
        {"--bogus", "read", "1"},
        {"read"},
        {"read", "1", "2"},
        {"read", "1G"},
        {"read", "65536"},
        {"read", "0x10000"},
        // Hexadecimal digits need their 0x; a sign or a bare prefix is no number.
        {"read", "FF"},
        {"read", "20h"},
        {"read", "0x"},
        {"read", "+32"},
        {"read", "0x-1"},
        {"read", "20", "--float"},
        {"read", "20", "--device"},
        {"read", "20", "--port", "0"},
        {"--json=yes", "read", "20"},
        {"read", "20", "--verbose=2"},
        {"--ver", "read", "20"},
        {"-x", "read", "20"},
        {"-vx", "read", "20"},
        {"read", "20", "--device="},
        {"read", "--", "--json"},
        {"write", "20"},
        {"write", "20", "1", "65536"},
        {"write", "20", "8000h"},
        {"block-write", "60", "4294967296"},
        {"block-write", "60", "0xDEADBEEF0"},
        {"block-read", "50", tooManyToRead},
        {"block-read", "50", "0"},
        {"block-read", "50", "4x"},
        {"block-write", "60"},
        {"block-write", "60", "--float", "volts"},
        tooManyWords,
        {"coefficients", "dc"},
        {"set-output", "17", "1"},
        {"set-output", "1", "33"},
        {"calibrate", "dac"},
        {"calibrate", "dac", "--v2", "25"},
        {"calibrate", "dac", "--v1", "5", "--v2", "5"},
        {"calibrate", "dac", "--v1", "5", "--v2", "25", "--channel", "17"},
        {"calibrate", "adc", "--v1", "five", "--v2", "25"},
        {"calibrate", "dc", "--v1", "5", "--v2", "25"},
        {"upgrade"},
    };
    for (const Args& args : cases) {
        std::string line;
        for (const std::string& word : args) line += word + " ";
        SCOPED_TRACE(line);
        const CliOutcome outcome = run(args);
        EXPECT_EQ(outcome.status, kCliUsage) << Described(outcome);
        EXPECT_EQ(outcome.err.rfind("tarvikctl: ", 0), 0u) << outcome.err;
        EXPECT_TRUE(outcome.out.empty()) << outcome.out;
    }
    EXPECT_TRUE(board.received().empty());
}

TEST_F(CliExitStatus, RefusalFoundByTheCommandIsStillOneJsonObject) {
    const CliOutcome outcome = run({"read", "1G", "--json"});
    EXPECT_EQ(outcome.status, kCliUsage);
    const QJsonObject json = JsonOf(outcome);
    EXPECT_EQ(json["status"].toInt(), kCliUsage);
    EXPECT_EQ(json["error"].toString(),
              "address \"1G\" refused: not a number (decimal, or hexadecimal after 0x)");
    EXPECT_TRUE(board.received().empty());
}

TEST(CliPortStatus, PortThatCannotBeOpenedExitsThreeNamingTheDeviceAndTheReason) {
    // Quotes and a space must survive both the option and the JSON string.
    const std::string device = "/nonexistent folder/tty \"7\"";
    const CliOutcome plain = RunCli({"--device", device, "read", "0"});
    EXPECT_EQ(plain.status, kCliPortFailed) << Described(plain);
    // The advice names this program's way to give a device, not the console's.
    EXPECT_NE(
        plain.err.find(device + " (from --device): No such file or directory. Plug the adapter in, "
                                "or give its device, for example --device /dev/ttyUSB0"),
        std::string::npos)
        << plain.err;

    const CliOutcome json = RunCli({"--json", "--device=" + device, "temperature"});
    EXPECT_EQ(json.status, kCliPortFailed) << Described(json);
    const QJsonObject object = JsonOf(json);
    EXPECT_EQ(object["status"].toInt(), kCliPortFailed);
    EXPECT_TRUE(object["error"].toString().contains(QString::fromStdString(device)))
        << object["error"].toString().toStdString();
}

TEST_F(CliExitStatus, SilentBoardExitsOneWithinBounds) {
    board.setFault({.kind = Kind::Silence});
    const auto started = std::chrono::steady_clock::now();
    const CliOutcome outcome = run({"read", "0", "--json"});
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(outcome.status, kCliBoardFailed) << Described(outcome);
    EXPECT_LT(took.count(), kSilenceBoundSeconds);
    const QJsonObject json = JsonOf(outcome);
    EXPECT_EQ(json["status"].toInt(), kCliBoardFailed);
    EXPECT_FALSE(json["error"].toString().isEmpty());
    EXPECT_FALSE(board.received().empty());
}

// Each run is a process of its own: a failed run keeps the port until the late answer has
// come and gone, so the next run, started at once, gets its own answer.
TEST_F(CliExitStatus, ALateAnswerNeverBecomesTheNextRunsAnswer) {
    board.setReg(0x20, 0x1111);
    board.setReg(0x21, 0x2222);
    for (int k = 0; k < CHANNEL_COUNT; ++k) {
        board.setWord(0x60 + k, Bits(3.141593f));
        board.setWord(0x50 + k, Bits(10.0f + k));
    }
    const int lateMs = static_cast<int>(1.6 * kCliReceiveWaitSeconds * 1000);
    board.setFault({.kind = Kind::Delay, .delayMs = lateMs, .count = 1});
    EXPECT_EQ(run({"read", "0x20"}).status, kCliBoardFailed);
    const QJsonObject read = JsonOf(run({"--json", "read", "0x21"}));
    EXPECT_EQ(read["status"].toInt(), kCliOk);
    EXPECT_EQ(read["value"].toInt(), 0x2222);

    board.setFault({.kind = Kind::Delay, .delayMs = lateMs, .count = 1});
    EXPECT_EQ(run({"block-read", "0x60", "16"}).status, kCliBoardFailed);
    const CliOutcome currents = run({"--json", "currents"});
    EXPECT_EQ(currents.status, kCliOk) << Described(currents);
    const std::vector<double> milliamps = NumbersOf(JsonOf(currents)["currents_mA"]);
    ASSERT_EQ(milliamps.size(), static_cast<std::size_t>(CHANNEL_COUNT));
    for (int k = 0; k < CHANNEL_COUNT; ++k) EXPECT_EQ(milliamps[k], 10.0 + k) << k;
}

// A board that keeps talking holds a failed run up to the quiet limit; Ctrl+C or SIGTERM ends
// that wait at once, with a warning, and the port gets its settings back either way.
TEST_F(CliExitStatus, ASignalEndsTheLateAnswerHoldAtOnceWithAWarning) {
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        board.setFault({.kind = Kind::Chatter, .delayMs = 5});
        CliProcess read(onBoard({"read", "0x20"}));
        ASSERT_TRUE(read.waitForError("tarvikctl: read of 0x0020 failed")) << read.finish().err;
        read.signal(signal);
        const CliOutcome outcome = read.finish();
        EXPECT_EQ(outcome.status, 128 + signal) << Described(outcome);
        EXPECT_NE(outcome.err.find("tarvikctl: A late answer may still come; wait 5 s before "
                                   "the next command"),
                  std::string::npos)
            << outcome.err;
        board.clearFaults();
    }
}

// Terminal settings no program would leave on the board's line: whoever had the line last
// and put them back is seen, and whoever did not is seen too.
class FoundSettings {
  public:
    explicit FoundSettings(const std::string& device)
        : fd_(::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        if (fd_ < 0 || tcgetattr(fd_, &found_) != 0) return;
        found_.c_iflag |= IXON | IXOFF;
        found_.c_lflag |= ICANON;
        found_.c_cflag |= CSTOPB;
        cfsetispeed(&found_, B9600);
        cfsetospeed(&found_, B9600);
        tcsetattr(fd_, TCSANOW, &found_);
        tcgetattr(fd_, &found_);
    }
    ~FoundSettings() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool valid() const { return fd_ >= 0; }
    // True when the line has the settings it was given, as stty -a would show them.
    bool unchanged() const {
        termios now{};
        if (tcgetattr(fd_, &now) != 0) return false;
        return now.c_iflag == found_.c_iflag && now.c_oflag == found_.c_oflag &&
               now.c_cflag == found_.c_cflag && now.c_lflag == found_.c_lflag &&
               cfgetispeed(&now) == cfgetispeed(&found_) &&
               cfgetospeed(&now) == cfgetospeed(&found_) &&
               std::equal(std::begin(now.c_cc), std::end(now.c_cc), std::begin(found_.c_cc));
    }

  private:
    int fd_ = -1;
    termios found_{};
};

// Ctrl+C, SIGTERM or a hang-up end whatever the command waits for within 0.3 s, with the
// signal's status and the port put back as it was found. A request left without its answer
// is warned of, as after the late-answer hold, since the answer may still come.
TEST_F(CliExitStatus, AStopSignalEndsAnyCommandPromptlyWithThePortAsItWasFound) {
    struct Case {
        Args args;
        std::string waitFor;  // on standard error; empty: until the board has the request
        int signal;
        bool requestPending;
    };
    const Case cases[] = {
        {{"read", "0x20"}, "", SIGINT, true},
        {{"--json", "block-read", "0x60", "16"}, "", SIGTERM, true},
        // Its speed test, or the firmware version's wait, whichever the signal meets.
        {{"-v", "info"}, "Connected to COM1", SIGTERM, false},
        {{"calibrate", "adc", "--v1", "2", "--v2", "30"}, "then press Enter", SIGHUP, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[c.args.size() - 2] + " " + c.args.back());
        board.setFault({.kind = Kind::Silence});
        board.clearRecording();
        const FoundSettings found(board.devicePath());
        ASSERT_TRUE(found.valid());
        CliProcess process(onBoard(c.args));
        if (c.waitFor.empty())
            ASSERT_TRUE(board.waitForReceived(kRequestWordBytes, kWaitMs));
        else
            ASSERT_TRUE(process.waitForError(c.waitFor)) << process.finish().err;
        const auto signalled = std::chrono::steady_clock::now();
        process.signal(c.signal);
        const CliOutcome outcome = process.finish();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - signalled;
        EXPECT_EQ(outcome.status, 128 + c.signal) << Described(outcome);
        EXPECT_LT(took.count(), kStopBoundSeconds);
        EXPECT_TRUE(found.unchanged()) << "the port's settings were not put back";
        if (c.requestPending) {
            EXPECT_NE(outcome.err.find("A late answer may still come"), std::string::npos)
                << outcome.err;
        }
        if (c.args.front() == "--json") {
            EXPECT_EQ(JsonOf(outcome)["status"].toInt(), 128 + c.signal);
        }
        if (c.args.front() == "calibrate") {
            EXPECT_NE(outcome.err.find("interrupted before point 1"), std::string::npos)
                << outcome.err;
        }
        board.clearFaults();
        // The lock went with the program: the next run has the port.
        EXPECT_EQ(run({"read", "0"}).status, kCliOk);
    }
}

// A reader that goes away (`tarvikctl ports | head -c1`) ends nothing early: the command runs
// to its end, its port put back, and nothing of its output turns up on standard error.
TEST_F(CliExitStatus, AClosedStandardOutputEndsTheProgramQuietly) {
    struct Case {
        Args args;
        int status;
    };
    const Case cases[] = {
        {{"ports"}, kCliOk},
        {{"--help"}, kCliOk},
        {onBoard({"--json", "read", "0"}), kCliOk},
        {onBoard({"read", "0x10"}), kCliBoardFailed},
        // An answer that comes late: the hold after the result still runs to its end.
        {onBoard({"--json", "read", "0x20"}), kCliBoardFailed},
    };
    const int lateMs = static_cast<int>(1.6 * kCliReceiveWaitSeconds * 1000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        if (c.args.back() == "0x20") board.setFault({.kind = Kind::Delay, .delayMs = lateMs});
        const FoundSettings found(board.devicePath());
        CliProcess process(c.args, CliProcess::Output::ReaderGone);
        const CliOutcome outcome = process.finish();
        EXPECT_EQ(outcome.status, c.status) << Described(outcome);
        EXPECT_EQ(outcome.err.find('{'), std::string::npos) << outcome.err;
        EXPECT_EQ(outcome.err.find("cannot write"), std::string::npos) << outcome.err;
        EXPECT_TRUE(found.unchanged());
        board.clearFaults();
    }
}

TEST_F(CliExitStatus, StatusErrorAnswerExitsOneAndSaysWhy) {
    board.setFault({.kind = Kind::StatusBits, .status = kUnknownAddressStatus});
    const CliOutcome plain = run({"block-read", "0x60", "2"});
    EXPECT_EQ(plain.status, kCliBoardFailed) << Described(plain);
    EXPECT_TRUE(plain.out.empty()) << plain.out;
    EXPECT_NE(plain.err.find(kUnknownAddressLine), std::string::npos) << plain.err;

    const CliOutcome json = run({"read", "0", "--json"});
    EXPECT_EQ(json.status, kCliBoardFailed) << Described(json);
    EXPECT_EQ(JsonOf(json)["status"].toInt(), kCliBoardFailed);
    EXPECT_NE(json.err.find(kUnknownAddressLine), std::string::npos) << json.err;
}

// A failure is said once, in the "tarvikctl: " line that ends the run, not also in the
// monitor's lines that led to it; with --json, standard error holds nothing else that could
// be taken for another program's output, however much -v adds.
TEST_F(CliExitStatus, EachErrorIsToldOnceAndUnderJsonEveryLineIsTarvikctls) {
    const std::string refused = writeFile("short.hex", ":00\n");
    struct Case {
        Args args;
        std::string error;
    };
    const Case cases[] = {
        {onBoard({"read", "0x10"}), kUnknownAddressLine},
        {{"--device", "/nonexistent/tty", "read", "0"}, "No such file or directory"},
        {onBoard({"upgrade", (folder / "missing.hex").string()}), "No such file or directory"},
        {onBoard({"upgrade", refused}), "too short for a record"},
        {onBoard({"calibrate", "adc", "--v1", "2", "--v2", "30"}), "standard input ended"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[c.args.size() - 2] + " " + c.args.back());
        const CliOutcome plain = RunCli(c.args);
        EXPECT_NE(plain.status, kCliOk);
        EXPECT_EQ(Count(plain.err, c.error), 1) << plain.err;
        EXPECT_EQ(Count(plain.err, "tarvikctl: "), 1) << plain.err;

        for (const char* verbosity : {"-q", "-v", "-vv"}) {
            Args json = c.args;
            json.insert(json.end(), {"--json", verbosity});
            const CliOutcome outcome = RunCli(json);
            EXPECT_EQ(JsonOf(outcome)["status"].toInt(), outcome.status) << verbosity;
            for (const std::string& line : LinesOf(outcome.err))
                EXPECT_EQ(line.rfind("tarvikctl: ", 0), 0u) << verbosity << ": " << line;
        }
    }
}

TEST_F(CliExitStatus, JsonErrorOfAStatusErrorNamesTheStatus) {
    board.setFault({.kind = Kind::StatusBits, .status = kUnknownAddressStatus});
    const QJsonObject json = JsonOf(run({"read", "0", "--json"}));
    EXPECT_TRUE(json["error"].toString().contains(kUnknownAddressLine))
        << json["error"].toString().toStdString();
}

}  // namespace
