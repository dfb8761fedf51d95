// The console suite's entry: one engine for the whole run, on Qt's offscreen
// platform so no display is needed.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/callback_table.h"
#include "runtime/cvirte.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    if (InitCVIRTE(0, argv, 0) == 0) return 1;
    InstallCallbackTable();
    int result = RUN_ALL_TESTS();
    CloseCVIRTE();
    return result;
}
