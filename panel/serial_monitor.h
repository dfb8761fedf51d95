#pragma once
// The program's running log: every line the routines write, each with its level, shown in
// the serial monitor (PANEL_SERIAL_WINDOW, once the console installs it) or handed to a
// log sink (the command line companion's standard error).

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
// into view, or, while a log sink is installed, hands it to the sink instead
// (with neither, the line goes nowhere); either way the line is counted. Returns 0.
int LogToWindow(const char* text);
// The same for a line of the given level.
int LogLine(LogLevel level, const char* text);
int LogWarning(const char* text);
int LogError(const char* text);

// Where the lines go in a program without the panel (the command line
// companion): null, the default, logs into the installed monitor.
using LogSink = void (*)(LogLevel level, const char* line);
void SetLogSink(LogSink sink);

// The monitor the lines are shown in: its last line appended, a line rewritten in place,
// a line read back (0 on success, negative when there is no such line). The console's
// panel installs PANEL_SERIAL_WINDOW (serial_monitor_panel.h); null removes it.
struct SerialMonitor {
    void (*append)(const char* line);
    int (*replace)(int index, const char* line);
    int (*read)(int index, char* line, int size);
};
void SetSerialMonitor(const SerialMonitor* monitor);

// Rewrites line `index` of the monitor in place. Returns 0, or negative when no monitor is
// installed or it has no such line (nothing changed).
int ReplaceMonitorLine(int index, const char* text);
// Copies line `index` of the monitor into text (at most size bytes, NUL included). Returns
// 0, or negative when no monitor is installed or it has no such line (text then "").
int GetMonitorLine(int index, char* text, int size);

// Logs count words, one line each: the 4-character prefix then 8 upper-case
// hex digits for the first, 7 spaces then the digits for the others. Nothing
// for count <= 0.
void DispMsg(const unsigned int* words, const char* prefix, int count);
