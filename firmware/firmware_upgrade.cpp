#include "firmware/firmware_upgrade.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "firmware/bootloader_handshake.h"
#include "firmware/firmware_transfer.h"
#include "firmware/hex_file_reader.h"
#include "firmware/upgrade_session.h"
#include "link/serial_link.h"
#include "link/transaction.h"
#include "panel/serial_monitor.h"
#include "runtime/clock.h"
#include "runtime/input_file.h"
#include "runtime/rs232.h"

namespace {

constexpr int kReasonSize = 128;
constexpr const char* kOpenFileError = "PICFirmwareUpgrade: open file error";

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using HexFile = std::unique_ptr<std::FILE, FileCloser>;

UpgradeOutcome refused(UpgradeError error, std::string words, const char* title = nullptr,
                       std::string popup = {}) {
    UpgradeOutcome outcome;
    outcome.error = error;
    outcome.reason = std::move(words);
    outcome.popupTitle = title;
    outcome.popupText = std::move(popup);
    return outcome;
}

// Why the file's contents cannot be sent, in the popup the operator is shown.
UpgradeOutcome contentsRefused(HexReadResult result, const HexImage& image) {
    if (result == HEX_READ_TOO_LARGE) {
        char message[DISP_STR_SIZE];
        std::snprintf(message, sizeof message,
                      "PICFirmwareUpgrade: file too large, more than %d characters to send",
                      static_cast<int>(HEX_MOST_CHARACTERS));
        return refused(UpgradeError::FileRefused, message, "Error", message);
    }
    if (result == HEX_READ_NOT_HEX)
        return refused(UpgradeError::FileRefused, image.problem, "Error", image.problem);
    if (result == HEX_READ_FAILED)
        return refused(UpgradeError::FileRefused, "PICFirmwareUpgrade: read file error", "Error",
                       "PICFirmwareUpgrade: read file error");
    return refused(UpgradeError::FileRefused, "PICFirmwareUpgrade: no data to send in the file",
                   "Warning message", "PICFirmwareUpgrade: no data to send in the file");
}

// A file refused after "Starting Firmware Upgrade": the monitor's last line must not
// leave the upgrade looking started.
UpgradeOutcome nothingSent(UpgradeOutcome outcome) {
    LogWarning("Firmware upgrade: nothing sent");
    return outcome;
}

// The part of the upgrade that holds the link: port, presence test, transfer, closing line.
UpgradeOutcome sendToBootloader(const unsigned char* data, const HexImage& image, int port) {
    const LinkResult opened = OpenPortForUpgrade(port);
    if (!opened.ok()) return refused(UpgradeError::PortNotOpened, opened.reason);
    UpgradeOutcome outcome = TestBootloaderPresence();
    if (outcome.ok()) {
        LogToWindow("PIC is ready for upgrade, sending data");
        outcome = SendFirmwareData(data, image.count, image.records);
        if (outcome.ok()) {
            FlushInQ(g_iCom_port_num);
            LogToWindow("Data successfully sent");
        }
    }
    outcome.records = image.records;
    EndUpgradePortUse();
    return outcome;
}

}  // namespace

UpgradeOutcome UpgradeFirmwareFile(const char* path, int port, int (*sendIncomplete)(void)) {
    char why[kReasonSize] = "";
    HexFile file(OpenFileForReading(path, why, sizeof why));
    if (!file) {
        const std::string where = std::string(path) + ": " + why;
        LogError(("ERROR: " + std::string(kOpenFileError) + ": " + where).c_str());
        // The command line puts the path in front of the reason itself.
        return refused(UpgradeError::FileRefused, std::string(kOpenFileError) + ": " + why, "Error",
                       std::string(kOpenFileError) + "\n" + where);
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
    if (read != HEX_READ_OK || image.count == 0) return nothingSent(contentsRefused(read, image));
    if (!image.endOfFile && (!sendIncomplete || sendIncomplete() != 1))
        return nothingSent(refused(UpgradeError::FileRefused,
                                   "the file has no end-of-file record, so it may have been cut "
                                   "short; not sent"));

    if (BusyRefused()) return refused(UpgradeError::Busy, "Busy, can't process cmd!");
    g_iBusy = 1;
    BeginUpgradeSession();
    UpgradeOutcome outcome = sendToBootloader(l_uchChar_array.data(), image, port);
    EndUpgradeSession();
    g_iBusy = 0;
    if (outcome.error == UpgradeError::Cancelled) {
        outcome.popupTitle = "Warning message";
        outcome.popupText =
            "Firmware upgrade cancelled. The board stays in its bootloader and can be upgraded "
            "again.";
    }
    return outcome;
}
