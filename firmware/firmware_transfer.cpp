#include "firmware/firmware_transfer.h"

#include <cstdio>

#include "app/Tarviktest.h"
#include "app/serial_monitor.h"
#include "app/shell.h"
#include "firmware/bootloader_bytes.h"
#include "firmware/bootloader_link.h"
#include "link/connection.h"
#include "runtime/cvirte.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"

namespace {

constexpr const char* kProgressFormat = "Sending line......%i";

// What the operator is shown for each wrong answer byte, in answer order. The texts are the
// ones operators know; the third byte has always shared the second's.
constexpr const char* kBadAnswerText[BOOTLOADER_ANSWER_LENGTH] = {
    "Bad bootloader XOFF response", "Bad bootloader ACK response", "Bad bootloader ACK response"};

// Ends the transfer on a failure of the line itself: logged with the line's number, then
// shown to the operator. Returns 0.
int lineFailed(const char* logFormat, int line, const char* popupText) {
    std::snprintf(disp_str, sizeof disp_str, logFormat, line);
    LogToWindow(disp_str);
    MessagePopup("Error", popupText);
    return 0;
}

// Reads and checks the answer to the line just sent. Returns 1 when it is XOFF, ACK, XON;
// otherwise reports why and returns 0.
int answerAccepted(int line) {
    for (int i = 0; i < BOOTLOADER_ANSWER_LENGTH; ++i) {
        int received = 0;
        if (!WaitBootloaderByte(&received)) {
            return lineFailed("ERROR: No bootloader answer to line %i", line,
                              "PICFirmwareUpgrade: the bootloader stopped answering");
        }
        if (received != BOOTLOADER_ANSWER[i]) {
            MessagePopup("Error", kBadAnswerText[i]);
            return 0;
        }
    }
    return 1;
}

}  // namespace

int SendFirmwareData(const unsigned char* data, int count) {
    int line = 1;
    std::snprintf(disp_str, sizeof disp_str, kProgressFormat, line);
    LogToWindow(disp_str);
    FlushInQ(g_iCom_port_num);
    for (int i = 0; i < count; ++i) {
        if (!SendBootloaderByte(data[i])) {
            return lineFailed("ERROR: Output queue was not emptied on line %i", line,
                              "PICFirmwareUpgrade: the serial port stopped sending");
        }
        if (data[i] != BOOTLOADER_CR) continue;
        if (!answerAccepted(line)) return 0;
        ++line;
        std::snprintf(disp_str, sizeof disp_str, kProgressFormat, line);
        if (line % PROGRESS_EVERY_LINES == 0) {
            ReplaceTextBoxLine(g_hmainPanel, PANEL_SERIAL_WINDOW, g_iSerial_comm_cnt - 1, disp_str);
            ProcessSystemEvents();
        }
    }
    return 1;
}
