#include "registers/register_access.h"

#include <cstdio>

#include "app/serial_monitor.h"
#include "link/connection.h"
#include "link/frame.h"
#include "link/transaction.h"

namespace {

constexpr int kResponseBytes = 8;
constexpr unsigned int kLow16 = 0xFFFFu;

// Sends the request already in g_uiTx_word_buf and takes the response's value.
// Returns the routine's result; *value is set only on success.
int RunRegisterTransaction(int words, unsigned int* value, bool* receiveFailed) {
    *receiveFailed = false;
    if (SendSerialMsg(g_uiTx_word_buf, words) != 1) {
        LogToWindow("ERROR:failed to send message");
        return -2;
    }
    if (GetSerialResponse(kResponseBytes) != 1) {
        LogToWindow("ERROR:failed to get a response");
        *receiveFailed = true;
        return -1;
    }
    if (ProcessFirstWord() != 1) return -1;
    *value = g_uiRx_word_buf[1] >> 16;
    return 1;
}

}  // namespace

int GetRegister(int address, unsigned int* value) {
    if (BusyRefused()) return -1;
    g_iTimer_cnt = 0;
    g_iTXCommand_id = CMD_GET_REGISTER;
    g_uiTx_word_buf[0] = (CMD_GET_REGISTER << 24) | 2;
    g_uiTx_word_buf[1] = AddressWord(address);
    *value = 0;
    if (g_iConnection_status != 1) return LINK_NOT_CONNECTED;
    bool receiveFailed = false;
    return RunRegisterTransaction(2, value, &receiveFailed);
}

int SetRegister(int address, int mask, int value, unsigned int* readback) {
    if (BusyRefused()) return -1;
    g_iTimer_cnt = 0;
    g_iTXCommand_id = CMD_SET_REGISTER;
    g_uiTx_word_buf[0] = (CMD_SET_REGISTER << 24) | 3;
    // Only 16 bits of value: more would spill into the mask half of the word.
    g_uiTx_word_buf[1] = ((static_cast<unsigned int>(mask) & kLow16) << 16) |
                         (static_cast<unsigned int>(value) & kLow16);
    g_uiTx_word_buf[2] = AddressWord(address);
    if (g_iConnection_status != 1) return LINK_NOT_CONNECTED;
    bool receiveFailed = false;
    int result = RunRegisterTransaction(3, readback, &receiveFailed);
    if (receiveFailed) *readback = 0;
    return result;
}
