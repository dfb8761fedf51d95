#include "cli/tell.h"

#include <cstdio>

#include "panel/serial_monitor.h"
#include "runtime/rs232.h"

namespace cli {
namespace {

constexpr const char* kProgram = "tarvikctl";
// Raw bytes shown on one line at most: two frames' worth, a short HEX record.
constexpr int kBytesPerLine = 16;
constexpr int kMonitorLines = 1;  // -v
constexpr int kRawBytes = 2;      // -vv

struct Telling {
    int verbosity = 0;
    bool quiet = false;
    bool json = false;
    bool lineOpen = false;  // TellInPlace left the cursor at the end of its line
};
Telling g_telling;

// Bytes seen on the line and not yet shown: one direction, consecutive.
struct HeldBytes {
    int direction = COM_BYTES_SENT;
    int count = 0;
    std::string hex;
};
HeldBytes g_held;

// "tarvikctl: " in front of a line that must say whose it is.
std::string prefixed(const std::string& text, bool named) {
    return named ? std::string(kProgram) + ": " + text : text;
}

void endOpenLine() {
    if (!g_telling.lineOpen) return;
    std::fputc('\n', stderr);
    g_telling.lineOpen = false;
}

void showHeldBytes();

// Every line on standard error goes out here, after what came before it.
void writeLine(const std::string& text, bool named) {
    showHeldBytes();
    endOpenLine();
    std::fprintf(stderr, "%s\n", prefixed(text, named).c_str());
}

void showHeldBytes() {
    if (g_held.count == 0) return;
    const std::string line =
        (g_held.direction == COM_BYTES_SENT ? "TX bytes:" : "RX bytes:") + g_held.hex;
    g_held = HeldBytes{};
    writeLine(line, g_telling.json);
}

void watchBytes(int, int direction, const unsigned char* bytes, int count) {
    for (int i = 0; i < count; ++i) {
        if (g_held.count > 0 && (direction != g_held.direction || g_held.count == kBytesPerLine))
            showHeldBytes();
        char hex[sizeof " FF"];
        std::snprintf(hex, sizeof hex, " %02X", bytes[i]);
        g_held.direction = direction;
        g_held.hex += hex;
        ++g_held.count;
    }
}

void logLine(LogLevel level, const char* line) {
    const bool shown =
        level == LOG_WARNING ? !g_telling.quiet : g_telling.verbosity >= kMonitorLines;
    if (shown) writeLine(line, g_telling.json);
}

}  // namespace

void StartTelling(const Options& options) {
    g_telling = Telling{options.verbosity, options.quiet, options.json, false};
    SetLogSink(logLine);
    SetComByteWatcher(options.verbosity >= kRawBytes ? watchBytes : nullptr);
}

void Complain(const std::string& text) {
    writeLine(text, true);
}

void Tell(const std::string& text) {
    if (!g_telling.quiet) writeLine(text, g_telling.json);
}

void TellInPlace(const std::string& text) {
    if (g_telling.quiet) return;
    showHeldBytes();
    std::fprintf(stderr, "\r%s", prefixed(text, g_telling.json).c_str());
    g_telling.lineOpen = true;
}

void EndTelling() {
    showHeldBytes();
    endOpenLine();
}

}  // namespace cli
