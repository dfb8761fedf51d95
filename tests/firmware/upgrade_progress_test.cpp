// What the operator has while an upgrade runs: a progress bar and a progress line that keep
// up, a panel that still answers, and a way to stop (Cancel, Quit) that leaves the board
// ready for the next try.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "link/serial_link.h"
#include "link/transaction.h"
#include "panel/Tarviktest.h"
#include "runtime/cvirte.h"
#include "runtime/userint.h"
#include "tests/firmware/firmware_fixture.h"

namespace {

// On a paced line: long enough for several event dispatches, past two progress rewrites.
constexpr int kRecords = 250;

std::string ProgressText(int sent) {
    char text[64];
    std::snprintf(text, sizeof text, "Record %d of %d (%d%%)", sent, kRecords,
                  sent * 100 / kRecords);
    return text;
}

}  // namespace

class FirmwareDuringUpgrade : public FirmwareTest {
  protected:
    void SetUp() override {
        FirmwareTest::SetUp();
        board.setPacing(true);
        // A read refused as busy logs one line from inside the upgrade.
        setText(PANEL_REG_ADDRESS, "0");
    }
    // Whether the transfer has begun: the busy flag is set and the board has a line.
    bool transferring() { return g_iBusy == 1 && !board.bootloaderLines().empty(); }

    const Lines records = ShortRecords(kRecords);
};

TEST_F(FirmwareDuringUpgrade, BarCountsRecordsWhileClicksAreAnsweredAndTheirLinesStay) {
    struct Sample {
        int value, maximum;
        std::string text;
        bool upgradeDimmed, cancelDimmed;
    };
    std::vector<Sample> samples;
    whenEventsRun([&] {
        if (!transferring()) return false;
        samples.push_back({progressValue(), progressMaximum(), progressText(),
                           dimmed(PANEL_UPGRADE_FIRMWARE), dimmed(PANEL_CANCEL_UPGRADE)});
        if (samples.size() == 1) click(PANEL_READ_REGISTER);
        return false;
    });
    upgrade(writeFile(Joined(records)));

    ASSERT_GE(samples.size(), 2u) << "events were not dispatched during the transfer";
    int midway = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        SCOPED_TRACE(i);
        const Sample& s = samples[i];
        EXPECT_EQ(s.maximum, kRecords);
        EXPECT_EQ(s.text, ProgressText(s.value));
        EXPECT_TRUE(s.upgradeDimmed);
        EXPECT_FALSE(s.cancelDimmed);
        midway += s.value > 0 && s.value < kRecords;
        if (i == 0) continue;
        EXPECT_GE(s.value, samples[i - 1].value);
    }
    EXPECT_GE(midway, 1);
    EXPECT_EQ(progressText(), ProgressText(kRecords));
    EXPECT_FALSE(dimmed(PANEL_UPGRADE_FIRMWARE));
    EXPECT_TRUE(dimmed(PANEL_CANCEL_UPGRADE));
    // The progress line was rewritten where it was; the refusal logged after it stayed.
    EXPECT_EQ(monitorLines(),
              (Lines{"Starting Firmware Upgrade", "Sending test character",
                     "PIC is ready for upgrade, sending data", "Sending line......200",
                     "WARNING: Busy, can't process cmd!", "Data successfully sent"}));
    EXPECT_EQ(board.bootloaderLines(), records);
}

TEST_F(FirmwareDuringUpgrade, ClearMonitorStartsTheProgressLineAgainBelowTheNewLines) {
    Lines afterClear;
    whenEventsRun([&] {
        if (!transferring()) return false;
        click(PANEL_CLEAR_MONITOR);
        // Enough lines to reach the progress line's old place again.
        for (int i = 0; i < 5; ++i) click(PANEL_READ_REGISTER);
        afterClear = monitorLines();
        return true;
    });
    upgrade(writeFile(Joined(records)));

    ASSERT_EQ(afterClear, Lines(5, "WARNING: Busy, can't process cmd!"));
    Lines expected = afterClear;
    expected.push_back("Sending line......200");
    expected.push_back("Data successfully sent");
    EXPECT_EQ(monitorLines(), expected);
}

// Stops the upgrade through `control` once the board has taken a few lines, and checks what
// the operator and the board are left with.
class FirmwareStoppedUpgrade : public FirmwareDuringUpgrade {
  protected:
    void stopWith(int control) {
        whenEventsRun([&, control] {
            if (!transferring() || board.bootloaderLines().size() < 3) return false;
            click(control);
            return true;
        });
        path = writeFile(Joined(records));
        upgrade(path);
    }
    // The lines the board took, each acknowledged, are the only ones sent.
    void expectCancelledAfterWholeLines() {
        const Lines taken = board.bootloaderLines();
        const int k = static_cast<int>(taken.size());
        ASSERT_GE(k, 3);
        ASSERT_LT(k, kRecords);
        const std::string sent = Joined(Lines(records.begin(), records.begin() + k));
        EXPECT_EQ(board.received(), OnTheWire(sent));
        EXPECT_FALSE(board.waitForReceived(sent.size() + 2, 200));
        EXPECT_EQ(lastMonitorLine(), "Firmware upgrade cancelled at line " + std::to_string(k) +
                                         " of " + std::to_string(kRecords));
        ASSERT_EQ(popups.popups.size(), 1u);
        EXPECT_EQ(popups.popups[0].title, "Warning message");
        EXPECT_EQ(popups.popups[0].message,
                  "Firmware upgrade cancelled. The board stays in its bootloader and can be "
                  "upgraded again.");
        EXPECT_EQ(g_iBusy, 0);
        EXPECT_FALSE(isOpen(path));
        EXPECT_EQ(progressValue(), k);
        EXPECT_FALSE(dimmed(PANEL_UPGRADE_FIRMWARE));
        EXPECT_TRUE(dimmed(PANEL_CANCEL_UPGRADE));
    }
    std::string path;
};

TEST_F(FirmwareStoppedUpgrade, CancelStopsAfterTheCurrentLineAndTheUpgradeCanBeRunAgain) {
    stopWith(PANEL_CANCEL_UPGRADE);
    expectCancelledAfterWholeLines();

    // A register read reaches the bootloader, which keeps its bytes as the start of a line
    // and answers nothing.
    const std::size_t taken = board.bootloaderLines().size();
    shortenReceiveWait();
    setText(PANEL_REG_ADDRESS, "20");
    click(PANEL_READ_REGISTER);
    EXPECT_EQ(lastMonitorLine(), "ERROR:failed to get a response");

    // The bootloader still waits for a whole file; the test character completes the read's
    // line, which it refuses, and the second one finds it ready.
    board.setPacing(false);
    popups.popups.clear();
    upgrade(path);
    EXPECT_EQ(lastMonitorLine(), "Data successfully sent");
    EXPECT_TRUE(popups.popups.empty());
    const Lines lines = monitorLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         "Bootloader discarded a partial line; sending the test character again"),
              1);
    const Lines all = board.bootloaderLines();
    ASSERT_EQ(all.size(), taken + 1 + records.size());
    EXPECT_EQ(Lines(all.begin() + static_cast<long>(taken) + 1, all.end()), records);
}

TEST_F(FirmwareStoppedUpgrade, QuitDuringTheUpgradeCancelsItBeforeTheConsoleEnds) {
    stopWith(PANEL_QUIT);
    expectCancelledAfterWholeLines();
    EXPECT_EQ(RunUserInterface(), 0) << "the quit was not kept for the event loop";
}
