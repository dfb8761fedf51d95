// tarvikctl upgrade against the virtual board's bootloader: a good file
// arrives record by record, a bad one is refused before anything is sent, and
// Ctrl+C stops a transfer between records.
#include <QJsonObject>
#include <csignal>
#include <string>

#include "tests/cli/cli_fixture.h"
#include "tests/firmware/firmware_fixture.h"

namespace {

constexpr int kSmallFileRecords = 5;
// Paced at the board's baud rate these take seconds to send, far longer than a Ctrl+C takes
// to be honoured, however loaded the machine.
constexpr int kLongFileRecords = 2000;

using CliUpgrade = CliTest;

TEST_F(CliUpgrade, SmallFileReachesTheBootloaderWithProgressOnStandardError) {
    const Lines records = ShortRecords(kSmallFileRecords);
    const std::string path = writeFile("small.hex", Joined(records));
    const CliOutcome plain = run({"upgrade", path});
    ASSERT_EQ(plain.status, kCliOk) << Described(plain);
    EXPECT_EQ(plain.out, "Data successfully sent\n");
    EXPECT_EQ(board.bootloaderLines(), records);
    // Standard error is no terminal here: whole lines, no bar redrawn with carriage returns.
    EXPECT_EQ(plain.err.find('\r'), std::string::npos);
    const std::string ofAll = " of " + std::to_string(kSmallFileRecords) + "\n";
    EXPECT_NE(plain.err.find("line 0" + ofAll), std::string::npos) << plain.err;
    EXPECT_NE(plain.err.find("line " + std::to_string(kSmallFileRecords) + ofAll),
              std::string::npos)
        << plain.err;

    const QJsonObject json = JsonOf(run({"upgrade", path, "--json"}));
    EXPECT_EQ(json["status"].toInt(), kCliOk);
    EXPECT_EQ(json["file"].toString().toStdString(), path);
    EXPECT_EQ(json["records"].toInt(), kSmallFileRecords);
    EXPECT_EQ(json["sent"].toInt(), kSmallFileRecords);
    EXPECT_EQ(board.bootloaderLines(), records);
}

TEST_F(CliUpgrade, DashReadsTheFileFromStandardInput) {
    const Lines records = ShortRecords(kSmallFileRecords);
    const CliOutcome piped = run({"upgrade", "-", "--json"}, Joined(records));
    ASSERT_EQ(piped.status, kCliOk) << Described(piped);
    EXPECT_EQ(JsonOf(piped)["file"].toString(), "-");
    EXPECT_EQ(board.bootloaderLines(), records);

    const CliOutcome refused = run({"upgrade", "-"}, ":00\n");
    EXPECT_EQ(refused.status, kCliUsage) << Described(refused);
    EXPECT_NE(refused.err.find("tarvikctl: standard input: line 1: too short"), std::string::npos)
        << refused.err;
}

// A file without its end-of-file record is most often one cut short: it is sent only when
// --force says so.
TEST_F(CliUpgrade, FileWithoutAnEndOfFileRecordIsSentOnlyWithForce) {
    Lines records = ShortRecords(kSmallFileRecords);
    records.pop_back();
    const std::string path = writeFile("cut.hex", Joined(records));
    const CliOutcome refused = run({"upgrade", path});
    EXPECT_EQ(refused.status, kCliUsage) << Described(refused);
    EXPECT_NE(refused.err.find("no end-of-file record"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
    EXPECT_TRUE(board.received().empty());

    const CliOutcome forced = run({"upgrade", "--force", path});
    ASSERT_EQ(forced.status, kCliOk) << Described(forced);
    EXPECT_EQ(board.bootloaderLines(), records);
    EXPECT_EQ(run({"read", "0", "--force"}).status, kCliUsage);
}

TEST_F(CliUpgrade, FileThatCannotBeSentExitsTwoAndSendsNothing) {
    std::string badChecksum = DataRecord(0, {1, 2, 3});
    badChecksum.back() = badChecksum.back() == '0' ? '1' : '0';
    const std::string bad = writeFile("bad.hex", badChecksum + "\n" + kEndOfFileRecord + "\n");
    const CliOutcome refused = run({"upgrade", bad});
    EXPECT_EQ(refused.status, kCliUsage) << Described(refused);
    EXPECT_NE(refused.err.find("line 1: checksum"), std::string::npos) << refused.err;

    const CliOutcome missing = run({"upgrade", (folder / "missing.hex").string(), "--json"});
    EXPECT_EQ(missing.status, kCliUsage) << Described(missing);
    EXPECT_TRUE(JsonOf(missing)["error"].toString().contains("open file error"));

    EXPECT_TRUE(board.received().empty());
    EXPECT_TRUE(board.bootloaderLines().empty());
}

TEST_F(CliUpgrade, CtrlCStopsBetweenRecordsAndTheBoardStaysInItsBootloader) {
    board.setPacing(true);
    const std::string path = writeFile("long.hex", Joined(ShortRecords(kLongFileRecords)));
    // SIGTERM, as a CI runner's time-out sends it, stops it the same way.
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        board.setBootloaderMode(false);
        CliProcess upgrade(onBoard({"upgrade", path, "--json"}));
        ASSERT_TRUE(upgrade.waitForError("line 0 of " + std::to_string(kLongFileRecords)))
            << upgrade.finish().err;
        upgrade.signal(signal);
        const CliOutcome outcome = upgrade.finish();
        ASSERT_EQ(outcome.status, 128 + signal) << Described(outcome);
        const QJsonObject json = JsonOf(outcome);
        EXPECT_EQ(json["status"].toInt(), 128 + signal);
        EXPECT_TRUE(json["error"].toString().contains("cancelled")) << outcome.out;
        EXPECT_TRUE(outcome.err.find("cancelled") != std::string::npos) << outcome.err;
        EXPECT_EQ(json["records"].toInt(), kLongFileRecords);
        const int sent = json["sent"].toInt();
        EXPECT_LT(sent, kLongFileRecords);
        EXPECT_EQ(board.bootloaderLines().size(), static_cast<std::size_t>(sent));
        EXPECT_TRUE(board.bootloaderMode());
    }

    // A read meanwhile is lost on the bootloader, which keeps its bytes as the start of a
    // line; the next upgrade still takes the board at the first try.
    board.setPacing(false);
    EXPECT_EQ(run({"read", "0x20"}).status, kCliBoardFailed);
    const Lines records = ShortRecords(kSmallFileRecords);
    const CliOutcome again = run({"upgrade", writeFile("again.hex", Joined(records))});
    EXPECT_EQ(again.status, kCliOk) << Described(again);
    EXPECT_NE(again.err.find("Bootloader discarded a partial line; sending the test character "
                             "again"),
              std::string::npos)
        << again.err;
    const Lines taken = board.bootloaderLines();
    ASSERT_GE(taken.size(), records.size());
    EXPECT_EQ(Lines(taken.end() - static_cast<long>(records.size()), taken.end()), records);
}

}  // namespace
