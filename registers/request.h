#pragma once
// The steps every register and block routine takes around its request, in the
// order the board and the monitor expect them.

#include "registers/register_result.h"

// Starts a request: refuses when busy ("WARNING: Busy, can't process cmd!",
// returns 0, nothing changed), else resets g_iTimer_cnt, sets g_iTXCommand_id
// to command and writes the header of a words-long request into
// g_uiTx_word_buf[0], and returns 1.
int BeginRequest(int command, int words);

// BeginRequest's refusal as a result.
RegisterResult BusyResult(void);

// Which failures a routine reports with a line of its own.
struct RequestLines {
    bool sendFailed;     // "ERROR:failed to send message"
    bool receiveFailed;  // "ERROR:failed to get a response"
};

// Sends the words-long request in g_uiTx_word_buf and checks the answer of
// expectedBytes and its identifier. Returns success; NotConnected with
// nothing sent; NotSent; NoAnswer; WrongAnswer.
RegisterResult RunRequest(int words, int expectedBytes, RequestLines lines);
