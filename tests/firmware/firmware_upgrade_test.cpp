// Upgrades that reach the virtual board's bootloader, and the file problems that stop an
// upgrade before it sends anything.
#include "firmware/firmware_upgrade.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "app/Tarviktest.h"
#include "app/shell.h"
#include "link/transaction.h"
#include "runtime/userint.h"
#include "tests/firmware/firmware_fixture.h"

using FirmwareUpgrade = FirmwareTest;
using Lines = std::vector<std::string>;

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
    EXPECT_EQ(g_iBusy, 0);
    EXPECT_FALSE(isOpen(path));
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
    upgrade(writeFile(first + "\n" + cut + ";comment\n" + kEndOfFileRecord + "\n"));

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

TEST_F(FirmwareUpgrade, FileLargerThanTheBufferIsRefusedWithNothingSent) {
    std::string file;
    const std::string line = DataRecord(0, std::vector<uint8_t>(16, 0xAB)) + "\n";
    while (file.size() <= 400000) file += line;
    const std::string path = writeFile(file.substr(0, 400001));
    upgrade(path);

    ASSERT_EQ(popups.popups.size(), 1u);
    EXPECT_EQ(popups.popups[0].title, "Error");
    EXPECT_NE(popups.popups[0].message.find("too large"), std::string::npos);
    EXPECT_NE(popups.popups[0].message.find("400000"), std::string::npos);
    EXPECT_EQ(monitorLines(), Lines{"Starting Firmware Upgrade"});
    EXPECT_TRUE(receivedAfter(1, 200).empty());
    EXPECT_EQ(g_iBusy, 0);
    EXPECT_FALSE(isOpen(path));
}

TEST_F(FirmwareUpgrade, CancelledOrUnreadableFileStopsBeforeTheBoardIsContacted) {
    struct Case {
        std::optional<std::string> answer;
        std::string title, message;
    };
    const std::string folder = writeFile("");
    const Case cases[] = {
        {std::nullopt, "Error", "PICFirmwareUpgrade: no file selected!"},
        {folder + ".missing", "Error", "PICFirmwareUpgrade: open file error"},
        {std::filesystem::path(folder).parent_path().string(), "Error",
         "PICFirmwareUpgrade: read file error"},
        {writeFile(""), "Warning message", "PICFirmwareUpgrade: no data to send in the file"},
        {writeFile(";:00000001FF\n"), "Warning message",
         "PICFirmwareUpgrade: no data to send in the file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.value_or("(cancelled)"));
        popups.popups.clear();
        popups.fileAnswers.push_back(c.answer);
        click(PANEL_UPGRADE_FIRMWARE);
        ASSERT_EQ(popups.popups.size(), 1u);
        EXPECT_EQ(popups.popups[0].title, c.title);
        EXPECT_EQ(popups.popups[0].message, c.message);
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
