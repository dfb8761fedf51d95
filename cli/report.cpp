#include "cli/report.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

#include "panel/serial_monitor.h"
#include "runtime/popup_handler.h"

namespace cli {
namespace {

constexpr const char* kProgram = "tarvikctl";
// Lines that report a problem start with one of these.
constexpr const char* kProblemPrefixes[] = {"ERROR",
                                            "Error",
                                            "WARNING",
                                            "FAILURE",
                                            "Status register error",
                                            "Calculation error",
                                            "Hardware is not responding"};

bool g_verbose = false;
std::string g_lastLine;

void logLine(const char* line) {
    g_lastLine = line;
    bool problem = false;
    for (const char* prefix : kProblemPrefixes)
        problem = problem || std::strncmp(line, prefix, std::strlen(prefix)) == 0;
    if (g_verbose || problem) std::fprintf(stderr, "%s\n", line);
}

class StderrPopups : public tarvik::rt::PopupHandler {
  public:
    explicit StderrPopups(std::string file) : file_(std::move(file)) {}
    void messagePopup(const std::string& title, const std::string& message) override {
        last = message;
        std::fprintf(stderr, "%s: %s: %s\n", kProgram, title.c_str(), message.c_str());
    }
    std::optional<std::string> fileSelectPopup(const std::string&, const std::string&,
                                               const std::string&) override {
        if (file_.empty()) return std::nullopt;
        return file_;
    }
    std::string last;

  private:
    std::string file_;
};
std::optional<StderrPopups> g_popups;

}  // namespace

void StartLogging(bool verbose) {
    g_verbose = verbose;
    SetLogSink(logLine);
}

std::string LastLoggedLine() {
    return g_lastLine;
}

void Complain(const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", kProgram, text.c_str());
}

void AnswerPopups(const std::string& file) {
    g_popups.emplace(file);
    tarvik::rt::SetPopupHandler(&*g_popups);
}

std::string LastPopupMessage() {
    return g_popups ? g_popups->last : std::string();
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string JsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", value);
    return text;
}

std::string JsonInteger(long long value) {
    return std::to_string(value);
}

std::string JsonArray(const std::vector<std::string>& elements) {
    std::string out = "[";
    for (size_t i = 0; i < elements.size(); ++i) out += (i ? "," : "") + elements[i];
    return out + "]";
}

void PrintResult(const std::string& command, const Result& result, bool json) {
    if (json) {
        std::string out = "{\"command\":" + JsonString(command);
        for (const auto& [name, value] : result.fields) out += "," + JsonString(name) + ":" + value;
        out += ",\"status\":" + JsonInteger(result.status);
        if (result.status != 0) out += ",\"error\":" + JsonString(result.error);
        std::printf("%s}\n", out.c_str());
    } else {
        for (const std::string& line : result.lines) std::printf("%s\n", line.c_str());
        if (result.status != 0 && !result.error.empty()) Complain(result.error);
    }
    std::fflush(stdout);
}

}  // namespace cli
