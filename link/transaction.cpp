#include "link/transaction.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "link/deadline.h"
#include "link/frame.h"
#include "link/line_guard.h"
#include "link/serial_link.h"
#include "link/speed_test.h"
#include "link/tick_clock.h"
#include "panel/serial_monitor.h"
#include "runtime/clock.h"
#include "runtime/rs232.h"

namespace {

constexpr int kInputWaitFactor = 6;  // the receive wait, in speed-test windows
constexpr double kGuardFactor = 1.5;
double g_fixedReceiveWait = 0;  // seconds; 0 takes the speed test's
bool g_adviceHeld = false;

struct StatusMessage {
    unsigned int bit;
    const char* line;
};
const StatusMessage kStatusMessages[] = {
    {0x01, "Status register error: checksum error"},
    {0x02, "Status register error: PIC response timeout"},
    {0x04, "Status register error: PIC failed to respond after boot"},
    {0x08, "Status register error: unrecognized command ID"},
    {0x10, "Status register error: unrecognized address"},
    {0x20, "Status register error: other PIC related error"},
    {0x40, "Status register error: boot registers are not configured"},
    // 0x80 has no line: the response fails silently.
};

// Logs "ERROR on <id>: <words>" and returns the failure that says so.
LinkResult failureLogged(LinkError error, const char* words) {
    std::snprintf(disp_str, sizeof disp_str, "ERROR on %d: %s", g_iTXCommand_id, words);
    LogError(disp_str);
    return LinkResult::Failure(error, words);
}

// A port call failed: either the device is gone, which takes the link down
// with its own lines, or the failure is logged with `words`.
LinkResult portFailure(const char* words) {
    std::string gone;
    if (LinkDeviceLost(&gone)) return LinkResult::Failure(LinkError::DeviceGone, gone);
    return failureLogged(LinkError::PortFailed, words);
}

LinkResult sendEnded(LinkResult result) {
    g_iBusy = 0;
    return result;
}

// Ends a receive after its lines are logged. The answer may still be on its
// way, so the line is guarded before anything else can send (the events
// processed next may run a command); then the monitor shows the lines. A
// vanished device sends nothing late.
LinkResult receiveEnded(LinkResult result) {
    if (result.error != LinkError::DeviceGone)
        MarkLineUnsettled(g_iCom_port_num, LateAnswerGuardSeconds());
    ProcessSystemEvents();
    g_iBusy = 0;
    return result;
}

LinkResult statusFailure(unsigned int status) {
    std::string reason;
    for (const StatusMessage& m : kStatusMessages) {
        if (!(status & m.bit)) continue;
        LogError(m.line);
        reason += (reason.empty() ? "" : "; ") + std::string(m.line);
    }
    if (reason.empty()) {
        char words[32];
        std::snprintf(words, sizeof words, "status byte 0x%02X", status);
        reason = words;
    }
    return LinkResult::Failure(LinkError::StatusError, reason);
}

// Checks a frame read whole into g_uiRx_word_buf (n words, host order).
LinkResult checkAnswer(int n) {
    const unsigned int status = (g_uiRx_word_buf[n - 1] >> 8) & 0xFFu;
    if (status != 0) return statusFailure(status);
    if ((g_uiRx_word_buf[0] & 0xFFFFu) != static_cast<unsigned int>(n))
        return failureLogged(LinkError::WordCount, "Different number of words received");
    const unsigned int received = g_uiRx_word_buf[n - 1] & 0xFFu;
    g_uiRx_word_buf[n - 1] &= ~0xFFu;
    if (ChecksumCount(g_uiRx_word_buf, n) != received) {
        LogError("ERROR in GetResponse: Incorrect checksum");
        return LinkResult::Failure(LinkError::Checksum, "Incorrect checksum");
    }
    return {};
}

}  // namespace

void SetReceiveWaitSeconds(double seconds) {
    g_fixedReceiveWait = std::isfinite(seconds) && seconds > 0 ? seconds : 0;
}

double FullReceiveWaitSeconds(void) {
    if (g_fixedReceiveWait > 0) return g_fixedReceiveWait;
    return kInputWaitFactor * SpeedTestWindowSeconds();
}

double LateAnswerGuardSeconds(void) {
    return kGuardFactor * FullReceiveWaitSeconds();
}

int BusyRefused(void) {
    if (g_iBusy != 1) return 0;
    LogWarning("WARNING: Busy, can't process cmd!");
    return 1;
}

LinkResult SendFrame(unsigned int* words, int count) {
    if (g_iBusy == 1) {
        LogWarning("WARNING: g_iBusy, can't process cmd!");
        return LinkResult::Failure(LinkError::Busy, "g_iBusy, can't process cmd!");
    }
    g_iBusy = 1;
    const double settleStart = Timer();
    // A program being stopped starts no exchange it would not wait for.
    if (LinkWaitsInterrupted())
        return sendEnded(failureLogged(LinkError::Interrupted, "Interrupted; nothing sent"));
    switch (SettleLine(g_iCom_port_num)) {
        case LineSettle::Settled:
            break;
        case LineSettle::PortFailed:
            return sendEnded(portFailure("Failed to read input queue"));
        case LineSettle::Interrupted:
            return sendEnded(failureLogged(LinkError::Interrupted, "Interrupted; nothing sent"));
        case LineSettle::NotQuiet: {
            char what[128];
            std::snprintf(what, sizeof what,
                          "The line never went quiet after a failed answer (%d bytes in %.1f s); "
                          "nothing sent",
                          LateBytesDropped(), Timer() - settleStart);
            return sendEnded(failureLogged(LinkError::LineNotQuiet, what));
        }
    }
    FlushInQ(g_iCom_port_num);
    words[count - 1] |= ChecksumCount(words, count);
    for (int i = 0; i < count; ++i) {
        // Most significant byte first, whatever the host's byte order.
        const unsigned int word = words[i];
        for (int shift = 24; shift >= 0; shift -= 8) {
            const unsigned char byte = static_cast<unsigned char>(word >> shift);
            if (ComWrt(g_iCom_port_num, &byte, 1) != 1) {
                LinkResult refused =
                    failureLogged(LinkError::WriteRefused, "Failed to write output queue");
                g_iBusy = 0;
                std::string gone;
                if (LinkDeviceLost(&gone)) refused = {LinkError::DeviceGone, gone};
                return refused;
            }
            if (!WaitOutputDrained())
                return sendEnded(
                    failureLogged(LinkError::NotDrained, "Output queue was not emptied"));
        }
    }
    DispMsg(words, "TX: ", count);
    return sendEnded({});
}

int SendSerialMsg(unsigned int* words, int count) {
    switch (SendFrame(words, count).error) {
        case LinkError::None:
            return 1;
        case LinkError::Busy:
            return -1;
        case LinkError::NotDrained:
            return -3;
        default:
            return -2;
    }
}

void LogNoAnswerAdvice(void) {
    char device[COM_MAX_PATH] = "";
    GetComPortDevice(g_iCom_port_num, device, sizeof device);
    const std::string line = "Check the board's power, the cable, and that COM" +
                             std::to_string(g_iCom_port_num) + " is the board's device (" + device +
                             "); a board left in its bootloader answers only a "
                             "firmware upgrade";
    LogWarning(line.c_str());
}

void HoldNoAnswerAdvice(int hold) {
    g_adviceHeld = hold != 0;
}

LinkResult ReceiveFrame(int expectedBytes) {
    if (expectedBytes <= 0 || expectedBytes > FRAME_MAX_BYTES || expectedBytes % 4 != 0) {
        // Never read more than the buffer holds, whatever a caller asks.
        char what[64];
        std::snprintf(what, sizeof what, "Invalid response length %d", expectedBytes);
        LinkResult refused = failureLogged(LinkError::BadRequest, what);
        g_iBusy = 0;
        return refused;
    }
    const Deadline deadline = DeadlineAfter(FullReceiveWaitSeconds());
    for (;;) {
        // The answer may still come: the line stays unsettled for whoever opens it next.
        if (LinkWaitsInterrupted())
            return receiveEnded(
                failureLogged(LinkError::Interrupted, "Interrupted while waiting for the answer"));
        const int queued = WaitInQLen(g_iCom_port_num, expectedBytes, SecondsLeft(deadline));
        // A vanished device will send nothing more: no point in waiting.
        if (queued < 0) return receiveEnded(portFailure("Failed to read input queue"));
        if (queued >= expectedBytes) break;
        if (DeadlinePassed(deadline)) {
            LinkResult silent = failureLogged(LinkError::NoAnswer, "Timed out on GetInQLen");
            if (!g_adviceHeld) LogNoAnswerAdvice();
            return receiveEnded(silent);
        }
    }
    // Bytes arrive most significant first: assemble each word from them.
    unsigned char bytes[FRAME_MAX_BYTES];
    if (ComRd(g_iCom_port_num, bytes, expectedBytes) < expectedBytes) {
        std::string gone;
        if (LinkDeviceLost(&gone))
            return receiveEnded(LinkResult::Failure(LinkError::DeviceGone, gone));
        return receiveEnded(failureLogged(LinkError::ShortRead, "Timed out on ComRd"));
    }
    const int n = expectedBytes / 4;
    for (int i = 0; i < n; ++i) g_uiRx_word_buf[i] = WordFromBytes(&bytes[4 * i]);
    DispMsg(g_uiRx_word_buf, "RX: ", n);
    const LinkResult checked = checkAnswer(n);
    if (!checked.ok()) return receiveEnded(checked);
    g_iBusy = 0;
    return {};
}

int GetSerialResponse(int expectedBytes) {
    return ReceiveFrame(expectedBytes).ok() ? 1 : -1;
}

LinkResult CheckAnswerCommand(void) {
    const int received = static_cast<int>(g_uiRx_word_buf[0] >> 24);
    if (received == g_iTXCommand_id + CMD_RESPONSE_FLAG) return {};
    char words[64];
    std::snprintf(words, sizeof words, "rx = %d, tx = %d", received, g_iTXCommand_id);
    std::snprintf(disp_str, sizeof disp_str, "ERROR: %s", words);
    LogError(disp_str);
    // An answer to another request: the one to this request may follow.
    MarkLineUnsettled(g_iCom_port_num, LateAnswerGuardSeconds());
    return LinkResult::Failure(LinkError::WrongCommand, words);
}

int ProcessFirstWord(void) {
    return CheckAnswerCommand().ok() ? 1 : -1;
}
