// A HEX file is checked before anything goes to the board: files that are not Intel HEX are
// refused naming the line, what the bootloader must not get is left out, and a file without
// its end-of-file record is sent only when the operator says so.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/serial_link.h"
#include "link/transaction.h"
#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "runtime/userint.h"
#include "tests/firmware/firmware_fixture.h"

using FirmwareHexCheck = FirmwareTest;

namespace {
// Its checksum is 0x3D.
const std::string kRecord = ":01000000C23D";
}  // namespace

TEST_F(FirmwareHexCheck, EachKindOfBadLineIsRefusedByItsFileLineNumberWithNothingSent) {
    struct Case {
        std::string file, popup;
    };
    // The bad line is the file's line 5: blank lines count, as in the operator's editor.
    const std::string before = DataRecord(0, {1}) + "\r\n\r\n" + DataRecord(1, {2}) + "\n \t\n";
    const std::string after = "\n" + kEndOfFileRecord + "\n";
    const Case cases[] = {
        {before + ":01000000C23C" + after, "line 5: checksum 0x3C, expected 0x3D"},
        {before + "01000000C23D" + after, "line 5: does not start with ':'"},
        {before + ":0100G000C23D" + after, "line 5: 'G' at column 6 is not a hexadecimal digit"},
        {before + ":01000000 C23D" + after,
         "line 5: byte 0x20 at column 10 is not a hexadecimal digit"},
        {before + ":01000000C23" + after, "line 5: odd number of hexadecimal digits (11)"},
        {before + ":0000" + after, "line 5: too short for a record (2 bytes, at least 5)"},
        {before + ":02000000C23B" + after,
         "line 5: length byte 0x02, but the record has 1 data byte"},
        {before + ":01000006C237" + after, "line 5: unknown record type 0x06"},
        {before + kEndOfFileRecord + "\n" + kRecord + "\n",
         "line 6: record after the end-of-file record"},
        {"Firmware 2.3 release notes\nFixed the ADC gain.\n", "line 1: does not start with ':'"},
        {std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16), "line 1: does not start with ':'"},
        {std::string(":\0\xFF\x10", 4) + after,
         "line 1: byte 0x00 at column 2 is not a hexadecimal digit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.popup);
        popups.popups.clear();
        ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
        const std::string path = writeFile(c.file);
        upgrade(path);

        ASSERT_EQ(popups.popups.size(), 1u);
        EXPECT_EQ(popups.popups[0].title, "Error");
        EXPECT_EQ(popups.popups[0].message, c.popup);
        EXPECT_EQ(monitorLines(),
                  (Lines{"Starting Firmware Upgrade", "Firmware upgrade: nothing sent"}));
        EXPECT_EQ(g_iBusy, 0);
        EXPECT_FALSE(isOpen(path));
    }
    EXPECT_TRUE(popups.questions.empty());
    EXPECT_TRUE(receivedAfter(1, 200).empty()) << "not even the presence test";
}

TEST_F(FirmwareHexCheck, BlankEndsOfLinesBlankLinesAndAFinalEndOfTextMarkAreNotSent) {
    // After the end-of-file record the bootloader hands over to the new firmware, which would
    // not answer anything more: the upgrade must end there.
    struct Case {
        std::string name, file, sent;
    };
    const std::string record = DataRecord(0x0010, {0xDE, 0xAD});
    const Case cases[] = {
        // Every record type, digits in either case, blanks at the end of a line and on a line
        // of their own, CR LF line ends, and the end-of-text mark after the last line end.
        {"mark after the last line end",
         ":020000040000FA \r\n" + record + "\t \r\n\r\n \t\r\n:0400000300000000f9\r\n" +
             ":020000020000FC\r\n:0400000500000000F7\r\n" + kEndOfFileRecord + "\r\n\x1A",
         ":020000040000FA\n" + record + "\n:0400000300000000f9\n:020000020000FC\n" +
             ":0400000500000000F7\n" + kEndOfFileRecord + "\n"},
        {"blanks after the last line end", record + "\n" + kEndOfFileRecord + "\n \t ",
         record + "\n" + kEndOfFileRecord + "\n"},
        {"mark right after the last record", record + "\n" + kEndOfFileRecord + "\x1A",
         record + "\n" + kEndOfFileRecord + "\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        board.setBootloaderMode(true);
        board.clearRecording();
        upgrade(writeFile(c.file));

        EXPECT_EQ(receivedAfter(c.sent.size() + 1), OnTheWire(c.sent));
        EXPECT_FALSE(board.waitForReceived(c.sent.size() + 2, 200));
        EXPECT_EQ(lastMonitorLine(), "Data successfully sent");
        EXPECT_TRUE(popups.popups.empty());
        EXPECT_EQ(g_iBusy, 0);
    }
}

TEST_F(FirmwareHexCheck, FileWithoutEndOfFileRecordIsSentOnlyWhenTheOperatorSaysYes) {
    // Cut short in the middle of a record's line end: the commonest way to ruin a board.
    const std::string file = DataRecord(0, {1, 2}) + "\n" + DataRecord(2, {3, 4}) + "\n";
    const std::string path = writeFile(file);
    upgrade(path);  // answered with the default, No

    ASSERT_EQ(popups.questions.size(), 1u);
    EXPECT_EQ(popups.questions[0].title, "Warning message");
    EXPECT_NE(popups.questions[0].message.find("no end-of-file record"), std::string::npos);
    EXPECT_TRUE(popups.popups.empty());
    EXPECT_EQ(monitorLines(),
              (Lines{"Starting Firmware Upgrade", "Firmware upgrade: nothing sent"}));
    EXPECT_TRUE(receivedAfter(1, 200).empty());
    EXPECT_EQ(g_iBusy, 0);
    EXPECT_FALSE(isOpen(path));

    popups.questionAnswers = {true};
    upgrade(path);
    EXPECT_EQ(popups.questions.size(), 2u);
    EXPECT_EQ(receivedAfter(file.size() + 1), OnTheWire(file));
    EXPECT_EQ(lastMonitorLine(), "Data successfully sent");
    EXPECT_EQ(g_iBusy, 0);
}
