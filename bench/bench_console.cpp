#include "bench/bench_console.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/callback_table.h"
#include "app/shell.h"
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
constexpr int kReasonSize = 256;
constexpr int kMonitorLinesKept = 4000;
}  // namespace

bool StartBenchConsole(char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (InitCVIRTE(0, argv, 0) == 0) return false;
    InstallCallbackTable();
    g_hmainPanel = LoadPanel(0, "Tarviktest.uir", PANEL);
    if (g_hmainPanel < 0) {
        std::fprintf(stderr, "run from the build folder: %s\n", GetUILErrorDetail());
        return false;
    }
    DisplayPanel(g_hmainPanel);
    init();
    CreateGUI();
    return true;
}

bool StartBenchBoard(boardsim::Board& board) {
    std::string error;
    if (board.start(&error)) return true;
    std::fprintf(stderr, "no virtual board: %s\n", error.c_str());
    return false;
}

bool StartBenchWithBoard(int* argc, char** argv, boardsim::Board& board) {
    benchmark::Initialize(argc, argv);
    return StartBenchConsole(argv) && StartBenchBoard(board);
}

void EndBench(boardsim::Board& board) {
    ShutdownLink();
    board.stop();
    CloseCVIRTE();
}

// The console's own way of opening its port, with the board's settings, less the speed test.
bool OpenBenchPort(int port, const boardsim::Board& board) {
    return OpenBenchDevice(port, board.devicePath());
}

bool OpenBenchDevice(int port, const std::string& device) {
    if (SetComPortDevice(port, device.c_str(), 0) == 0 && OpenLinkOn(port, 0).ok()) return true;
    char reason[kReasonSize] = "";
    GetComErrorReason(port, reason, sizeof reason);
    std::fprintf(stderr, "cannot open %s: %s\n", device.c_str(), reason);
    return false;
}

void KeepBenchMonitorSmall() {
    if (g_iSerial_comm_cnt > kMonitorLinesKept)
        Clear_SerialWindow_cb(g_hmainPanel, 0, EVENT_COMMIT, nullptr, 0, 0);
}

double MedianRegisterReadMicros(int count) {
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        const auto start = std::chrono::steady_clock::now();
        unsigned int value = 0;
        if (GetRegister(1, &value) != 1) return -1;
        times.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() * 1e6);
        KeepBenchMonitorSmall();
    }
    std::nth_element(times.begin(), times.begin() + count / 2, times.end());
    return times[count / 2];
}
