// The serial monitor keeps every line, so appending and rewriting the last
// line must not slow down as it grows. Reference in the same run: a plain
// QPlainTextEdit with appendPlainText and a scroll to the end.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <cstdio>
#include <cstdlib>

#include "app/shell.h"
#include "bench/bench_console.h"
#include "panel/Tarviktest.h"
#include "panel/serial_monitor.h"
#include "runtime/cvirte.h"
#include "runtime/userint.h"

namespace {

constexpr int kLines = 100000;
constexpr int kRepaintEvery = 1000;  // let the monitor repaint as it would while logging

void LogToWindowAppend(benchmark::State& state) {
    for (auto _ : state) {
        ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
        g_iSerial_comm_cnt = 0;
        for (int i = 0; i < kLines; ++i) {
            std::snprintf(disp_str, sizeof disp_str, "RX: %08X", static_cast<unsigned>(i));
            LogToWindow(disp_str);
            if (i % kRepaintEvery == 0) ProcessSystemEvents();
        }
        ProcessSystemEvents();
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(LogToWindowAppend)->Unit(benchmark::kMillisecond)->Iterations(3);

void ReplaceLastLineAt100k(benchmark::State& state) {
    ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    g_iSerial_comm_cnt = 0;
    for (int i = 0; i < kLines; ++i) LogToWindow("       00000000");
    int n = 0;
    for (auto _ : state) {
        std::snprintf(disp_str, sizeof disp_str, "Sending line......%i", ++n);
        ReplaceTextBoxLine(g_hmainPanel, PANEL_SERIAL_WINDOW, g_iSerial_comm_cnt - 1, disp_str);
        if (n % kRepaintEvery == 0) ProcessSystemEvents();
    }
}
BENCHMARK(ReplaceLastLineAt100k)->Unit(benchmark::kMicrosecond);

void ReferencePlainTextEditAppend(benchmark::State& state) {
    for (auto _ : state) {
        QPlainTextEdit edit;
        edit.setReadOnly(true);
        edit.resize(380, 685);
        edit.show();
        for (int i = 0; i < kLines; ++i) {
            edit.appendPlainText(QStringLiteral("RX: %1").arg(i, 8, 16, QLatin1Char('0')));
            edit.verticalScrollBar()->setValue(edit.verticalScrollBar()->maximum());
            if (i % kRepaintEvery == 0) QApplication::processEvents();
        }
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(ReferencePlainTextEditAppend)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!StartBenchConsole(argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    CloseCVIRTE();
    return 0;
}
