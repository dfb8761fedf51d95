#include "bench/bench_upgrade.h"

#include <cstdio>
#include <fstream>
#include <optional>

#include "boardsim/board.h"
#include "firmware/bootloader_bytes.h"
#include "firmware/firmware_upgrade.h"
#include "firmware/upgrade_panel.h"
#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "panel/serial_monitor.h"
#include "runtime/popup_handler.h"
#include "runtime/userint.h"

namespace {

constexpr double kWireBitsPerSecond = 38400.0;
constexpr double kBitsPerByte = 10.0;

constexpr unsigned kFullRecordBytes = 16;
// A record line of n data bytes has 12 + 2n characters, its LF included.
constexpr unsigned kRecordOverhead = 12;
constexpr unsigned kAddressField = 0xFFFF;
constexpr unsigned kByteField = 0xFF;
constexpr unsigned kChecksumModulus = 0x100;
constexpr std::size_t kRecordTextSize = 80;

// A record of `length` zero data bytes at `address` (its low 16 bits), correctly summed.
std::string ZeroRecord(unsigned length, unsigned address) {
    char record[kRecordTextSize];
    address &= kAddressField;
    const unsigned sum = length + (address >> 8) + (address & kByteField);
    std::snprintf(record, sizeof record, ":%02X%04X00%s%02X", length, address,
                  std::string(2 * length, '0').c_str(),
                  (kChecksumModulus - sum % kChecksumModulus) & kByteField);
    return record;
}

struct FileChooser : tarvik::rt::PopupHandler {
    void messagePopup(const std::string& title, const std::string& message) override {
        std::fprintf(stderr, "popup %s: %s\n", title.c_str(), message.c_str());
    }
    std::optional<std::string> fileSelectPopup(const std::string&, const std::string&,
                                               const std::string&) override {
        return chosen->path;
    }
    const HexFileImage* chosen = nullptr;
};
FileChooser g_chooser;

}  // namespace

std::string FirmwareImage(std::string::size_type characters) {
    const std::string end = ":00000001FF\n";
    const std::string::size_type fullLine = kRecordOverhead + 2 * kFullRecordBytes;
    const std::string::size_type room = characters - end.size() - kRecordOverhead;
    std::string image;
    unsigned address = 0;
    for (std::string::size_type n = 0; n < room / fullLine; ++n, address += kFullRecordBytes)
        image += ZeroRecord(kFullRecordBytes, address) + "\n";
    image += ZeroRecord((characters - end.size() - image.size() - kRecordOverhead) / 2, address) +
             "\n" + end;
    return image;
}

bool WriteImage(HexFileImage& file, const std::string& path, std::string::size_type characters) {
    file.path = path;
    std::ofstream(path, std::ios::binary) << FirmwareImage(characters);
    std::FILE* opened = std::fopen(path.c_str(), "r");
    if (!opened) return false;
    const HexReadResult read = ReadHexFile(opened, file.data.data(), HEX_BUFFER_SIZE, &file.image);
    std::fclose(opened);
    if (read == HEX_READ_OK) return true;
    std::fprintf(stderr, "the bench's own file is refused: %s\n", file.image.problem);
    return false;
}

double WireSeconds(const HexFileImage& file) {
    return (file.image.count + BOOTLOADER_ANSWER_LENGTH * file.image.records) * kBitsPerByte /
           kWireBitsPerSecond;
}

void AnswerFileDialogsWith(const HexFileImage* file) {
    g_chooser.chosen = file;
    tarvik::rt::SetPopupHandler(file ? &g_chooser : nullptr);
}

void StartUpgradeSession(boardsim::Board& board) {
    board.setBootloaderMode(true);
    board.clearRecording();
    ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    g_iSerial_comm_cnt = 0;
}

bool ConsoleWholeUpgrade() {
    Upgrade_firmware_cb(g_hmainPanel, PANEL_UPGRADE_FIRMWARE, EVENT_COMMIT, nullptr, 0, 0);
    char last[DISP_STR_SIZE] = "";
    GetTextBoxLine(g_hmainPanel, PANEL_SERIAL_WINDOW, g_iSerial_comm_cnt - 1, last);
    return std::string(last) == "Data successfully sent";
}
