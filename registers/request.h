#pragma once
// The steps every register and block routine takes around its request, in the
// order the board and the monitor expect them.

// Starts a request: refuses when busy ("WARNING: Busy, can't process cmd!",
// returns 0, nothing changed), else resets g_iTimer_cnt, sets g_iTXCommand_id
// to command and writes the header of a words-long request into
// g_uiTx_word_buf[0], and returns 1.
int BeginRequest(int command, int words);

// Which failures a routine reports with a line of its own.
struct RequestLines {
    bool sendFailed;     // "ERROR:failed to send message"
    bool receiveFailed;  // "ERROR:failed to get a response"
};

// Sends the words-long request in g_uiTx_word_buf and checks the answer of
// expectedBytes and its identifier. Returns 1; LINK_NOT_CONNECTED with
// nothing sent; -2 when the request was not sent; -1 when no valid answer came
// (*receiveFailed then true) or it answered another command.
int RunRequest(int words, int expectedBytes, RequestLines lines, bool* receiveFailed);
