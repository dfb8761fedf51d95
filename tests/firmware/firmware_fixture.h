#pragma once
// The console on COM1 with the virtual board already in its bootloader, HEX files written
// on the fly, and the checks every upgrade test needs.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/board_fixture.h"

class QTimer;

class FirmwareTest : public BoardTest {
  protected:
    FirmwareTest();
    ~FirmwareTest() override;
    void SetUp() override;
    void TearDown() override;

    // Writes contents into a new file of the test's own folder; returns its path.
    std::string writeFile(const std::string& contents);
    // Chooses path in the file dialog and clicks "Upgrade firmware...".
    void upgrade(const std::string& path);
    // What reached the board, waiting up to timeoutMs for at least `count` bytes.
    std::vector<uint8_t> receivedAfter(std::size_t count, int timeoutMs = 1000);
    // Whether this process still holds path open.
    static bool isOpen(const std::string& path);
    // Runs step each time the console dispatches events, as an operator's action would be
    // taken then, until step returns true.
    void whenEventsRun(std::function<bool()> step);

    // The firmware section's progress bar: its value, its maximum, the text it shows.
    static int progressValue();
    static int progressMaximum();
    static std::string progressText();
    static bool dimmed(int control);

  private:
    std::string folder_;
    int files_ = 0;
    std::unique_ptr<QTimer> stepTimer_;
};

using Lines = std::vector<std::string>;

// A data record at address with the given data bytes and a correct checksum.
std::string DataRecord(uint16_t address, const std::vector<uint8_t>& data);
inline const std::string kEndOfFileRecord = ":00000001FF";
// count records: one-byte data records, then the end-of-file record.
Lines ShortRecords(int count);
// The lines, each followed by lineEnd.
std::string Joined(const Lines& lines, const std::string& lineEnd = "\n");

// The bytes of text, each line end replaced by a CR, starting with the presence test's CR.
std::vector<uint8_t> OnTheWire(const std::string& text);
