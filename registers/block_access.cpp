#include "registers/block_access.h"

#include <cstdio>
#include <cstring>

#include "link/connection.h"
#include "link/frame.h"
#include "link/transaction.h"
#include "panel/serial_monitor.h"
#include "registers/register_access.h"
#include "registers/request.h"

namespace {

constexpr int kSetBlockResponseBytes = 8;
constexpr int kGetBlockWords = 3;
// A block read logs no line of its own; a block write says when it could not send.
constexpr RequestLines kGetBlockLines{false, false};
constexpr RequestLines kSetBlockLines{true, false};

bool countFits(int count) {
    return count >= 1 && count <= BLOCK_MAX_WORDS;
}

}  // namespace

// A busy link is refused, with its line, before a bad count is.
int GetBlock(int address, int count, void* words) {
    if (!countFits(count) && g_iBusy != 1) return BLOCK_BAD_COUNT;
    if (!BeginRequest(CMD_GET_BLOCK, kGetBlockWords)) return -1;
    g_uiTx_word_buf[1] = static_cast<unsigned int>(count);
    g_uiTx_word_buf[2] = AddressWord(address);
    const size_t bytes = static_cast<size_t>(count) * sizeof(unsigned int);
    std::memset(words, 0, bytes);
    bool receiveFailed = false;
    const int result = RunRequest(kGetBlockWords, 4 * count + 8, kGetBlockLines, &receiveFailed);
    if (result == 1) std::memcpy(words, &g_uiRx_word_buf[1], bytes);
    return result;
}

int SetBlock(int address, int count, const void* words) {
    if (!countFits(count) && g_iBusy != 1) return BLOCK_BAD_COUNT;
    if (!BeginRequest(CMD_SET_BLOCK, count + 2)) return -1;
    std::memcpy(&g_uiTx_word_buf[1], words, static_cast<size_t>(count) * sizeof(unsigned int));
    g_uiTx_word_buf[count + 1] = AddressWord(address);
    bool receiveFailed = false;
    return RunRequest(count + 2, kSetBlockResponseBytes, kSetBlockLines, &receiveFailed);
}
