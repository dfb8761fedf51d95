#include "tests/firmware/firmware_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/Tarviktest.h"

namespace fs = std::filesystem;

void FirmwareTest::SetUp() {
    BoardTest::SetUp();
    connectQuickly();
    board.setBootloaderMode(true);
    std::string pattern = (fs::temp_directory_path() / "tarvik-fw-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
}

void FirmwareTest::TearDown() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
    BoardTest::TearDown();
}

std::string FirmwareTest::writeFile(const std::string& contents) {
    const std::string path = folder_ + "/firmware" + std::to_string(++files_) + ".hex";
    std::ofstream(path, std::ios::binary) << contents;
    return path;
}

void FirmwareTest::upgrade(const std::string& path) {
    popups.fileAnswers.push_back(path);
    click(PANEL_UPGRADE_FIRMWARE);
}

std::vector<uint8_t> FirmwareTest::receivedAfter(std::size_t count, int timeoutMs) {
    board.waitForReceived(count, timeoutMs);
    return board.received();
}

bool FirmwareTest::isOpen(const std::string& path) {
    std::error_code error;
    const fs::path wanted = fs::canonical(path, error);
    for (const auto& fd : fs::directory_iterator("/proc/self/fd", error)) {
        std::error_code linkError;
        if (fs::read_symlink(fd.path(), linkError) == wanted) return true;
    }
    return false;
}

std::string DataRecord(uint16_t address, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> bytes{static_cast<uint8_t>(data.size()),
                               static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address),
                               0x00};
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (uint8_t b : bytes) sum += b;
    bytes.push_back(static_cast<uint8_t>(-sum));
    std::string record = ":";
    char digits[3];
    for (uint8_t b : bytes) record.append(digits, std::snprintf(digits, sizeof digits, "%02X", b));
    return record;
}

std::vector<uint8_t> OnTheWire(const std::string& text) {
    std::vector<uint8_t> bytes{0x0D};
    for (char c : text) bytes.push_back(c == '\n' ? 0x0D : static_cast<uint8_t>(c));
    return bytes;
}
