#include "firmware/upgrade_progress.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "firmware/upgrade_view.h"
#include "panel/serial_monitor.h"
#include "runtime/clock.h"

namespace {

constexpr const char* kProgressFormat = "Sending line......%i";
constexpr int kProgressTextSize = 64;

struct UpgradeProgress {
    int sent = 0;
    int records = 0;
    int line = -1;  // the monitor's progress line
    char text[kProgressTextSize] = "";
    double lastEvents = 0;
};
UpgradeProgress g_progress;
UpgradeProgressSink g_progressSink = nullptr;

// Whether the progress line still holds what was last written to it: "Clear monitor" during
// the transfer empties the monitor, and the lines logged after it may reach that index again.
bool progressLineInPlace() {
    char shown[kProgressTextSize];
    return g_progress.line >= 0 && g_progress.line < g_iSerial_comm_cnt &&
           GetMonitorLine(g_progress.line, shown, sizeof shown) == 0 &&
           std::strcmp(shown, g_progress.text) == 0;
}

void showProgressLine(int nextLine) {
    const bool inPlace = progressLineInPlace();
    std::snprintf(g_progress.text, sizeof g_progress.text, kProgressFormat, nextLine);
    if (inPlace) {
        ReplaceMonitorLine(g_progress.line, g_progress.text);
        return;
    }
    LogToWindow(g_progress.text);
    g_progress.line = g_iSerial_comm_cnt - 1;
}

}  // namespace

void StartUpgradeProgress(int records) {
    g_progress = UpgradeProgress{};
    g_progress.records = records;
    ShowUpgradeProgress();
    showProgressLine(1);
    g_progress.lastEvents = Timer();
}

void NoteRecordsSent(int sent) {
    g_progress.sent = sent;
    if ((sent + 1) % PROGRESS_EVERY_LINES == 0) showProgressLine(sent + 1);
}

void KeepUpgradeResponsive(void) {
    if (Timer() - g_progress.lastEvents < UPGRADE_EVENTS_SECONDS) return;
    ShowUpgradeProgress();
    ProcessSystemEvents();
    // A callback run here may have taken long (a dialog); the next dispatch counts from now.
    g_progress.lastEvents = Timer();
}

void ShowUpgradeProgress(void) {
    if (g_progressSink) {
        g_progressSink(g_progress.sent, g_progress.records);
    } else if (const UpgradeView* view = CurrentUpgradeView(); view && view->progress) {
        view->progress(g_progress.sent, g_progress.records);
    }
}

int UpgradeRecordsSent(void) {
    return g_progress.sent;
}

void SetUpgradeProgressSink(UpgradeProgressSink sink) {
    g_progressSink = sink;
}
