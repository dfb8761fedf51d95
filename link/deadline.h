#pragma once
// The moments the link's waits give up, and a way to cut every wait short.

// The moment a bounded wait gives up, on the engine's clock.
struct Deadline {
    double at;
};

// A deadline `seconds` from now. A time-out that is not a positive finite
// number (NaN, negative, infinite) gives one that has passed already, so no
// wait can run unbounded on a bad setting.
Deadline DeadlineAfter(double seconds);

// 1 once the deadline has passed, else 0.
int DeadlinePassed(const Deadline& deadline);

// Seconds until the deadline; 0 once it has passed.
double SecondsLeft(const Deadline& deadline);

// Asks the link to stop for a program that is being stopped: the waits that may last seconds
// (the late-answer hold, the quiet wait before a send, the receive wait, the speed test) end
// at their next wake-up, no frame is sent, and a firmware upgrade stops after the line it is
// sending. Safe to call from a signal handler; a signal also wakes a sleeping wait at once.
// Lasts until ClearLinkInterrupt.
void InterruptLinkWaits(void);
void ClearLinkInterrupt(void);
// 1 after InterruptLinkWaits, else 0.
int LinkWaitsInterrupted(void);
