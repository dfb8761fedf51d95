#include "tests/firmware/firmware_fixture.h"

#include <QProgressBar>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/shell.h"
#include "firmware/bootloader_link.h"
#include "firmware/testing.h"
#include "panel/Tarviktest.h"
#include "runtime/qt_access.h"
#include "runtime/userint.h"

namespace fs = std::filesystem;

namespace {
// Well above the board's stall time, after which it answers the presence test.
constexpr double kTestAnswerWaitSeconds = 0.4;
}  // namespace

FirmwareTest::FirmwareTest() = default;
FirmwareTest::~FirmwareTest() = default;

void FirmwareTest::SetUp() {
    BoardTest::SetUp();
    connectQuickly();
    board.setBootloaderMode(true);
    // The virtual board answers within milliseconds; its presence answer comes once the line
    // has been quiet for its stall time.
    SetBootloaderAnswerWait(kTestAnswerWaitSeconds);
    std::string pattern = (fs::temp_directory_path() / "tarvik-fw-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
}

void FirmwareTest::TearDown() {
    SetBootloaderAnswerWait(BOOTLOADER_ANSWER_SECONDS);
    stepTimer_.reset();
    // A test may have put a recorder of its own in place.
    tarvik::rt::SetPopupHandler(&popups);
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

void FirmwareTest::whenEventsRun(std::function<bool()> step) {
    stepTimer_ = std::make_unique<QTimer>();
    stepTimer_->setInterval(1);
    QObject::connect(stepTimer_.get(), &QTimer::timeout, [this, step = std::move(step)] {
        if (step()) stepTimer_->stop();
    });
    stepTimer_->start();
}

namespace {
QProgressBar* ProgressBar() {
    return qobject_cast<QProgressBar*>(
        tarvik::rt::ControlWidget(g_hmainPanel, PANEL_UPGRADE_PROGRESS));
}
}  // namespace

int FirmwareTest::progressValue() {
    int value = -1;
    EXPECT_EQ(GetCtrlVal(g_hmainPanel, PANEL_UPGRADE_PROGRESS, &value), 0);
    return value;
}

int FirmwareTest::progressMaximum() {
    int maximum = -1;
    EXPECT_EQ(GetCtrlAttribute(g_hmainPanel, PANEL_UPGRADE_PROGRESS, ATTR_MAX_VALUE, &maximum), 0);
    return maximum;
}

std::string FirmwareTest::progressText() {
    QProgressBar* bar = ProgressBar();
    return bar ? bar->text().toStdString() : "(no progress bar)";
}

bool FirmwareTest::dimmed(int control) {
    int value = -1;
    EXPECT_EQ(GetCtrlAttribute(g_hmainPanel, control, ATTR_DIMMED, &value), 0);
    return value == 1;
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

Lines ShortRecords(int count) {
    Lines records;
    for (int i = 0; i < count - 1; ++i)
        records.push_back(DataRecord(static_cast<uint16_t>(i), {static_cast<uint8_t>(i)}));
    records.push_back(kEndOfFileRecord);
    return records;
}

std::string Joined(const Lines& lines, const std::string& lineEnd) {
    std::string text;
    for (const std::string& line : lines) text += line + lineEnd;
    return text;
}

std::vector<uint8_t> OnTheWire(const std::string& text) {
    std::vector<uint8_t> bytes{0x0D};
    for (char c : text) bytes.push_back(c == '\n' ? 0x0D : static_cast<uint8_t>(c));
    return bytes;
}
