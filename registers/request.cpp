#include "registers/request.h"

#include "link/frame.h"
#include "link/serial_link.h"
#include "link/transaction.h"
#include "panel/serial_monitor.h"

namespace {
constexpr int kCommandShift = 24;
}  // namespace

int RegisterResultCode(const RegisterResult& result) {
    switch (result.error) {
        case RegisterError::None:
            return 1;
        case RegisterError::NotConnected:
            return LINK_NOT_CONNECTED;
        case RegisterError::BadCount:
            return BLOCK_BAD_COUNT;
        case RegisterError::NotSent:
            return -2;
        case RegisterError::Busy:
        case RegisterError::NoAnswer:
        case RegisterError::WrongAnswer:
            break;
    }
    return -1;
}

int BeginRequest(int command, int words) {
    if (BusyRefused()) return 0;
    g_iTimer_cnt = 0;
    g_iTXCommand_id = command;
    g_uiTx_word_buf[0] =
        (static_cast<unsigned int>(command) << kCommandShift) | static_cast<unsigned int>(words);
    return 1;
}

RegisterResult BusyResult(void) {
    return RegisterResult::Failure(RegisterError::Busy, "Busy, can't process cmd!");
}

RegisterResult RunRequest(int words, int expectedBytes, RequestLines lines) {
    if (g_iConnection_status != 1)
        return RegisterResult::Failure(RegisterError::NotConnected, "not connected");
    const LinkResult sent = SendFrame(g_uiTx_word_buf, words);
    if (!sent.ok()) {
        if (lines.sendFailed) LogError("ERROR:failed to send message");
        return RegisterResult::Failure(RegisterError::NotSent, sent.reason);
    }
    const LinkResult answer = ReceiveFrame(expectedBytes);
    if (!answer.ok()) {
        if (lines.receiveFailed) LogError("ERROR:failed to get a response");
        return RegisterResult::Failure(RegisterError::NoAnswer, answer.reason);
    }
    const LinkResult command = CheckAnswerCommand();
    if (!command.ok()) return RegisterResult::Failure(RegisterError::WrongAnswer, command.reason);
    return {};
}
