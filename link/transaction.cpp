#include "link/transaction.h"

#include <cmath>
#include <cstdio>

#include "link/connection.h"
#include "link/frame.h"
#include "link/line_guard.h"
#include "link/speed_test.h"
#include "link/tick_clock.h"
#include "panel/serial_monitor.h"
#include "runtime/cvirte.h"
#include "runtime/rs232.h"

int g_iBusy;

namespace {

constexpr int kInputWaitFactor = 6;  // polls allowed, in speed-test windows
double g_fixedReceiveWait = 0;       // seconds; 0 counts polls

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

// Ends a send: logs the message (with the command id), frees the link.
int sendFailure(const char* format, int result) {
    std::sprintf(disp_str, format, g_iTXCommand_id);
    LogToWindow(disp_str);
    g_iBusy = 0;
    return result;
}

// A port call failed: either the device is gone, which takes the link down
// with its own lines (true), or the failure is logged as `format` says.
bool portFailed(const char* format) {
    if (LinkDeviceLost()) return true;
    std::sprintf(disp_str, format, g_iTXCommand_id);
    LogToWindow(disp_str);
    return false;
}

// Ends a receive after its lines are logged. The answer may still be on its
// way, so the line is guarded before anything else can send (the events
// processed next may run a command); then the monitor shows the lines. A
// vanished device sends nothing late: the next line is a new one.
int receiveFailed(double waitStart, bool deviceGone = false) {
    if (!deviceGone) MarkLineUnsettled(Timer() - waitStart);
    ProcessSystemEvents();
    g_iBusy = 0;
    return -1;
}

int receiveFailure(const char* format, double waitStart) {
    std::sprintf(disp_str, format, g_iTXCommand_id);
    LogToWindow(disp_str);
    return receiveFailed(waitStart);
}

}  // namespace

void SetReceiveWaitSeconds(double seconds) {
    g_fixedReceiveWait = std::isfinite(seconds) && seconds > 0 ? seconds : 0;
}

double FullReceiveWaitSeconds(void) {
    if (g_fixedReceiveWait > 0) return g_fixedReceiveWait;
    return kInputWaitFactor * static_cast<double>(g_iSpeedCounter) * SpeedTestSecondsPerPoll();
}

int BusyRefused(void) {
    if (g_iBusy != 1) return 0;
    std::sprintf(disp_str, "WARNING: Busy, can't process cmd!");
    LogToWindow(disp_str);
    return 1;
}

int SendSerialMsg(unsigned int* words, int count) {
    if (g_iBusy == 1) {
        LogToWindow("WARNING: g_iBusy, can't process cmd!");
        return -1;
    }
    g_iBusy = 1;
    if (const int settled = SettleLine(); settled != 1) {
        if (settled < 0) portFailed("ERROR on %d: Failed to read input queue");
        g_iBusy = 0;
        return settled < 0 ? -2 : SEND_LINE_NOT_QUIET;
    }
    FlushInQ(g_iCom_port_num);
    words[count - 1] |= ChecksumCount(words, count);
    for (int i = 0; i < count; ++i) {
        // Most significant byte first, whatever the host's byte order.
        const unsigned int word = words[i];
        for (int shift = 24; shift >= 0; shift -= 8) {
            const unsigned char byte = static_cast<unsigned char>(word >> shift);
            if (ComWrt(g_iCom_port_num, &byte, 1) != 1) {
                sendFailure("ERROR on %d: Failed to write output queue", -2);
                LinkDeviceLost();
                return -2;
            }
            if (!WaitOutputDrained())
                return sendFailure("ERROR on %d: Output queue was not emptied", -3);
        }
    }
    DispMsg(words, "TX: ", count);
    g_iBusy = 0;
    return 1;
}

int GetSerialResponse(int expectedBytes) {
    if (expectedBytes <= 0 || expectedBytes > FRAME_MAX_BYTES || expectedBytes % 4 != 0) {
        // Never read more than the buffer holds, whatever a caller asks.
        std::sprintf(disp_str, "ERROR on %d: Invalid response length %d", g_iTXCommand_id,
                     expectedBytes);
        LogToWindow(disp_str);
        g_iBusy = 0;
        return -1;
    }
    const double waitStart = Timer();
    const long long limit = static_cast<long long>(kInputWaitFactor) * g_iSpeedCounter;
    const bool timed = g_fixedReceiveWait > 0;
    const Deadline deadline = DeadlineAfter(g_fixedReceiveWait);
    long long polls = 0;
    for (;;) {
        int queued = GetInQLen(g_iCom_port_num);
        // A vanished device will send nothing more: no point in waiting.
        if (queued < 0)
            return receiveFailed(waitStart, portFailed("ERROR on %d: Failed to read input queue"));
        if (timed ? DeadlinePassed(deadline) != 0 : polls > limit)
            return receiveFailure("ERROR on %d: Timed out on GetInQLen", waitStart);
        ++polls;
        if (queued >= expectedBytes) break;
    }
    // Bytes arrive most significant first: assemble each word from them.
    unsigned char bytes[FRAME_MAX_BYTES];
    if (ComRd(g_iCom_port_num, bytes, expectedBytes) < expectedBytes) {
        if (LinkDeviceLost()) return receiveFailed(waitStart, true);
        return receiveFailure("ERROR on %d: Timed out on ComRd", waitStart);
    }
    const int n = expectedBytes / 4;
    for (int i = 0; i < n; ++i) g_uiRx_word_buf[i] = WordFromBytes(&bytes[4 * i]);
    DispMsg(g_uiRx_word_buf, "RX: ", n);

    const unsigned int status = (g_uiRx_word_buf[n - 1] >> 8) & 0xFFu;
    if (status != 0) {
        for (const StatusMessage& m : kStatusMessages) {
            if (!(status & m.bit)) continue;
            std::sprintf(disp_str, "%s", m.line);
            LogToWindow(disp_str);
        }
        return receiveFailed(waitStart);
    }
    if ((g_uiRx_word_buf[0] & 0xFFFFu) != static_cast<unsigned int>(n))
        return receiveFailure("ERROR on %d: Different number of words received", waitStart);
    const unsigned int received = g_uiRx_word_buf[n - 1] & 0xFFu;
    g_uiRx_word_buf[n - 1] &= ~0xFFu;
    if (ChecksumCount(g_uiRx_word_buf, n) != received) {
        LogToWindow("ERROR in GetResponse: Incorrect checksum");
        return receiveFailed(waitStart);
    }
    g_iBusy = 0;
    return 1;
}
