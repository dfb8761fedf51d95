#pragma once
// Calibrates the receive wait: how many input-queue polls fit in two timer
// ticks (g_iSpeedCounter, serial_link.h), and how long that window really
// lasted, which sets the receive wait's length in time.

// Sets the timer to 0.25 s, counts polls of the input queue until two ticks
// have passed (delivered by the event loop, or counted from the clock where
// there is none), stores the count in g_iSpeedCounter and returns it. Ends
// early, with the polls counted so far, after InterruptLinkWaits.
int RunSpeedTest(void);

// Seconds the last speed test's window lasted, from the timer's restart to the
// dispatch that saw the second tick (about 0.5); 0 before the first.
double SpeedTestWindowSeconds(void);
