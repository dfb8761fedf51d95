#pragma once
// One request frame out, one response frame in, on g_iCom_port_num. Each step
// comes twice: the typed core (a LinkResult with the reason in words) and the
// Part's routine, which returns the core's outcome as its result code.

#include "link/result.h"

// The register and block routines' own busy refusal: when g_iBusy is 1, logs
// "WARNING: Busy, can't process cmd!" and returns 1; else returns 0.
int BusyRefused(void);

// After a failed receive, first waits the late answer out (line_guard.h).
// Then adds the checksum to the last of count words (in place), writes the
// frame byte by byte, most significant byte first, each drained before the
// next (tick_clock.h), and logs it as "TX: " lines. Returns success, or, each
// with its line logged and g_iBusy 0 afterwards:
//   Busy          "WARNING: g_iBusy, can't process cmd!"; nothing sent, g_iBusy kept
//   Interrupted   "ERROR on <id>: Interrupted; nothing sent" after InterruptLinkWaits,
//                 before the frame or during the wait for a quiet line
//   LineNotQuiet  "ERROR on <id>: The line never went quiet after a failed answer
//                 (<n> bytes in <s> s); nothing sent"
//   WriteRefused  "ERROR on <id>: Failed to write output queue"
//   NotDrained    "ERROR on <id>: Output queue was not emptied" (after g_iTimeout_val ticks)
//   PortFailed    "ERROR on <id>: Failed to read input queue" (before anything was sent)
//   DeviceGone    the device vanished: the link is taken down (LinkDeviceLost's lines)
LinkResult SendFrame(unsigned int* words, int count);

// SendFrame as a result code: 1; -1 busy; -2 nothing (more) could be sent
// (WriteRefused, LineNotQuiet, PortFailed, DeviceGone); -3 NotDrained.
int SendSerialMsg(unsigned int* words, int count);

// Waits, sleeping, for expectedBytes (a multiple of 4, at most FRAME_MAX_BYTES)
// for FullReceiveWaitSeconds(), reads them into g_uiRx_word_buf in host order,
// logs them as "RX: " lines and checks status, word count and checksum.
// Returns success, or, each with its lines logged:
//   BadRequest  "ERROR on <id>: Invalid response length <n>"; nothing read
//   NoAnswer    "ERROR on <id>: Timed out on GetInQLen", then LogNoAnswerAdvice's line
//               unless held
//   Interrupted "ERROR on <id>: Interrupted while waiting for the answer", at once after
//               InterruptLinkWaits (a signal wakes the wait)
//   ShortRead   "ERROR on <id>: Timed out on ComRd"
//   PortFailed  "ERROR on <id>: Failed to read input queue"
//   DeviceGone  the device vanished (at once, not at the time-out): link taken down
//   StatusError one "Status register error: ..." line per status bit 0x01..0x40 set
//               (the reason joins them; 0x80 has no line)
//   WordCount   "ERROR on <id>: Different number of words received"
//   Checksum    "ERROR in GetResponse: Incorrect checksum"
// After a failure other than BadRequest and DeviceGone the line is unsettled
// (LateAnswerGuardSeconds); then events are processed. Clears g_iBusy either way.
LinkResult ReceiveFrame(int expectedBytes);

// What to check when the board does not answer, one warning line after a receive that
// timed out: "Check the board's power, the cable, and that COM<n> is the board's device
// (<device>); a board left in its bootloader answers only a firmware upgrade".
void LogNoAnswerAdvice(void);
// While held (nonzero), a receive that times out logs no advice: a caller that gives its
// own verdict (Connect's "Hardware is not responding") gives the advice once after it.
void HoldNoAnswerAdvice(int hold);

// ReceiveFrame as a result code: 1, or -1 on any failure.
int GetSerialResponse(int expectedBytes);

// Whether the received header answers g_iTXCommand_id. Returns success, or
// WrongCommand after logging "ERROR: rx = <id>, tx = <id>" and marking the
// line unsettled: the answer to this request may still follow.
LinkResult CheckAnswerCommand(void);
// CheckAnswerCommand as a result code: 1, or -1.
int ProcessFirstWord(void);

// How long a receive wait lasts: the fixed wait when one is set, else six
// times the last speed test's window in seconds (about 3 s; 0 before the
// first speed test, when an answer must be complete at the first look). A
// time on the clock: the machine's load after the speed test does not change it.
double FullReceiveWaitSeconds(void);

// Makes every receive wait last `seconds`, for a program that runs one
// command without a speed test (the command line companion). 0, the default,
// or a value that is not a positive number returns to the speed test's.
void SetReceiveWaitSeconds(double seconds);

// How long the line must stay quiet after a failed answer before the next
// request, or before the port may be given to another program: one and a half
// receive waits. So a late answer is caught up to two and a half receive waits
// (about 7.5 s) after its request.
double LateAnswerGuardSeconds(void);
