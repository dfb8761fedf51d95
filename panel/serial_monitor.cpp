#include "panel/serial_monitor.h"

#include <cstring>

static_assert(sizeof(unsigned int) == 4, "frame words are 32 bits");

char disp_str[DISP_STR_SIZE];
int g_iSerial_comm_cnt;

namespace {
LogSink g_logSink = nullptr;
const SerialMonitor* g_monitor = nullptr;
constexpr int kPrefixLength = 4;
constexpr int kIndentLength = 7;
constexpr int kDigitsPerWord = 8;
constexpr int kLineBufferSize = 256;
}  // namespace

void SetLogSink(LogSink sink) {
    g_logSink = sink;
}

void SetSerialMonitor(const SerialMonitor* monitor) {
    g_monitor = monitor;
}

int ReplaceMonitorLine(int index, const char* text) {
    return g_monitor ? g_monitor->replace(index, text) : -1;
}

int GetMonitorLine(int index, char* text, int size) {
    if (text && size > 0) text[0] = '\0';
    return g_monitor ? g_monitor->read(index, text, size) : -1;
}

int LogToWindow(const char* text) {
    return LogLine(LOG_INFORMATION, text);
}

int LogWarning(const char* text) {
    return LogLine(LOG_WARNING, text);
}

int LogError(const char* text) {
    return LogLine(LOG_ERROR, text);
}

int LogLine(LogLevel level, const char* text) {
    if (g_logSink)
        g_logSink(level, text);
    else if (g_monitor)
        g_monitor->append(text);
    g_iSerial_comm_cnt++;
    return 0;
}

void DispMsg(const unsigned int* words, const char* prefix, int count) {
    static const char kHexDigits[] = "0123456789ABCDEF";
    char line[kLineBufferSize];
    // The digits always start at column 5; a prefix of another length is cut or padded.
    std::memset(line, ' ', kPrefixLength);
    std::memcpy(line, prefix, strnlen(prefix, kPrefixLength));
    char* position = line + kPrefixLength;
    for (int i = 0; i < count; ++i) {
        for (int shift = 28; shift >= 0; shift -= 4)
            *position++ = kHexDigits[(words[i] >> shift) & 0xF];
        *position = '\0';
        LogToWindow(line);
        std::memset(line, ' ', kIndentLength);
        position = line + kIndentLength;
    }
    static_assert(kIndentLength + kDigitsPerWord < kLineBufferSize);
}
