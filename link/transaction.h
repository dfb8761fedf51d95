#pragma once
// One request frame out, one response frame in, on g_iCom_port_num.

// 1 while a frame is being sent and for the whole firmware upgrade.
extern int g_iBusy;

// The register and block routines' own busy refusal: when g_iBusy is 1, logs
// "WARNING: Busy, can't process cmd!" and returns 1; else returns 0.
int BusyRefused(void);

// SendSerialMsg's result when the line never went quiet after a failed answer.
enum { SEND_LINE_NOT_QUIET = -4 };

// After a failed receive, first waits the late answer out (see SettleLine).
// Then adds the checksum to the last of count words (in place), writes the
// frame byte by byte, most significant byte first, each drained before the
// next, and logs it as "TX: " lines. Returns 1; -1 busy (nothing sent); -2 a
// byte was refused or the port failed; -3 the output queue did not empty
// within g_iTimeout_val ticks; SEND_LINE_NOT_QUIET (nothing sent). A port
// whose device vanished takes the link down (see LinkDeviceLost).
int SendSerialMsg(unsigned int* words, int count);

// Waits for expectedBytes (a multiple of 4, at most FRAME_MAX_BYTES), reads
// them into g_uiRx_word_buf in host order, logs them as "RX: " lines and
// checks status, word count and checksum; waits 6 speed-test windows of
// polls, or the fixed wait (SetReceiveWaitSeconds). Returns 1, or -1 on any failure
// (logged), after which the line is unsettled until the next send; clears
// g_iBusy either way. A vanished device ends the wait at once and takes the
// link down.
int GetSerialResponse(int expectedBytes);

// How long a receive wait lasts before it gives up: the fixed wait when one is
// set, else at the polling rate the last speed test measured (0 before the
// first speed test).
double FullReceiveWaitSeconds(void);

// Makes every receive wait last `seconds` on the clock instead of the polls
// the speed test counted, for a program that runs one command without a speed
// test (the command line companion). 0, the default, returns to the polls.
void SetReceiveWaitSeconds(double seconds);
