#pragma once
// Qt tells screen readers of changes (QAccessible::updateAccessibility) only
// while accessibility is active, which a platform switches on when a screen
// reader asks; the offscreen platform never does. These switch it on and off for
// a test, so that an update handler sees the events a screen reader would get.

// True when accessibility is active afterwards (false where this Qt offers no
// way: the test should then be skipped).
bool SwitchOnAccessibility();
void SwitchOffAccessibility();
