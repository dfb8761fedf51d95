#include "cli/report.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "cli/tell.h"

namespace cli {
namespace {

constexpr const char* kReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// The length of the valid UTF-8 sequence at text[at], or 0 when it is none.
std::size_t utf8Sequence(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned int lowest = 0;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, lowest = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, lowest = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, lowest = 0x10000;
    else
        return 0;
    if (at + length > text.size()) return 0;
    unsigned int code = lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(at + i) & 0x3Fu);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8 either.
    if (code < lowest || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
    return length;
}

}  // namespace

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        const std::size_t length = utf8Sequence(text, at);
        if (length == 0) {
            out += kReplacementCharacter;
            ++at;
            continue;
        }
        if (length > 1) {
            out.append(text, at, length);
            at += length;
            continue;
        }
        ++at;
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
    for (size_t i = 0; i < elements.size(); ++i) out.append(i ? "," : "").append(elements[i]);
    return out + "]";
}

bool WriteOutput(const std::string& text) {
    const bool written =
        std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
    if (written || errno == EPIPE) return true;
    Complain(std::string("cannot write standard output: ") + std::strerror(errno));
    return false;
}

void PrintResult(const std::string& command, const Result& result, const Options& options) {
    EndTelling();
    // The whole result in one piece: a reader that leaves early gets a part of it, never a
    // part of it elsewhere.
    std::string out;
    if (options.json) {
        out = "{\"command\":" + JsonString(command);
        for (const auto& [name, value] : result.fields)
            out.append(",").append(JsonString(name)).append(":").append(value);
        out += ",\"status\":" + JsonInteger(result.status);
        if (result.status != 0) out += ",\"error\":" + JsonString(result.error);
        out += "}\n";
    } else if (!options.quiet) {
        for (const std::string& line : result.lines) out.append(line).append("\n");
    }
    WriteOutput(out);
    if (result.status != 0 && !result.error.empty()) Complain(result.error);
}

}  // namespace cli
