#include "registers/register_access.h"

#include <cstdio>

#include "link/connection.h"
#include "link/frame.h"
#include "link/transaction.h"
#include "panel/serial_monitor.h"
#include "registers/address_map.h"
#include "registers/request.h"

namespace {

constexpr int kResponseBytes = 8;
constexpr unsigned int kLow16 = 0xFFFFu;
constexpr int kGetWords = 2;
constexpr int kSetWords = 3;
constexpr RequestLines kRegisterLines{true, true};

}  // namespace

int GetRegister(int address, unsigned int* value) {
    if (!BeginRequest(CMD_GET_REGISTER, kGetWords)) return -1;
    g_uiTx_word_buf[1] = AddressWord(address);
    *value = 0;
    bool receiveFailed = false;
    const int result = RunRequest(kGetWords, kResponseBytes, kRegisterLines, &receiveFailed);
    if (result == 1) *value = g_uiRx_word_buf[1] >> 16;
    return result;
}

int SetRegister(int address, int mask, int value, unsigned int* readback) {
    if (!BeginRequest(CMD_SET_REGISTER, kSetWords)) return -1;
    // Only 16 bits of value: more would spill into the mask half of the word.
    g_uiTx_word_buf[1] = ((static_cast<unsigned int>(mask) & kLow16) << 16) |
                         (static_cast<unsigned int>(value) & kLow16);
    g_uiTx_word_buf[2] = AddressWord(address);
    bool receiveFailed = false;
    const int result = RunRequest(kSetWords, kResponseBytes, kRegisterLines, &receiveFailed);
    if (result == 1) *readback = g_uiRx_word_buf[1] >> 16;
    if (receiveFailed) *readback = 0;
    return result;
}

int ReadFirmwareVersion(unsigned int* version) {
    const int result = GetRegister(ADDR_FIRMWARE_VERSION, version);
    if (result <= 0) return result;
    std::sprintf(disp_str, "Firmware version is 0x%.4X", *version);
    LogToWindow(disp_str);
    return result;
}
