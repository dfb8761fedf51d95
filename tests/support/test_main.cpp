// The console suite's entry: one engine for the whole run, on Qt's offscreen
// platform so no display is needed, with a settings folder of its own so the
// suite neither reads nor writes the user's settings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/callback_table.h"
#include "runtime/cvirte.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    char folder[] = "/tmp/tarvik-settings.XXXXXX";
    if (!mkdtemp(folder)) return 1;
    setenv("XDG_CONFIG_HOME", folder, 1);
    ::testing::InitGoogleTest(&argc, argv);
    int result = 1;
    if (InitCVIRTE(0, argv, 0) != 0) {
        InstallCallbackTable();
        result = RUN_ALL_TESTS();
        CloseCVIRTE();
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return result;
}
