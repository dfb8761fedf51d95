#pragma once
// Sending the firmware to a bootloader that has answered its presence test.

// The progress line is rewritten after every this many acknowledged lines.
enum { PROGRESS_EVERY_LINES = 100 };

// Logs "Sending line......1", flushes the input queue and sends the count characters of data
// one at a time, each drained before the next. After every BOOTLOADER_CR it reads the
// three answer bytes, each waited for at most BOOTLOADER_ANSWER_SECONDS, and checks them
// against XOFF, ACK, XON. Whenever the number of the next line is a multiple of
// PROGRESS_EVERY_LINES, the monitor's last line (index g_iSerial_comm_cnt - 1) is rewritten
// to "Sending line......<number>" and events are processed.
// Returns 1 when every character went out and every line was acknowledged. Returns 0 at the
// first failure, with nothing more sent, after reporting it:
//   wrong first byte:     popup "Error" "Bad bootloader XOFF response"
//   wrong second or third byte: popup "Error" "Bad bootloader ACK response"
//   an answer byte that did not come: log line and popup saying the bootloader did not answer
//   a byte that did not leave the output queue: log line and popup saying so
int SendFirmwareData(const unsigned char* data, int count);
