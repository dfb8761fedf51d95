#include "bench/bench_console.h"

#include <cstdio>
#include <cstdlib>

#include "app/callback_table.h"
#include "app/shell.h"
#include "boardsim/board.h"
#include "panel/Tarviktest.h"
#include "runtime/cvirte.h"
#include "runtime/userint.h"

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
