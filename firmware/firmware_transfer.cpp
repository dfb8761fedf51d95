#include "firmware/firmware_transfer.h"

#include <cstdio>

#include "firmware/bootloader_bytes.h"
#include "firmware/bootloader_link.h"
#include "firmware/upgrade_progress.h"
#include "firmware/upgrade_session.h"
#include "link/connection.h"
#include "panel/serial_monitor.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"

namespace {

// The answer bytes by name, in answer order, for the log.
constexpr const char* kAnswerByteName[BOOTLOADER_ANSWER_LENGTH] = {"XOFF", "ACK", "XON"};

// What the operator is shown for each wrong answer byte, in answer order. The texts are the
// ones operators know; the third byte has always shared the second's.
constexpr const char* kBadAnswerText[BOOTLOADER_ANSWER_LENGTH] = {
    "Bad bootloader XOFF response", "Bad bootloader ACK response", "Bad bootloader ACK response"};

constexpr int kLargestByte = 0xFF;

// Ends the transfer on a failure of the line: the log line already in disp_str is logged,
// then popupText is shown.
TransferResult lineFailed(const char* popupText) {
    LogToWindow(disp_str);
    MessagePopup("Error", popupText);
    return TRANSFER_STOPPED;
}

TransferResult wrongAnswerByte(int index, int line, int received) {
    if (received >= 0 && received <= kLargestByte) {
        std::snprintf(disp_str, sizeof disp_str,
                      "ERROR: Bad bootloader %s response to line %i (0x%02X)",
                      kAnswerByteName[index], line, received);
    } else {
        std::snprintf(disp_str, sizeof disp_str,
                      "ERROR: Bad bootloader %s response to line %i (read failed)",
                      kAnswerByteName[index], line);
    }
    return lineFailed(kBadAnswerText[index]);
}

// Reads and checks the answer to line `line`, just sent.
TransferResult readAnswer(int line) {
    for (int i = 0; i < BOOTLOADER_ANSWER_LENGTH; ++i) {
        int received = 0;
        if (!WaitBootloaderByte(&received, KeepUpgradeResponsive)) {
            std::snprintf(disp_str, sizeof disp_str, "ERROR: No bootloader answer to line %i",
                          line);
            return lineFailed("PICFirmwareUpgrade: the bootloader stopped answering");
        }
        if (received != BOOTLOADER_ANSWER[i]) return wrongAnswerByte(i, line, received);
    }
    return TRANSFER_DONE;
}

TransferResult sendLines(const unsigned char* data, int count, int records) {
    int sent = 0;  // lines acknowledged
    bool lineStart = true;
    for (int i = 0; i < count; ++i) {
        if (lineStart && UpgradeCancelRequested()) {
            std::snprintf(disp_str, sizeof disp_str, "Firmware upgrade cancelled at line %i of %i",
                          sent, records);
            LogToWindow(disp_str);
            return TRANSFER_CANCELLED;
        }
        lineStart = false;
        if (!SendBootloaderByte(data[i])) {
            std::snprintf(disp_str, sizeof disp_str,
                          "ERROR: Output queue was not emptied on line %i", sent + 1);
            return lineFailed("PICFirmwareUpgrade: the serial port stopped sending");
        }
        KeepUpgradeResponsive();
        if (data[i] != BOOTLOADER_CR) continue;
        if (const TransferResult answer = readAnswer(sent + 1); answer != TRANSFER_DONE)
            return answer;
        NoteRecordsSent(++sent);
        lineStart = true;
    }
    return TRANSFER_DONE;
}

}  // namespace

TransferResult SendFirmwareData(const unsigned char* data, int count, int records) {
    StartUpgradeProgress(records);
    FlushInQ(g_iCom_port_num);
    const TransferResult result = sendLines(data, count, records);
    ShowUpgradeProgress();
    return result;
}
