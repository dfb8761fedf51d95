// Every way the bootloader or the line can stop an upgrade, and what the operator is left with.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "link/connection.h"
#include "link/serial_link.h"
#include "link/transaction.h"
#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"
#include "tests/firmware/firmware_fixture.h"
#include "tests/firmware/scripted_port.h"

namespace {

bool Contains(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

const Lines kRecords{DataRecord(0x0000, {0xA0, 0xA1}), DataRecord(0x0002, {0xB0}),
                     kEndOfFileRecord};
// The last record has no line end: the answer to the CR stored after it is checked too.
const std::string kFile = kRecords[0] + "\n" + kRecords[1] + "\n" + kRecords[2];

}  // namespace

using FirmwareFailure = FirmwareTest;

TEST_F(FirmwareFailure, EachWrongAnswerByteStopsAtItsLineWithItsPopup) {
    struct Case {
        int line, byteIndex;
        uint8_t value;
        std::string popup, log;
    };
    const Case cases[] = {
        {2, 0, 0x11, "Bad bootloader XOFF response",
         "ERROR: Bad bootloader XOFF response to line 2 (0x11)"},
        // The bootloader refused the record.
        {1, 1, 0x15, "Bad bootloader ACK response",
         "ERROR: Bad bootloader ACK response to line 1 (0x15)"},
        // The line ended by the console itself.
        {3, 2, 0x06, "Bad bootloader ACK response",
         "ERROR: Bad bootloader XON response to line 3 (0x06)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.popup + " on line " + std::to_string(c.line));
        board.clearFaults();
        board.setBootloaderMode(true);
        board.setBootloaderBadAnswer(c.line, c.byteIndex, c.value);
        popups.popups.clear();
        const std::string path = writeFile(kFile);
        upgrade(path);

        ASSERT_EQ(popups.popups.size(), 1u);
        EXPECT_EQ(popups.popups[0].title, "Error");
        EXPECT_EQ(popups.popups[0].message, c.popup);
        EXPECT_EQ(board.bootloaderLines(), Lines(kRecords.begin(), kRecords.begin() + c.line));
        EXPECT_EQ(lastMonitorLine(), c.log);
        EXPECT_EQ(progressValue(), c.line - 1);
        EXPECT_EQ(g_iBusy, 0);
        EXPECT_FALSE(isOpen(path));
    }
}

TEST_F(FirmwareFailure, BoardThatStopsAnsweringIsGivenUpOnWithinTheAnswerWait) {
    board.setBootloaderSilentFrom(2);
    const std::string path = writeFile(kFile);
    upgrade(path);
    ASSERT_EQ(popups.popups.size(), 1u);
    EXPECT_EQ(popups.popups[0].title, "Error");
    EXPECT_EQ(popups.popups[0].message, "PICFirmwareUpgrade: the bootloader stopped answering");
    EXPECT_EQ(lastMonitorLine(), "ERROR: No bootloader answer to line 2");
    EXPECT_EQ(board.bootloaderLines(), Lines(kRecords.begin(), kRecords.begin() + 2));
    EXPECT_EQ(g_iBusy, 0);
    EXPECT_FALSE(isOpen(path));
}

class FirmwareScriptedLine : public FirmwareTest {
  protected:
    static constexpr int kScriptedPort = 9;
    void SetUp() override {
        FirmwareTest::SetUp();
        line = OpenScriptedPort(kScriptedPort);
        ASSERT_NE(line, nullptr);
        ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    }
    std::vector<uint8_t> written() const { return line->written; }
    std::shared_ptr<ScriptedLine> line;
};

// An adapter pulled out mid-transfer is said to be gone, in the monitor before the popup
// and in the popup, never as a bootloader that stopped answering.
TEST_F(FirmwareFailure, AnUnplugDuringTheTransferSaysTheDeviceIsGone) {
    const std::string device = board.devicePath();
    // Looks at the monitor at the moment the popup opens.
    struct MonitorAtPopup : PopupRecorder {
        explicit MonitorAtPopup(std::function<Lines()> monitor) : monitor_(std::move(monitor)) {}
        void messagePopup(const std::string& title, const std::string& message) override {
            monitorThen = monitor_();
            PopupRecorder::messagePopup(title, message);
        }
        std::function<Lines()> monitor_;
        Lines monitorThen;
    } recorder([this] { return monitorLines(); });
    whenEventsRun([&] {
        if (board.bootloaderLines().empty()) return false;
        board.stop();
        return true;
    });
    // At the wire's pace, long enough for the transfer to dispatch events on its way.
    board.setPacing(true);
    recorder.fileAnswers.push_back(writeFile(Joined(ShortRecords(200))));
    click(PANEL_UPGRADE_FIRMWARE);

    const std::string gone = "COM1 (" + device + ") is gone: Input/output error";
    ASSERT_EQ(recorder.popups.size(), 1u);
    EXPECT_EQ(recorder.popups[0].title, "Error");
    EXPECT_EQ(recorder.popups[0].message, "PICFirmwareUpgrade: " + gone);
    EXPECT_TRUE(Contains(recorder.monitorThen, "ERROR: " + gone));
    EXPECT_EQ(lastMonitorLine(), "Disconnected from COM1");
    EXPECT_EQ(g_iConnection_status, 0);
    EXPECT_EQ(LinkPortOpen(), 0);
    EXPECT_EQ(g_iBusy, 0);
}

TEST_F(FirmwareScriptedLine, PresenceTestNeedsXoffAckXonInThatOrderAmongOtherBytes) {
    // XOFF then XON without an ACK between them reads as a refused partial line: the test
    // character goes once more, and its answer is judged alike.
    line->answers = {{0x06, 0x13, 0x11}, {0x06, 0x13, 0x11}};
    const std::string path = writeFile(kEndOfFileRecord + "\n");
    upgrade(path);
    EXPECT_EQ(monitorLines(),
              (Lines{"Starting Firmware Upgrade", "Sending test character",
                     "Bootloader discarded a partial line; sending the test character again",
                     "ERROR: Timed out on GetInQLen"}));
    EXPECT_EQ(written(), (std::vector<uint8_t>{0x0D, 0x0D}));
    EXPECT_TRUE(popups.popups.empty());
    EXPECT_EQ(g_iBusy, 0);
    EXPECT_FALSE(isOpen(path));

    line->written.clear();
    line->answers = {{0x13, 0x13, 0x06, 0x11}};
    upgrade(writeFile(kEndOfFileRecord + "\n"));
    EXPECT_TRUE(Contains(monitorLines(), "PIC is ready for upgrade, sending data"));
    EXPECT_EQ(lastMonitorLine(), "Data successfully sent");
    EXPECT_EQ(written(), OnTheWire(kEndOfFileRecord + "\n"));
}

TEST_F(FirmwareScriptedLine, OutputQueueThatStopsDrainingEndsTheTransfer) {
    // The drain limit is three ticks of the timer: short ticks make a short test.
    SetCtrlAttribute(g_hmainPanel, PANEL_TIMER, ATTR_INTERVAL, 0.05);
    line->drainingBytes = 3;  // the presence test's CR and two characters
    const std::string path = writeFile(kEndOfFileRecord + "\n");
    upgrade(path);
    EXPECT_EQ(written().size(), 4u);  // nothing after the byte that stayed
    EXPECT_EQ(lastMonitorLine(), "ERROR: Output queue was not emptied on line 1");
    ASSERT_EQ(popups.popups.size(), 1u);
    EXPECT_EQ(popups.popups[0].message, "PICFirmwareUpgrade: the serial port stopped sending");
    EXPECT_EQ(g_iBusy, 0);
    EXPECT_FALSE(isOpen(path));
}
