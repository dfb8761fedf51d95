#include "registers/block_access.h"

#include <cstring>
#include <string>

#include "link/frame.h"
#include "link/serial_link.h"
#include "registers/request.h"

namespace {

constexpr int kSetBlockResponseBytes = 8;
constexpr int kGetBlockWords = 3;
// A block read logs no line of its own; a block write says when it could not send.
constexpr RequestLines kGetBlockLines{false, false};
constexpr RequestLines kSetBlockLines{true, false};

// A busy link is refused, with its line, before a bad count is.
bool countRefused(int count) {
    return (count < 1 || count > BLOCK_MAX_WORDS) && g_iBusy != 1;
}

RegisterResult badCount(int count) {
    return RegisterResult::Failure(RegisterError::BadCount, "block of " + std::to_string(count) +
                                                                " words, not 1 to " +
                                                                std::to_string(BLOCK_MAX_WORDS));
}

}  // namespace

RegisterResult ReadBlock(int address, int count, void* words) {
    if (countRefused(count)) return badCount(count);
    if (!BeginRequest(CMD_GET_BLOCK, kGetBlockWords)) return BusyResult();
    g_uiTx_word_buf[1] = static_cast<unsigned int>(count);
    g_uiTx_word_buf[2] = AddressWord(address);
    const size_t bytes = static_cast<size_t>(count) * sizeof(unsigned int);
    std::memset(words, 0, bytes);
    const RegisterResult result =
        RunRequest(kGetBlockWords, static_cast<int>(bytes) + 8, kGetBlockLines);
    if (result.ok()) std::memcpy(words, &g_uiRx_word_buf[1], bytes);
    return result;
}

int GetBlock(int address, int count, void* words) {
    return RegisterResultCode(ReadBlock(address, count, words));
}

RegisterResult WriteBlock(int address, int count, const void* words) {
    if (countRefused(count)) return badCount(count);
    if (!BeginRequest(CMD_SET_BLOCK, count + 2)) return BusyResult();
    std::memcpy(&g_uiTx_word_buf[1], words, static_cast<size_t>(count) * sizeof(unsigned int));
    g_uiTx_word_buf[count + 1] = AddressWord(address);
    return RunRequest(count + 2, kSetBlockResponseBytes, kSetBlockLines);
}

int SetBlock(int address, int count, const void* words) {
    return RegisterResultCode(WriteBlock(address, count, words));
}
