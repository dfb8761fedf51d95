#pragma once
// A virtual board of the test's own, tarvikctl runs against it, and the
// readings of what tarvikctl printed.

#include <gtest/gtest.h>

#include <QJsonObject>
#include <bit>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "boardsim/board.h"
#include "tests/cli/cli_process.h"

// tarvikctl's exit statuses, as its manual page promises them to scripts.
enum CliStatus {
    kCliOk = 0,
    kCliBoardFailed = 1,
    kCliUsage = 2,
    kCliPortFailed = 3,
    kCliInterrupted = 130,
};

// The receive wait every tarvikctl run of these tests gets (TARVIKCTL_RECEIVE_WAIT).
inline constexpr double kCliReceiveWaitSeconds = 0.15;

class CliTest : public ::testing::Test {
  protected:
    // Starts the board and makes the test's own folder for files.
    void SetUp() override;
    void TearDown() override;

    // args with --device naming the board put first.
    std::vector<std::string> onBoard(const std::vector<std::string>& args) const;
    // Runs tarvikctl against the board to its end.
    CliOutcome run(const std::vector<std::string>& args, const std::string& input = "") const;
    // Writes contents into a file of the test's folder; returns its path.
    std::string writeFile(const std::string& name, const std::string& contents) const;

    boardsim::Board board;
    std::filesystem::path folder;
};

// The lines of text, without their line ends.
std::vector<std::string> LinesOf(const std::string& text);
// Standard output as the one JSON object --json promises; an empty object, and a failure
// recorded, when it is not one.
QJsonObject JsonOf(const CliOutcome& outcome);
// The numbers of a JSON array (empty when it is none).
std::vector<double> NumbersOf(const QJsonValue& array);
// Exit status, standard output and standard error of a run, for failure messages.
std::string Described(const CliOutcome& outcome);

// A float's bit pattern, as the board keeps it in a cell, and back.
constexpr uint32_t Bits(float value) {
    return std::bit_cast<uint32_t>(value);
}
constexpr float FloatOf(uint32_t bits) {
    return std::bit_cast<float>(bits);
}
