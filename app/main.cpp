#include <cstdio>

#include "app/Tarviktest.h"
#include "app/panel_contract.h"
#include "app/shell.h"
#include "runtime/cvirte.h"
#include "runtime/userint.h"

namespace {
constexpr const char* kPanelFile = "Tarviktest.uir";
}

int main(int, char* argv[]) {
    if (InitCVIRTE(0, argv, 0) == 0) return -1;
    g_hmainPanel = LoadPanel(0, kPanelFile, PANEL);
    // Without its panel the program has nothing to show: stop before any window opens.
    if (g_hmainPanel < 0) {
        std::fprintf(stderr, "Tarvikdebug: cannot load the panel: %s\n", GetUILErrorDetail());
        CloseCVIRTE();
        return -1;
    }
    char why[256];
    if (!CheckMainPanel(g_hmainPanel, why, sizeof why)) {
        std::fprintf(stderr, "Tarvikdebug: the panel file %s does not fit this program: %s\n",
                     kPanelFile, why);
        CloseCVIRTE();
        return -1;
    }
    DisplayPanel(g_hmainPanel);
    init();
    CreateGUI();
    RunUserInterface();
    DiscardPanel(g_hmainPanel);
    CloseCVIRTE();
    return 0;
}
