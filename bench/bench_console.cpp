#include "bench/bench_console.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "app/callback_table.h"
#include "app/shell.h"
#include "boardsim/board.h"
#include "link/connection.h"
#include "link/serial_link.h"
#include "panel/Tarviktest.h"
#include "runtime/cvirte.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"

namespace {
constexpr int kReasonSize = 256;
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
    if (SetComPortDevice(port, board.devicePath().c_str(), 0) == 0 && OpenLinkOn(port, 0).ok())
        return true;
    char reason[kReasonSize] = "";
    GetComErrorReason(port, reason, sizeof reason);
    std::fprintf(stderr, "cannot open the board's line: %s\n", reason);
    return false;
}
