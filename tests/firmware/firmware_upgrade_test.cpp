// Upgrades that reach the virtual board's bootloader, and the file problems that stop an
// upgrade before it sends anything.
#include "firmware/firmware_upgrade.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/shell.h"
#include "firmware/upgrade_panel.h"
#include "link/serial_link.h"
#include "link/testing.h"
#include "link/transaction.h"
#include "panel/Tarviktest.h"
#include "runtime/settings.h"
#include "runtime/userint.h"
#include "tests/firmware/firmware_fixture.h"

using FirmwareUpgrade = FirmwareTest;

namespace {

// Exactly `characters` characters of valid records without a last line end: 16-byte data
// records, one shorter record to fill up, then the end-of-file record. The shorter record's
// line ends in CR LF when that is what makes the count come out right.
std::string FileOfExactly(std::size_t characters) {
    // ':', the length, address, type and checksum bytes and the data in digits, then LF.
    const auto lineLength = [](std::size_t dataBytes) { return 1 + 2 * (5 + dataBytes) + 1; };
    const std::size_t room = characters - kEndOfFileRecord.size();
    std::string file;
    uint16_t address = 0;
    while (room - file.size() > lineLength(16) + lineLength(0)) {
        file += DataRecord(address, std::vector<uint8_t>(16, 0xAB)) + "\n";
        address += 16;
    }
    const std::size_t left = room - file.size();
    const std::string lineEnd = left % 2 == 0 ? "\n" : "\r\n";
    const std::size_t fillBytes = (left - lineLength(0) - (lineEnd.size() - 1)) / 2;
    file += DataRecord(address, std::vector<uint8_t>(fillBytes, 0xCD)) + lineEnd;
    return file + kEndOfFileRecord;
}

}  // namespace

TEST_F(FirmwareUpgrade, OneLineOfElevenCharactersGoesOutAsTwelveBytesAndIsAcknowledged) {
    ASSERT_EQ(kEndOfFileRecord.size(), 11u);
    const std::string path = writeFile(kEndOfFileRecord + "\n");
    upgrade(path);

    ASSERT_EQ(popups.fileDialogs.size(), 1u);
    EXPECT_EQ(popups.fileDialogs[0].title, "Load HEX file");
    EXPECT_EQ(popups.fileDialogs[0].message, "*.hex");
    // The presence test's CR, then the 11 characters and the line's CR.
    EXPECT_EQ(receivedAfter(13), OnTheWire(kEndOfFileRecord + "\n"));
    EXPECT_EQ(board.bootloaderLines(), Lines{kEndOfFileRecord});
    EXPECT_EQ(monitorLines(), (Lines{"Starting Firmware Upgrade", "Sending test character",
                                     "PIC is ready for upgrade, sending data",
                                     "Sending line......1", "Data successfully sent"}));
    EXPECT_TRUE(popups.popups.empty());
    EXPECT_TRUE(popups.questions.empty());
    EXPECT_EQ(g_iBusy, 0);
    EXPECT_FALSE(isOpen(path));
    EXPECT_EQ(progressText(), "Record 1 of 1 (100%)");
    EXPECT_FALSE(dimmed(PANEL_UPGRADE_FIRMWARE));
    EXPECT_TRUE(dimmed(PANEL_CANCEL_UPGRADE));
}

TEST_F(FirmwareUpgrade, RealFileOf250LinesKeepsOneProgressLineAndEndsItsLastLineItself) {
    // As a Windows tool writes it: CR LF line ends, none after the end-of-file record.
    Lines records;
    std::string file;
    for (int i = 0; i < 249; ++i) {
        records.push_back(
            DataRecord(static_cast<uint16_t>(i * 16), std::vector<uint8_t>(16, uint8_t(i))));
        file += records.back() + "\r\n";
    }
    records.push_back(kEndOfFileRecord);
    file += kEndOfFileRecord;
    std::string sent;
    for (const auto& record : records) sent += record + "\n";

    upgrade(writeFile(file));

    EXPECT_EQ(receivedAfter(sent.size() + 1), OnTheWire(sent));
    EXPECT_EQ(board.bootloaderLines(), records);
    EXPECT_EQ(monitorLines(), (Lines{"Starting Firmware Upgrade", "Sending test character",
                                     "PIC is ready for upgrade, sending data",
                                     "Sending line......200", "Data successfully sent"}));
    EXPECT_TRUE(popups.popups.empty());
    EXPECT_EQ(g_iBusy, 0);
}

TEST_F(FirmwareUpgrade, NothingAfterASemicolonIsSentNorTheCutLinesEnd) {
    const std::string first = DataRecord(0, {1, 2, 3});
    const std::string cut = DataRecord(3, {4});
    // The end-of-file record is beyond the ';', so the operator is asked first.
    popups.questionAnswers = {true};
    upgrade(writeFile(first + "\n" + cut + ";comment\n" + kEndOfFileRecord + "\n"));

    EXPECT_EQ(popups.questions.size(), 1u);
    const std::vector<uint8_t> expected = OnTheWire(first + "\n" + cut);
    EXPECT_EQ(receivedAfter(expected.size()), expected);
    EXPECT_FALSE(board.waitForReceived(expected.size() + 1, 200));
    EXPECT_EQ(board.bootloaderLines(), Lines{first});
    EXPECT_EQ(lastMonitorLine(), "Data successfully sent");
    EXPECT_EQ(g_iBusy, 0);
}

TEST_F(FirmwareUpgrade, BusyLinkRefusesOnlyAfterTheFileWasRead) {
    g_iBusy = 1;
    const std::string path = writeFile(kEndOfFileRecord + "\n");
    upgrade(path);
    EXPECT_EQ(monitorLines(),
              (Lines{"Starting Firmware Upgrade", "WARNING: Busy, can't process cmd!"}));
    EXPECT_TRUE(popups.popups.empty());
    EXPECT_EQ(g_iBusy, 1);
    EXPECT_FALSE(isOpen(path));

    // The file's contents are judged before the busy flag is.
    upgrade(writeFile(";"));
    ASSERT_EQ(popups.popups.size(), 1u);
    EXPECT_EQ(popups.popups[0].title, "Warning message");
    EXPECT_EQ(g_iBusy, 1);
    EXPECT_TRUE(receivedAfter(1, 200).empty());
}

TEST_F(FirmwareUpgrade, FileOfExactlyTheLimitIsSentAndOneCharacterMoreIsRefused) {
    // 400,000 characters without a last line end: the CR added after the end-of-file record
    // comes on top. The bootloader refuses the first line, so the transfer stops there.
    const std::string atLimit = FileOfExactly(400000);
    ASSERT_EQ(atLimit.size(), 400000u);
    board.setBootloaderBadAnswer(1, 1, 0x15);
    upgrade(writeFile(atLimit));
    ASSERT_EQ(popups.popups.size(), 1u);
    EXPECT_EQ(popups.popups[0].message, "Bad bootloader ACK response");
    EXPECT_EQ(board.bootloaderLines().size(), 1u);

    popups.popups.clear();
    board.clearRecording();
    click(PANEL_CLEAR_MONITOR);
    const std::string overLimit = FileOfExactly(400001);
    ASSERT_EQ(overLimit.find('\r'), std::string::npos) << "every character must count";
    const std::string path = writeFile(overLimit);
    upgrade(path);

    ASSERT_EQ(popups.popups.size(), 1u);
    EXPECT_EQ(popups.popups[0].title, "Error");
    EXPECT_EQ(popups.popups[0].message,
              "PICFirmwareUpgrade: file too large, more than 400000 characters to send");
    EXPECT_EQ(monitorLines(),
              (Lines{"Starting Firmware Upgrade", "Firmware upgrade: nothing sent"}));
    EXPECT_TRUE(receivedAfter(1, 200).empty());
    EXPECT_EQ(g_iBusy, 0);
    EXPECT_FALSE(isOpen(path));
}

TEST_F(FirmwareUpgrade, CancelledOrUnreadableFileStopsBeforeTheBoardIsContacted) {
    struct Case {
        std::optional<std::string> answer;
        std::string title, message, line;
    };
    const std::string empty = writeFile("");
    const std::string folder = std::filesystem::path(empty).parent_path().string();
    // A named pipe that nothing writes to would hold the console in its open for ever.
    const std::string pipe = folder + "/firmware.fifo";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string openError = "PICFirmwareUpgrade: open file error";
    const Case cases[] = {
        {std::nullopt, "Error", "PICFirmwareUpgrade: no file selected!",
         "Firmware upgrade: no file chosen"},
        {empty + ".missing", "Error",
         openError + "\n" + empty + ".missing: No such file or directory",
         "ERROR: " + openError + ": " + empty + ".missing: No such file or directory"},
        {folder, "Error", openError + "\n" + folder + ": a folder, not a file",
         "ERROR: " + openError + ": " + folder + ": a folder, not a file"},
        {"/dev/zero", "Error", openError + "\n/dev/zero: a device, not a file",
         "ERROR: " + openError + ": /dev/zero: a device, not a file"},
        {pipe, "Error", openError + "\n" + pipe + ": a named pipe that nothing is writing to",
         "ERROR: " + openError + ": " + pipe + ": a named pipe that nothing is writing to"},
        {empty, "Warning message", "PICFirmwareUpgrade: no data to send in the file",
         "Firmware upgrade: nothing sent"},
        {writeFile(";:00000001FF\n"), "Warning message",
         "PICFirmwareUpgrade: no data to send in the file", "Firmware upgrade: nothing sent"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.value_or("(cancelled)"));
        popups.popups.clear();
        popups.fileAnswers.push_back(c.answer);
        click(PANEL_UPGRADE_FIRMWARE);
        ASSERT_EQ(popups.popups.size(), 1u);
        EXPECT_EQ(popups.popups[0].title, c.title);
        EXPECT_EQ(popups.popups[0].message, c.message);
        EXPECT_EQ(lastMonitorLine(), c.line);
        EXPECT_FALSE(c.answer && isOpen(*c.answer));
    }
    EXPECT_TRUE(receivedAfter(1, 200).empty());
    EXPECT_EQ(g_iBusy, 0);
    // The upgrade starts on a commit only.
    EXPECT_EQ(
        Upgrade_firmware_cb(g_hmainPanel, PANEL_UPGRADE_FIRMWARE, EVENT_TIMER_TICK, nullptr, 0, 0),
        0);
    EXPECT_EQ(popups.fileDialogs.size(), std::size(cases));
}

// A pipe something writes to (a shell's <(generate) is one) is read as it comes.
TEST_F(FirmwareUpgrade, APipeThatIsWrittenToIsReadAsAFile) {
    const Lines records = ShortRecords(3);
    const std::string folder = std::filesystem::path(writeFile("")).parent_path().string();
    const std::string pipe = folder + "/generated.fifo";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // The writer's end stays open until the upgrade has opened its own, so the file's end
    // comes only then, as from a generator that is still running.
    const int writer = ::open(pipe.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    const std::string contents = Joined(records);
    ASSERT_EQ(::write(writer, contents.data(), contents.size()),
              static_cast<ssize_t>(contents.size()));
    std::thread closer([&] {
        const auto opens = [&] {
            int n = 0;
            std::error_code error;
            for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd", error)) {
                std::error_code linkError;
                if (std::filesystem::read_symlink(fd.path(), linkError) == pipe) ++n;
            }
            return n;
        };
        // Bounded, so that an upgrade that never opens the pipe fails the test, not hangs it.
        for (int waited = 0; opens() < 2 && waited < 10'000; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ::close(writer);
    });
    upgrade(pipe);
    closer.join();
    EXPECT_EQ(lastMonitorLine(), "Data successfully sent");
    EXPECT_EQ(board.bootloaderLines(), records);
}

TEST_F(FirmwareTest, TheFileDialogOpensWhereTheLastFileWasChosenEvenInALaterRun) {
    ASSERT_EQ(SaveSetting("firmware/lastFolder", "/nonexistent/old"), 0);
    const std::string file = writeFile("not a hex file\n");
    const std::string folder = std::filesystem::path(file).parent_path().string();
    popups.fileAnswers.push_back(file);
    click(PANEL_UPGRADE_FIRMWARE);
    popups.fileAnswers.push_back(std::nullopt);
    click(PANEL_UPGRADE_FIRMWARE);
    ASSERT_EQ(popups.fileDirectories.size(), 2u);
    EXPECT_EQ(popups.fileDirectories[0], "/nonexistent/old");
    EXPECT_EQ(popups.fileDirectories[1], folder) << "a refused file's folder is still remembered";
    char remembered[300];
    ASSERT_EQ(LoadSetting("firmware/lastFolder", remembered, sizeof remembered), 1);
    EXPECT_EQ(remembered, folder);
}

// A board whose upgrade was interrupted starts in its bootloader, where Connect cannot
// succeed. Whatever the console's state, the upgrade opens the port it needs and the board
// takes the file at the first try.
TEST_F(FirmwareUpgrade, ABoardInItsBootloaderTakesTheFileWhateverTheConnection) {
    enum class Before { NoConnect, FailedConnect, ConnectAndDisconnect };
    const Lines records = ShortRecords(3);
    for (const Before before :
         {Before::NoConnect, Before::FailedConnect, Before::ConnectAndDisconnect}) {
        SCOPED_TRACE(static_cast<int>(before));
        DropLinkForTest();
        board.setBootloaderMode(before != Before::ConnectAndDisconnect);
        SetReceiveWaitSeconds(0.3);
        if (before != Before::NoConnect) {
            click(PANEL_CONNECT);
            EXPECT_EQ(lastMonitorLine(), before == Before::ConnectAndDisconnect
                                             ? "Board temperature is 22.00"
                                             : "Disconnected from COM1");
            if (before == Before::ConnectAndDisconnect) {
                click(PANEL_CONNECT);
                board.setBootloaderMode(true);
            }
        }
        ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
        popups.popups.clear();
        upgrade(writeFile(Joined(records)));
        EXPECT_EQ(lastMonitorLine(), "Data successfully sent");
        EXPECT_TRUE(popups.popups.empty());
        const Lines lines = monitorLines();
        // The Connect's version read left a partial line in the bootloader.
        EXPECT_EQ(std::count(lines.begin(), lines.end(),
                             "Bootloader discarded a partial line; sending the test character "
                             "again"),
                  before == Before::FailedConnect ? 1 : 0);
        const Lines taken = board.bootloaderLines();
        ASSERT_GE(taken.size(), records.size());
        EXPECT_EQ(Lines(taken.end() - static_cast<long>(records.size()), taken.end()), records);
        EXPECT_EQ(g_iConnection_status, 0);
    }
}
