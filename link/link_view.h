#pragma once
// What a window shows of the link, told by the link's core: the console's panel installs
// its own (link/connection_panel.h); a program without a window (the command line
// companion) installs none, and the core then keeps its clock to itself.

struct LinkView {
    void (*up)(void);    // the link came up (OpenLinkOn, the speed test done)
    void (*down)(void);  // the link was taken down (DisconnectLink, a vanished device)
    // The timer whose ticks g_iTimer_cnt counts: restarted with a new interval, and its
    // interval read back (seconds).
    void (*restartTimer)(double intervalSeconds);
    double (*timerInterval)(void);
};

// Installs the view; null, the default, shows nothing.
void SetLinkView(const LinkView* view);
// The view installed, or null.
const LinkView* CurrentLinkView(void);

// The timer's interval in seconds: the view's, else the one last set by RestartLinkTimer
// (0.25 s until then).
double LinkTimerInterval(void);
// Sets the timer's interval and restarts it from now (the view's timer, when there is one).
void RestartLinkTimer(double intervalSeconds);
