#include "panel/serial_monitor.h"

#include <cstring>

#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "runtime/userint.h"

static_assert(sizeof(unsigned int) == 4, "frame words are 32 bits");

char disp_str[DISP_STR_SIZE];
int g_iSerial_comm_cnt;

namespace {
LogSink g_logSink = nullptr;
constexpr int kPrefixLength = 4;
constexpr int kIndentLength = 7;
constexpr int kDigitsPerWord = 8;
constexpr int kLineBufferSize = 256;
}  // namespace

void SetLogSink(LogSink sink) {
    g_logSink = sink;
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
    if (g_logSink) {
        g_logSink(level, text);
        g_iSerial_comm_cnt++;
        return 0;
    }
    InsertTextBoxLine(g_hmainPanel, PANEL_SERIAL_WINDOW, -1, text);
    int newest = g_iSerial_comm_cnt;
    g_iSerial_comm_cnt++;
    SetCtrlAttribute(g_hmainPanel, PANEL_SERIAL_WINDOW, ATTR_FIRST_VISIBLE_LINE, newest);
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

int Clear_SerialWindow_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    g_iSerial_comm_cnt = 0;
    return 0;
}
