#include "firmware/bootloader_handshake.h"

#include "firmware/bootloader_bytes.h"
#include "firmware/bootloader_link.h"
#include "link/deadline.h"
#include "link/serial_link.h"
#include "panel/serial_monitor.h"
#include "runtime/clock.h"
#include "runtime/rs232.h"

namespace {

// The port's input queue holds no more than this, so the bytes that came during the wait are
// all looked at, while a board that keeps talking cannot hold the console here.
constexpr int kMostBytesExamined = 512;

enum class PresenceAnswer { Accepted, PartialLineRefused, None };

// Follows the answer byte by byte: XOFF, ACK and XON in that order, with anything before,
// between and after them; and whether an XON came after an XOFF with no ACK between.
struct AnswerScan {
    int progress = 0;
    bool xoffSeen = false, ackSinceXoff = false, refused = false;

    void take(signed char received) {
        if (progress < BOOTLOADER_ANSWER_LENGTH && received == BOOTLOADER_ANSWER[progress])
            ++progress;
        if (received == BOOTLOADER_XOFF) {
            xoffSeen = true;
            ackSinceXoff = false;
        } else if (received == BOOTLOADER_ACK) {
            ackSinceXoff = xoffSeen;
        } else if (received == BOOTLOADER_XON && xoffSeen && !ackSinceXoff) {
            refused = true;
        }
    }
    bool accepted() const { return progress == BOOTLOADER_ANSWER_LENGTH; }
};

// Sends the test character and judges what comes within the answer wait. The wait ends early
// once the bootloader's answer is complete: XOFF, ACK and XON, which nothing after them can
// undo, or an XON that closed an answer without an ACK.
PresenceAnswer sendTestCharacter() {
    // A byte that did not leave gets no answer, which the caller reports.
    SendBootloaderByte(BOOTLOADER_CR);
    const Deadline deadline = DeadlineAfter(BootloaderAnswerWait());
    AnswerScan scan;
    int examined = 0;
    for (;;) {
        for (; examined < kMostBytesExamined && GetInQLen(g_iCom_port_num) > 0; ++examined)
            scan.take(static_cast<signed char>(ComRdByte(g_iCom_port_num)));
        if (scan.accepted() || scan.refused || examined >= kMostBytesExamined ||
            DeadlinePassed(deadline))
            break;
        if (WaitInQLen(g_iCom_port_num, 1, SecondsLeft(deadline)) < 0) break;
    }
    if (scan.accepted()) return PresenceAnswer::Accepted;
    return scan.refused ? PresenceAnswer::PartialLineRefused : PresenceAnswer::None;
}

}  // namespace

UpgradeOutcome TestBootloaderPresence(void) {
    FlushInQ(g_iCom_port_num);
    LogToWindow("Sending test character");
    PresenceAnswer answer = sendTestCharacter();
    if (answer == PresenceAnswer::PartialLineRefused) {
        LogWarning("Bootloader discarded a partial line; sending the test character again");
        FlushInQ(g_iCom_port_num);
        answer = sendTestCharacter();
    }
    if (answer == PresenceAnswer::Accepted) return {};
    UpgradeOutcome outcome;
    outcome.error = UpgradeError::NoBootloader;
    if (!LinkDeviceLost(&outcome.reason)) {
        LogError("ERROR: Timed out on GetInQLen");
        outcome.reason = "no bootloader answered the test character (Timed out on GetInQLen)";
    }
    ProcessSystemEvents();
    return outcome;
}
