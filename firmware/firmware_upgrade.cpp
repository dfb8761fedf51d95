#include "firmware/firmware_upgrade.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "firmware/bootloader_handshake.h"
#include "firmware/firmware_transfer.h"
#include "firmware/hex_file_reader.h"
#include "firmware/upgrade_session.h"
#include "link/connection.h"
#include "link/transaction.h"
#include "panel/serial_monitor.h"
#include "runtime/cvirte.h"
#include "runtime/rs232.h"
#include "runtime/settings.h"
#include "runtime/userint.h"

namespace {

constexpr int kPathSize = 300;
constexpr const char* kLastFolderKey = "firmware/lastFolder";

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using HexFile = std::unique_ptr<std::FILE, FileCloser>;

// Tells the operator why the file's contents cannot be sent.
void contentsRefused(HexReadResult result, const HexImage& image) {
    if (result == HEX_READ_TOO_LARGE) {
        char message[DISP_STR_SIZE];
        std::snprintf(message, sizeof message,
                      "PICFirmwareUpgrade: file too large, more than %d characters to send",
                      static_cast<int>(HEX_MOST_CHARACTERS));
        MessagePopup("Error", message);
    } else if (result == HEX_READ_NOT_HEX) {
        MessagePopup("Error", image.problem);
    } else if (result == HEX_READ_FAILED) {
        MessagePopup("Error", "PICFirmwareUpgrade: read file error");
    } else {
        MessagePopup("Warning message", "PICFirmwareUpgrade: no data to send in the file");
    }
}

// A file without an end-of-file record is most often one cut short, and flashing part of a
// firmware leaves a board that only its bootloader can bring back. Returns 1 to send it.
int incompleteFileConfirmed() {
    return ConfirmPopup("Warning message",
                        "PICFirmwareUpgrade: the file has no end-of-file record, so it may have "
                        "been cut short, and the board would be left with part of a firmware.\n"
                        "Send it anyway?");
}

// The part of the upgrade that holds the link: presence test, transfer, closing line.
TransferResult sendToBootloader(const unsigned char* data, const HexImage& image) {
    if (!TestBootloaderPresence()) return TRANSFER_STOPPED;
    LogToWindow("PIC is ready for upgrade, sending data");
    const TransferResult result = SendFirmwareData(data, image.count, image.records);
    if (result != TRANSFER_DONE) return result;
    FlushInQ(g_iCom_port_num);
    LogToWindow("Data successfully sent");
    return result;
}

}  // namespace

FirmwareUpgradeResult UpgradeFirmwareFile(const char* path) {
    HexFile file(std::fopen(path, "r"));
    if (!file) {
        MessagePopup("Error", "PICFirmwareUpgrade: open file error");
        return UPGRADE_FILE_REFUSED;
    }
    LogToWindow("Starting Firmware Upgrade");
    ProcessSystemEvents();

    // Each upgrade has its own buffer: one started from the events processed during another
    // reads its file before the busy check refuses it, and must not overwrite the data
    // still being sent.
    std::vector<unsigned char> l_uchChar_array(HEX_BUFFER_SIZE);
    HexImage image;
    const HexReadResult read =
        ReadHexFile(file.get(), l_uchChar_array.data(), HEX_BUFFER_SIZE, &image);
    if (read != HEX_READ_OK || image.count == 0) {
        contentsRefused(read, image);
        return UPGRADE_FILE_REFUSED;
    }
    if (!image.endOfFile && incompleteFileConfirmed() != 1) return UPGRADE_FILE_REFUSED;

    if (BusyRefused()) return UPGRADE_BUSY;
    g_iBusy = 1;
    BeginUpgradeSession();
    const TransferResult result = sendToBootloader(l_uchChar_array.data(), image);
    EndUpgradeSession();
    g_iBusy = 0;
    file.reset();
    if (result == TRANSFER_CANCELLED) {
        MessagePopup("Warning message",
                     "Firmware upgrade cancelled. The board stays in its bootloader and can be "
                     "upgraded again.");
        return UPGRADE_CANCELLED;
    }
    return result == TRANSFER_DONE ? UPGRADE_DONE : UPGRADE_FAILED;
}

int Upgrade_firmware_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;

    char path[kPathSize] = "";
    char lastFolder[kPathSize] = "";
    LoadSetting(kLastFolderKey, lastFolder, sizeof lastFolder);
    if (FileSelectPopup(lastFolder, "*.hex", "*.hex;", "Load HEX file", VAL_OK_BUTTON, 0, 0, 1, 0,
                        path) < 1) {
        MessagePopup("Error", "PICFirmwareUpgrade: no file selected!");
        return -1;
    }
    // Remembering is a convenience: a settings file that cannot be written
    // must not stop the upgrade.
    SaveSetting(kLastFolderKey, std::filesystem::path(path).parent_path().c_str());
    const FirmwareUpgradeResult result = UpgradeFirmwareFile(path);
    return result == UPGRADE_FILE_REFUSED || result == UPGRADE_BUSY ? -1 : 0;
}
