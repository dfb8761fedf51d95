#pragma once
// The firmware upgrade as the benchmarks drive it: files made to an exact size, so the console
// and the command line are timed on the same bytes, the time those bytes need on the wire, and
// the console's own upgrade with its file dialog answered.

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "boardsim/board.h"
#include "firmware/hex_file_reader.h"

// Exactly `characters` characters of valid Intel HEX: 16-byte records of zeros, one shorter
// record to fill up, the end-of-file record.
std::string FirmwareImage(std::string::size_type characters);

// A HEX file on disk and what the console reads from it.
struct HexFileImage {
    std::string path;
    std::vector<unsigned char> data = std::vector<unsigned char>(HEX_BUFFER_SIZE);
    HexImage image{};
};

// Writes a file of `characters` characters to path and reads it back as the console does.
// False, with the reason on stderr, when the console would refuse it.
bool WriteImage(HexFileImage& file, const std::string& path, std::string::size_type characters);

// The file's characters plus the three answer bytes of each line, at 38400 baud, 10 bits a
// byte: what no transfer can beat.
double WireSeconds(const HexFileImage& file);

// From now on the console's file dialogs answer with file (kept by the caller), and its
// message popups go to stderr; null gives the popups back to the engine.
void AnswerFileDialogsWith(const HexFileImage* file);

// A fresh start for the next upgrade: the board in its bootloader with nothing recorded, and
// an empty monitor, so each run logs and compares the same lines.
void StartUpgradeSession(boardsim::Board& board);

// The "Upgrade firmware..." button pressed, the file its dialog answers sent to the board on
// the console's port. True when the board took the whole file.
bool ConsoleWholeUpgrade();

// Times run(), one upgrade of file an iteration, each from a fresh session (untimed) against
// the board paced or not; reports the file's wire time as wire_s and the mean time over it as
// ratio. Returns each iteration's seconds; stops at the first run that returns false.
template <typename Run>
std::vector<double> MeasureUpgrade(benchmark::State& state, boardsim::Board& board,
                                   const HexFileImage& file, bool paced, Run run) {
    const double wire = WireSeconds(file);
    AnswerFileDialogsWith(&file);
    board.setPacing(paced);
    std::vector<double> seconds;
    for (auto _ : state) {
        state.PauseTiming();
        StartUpgradeSession(board);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const bool acknowledged = run();
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (!acknowledged) {
            state.SkipWithError("the board did not take the whole file");
            break;
        }
    }
    board.setPacing(false);
    double total = 0;
    for (const double s : seconds) total += s;
    state.counters["wire_s"] = wire;
    state.counters["ratio"] = total / state.iterations() / wire;
    return seconds;
}
