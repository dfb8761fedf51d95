#include "registers/request.h"

#include "link/connection.h"
#include "link/frame.h"
#include "link/transaction.h"
#include "panel/serial_monitor.h"
#include "registers/register_access.h"

namespace {
constexpr int kCommandShift = 24;
}  // namespace

int BeginRequest(int command, int words) {
    if (BusyRefused()) return 0;
    g_iTimer_cnt = 0;
    g_iTXCommand_id = command;
    g_uiTx_word_buf[0] =
        (static_cast<unsigned int>(command) << kCommandShift) | static_cast<unsigned int>(words);
    return 1;
}

int RunRequest(int words, int expectedBytes, RequestLines lines, bool* receiveFailed) {
    *receiveFailed = false;
    if (g_iConnection_status != 1) return LINK_NOT_CONNECTED;
    if (SendSerialMsg(g_uiTx_word_buf, words) != 1) {
        if (lines.sendFailed) LogToWindow("ERROR:failed to send message");
        return -2;
    }
    if (GetSerialResponse(expectedBytes) != 1) {
        if (lines.receiveFailed) LogToWindow("ERROR:failed to get a response");
        *receiveFailed = true;
        return -1;
    }
    return ProcessFirstWord() == 1 ? 1 : -1;
}
