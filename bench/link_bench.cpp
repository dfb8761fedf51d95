// Register-read round trips against the virtual board:
//  - paced at 38400 baud: median time per transaction / wire time of its 16 bytes;
//  - unpaced, side by side with a minimal pyserial client doing the same exchange.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/shell.h"
#include "bench/bench_console.h"
#include "boardsim/board.h"
#include "link/connection.h"
#include "link/serial_link.h"
#include "panel/Tarviktest.h"
#include "panel/serial_monitor.h"
#include "panel/serial_monitor_panel.h"
#include "registers/register_access.h"
#include "runtime/cvirte.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"

namespace {

constexpr int kPort = 1;
constexpr int kBytesPerReadTransaction = 16;
constexpr double kWireSecondsPerByte = 10.0 / 38400.0;
boardsim::Board* g_board = nullptr;

double secondsOf(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

void connectTo(boardsim::Board& board, bool paced) {
    board.setPacing(paced);
    setenv("TARVIK_COM1", board.devicePath().c_str(), 1);
    OpenLinkOn(kPort, 1);
}

void RegisterRead(benchmark::State& state) {
    const bool paced = state.range(0) != 0;
    connectTo(*g_board, paced);
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        unsigned int value = 0;
        if (GetRegister(1, &value) != 1) state.SkipWithError("read failed");
        state.SetIterationTime(secondsOf(std::chrono::steady_clock::now() - start));
        KeepBenchMonitorSmall();
    }
    state.counters["wire_ms"] = kBytesPerReadTransaction * kWireSecondsPerByte * 1e3;
    ShutdownLink();
}
BENCHMARK(RegisterRead)
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(300)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

double medianConsoleMicros(bool paced, int count) {
    connectTo(*g_board, paced);
    const double micros = MedianRegisterReadMicros(count);
    ShutdownLink();
    return micros;
}

double medianPyserialMicros(const std::string& script, int count) {
    g_board->setPacing(false);
    std::string command = "/usr/bin/python3 '" + script + "' '" + g_board->devicePath() + "' " +
                          std::to_string(count);
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    double micros = -1;
    if (std::fscanf(pipe, "%lf", &micros) != 1) micros = -1;
    pclose(pipe);
    return micros;
}

}  // namespace

int main(int argc, char** argv) {
    boardsim::Board board;
    if (!StartBenchWithBoard(&argc, argv, board)) return 1;
    g_board = &board;
    benchmark::RunSpecifiedBenchmarks();

    constexpr int kCount = 500;
    const double wireMicros = kBytesPerReadTransaction * kWireSecondsPerByte * 1e6;
    const double paced = medianConsoleMicros(true, kCount);
    std::printf("\npaced median %.0f us, wire time %.0f us: ratio %.2f (goal <= 1.0)\n", paced,
                wireMicros, paced / wireMicros);
    const std::string script = std::string(TARVIK_SOURCE_DIR) + "/bench/pyserial_register_read.py";
    const double console = medianConsoleMicros(false, kCount);
    const double python = medianPyserialMicros(script, kCount);
    if (python > 0)
        std::printf("unpaced median: console %.1f us, pyserial %.1f us: ratio %.2f (goal <= 1.0)\n",
                    console, python, console / python);
    else
        std::printf(
            "unpaced median: console %.1f us; pyserial reference unavailable (python3-serial)\n",
            console);
    EndBench(board);
    return 0;
}
