#pragma once
// One request frame out, one response frame in, on g_iCom_port_num.

// 1 while a frame is being sent and for the whole firmware upgrade.
extern int g_iBusy;

// The register and block routines' own busy refusal: when g_iBusy is 1, logs
// "WARNING: Busy, can't process cmd!" and returns 1; else returns 0.
int BusyRefused(void);

// Adds the checksum to the last of count words (in place), writes the frame
// byte by byte, most significant byte first, each drained before the next,
// and logs it as "TX: " lines. Returns 1; -1 busy (nothing sent); -2 a byte was
// refused; -3 the output queue did not empty within g_iTimeout_val ticks.
int SendSerialMsg(unsigned int* words, int count);

// Waits for expectedBytes (a multiple of 4, at most FRAME_MAX_BYTES), reads
// them into g_uiRx_word_buf in host order, logs them as "RX: " lines and
// checks status, word count and checksum. Returns 1, or -1 on any failure
// (logged); clears g_iBusy either way.
int GetSerialResponse(int expectedBytes);
