#pragma once
// The serial monitor: the program's running log in PANEL_SERIAL_WINDOW.

enum { DISP_STR_SIZE = 2000 };

// Scratch text: callers format a line here and log it at once.
extern char disp_str[DISP_STR_SIZE];
// Lines appended since start-up or the last clear; the next line's index.
extern int g_iSerial_comm_cnt;

// What a line reports. The monitor shows every line alike; a log sink may
// sort them (the command line companion shows only warnings and errors).
enum LogLevel {
    LOG_INFORMATION = 0,  // progress, frames, results
    LOG_WARNING = 1,      // something the operator should know; the command went on
    LOG_ERROR = 2,        // a command, or a part of it, failed
};

// Appends text as the monitor's new last line, an information, and scrolls it
// into view, or, while a log sink is installed, hands it to the sink instead;
// either way the line is counted. Returns 0.
int LogToWindow(const char* text);
// The same for a line of the given level.
int LogLine(LogLevel level, const char* text);
int LogWarning(const char* text);
int LogError(const char* text);

// Where the lines go in a program without the panel (the command line
// companion): null, the default, logs into PANEL_SERIAL_WINDOW.
using LogSink = void (*)(LogLevel level, const char* line);
void SetLogSink(LogSink sink);

// Logs count words, one line each: the 4-character prefix then 8 upper-case
// hex digits for the first, 7 spaces then the digits for the others. Nothing
// for count <= 0.
void DispMsg(const unsigned int* words, const char* prefix, int count);

// Clear monitor: on commit, empties the monitor and restarts the line count. Returns 0.
int Clear_SerialWindow_cb(int panel, int control, int event, void* callbackData, int eventData1,
                          int eventData2);
