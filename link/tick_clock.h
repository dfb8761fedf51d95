#pragma once
// Counts timer ticks while a wait processes no events. The panel's timer only
// delivers ticks through the event loop, so a wait that dispatches nothing
// would never see g_iTimer_cnt move; this clock advances it from elapsed time
// in units of the timer's current interval.

struct TickWait {
    double start;
    double interval;
};

// Sets g_iTimer_cnt to 0 and starts measuring.
TickWait StartTickWait(void);

// Brings g_iTimer_cnt up to the whole ticks elapsed since the start (it never
// goes down, so ticks delivered by the event loop still count) and returns it.
int CountElapsedTicks(const TickWait& wait);

// Waits until the output queue of g_iCom_port_num is empty (a length of 0 or
// less, a failed query included), at most until more than g_iTimeout_val
// ticks have passed. Sets g_iTimer_cnt to 0 first. Between looks at the queue
// it sleeps a fraction of a character's time on the wire, so a byte still
// leaving costs no processor time, yet the next byte follows it closely.
// Returns 1 when it emptied, 0 when it still held bytes at the limit.
// Processes no events.
int WaitOutputDrained(void);
