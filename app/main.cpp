#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/callback_table.h"
#include "app/connect_command.h"
#include "app/console_text.h"
#include "app/panel_contract.h"
#include "app/port_choice.h"
#include "app/shell.h"
#include "link/serial_link.h"
#include "panel/Tarviktest.h"
#include "runtime/cvirte.h"
#include "runtime/userint.h"

namespace {

// Long enough for the window to be laid out and painted.
constexpr double kSnapshotDelaySeconds = 1.5;
constexpr double kEventSliceSeconds = 0.02;

// An unattended run (no display to look at): shows the panel for a moment,
// saves it as a PNG and ends, as the run command does without a display.
// TARVIK_SNAPSHOT_SIZE=WIDTHxHEIGHT first sizes the window as an operator would
// (a maximised window, for the pictures of a wide screen).
void SaveSnapshot(const char* path) {
    int width = 0, height = 0;
    if (const char* size = std::getenv("TARVIK_SNAPSHOT_SIZE");
        size && std::sscanf(size, "%dx%d", &width, &height) == 2 && width > 0 && height > 0)
        SetPanelSize(g_hmainPanel, height, width);
    const double until = Timer() + kSnapshotDelaySeconds;
    while (Timer() < until) {
        ProcessSystemEvents();
        Delay(kEventSliceSeconds);
    }
    if (SavePanelWindowImage(g_hmainPanel, path) != 0)
        std::fprintf(stderr, "Tarvikdebug: cannot save the snapshot %s\n", path);
}

}  // namespace

int main(int, char* argv[]) {
    int exitStatus = 0;
    if (!ParseCommandLine(argv, ConsoleProgramText(), &exitStatus)) return exitStatus;
    if (InitCVIRTE(0, argv, 0) == 0) return -1;
    InstallCallbackTable();
    const std::string panelFile = ConsolePanelFile();
    g_hmainPanel = LoadPanel(0, panelFile.c_str(), PANEL);
    // Without its panel the program has nothing to show: stop before any window opens.
    if (g_hmainPanel < 0) {
        std::fprintf(stderr, "Tarvikdebug: cannot load the panel: %s\n", GetUILErrorDetail());
        CloseCVIRTE();
        return -1;
    }
    char why[256];
    if (!CheckMainPanel(g_hmainPanel, why, sizeof why)) {
        std::fprintf(stderr, "Tarvikdebug: the panel file %s does not fit this program: %s\n",
                     panelFile.c_str(), why);
        CloseCVIRTE();
        return -1;
    }
    DisplayPanel(g_hmainPanel);
    init();
    CreateGUI();
    RestoreComPortChoice();
    if (int port = 0; GetStartupConnect(&port)) ConnectAtStartUp(port);
    if (const char* snapshot = std::getenv("TARVIK_SNAPSHOT"); snapshot && *snapshot) {
        SaveSnapshot(snapshot);
    } else {
        RunUserInterface();
    }
    DiscardPanel(g_hmainPanel);
    // After a failed answer the port is kept until its line is quiet, so the next program
    // to open it cannot take this one's late answer for its own.
    ShutdownLink();
    CloseCVIRTE();
    return 0;
}
