// Panel files that cannot serve: the engine refuses them with a reason, and
// the console stops before any window opens.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "panel/Tarviktest.h"
#include "runtime/userint.h"

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const fs::path& path, const std::string& text) {
    std::ofstream(path) << text;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

struct ConsoleRun {
    int status;
    std::string errors;
};

// Runs the console in `dir` (where it looks for its panel file first).
ConsoleRun runConsoleIn(const fs::path& dir) {
    std::string command = "cd '" + dir.string() + "' && QT_QPA_PLATFORM=offscreen timeout 20 '" +
                          TARVIK_CONSOLE_PATH + "' 2>stderr.txt >/dev/null";
    int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(dir / "stderr.txt")};
}

class PanelLoadingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("tarvik-panel-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        good = readFile("Tarviktest.uir");
        ASSERT_FALSE(good.empty()) << "run from the build folder";
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
    std::string good;
};

}  // namespace

TEST_F(PanelLoadingTest, EngineRefusesBadFilesWithAReason) {
    EXPECT_EQ(LoadPanel(0, (dir / "absent.uir").c_str(), PANEL), UIE_FILE_NOT_FOUND);
    EXPECT_NE(std::string(GetUILErrorDetail()).find("absent.uir"), std::string::npos);

    writeFile(dir / "garbage.uir", "<ui version=\"4.0\"><widget class=\"QWidget\"");
    EXPECT_EQ(LoadPanel(0, (dir / "garbage.uir").c_str(), PANEL), UIE_BAD_FILE);

    writeFile(dir / "callback.uir",
              replaced(good, "<string>Close_CB</string>", "<string>Vanish_CB</string>"));
    EXPECT_EQ(LoadPanel(0, (dir / "callback.uir").c_str(), PANEL), UIE_UNKNOWN_CALLBACK);
    EXPECT_NE(std::string(GetUILErrorDetail()).find("Vanish_CB"), std::string::npos);

    EXPECT_EQ(LoadPanel(0, "Tarviktest.uir", 7), UIE_NO_RESOURCE);
}

TEST_F(PanelLoadingTest, ConsoleStopsWithOneLineOnABadPanelFile) {
    struct Case {
        const char* name;
        std::string text;
        const char* mentions;
    };
    const Case cases[] = {
        {"malformed", good.substr(0, good.size() / 2), "Tarviktest.uir"},
        {"unknown callback",
         replaced(good, "<string>Timer_CB</string>", "<string>Tick_CB</string>"), "Tick_CB"},
        {"missing control", replaced(good, "<number>42</number>", "<number>142</number>"),
         "PANEL_TEMPERATURE"},
        {"wrong kind",
         replaced(good, "<widget class=\"QLineEdit\" name=\"PANEL_REG_MASK\"",
                  "<widget class=\"QLabel\" name=\"PANEL_REG_MASK\""),
         "PANEL_REG_MASK"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(dir / "Tarviktest.uir", c.text);
        ConsoleRun run = runConsoleIn(dir);
        EXPECT_EQ(run.status, 255);  // main returned -1
        EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
        EXPECT_NE(run.errors.find(c.mentions), std::string::npos) << run.errors;
    }
}

TEST_F(PanelLoadingTest, ConsoleQuitsCleanlyThroughQuit) {
    // The unattended mode saves the window and quits as Quit does: status 0.
    fs::copy_file("Tarviktest.uir", dir / "Tarviktest.uir");
    std::string command = "cd '" + dir.string() +
                          "' && QT_QPA_PLATFORM=offscreen TARVIK_SNAPSHOT=shot.png timeout 30 '" +
                          TARVIK_CONSOLE_PATH + "' >/dev/null 2>&1";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_GT(fs::file_size(dir / "shot.png"), 1000u);
}
