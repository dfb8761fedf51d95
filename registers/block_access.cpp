#include "registers/block_access.h"

#include <cstdio>
#include <cstring>

#include "app/serial_monitor.h"
#include "link/connection.h"
#include "link/frame.h"
#include "link/transaction.h"
#include "registers/register_access.h"

namespace {

constexpr int kSetBlockResponseBytes = 8;

bool countFits(int count) {
    return count >= 1 && count <= BLOCK_MAX_WORDS;
}

}  // namespace

int GetBlock(int address, int count, void* words) {
    if (BusyRefused()) return -1;
    if (!countFits(count)) return BLOCK_BAD_COUNT;
    g_iTimer_cnt = 0;
    g_iTXCommand_id = CMD_GET_BLOCK;
    g_uiTx_word_buf[0] = (CMD_GET_BLOCK << 24) | 3;
    g_uiTx_word_buf[1] = static_cast<unsigned int>(count);
    g_uiTx_word_buf[2] = AddressWord(address);
    const size_t bytes = static_cast<size_t>(count) * sizeof(unsigned int);
    std::memset(words, 0, bytes);
    if (g_iConnection_status != 1) return LINK_NOT_CONNECTED;
    if (SendSerialMsg(g_uiTx_word_buf, 3) != 1) return -2;
    if (GetSerialResponse(4 * count + 8) != 1) {
        std::memset(words, 0, bytes);
        return -1;
    }
    if (ProcessFirstWord() != 1) return -1;
    std::memcpy(words, &g_uiRx_word_buf[1], bytes);
    return 1;
}

int SetBlock(int address, int count, const void* words) {
    if (BusyRefused()) return -1;
    if (!countFits(count)) return BLOCK_BAD_COUNT;
    g_iTimer_cnt = 0;
    g_iTXCommand_id = CMD_SET_BLOCK;
    g_uiTx_word_buf[0] = (CMD_SET_BLOCK << 24) | static_cast<unsigned int>(count + 2);
    std::memcpy(&g_uiTx_word_buf[1], words, static_cast<size_t>(count) * sizeof(unsigned int));
    g_uiTx_word_buf[count + 1] = AddressWord(address);
    if (g_iConnection_status != 1) return LINK_NOT_CONNECTED;
    if (SendSerialMsg(g_uiTx_word_buf, count + 2) != 1) {
        LogToWindow("ERROR:failed to send message");
        return -2;
    }
    if (GetSerialResponse(kSetBlockResponseBytes) == 1 && ProcessFirstWord() == 1) return 1;
    return -1;
}
