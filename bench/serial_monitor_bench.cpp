// The serial monitor keeps every line, so appending and rewriting the last
// line must not slow down as it grows, a line must cost little memory beyond
// its text, and clearing must give that memory back. Reference in the same
// run: a plain QPlainTextEdit with appendPlainText and a scroll to the end.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/shell.h"
#include "bench/bench_console.h"
#include "panel/Tarviktest.h"
#include "panel/serial_monitor.h"
#include "runtime/cvirte.h"
#include "runtime/userint.h"

namespace {

constexpr int kLines = 1000000;
// The reference costs tens of times the monitor's time per line: a million
// lines would make the run last minutes, and a tenth of them shows its cost per
// line and per byte as well.
constexpr int kReferenceLines = 100000;
constexpr int kRepaintEvery = 1000;  // let the monitor repaint as it would while logging
constexpr double kBytesPerKilobyte = 1024.0;
constexpr double kBytesPerMegabyte = 1024.0 * 1024.0;

// The resident memory of this process in bytes (VmRSS), or 0 where the
// system does not say.
double residentBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        double kilobytes = 0;
        if (std::sscanf(line.c_str(), "VmRSS: %lf kB", &kilobytes) == 1)
            return kilobytes * kBytesPerKilobyte;
    }
    return 0;
}

// Resident memory around filling a log and clearing it, summed over the
// iterations and reported per iteration.
struct MemoryProbe {
    double grown = 0;  // filled minus before
    double kept = 0;   // after the clear minus before

    void add(double before, double filled, double cleared) {
        grown += filled - before;
        kept += cleared - before;
    }
    void report(benchmark::State& state, int lines) const {
        using benchmark::Counter;
        state.counters["bytes_per_line"] = Counter(grown / lines, Counter::kAvgIterations);
        state.counters["rss_returned_MB"] =
            Counter((grown - kept) / kBytesPerMegabyte, Counter::kAvgIterations);
        state.counters["rss_after_clear_MB"] =
            Counter(kept / kBytesPerMegabyte, Counter::kAvgIterations);
    }
};

// Seconds per line, shown by the library with its SI prefix ("1.2u" is 1.2 us).
void reportTimePerLine(benchmark::State& state, int lines) {
    state.counters["time_per_line"] = benchmark::Counter(
        lines, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void clearMonitor() {
    ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    g_iSerial_comm_cnt = 0;
    ProcessSystemEvents();
}

void LogToWindowAppend(benchmark::State& state) {
    MemoryProbe memory;
    for (auto _ : state) {
        state.PauseTiming();
        clearMonitor();
        const double before = residentBytes();
        state.ResumeTiming();
        for (int i = 0; i < kLines; ++i) {
            std::snprintf(disp_str, sizeof disp_str, "RX: %08X", static_cast<unsigned>(i));
            LogToWindow(disp_str);
            if (i % kRepaintEvery == 0) ProcessSystemEvents();
        }
        ProcessSystemEvents();
        state.PauseTiming();
        const double filled = residentBytes();
        clearMonitor();
        memory.add(before, filled, residentBytes());
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kLines);
    reportTimePerLine(state, kLines);
    memory.report(state, kLines);
}
BENCHMARK(LogToWindowAppend)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void ReplaceLastLineAtOneMillion(benchmark::State& state) {
    clearMonitor();
    for (int i = 0; i < kLines; ++i) LogToWindow("       00000000");
    int n = 0;
    for (auto _ : state) {
        std::snprintf(disp_str, sizeof disp_str, "Sending line......%i", ++n);
        ReplaceTextBoxLine(g_hmainPanel, PANEL_SERIAL_WINDOW, g_iSerial_comm_cnt - 1, disp_str);
        if (n % kRepaintEvery == 0) ProcessSystemEvents();
    }
    clearMonitor();
}
BENCHMARK(ReplaceLastLineAtOneMillion)->Unit(benchmark::kMicrosecond);

void ReferencePlainTextEditAppend(benchmark::State& state) {
    MemoryProbe memory;
    for (auto _ : state) {
        state.PauseTiming();
        const double before = residentBytes();
        double filled = 0;
        state.ResumeTiming();
        {
            QPlainTextEdit edit;
            edit.setReadOnly(true);
            edit.resize(380, 685);
            edit.show();
            for (int i = 0; i < kReferenceLines; ++i) {
                edit.appendPlainText(QStringLiteral("RX: %1").arg(i, 8, 16, QLatin1Char('0')));
                edit.verticalScrollBar()->setValue(edit.verticalScrollBar()->maximum());
                if (i % kRepaintEvery == 0) QApplication::processEvents();
            }
            QApplication::processEvents();
            state.PauseTiming();
            filled = residentBytes();
            edit.clear();
            QApplication::processEvents();
            memory.add(before, filled, residentBytes());
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations() * kReferenceLines);
    reportTimePerLine(state, kReferenceLines);
    memory.report(state, kReferenceLines);
}
BENCHMARK(ReferencePlainTextEditAppend)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!StartBenchConsole(argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    CloseCVIRTE();
    return 0;
}
