#pragma once
// What the operator sees of a transfer while it runs: the progress bar (record k of N), the
// monitor's progress line, and a panel that still answers its buttons.

// The monitor's progress line is rewritten whenever the next line's number is a multiple of
// this.
enum { PROGRESS_EVERY_LINES = 100 };

// The longest the transfer goes without dispatching events and updating the bar: below the
// 0.3 s after which a panel feels stuck.
inline constexpr double UPGRADE_EVENTS_SECONDS = 0.25;

// Starts showing a transfer of `records` records: the bar at 0 of records, "Sending
// line......1" logged as the progress line, the clock of KeepUpgradeResponsive started.
void StartUpgradeProgress(int records);

// Notes that `sent` records have been acknowledged. When the next line's number, sent + 1, is
// a multiple of PROGRESS_EVERY_LINES, the progress line is rewritten in place to "Sending
// line......<sent + 1>", and lines logged after it stay as they are; when the monitor was
// cleared since, or the line is no longer where it was, the text is logged as a new progress
// line instead. The bar follows at the next KeepUpgradeResponsive or ShowUpgradeProgress.
void NoteRecordsSent(int sent);

// To be called often while the transfer runs. Once UPGRADE_EVENTS_SECONDS have passed since
// the start or the last dispatch, shows the acknowledged count on the bar and dispatches the
// pending events: control callbacks may run nested in it.
void KeepUpgradeResponsive(void);

// Shows the acknowledged count on the bar at once, as the transfer ends however it ends.
void ShowUpgradeProgress(void);

// Records acknowledged in the transfer under way or last made.
int UpgradeRecordsSent(void);

// Where the progress goes in a program without the panel (the command line
// companion): the sink gets the acknowledged and the total records whenever
// the bar would be updated. Null, the default, tells the upgrade's view
// (upgrade_view.h; the console's progress bar).
using UpgradeProgressSink = void (*)(int sent, int records);
void SetUpgradeProgressSink(UpgradeProgressSink sink);
