#pragma once
// Hooks for the tests alone: no program's code calls them.

// Shortens how long a send waits at most for the line to go quiet after a
// failed answer (LINE_QUIET_LIMIT_SECONDS unless set).
void SetLineQuietLimit(double seconds);

// Gives up the port at once, whatever may still come, and returns the link to
// its start-up state with the speed test's wait, so that each test starts afresh.
void DropLinkForTest(void);
