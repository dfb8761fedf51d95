#include "registers/register_access.h"

#include <cstdio>

#include "link/frame.h"
#include "panel/serial_monitor.h"
#include "registers/address_map.h"
#include "registers/request.h"

const char FIRMWARE_VERSION_FORMAT[] = "Firmware version is 0x%.4X";

namespace {

constexpr int kResponseBytes = 8;
constexpr unsigned int kLow16 = 0xFFFFu;
constexpr int kGetWords = 2;
constexpr int kSetWords = 3;
constexpr RequestLines kRegisterLines{true, true};

}  // namespace

RegisterResult ReadRegister(int address, unsigned int* value) {
    if (!BeginRequest(CMD_GET_REGISTER, kGetWords)) return BusyResult();
    g_uiTx_word_buf[1] = AddressWord(address);
    *value = 0;
    const RegisterResult result = RunRequest(kGetWords, kResponseBytes, kRegisterLines);
    if (result.ok()) *value = g_uiRx_word_buf[1] >> 16;
    return result;
}

int GetRegister(int address, unsigned int* value) {
    return RegisterResultCode(ReadRegister(address, value));
}

RegisterResult WriteRegister(int address, int mask, int value, unsigned int* readback) {
    if (!BeginRequest(CMD_SET_REGISTER, kSetWords)) return BusyResult();
    // Only 16 bits of value: more would spill into the mask half of the word.
    g_uiTx_word_buf[1] = ((static_cast<unsigned int>(mask) & kLow16) << 16) |
                         (static_cast<unsigned int>(value) & kLow16);
    g_uiTx_word_buf[2] = AddressWord(address);
    const RegisterResult result = RunRequest(kSetWords, kResponseBytes, kRegisterLines);
    if (result.ok()) *readback = g_uiRx_word_buf[1] >> 16;
    if (result.error == RegisterError::NoAnswer) *readback = 0;
    return result;
}

int SetRegister(int address, int mask, int value, unsigned int* readback) {
    return RegisterResultCode(WriteRegister(address, mask, value, readback));
}

RegisterResult ReadFirmwareVersion(unsigned int* version) {
    const RegisterResult result = ReadRegister(ADDR_FIRMWARE_VERSION, version);
    if (!result.ok()) return result;
    std::snprintf(disp_str, sizeof disp_str, FIRMWARE_VERSION_FORMAT, *version);
    LogToWindow(disp_str);
    return result;
}
