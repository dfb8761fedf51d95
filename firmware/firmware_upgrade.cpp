#include "firmware/firmware_upgrade.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "app/serial_monitor.h"
#include "firmware/bootloader_handshake.h"
#include "firmware/firmware_transfer.h"
#include "firmware/hex_file_reader.h"
#include "link/connection.h"
#include "link/transaction.h"
#include "runtime/cvirte.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"

namespace {

constexpr int kPathSize = 300;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using HexFile = std::unique_ptr<std::FILE, FileCloser>;

// Tells the operator why the file's contents cannot be sent. Returns -1.
int contentsRefused(HexReadResult result) {
    if (result == HEX_READ_TOO_LARGE) {
        char message[DISP_STR_SIZE];
        std::snprintf(message, sizeof message,
                      "PICFirmwareUpgrade: file too large, more than %d characters to send",
                      static_cast<int>(HEX_BUFFER_SIZE));
        MessagePopup("Error", message);
    } else if (result == HEX_READ_FAILED) {
        MessagePopup("Error", "PICFirmwareUpgrade: read file error");
    } else {
        MessagePopup("Warning message", "PICFirmwareUpgrade: no data to send in the file");
    }
    return -1;
}

// The part of the upgrade that holds the link: presence test, transfer, closing line.
void sendToBootloader(const unsigned char* data, int count) {
    if (!TestBootloaderPresence()) return;
    LogToWindow("PIC is ready for upgrade, sending data");
    if (!SendFirmwareData(data, count)) return;
    FlushInQ(g_iCom_port_num);
    LogToWindow("Data successfully sent");
}

}  // namespace

int Upgrade_firmware_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;

    char path[kPathSize] = "";
    if (FileSelectPopup("", "*.hex", "*.hex;", "Load HEX file", VAL_OK_BUTTON, 0, 0, 1, 0, path) <
        1) {
        MessagePopup("Error", "PICFirmwareUpgrade: no file selected!");
        return -1;
    }
    HexFile file(std::fopen(path, "r"));
    if (!file) {
        MessagePopup("Error", "PICFirmwareUpgrade: open file error");
        return -1;
    }
    LogToWindow("Starting Firmware Upgrade");
    ProcessSystemEvents();

    // Each upgrade has its own buffer: one started from the events processed during another
    // reads its file before the busy check refuses it, and must not overwrite the data
    // still being sent.
    std::vector<unsigned char> l_uchChar_array(HEX_BUFFER_SIZE);
    int count = 0;
    const HexReadResult read =
        ReadHexFile(file.get(), l_uchChar_array.data(), HEX_BUFFER_SIZE, &count);
    if (read != HEX_READ_OK || count == 0) return contentsRefused(read);

    if (g_iBusy == 1) {
        LogToWindow("WARNING: Busy, can't process cmd!");
        return -1;
    }
    g_iBusy = 1;
    sendToBootloader(l_uchChar_array.data(), count);
    g_iBusy = 0;
    return 0;
}
