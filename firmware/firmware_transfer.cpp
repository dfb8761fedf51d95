#include "firmware/firmware_transfer.h"

#include <cstdio>
#include <string>

#include "firmware/bootloader_bytes.h"
#include "firmware/bootloader_link.h"
#include "firmware/upgrade_progress.h"
#include "firmware/upgrade_session.h"
#include "link/serial_link.h"
#include "panel/serial_monitor.h"
#include "runtime/rs232.h"

namespace {

// The answer bytes by name, in answer order, for the log.
constexpr const char* kAnswerByteName[BOOTLOADER_ANSWER_LENGTH] = {"XOFF", "ACK", "XON"};

// What the operator is shown for each wrong answer byte, in answer order. The texts are the
// ones operators know; the third byte has always shared the second's.
constexpr const char* kBadAnswerText[BOOTLOADER_ANSWER_LENGTH] = {
    "Bad bootloader XOFF response", "Bad bootloader ACK response", "Bad bootloader ACK response"};

constexpr int kLargestByte = 0xFF;
constexpr const char* kErrorPrefix = "ERROR: ";

// Ends the transfer on a failure of the line: the log line already in disp_str is logged,
// and popupText goes with it to the console. A vanished device says so instead.
UpgradeOutcome lineFailed(const char* popupText) {
    std::string gone;
    if (LinkDeviceLost(&gone))
        return UpgradeOutcome::Stopped(UpgradeError::TransferStopped, gone,
                                       "PICFirmwareUpgrade: " + gone);
    LogError(disp_str);
    // The log line without its "ERROR: " is the command line's reason.
    const char* words = disp_str + std::char_traits<char>::length(kErrorPrefix);
    return UpgradeOutcome::Stopped(UpgradeError::TransferStopped, words, popupText);
}

UpgradeOutcome wrongAnswerByte(int index, int line, int received) {
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
UpgradeOutcome readAnswer(int line) {
    for (int i = 0; i < BOOTLOADER_ANSWER_LENGTH; ++i) {
        int received = 0;
        if (!WaitBootloaderByte(&received, KeepUpgradeResponsive)) {
            std::snprintf(disp_str, sizeof disp_str, "ERROR: No bootloader answer to line %i",
                          line);
            return lineFailed("PICFirmwareUpgrade: the bootloader stopped answering");
        }
        if (received != BOOTLOADER_ANSWER[i]) return wrongAnswerByte(i, line, received);
    }
    return {};
}

UpgradeOutcome sendLines(const unsigned char* data, int count, int records) {
    int sent = 0;  // lines acknowledged
    bool lineStart = true;
    for (int i = 0; i < count; ++i) {
        if (lineStart && UpgradeCancelRequested()) {
            std::snprintf(disp_str, sizeof disp_str, "Firmware upgrade cancelled at line %i of %i",
                          sent, records);
            // The board is left with part of a firmware: worth a warning.
            LogWarning(disp_str);
            UpgradeOutcome cancelled;
            cancelled.error = UpgradeError::Cancelled;
            cancelled.reason = disp_str;
            return cancelled;
        }
        lineStart = false;
        if (!SendBootloaderByte(data[i])) {
            std::snprintf(disp_str, sizeof disp_str,
                          "ERROR: Output queue was not emptied on line %i", sent + 1);
            return lineFailed("PICFirmwareUpgrade: the serial port stopped sending");
        }
        KeepUpgradeResponsive();
        if (data[i] != BOOTLOADER_CR) continue;
        if (UpgradeOutcome answer = readAnswer(sent + 1); !answer.ok()) return answer;
        NoteRecordsSent(++sent);
        lineStart = true;
    }
    return {};
}

}  // namespace

UpgradeOutcome SendFirmwareData(const unsigned char* data, int count, int records) {
    StartUpgradeProgress(records);
    FlushInQ(g_iCom_port_num);
    UpgradeOutcome outcome = sendLines(data, count, records);
    ShowUpgradeProgress();
    outcome.sent = UpgradeRecordsSent();
    outcome.records = records;
    return outcome;
}
