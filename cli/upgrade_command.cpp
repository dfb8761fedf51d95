// upgrade FILE: the console's upgrade, its file check included, with the
// progress on standard error and a stop signal as the Cancel button; "-" reads the
// file from standard input, and --force answers the console's question
// about a file without an end-of-file record.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/session.h"
#include "cli/tell.h"
#include "firmware/firmware_upgrade.h"
#include "firmware/upgrade_progress.h"

namespace cli {
namespace {

constexpr int kBarWidth = 40;
constexpr int kPercent = 100;
constexpr int kPlainSteps = 10;  // without a terminal, a line every tenth of the records
constexpr int kProgressSize = 96;

// The device file through which the upgrade reads its standard input.
constexpr const char* kStandardInputPath = "/dev/stdin";

struct Progress {
    int sent = 0;
    int records = 0;
    int plainStep = -1;  // the last tenth reported
    bool onTerminal = false;
};
Progress g_progress;

// Whether to send a file without an end-of-file record: only when --force asked for it.
bool g_force = false;
bool g_incompleteFile = false;
int sendIncomplete() {
    g_incompleteFile = true;
    if (g_force) Tell("The file has no end-of-file record; sending it as --force asks");
    return g_force ? 1 : 0;
}

void showProgress(int sent, int records) {
    g_progress.sent = sent;
    g_progress.records = records;
    if (records <= 0) return;
    char text[kProgressSize];
    if (g_progress.onTerminal) {
        const int filled = static_cast<int>(static_cast<long long>(kBarWidth) * sent / records);
        std::snprintf(text, sizeof text, "[%-*.*s] %3d%% line %d of %d", kBarWidth, filled,
                      "########################################",
                      static_cast<int>(static_cast<long long>(kPercent) * sent / records), sent,
                      records);
        TellInPlace(text);
        return;
    }
    const int step = static_cast<int>(static_cast<long long>(kPlainSteps) * sent / records);
    if (step == g_progress.plainStep) return;
    g_progress.plainStep = step;
    std::snprintf(text, sizeof text, "line %d of %d", sent, records);
    Tell(text);
}

}  // namespace

int RunUpgrade(const Options& options, Result* result) {
    if (!WordCount(options, 1, 1, result)) return result->status;
    const std::string& file = options.args[0];
    if (MapBoardDevice(options, result) != EXIT_OK) return result->status;

    g_progress = Progress{};
    g_progress.onTerminal = isatty(STDERR_FILENO) != 0;
    SetUpgradeProgressSink(showProgress);
    g_force = options.force;
    g_incompleteFile = false;
    const std::string path = file == STANDARD_INPUT_WORD ? kStandardInputPath : file;
    const UpgradeOutcome upgraded = UpgradeFirmwareFile(path.c_str(), options.port, sendIncomplete);
    SetUpgradeProgressSink(nullptr);

    result->field("file", JsonString(file));
    result->field("records", JsonInteger(upgraded.records));
    result->field("sent", JsonInteger(upgraded.sent));
    switch (upgraded.error) {
        case UpgradeError::None:
            result->lines.push_back("Data successfully sent");
            return EXIT_OK;
        case UpgradeError::FileRefused:
            return result->fail(EXIT_USAGE,
                                FileNamed(file) + ": " + upgraded.reason +
                                    (g_incompleteFile && !g_force ? " (--force sends it)" : ""));
        case UpgradeError::PortNotOpened:
            return result->fail(EXIT_PORT, upgraded.reason);
        case UpgradeError::Cancelled:
            // A stop signal cancels the upgrade (signals.h); main gives the signal's status.
            return result->fail(EXIT_SIGNAL_BASE + SIGINT,
                                "cancelled at line " + std::to_string(upgraded.sent) + " of " +
                                    std::to_string(upgraded.records) +
                                    "; the board stays in its bootloader");
        case UpgradeError::Busy:
        case UpgradeError::NoBootloader:
        case UpgradeError::TransferStopped:
            break;
    }
    return result->boardFailed("upgrade failed", upgraded);
}

}  // namespace cli
