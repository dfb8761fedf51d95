// A firmware upgrade must leave the pace to the wire. Against the virtual board without
// pacing, the console's own time for a 400,000-character HEX file should stay at most a tenth
// of what the same file takes on the wire at 38400 baud (its characters plus the three answer
// bytes of each line, 10 bits a byte). Against a board that keeps to the wire rate, the
// transfer of a file of about 40,000 characters should take at most 1.02 times its wire time:
// the progress shown and the events dispatched on the way must not slow it. Reported as
// `ratio`: with the presence test's fixed 2 s wait for the whole upgrade, without it for the
// transfer alone (the one the limits are for).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/shell.h"
#include "bench/bench_console.h"
#include "bench/bench_upgrade.h"
#include "boardsim/board.h"
#include "firmware/firmware_transfer.h"
#include "firmware/hex_file_reader.h"
#include "link/serial_link.h"
#include "runtime/cvirte.h"
#include "runtime/rs232.h"

namespace {

constexpr int kPort = 1;

constexpr std::size_t kPacedCharacters = 40000;

boardsim::Board* g_board = nullptr;

HexFileImage g_fullImage, g_pacedImage;

template <typename Run>
void Measure(benchmark::State& state, const HexFileImage& file, bool paced, Run run) {
    MeasureUpgrade(state, *g_board, file, paced, run);
}

bool TransferOf(const HexFileImage& file) {
    return SendFirmwareData(file.data.data(), file.image.count, file.image.records).ok();
}

void WholeUpgradeWithPresenceTest(benchmark::State& state) {
    Measure(state, g_fullImage, false, ConsoleWholeUpgrade);
}
BENCHMARK(WholeUpgradeWithPresenceTest)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

void TransferOnly(benchmark::State& state) {
    Measure(state, g_fullImage, false, [] { return TransferOf(g_fullImage); });
}
BENCHMARK(TransferOnly)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

void PacedTransferOnly(benchmark::State& state) {
    Measure(state, g_pacedImage, true, [] { return TransferOf(g_pacedImage); });
}
BENCHMARK(PacedTransferOnly)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();

void PacedWholeUpgradeWithPresenceTest(benchmark::State& state) {
    Measure(state, g_pacedImage, true, ConsoleWholeUpgrade);
}
BENCHMARK(PacedWholeUpgradeWithPresenceTest)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    boardsim::Board board;
    if (!StartBenchWithBoard(&argc, argv, board)) return 1;
    g_board = &board;
    if (!OpenBenchPort(kPort, board)) return 1;
    if (!WriteImage(g_fullImage, "firmware_upgrade_bench.hex", HEX_MOST_CHARACTERS) ||
        !WriteImage(g_pacedImage, "firmware_upgrade_bench_paced.hex", kPacedCharacters))
        return 1;
    benchmark::RunSpecifiedBenchmarks();

    AnswerFileDialogsWith(nullptr);
    std::remove(g_fullImage.path.c_str());
    std::remove(g_pacedImage.path.c_str());
    EndBench(board);
    return 0;
}
