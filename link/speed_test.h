#pragma once
// Calibrates the receive wait: how many input-queue polls fit in two timer ticks.

// Polls counted by the last speed test; 0 before the first connect.
extern int g_iSpeedCounter;

// Sets the timer to 0.25 s, counts polls of the input queue until two ticks
// have passed (delivered by the event loop, or counted from the clock where
// there is none), stores the count in g_iSpeedCounter and returns it.
int RunSpeedTest(void);

// Seconds one input-queue poll took in the last speed test; 0 before the first.
double SpeedTestSecondsPerPoll(void);
