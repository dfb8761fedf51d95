// tarvikctl as a script meets it: each command a process of its own, timed from its start to
// its exit, against the virtual board on its pseudo-terminal. A one-shot `read` opens the port
// without the speed test and makes one transaction; `--version`, which opens no port, shows
// what the process start alone costs of that. It links no Qt library, so each of the two
// should use at most 10 ms of processor time, and `--version` take at most 3 times the wall
// time of /bin/true, measured in the same run. Its `upgrade` of the console's largest HEX file
// (400,000 characters) against the board paced at 38400 baud should take at most 1.1 times the
// console's own upgrade of the same file, timed here as the console's upgrade benchmark times
// it: flashing from a script must not be slower than flashing from the window. An upgrade takes
// about two minutes, so each runs once per repetition; --benchmark_repetitions=N gives more,
// and the closing lines give the medians over all runs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_console.h"
#include "bench/bench_process.h"
#include "bench/bench_upgrade.h"
#include "boardsim/board.h"
#include "link/serial_link.h"
#include "runtime/cvirte.h"
#include "runtime/rs232.h"

namespace {

constexpr int kPort = 1;
constexpr const char* kRegisterAddress = "1";  // the temperature, which every board has
constexpr const char* kImageFile = "tarvikctl_bench.hex";
constexpr const char* kComplaintFile = "tarvikctl_bench.stderr";
constexpr int kProcessRuns = 20;
constexpr double kMillisecondsPerSecond = 1e3;
constexpr double kGoalRatio = 1.10;
constexpr double kGoalCpuMs = 10;
constexpr double kGoalStartRatio = 3;
constexpr const char* kTrue = "/bin/true";

boardsim::Board* g_board = nullptr;
HexFileImage g_image;

// Every run's time, over all repetitions, for the medians at the end.
std::vector<double> g_versionMs, g_pacedReadMs, g_unpacedReadMs, g_trueMs;
// Processor time of each run.
std::vector<double> g_versionCpuMs, g_readCpuMs, g_ignoredCpuMs;
std::vector<double> g_ctlUpgradeSeconds, g_consoleUpgradeSeconds;

// Runs tarvikctl; a failure ends the benchmark with what it said. cpuSeconds, unless null,
// gets the processor time it used.
bool CtlSucceeds(const std::vector<std::string>& words, benchmark::State& state,
                 double* cpuSeconds = nullptr) {
    const ProcessRun run = RunCtl(words, kComplaintFile);
    if (cpuSeconds) *cpuSeconds = run.cpuSeconds;
    if (run.status == 0) return true;
    state.SkipWithError(
        ("tarvikctl ended with " + std::to_string(run.status) + ": " + LastLineOf(kComplaintFile))
            .c_str());
    return false;
}

// One process an iteration; the benchmark's time is their mean, median_ms their median.
void TimeProcesses(benchmark::State& state, const std::vector<std::string>& words,
                   std::vector<double>& allMs, std::vector<double>& allCpuMs) {
    std::vector<double> ms, cpuMs;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        double cpuSeconds = 0;
        const bool succeeded = CtlSucceeds(words, state, &cpuSeconds);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!succeeded) break;
        state.SetIterationTime(seconds);
        ms.push_back(seconds * kMillisecondsPerSecond);
        cpuMs.push_back(cpuSeconds * kMillisecondsPerSecond);
    }
    state.counters["median_ms"] = Median(ms);
    state.counters["median_cpu_ms"] = Median(cpuMs);
    allMs.insert(allMs.end(), ms.begin(), ms.end());
    allCpuMs.insert(allCpuMs.end(), cpuMs.begin(), cpuMs.end());
}

// The reference for a process start: a program that does nothing.
void TrueProcess(benchmark::State& state) {
    for (auto _ : state) {
        const ProcessRun run = RunProgram(kTrue, {}, kComplaintFile);
        if (run.status != 0) return state.SkipWithError("/bin/true did not run");
        state.SetIterationTime(run.wallSeconds);
        g_trueMs.push_back(run.wallSeconds * kMillisecondsPerSecond);
    }
}
BENCHMARK(TrueProcess)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(kProcessRuns);

void CtlVersion(benchmark::State& state) {
    TimeProcesses(state, {"--version"}, g_versionMs, g_versionCpuMs);
}
BENCHMARK(CtlVersion)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(kProcessRuns);

void CtlRead(benchmark::State& state) {
    const bool paced = state.range(0) != 0;
    g_board->setPacing(paced);
    TimeProcesses(state, {"--device", g_board->devicePath(), "read", kRegisterAddress},
                  paced ? g_pacedReadMs : g_unpacedReadMs, paced ? g_ignoredCpuMs : g_readCpuMs);
    g_board->setPacing(false);
}
BENCHMARK(CtlRead)
    ->ArgName("paced")
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(kProcessRuns);

void CtlUpgradePaced(benchmark::State& state) {
    const std::vector<std::string> words{"--device", g_board->devicePath(), "upgrade",
                                         g_image.path};
    double cpuSeconds = 0;
    const std::vector<double> seconds = MeasureUpgrade(
        state, *g_board, g_image, true, [&] { return CtlSucceeds(words, state, &cpuSeconds); });
    // Processor time of tarvikctl alone: how much of its run went to polling, not sleeping.
    state.counters["ctl_cpu_s"] = cpuSeconds;
    g_ctlUpgradeSeconds.insert(g_ctlUpgradeSeconds.end(), seconds.begin(), seconds.end());
}
BENCHMARK(CtlUpgradePaced)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

void ConsoleUpgradePaced(benchmark::State& state) {
    // The console holds the line only while it upgrades: tarvikctl needs the line's lock.
    if (!OpenBenchPort(kPort, *g_board)) {
        state.SkipWithError("the console cannot open the board's line");
        return;
    }
    const std::vector<double> seconds =
        MeasureUpgrade(state, *g_board, g_image, true, ConsoleWholeUpgrade);
    ShutdownLink();
    g_consoleUpgradeSeconds.insert(g_consoleUpgradeSeconds.end(), seconds.begin(), seconds.end());
}
BENCHMARK(ConsoleUpgradePaced)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// Medians over every run of the whole program, repetitions included: single runs of the
// upgrade vary by seconds with what else the machine does.
void PrintMedians() {
    std::printf("\n");
    const std::pair<const char*, const std::vector<double>*> processes[] = {
        {"/bin/true", &g_trueMs},
        {"tarvikctl --version", &g_versionMs},
        {"tarvikctl read, paced", &g_pacedReadMs},
        {"tarvikctl read, unpaced", &g_unpacedReadMs}};
    for (const auto& [what, ms] : processes)
        if (!ms->empty())
            std::printf("median %s: %.2f ms (%zu runs)\n", what, Median(*ms), ms->size());
    if (!g_versionMs.empty() && !g_trueMs.empty())
        std::printf("tarvikctl --version / /bin/true: %.2f (goal <= %.0f)\n",
                    Median(g_versionMs) / Median(g_trueMs), kGoalStartRatio);
    const std::pair<const char*, const std::vector<double>*> cpu[] = {
        {"tarvikctl --version", &g_versionCpuMs}, {"tarvikctl read, unpaced", &g_readCpuMs}};
    for (const auto& [what, ms] : cpu)
        if (!ms->empty())
            std::printf("median processor time of %s: %.2f ms (goal <= %.0f ms)\n", what,
                        Median(*ms), kGoalCpuMs);
    const std::pair<const char*, const std::vector<double>*> upgrades[] = {
        {"tarvikctl upgrade", &g_ctlUpgradeSeconds}, {"console upgrade", &g_consoleUpgradeSeconds}};
    for (const auto& [what, seconds] : upgrades)
        if (!seconds->empty())
            std::printf("median %s of %d characters, paced (wire %.1f s): %.1f s (%zu runs)\n",
                        what, g_image.image.count, WireSeconds(g_image), Median(*seconds),
                        seconds->size());
    if (g_ctlUpgradeSeconds.empty() || g_consoleUpgradeSeconds.empty()) return;
    std::printf("tarvikctl / console: %.3f (goal <= %.2f)\n",
                Median(g_ctlUpgradeSeconds) / Median(g_consoleUpgradeSeconds), kGoalRatio);
}

}  // namespace

int main(int argc, char** argv) {
    boardsim::Board board;
    if (!StartBenchWithBoard(&argc, argv, board)) return 1;
    g_board = &board;
    if (!WriteImage(g_image, kImageFile, HEX_MOST_CHARACTERS)) return 1;

    benchmark::RunSpecifiedBenchmarks();
    PrintMedians();

    AnswerFileDialogsWith(nullptr);
    std::remove(g_image.path.c_str());
    std::remove(kComplaintFile);
    EndBench(board);
    return 0;
}
