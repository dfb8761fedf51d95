#include "runtime/ini_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

namespace {

constexpr const char* kGeneralGroup = "General";
constexpr int kHexBase = 16;
constexpr int kOctalBase = 8;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string trimmed(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && (isBlank(text[end - 1]) || text[end - 1] == '\r')) --end;
    return text.substr(begin, end - begin);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A code point as UTF-8.
void appendUtf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Keys and group names: %XX is a byte of Latin-1, %UXXXX a UTF-16 unit.
std::string unescapedKey(const std::string& key) {
    std::string out;
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (key[i] == '%' && i + 2 < key.size() && hexValue(key[i + 1]) >= 0 &&
            hexValue(key[i + 2]) >= 0) {
            appendUtf8(out, static_cast<unsigned long>(hexValue(key[i + 1]) * kHexBase +
                                                       hexValue(key[i + 2])));
            i += 2;
        } else if (key[i] == '%' && i + 5 < key.size() && key[i + 1] == 'U') {
            unsigned long code = 0;
            bool digits = true;
            for (std::size_t d = i + 2; d < i + 6; ++d) {
                digits = digits && hexValue(key[d]) >= 0;
                code = code * kHexBase + static_cast<unsigned long>(std::max(hexValue(key[d]), 0));
            }
            if (!digits) {
                out += key[i];
                continue;
            }
            appendUtf8(out, code);
            i += 5;
        } else {
            out += key[i];
        }
    }
    return out;
}

std::string escapedKey(const std::string& key) {
    std::string out;
    for (const char c : key) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (std::isalnum(u) || c == '-' || c == '_' || c == '.') {
            out += c;
        } else {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", u);
            out += code;
        }
    }
    return out;
}

// The value after "key=": quoted runs, backslash escapes, commas between the items of a
// list (joined again by a comma), and the '@' that QSettings doubles at a value's start.
std::string unescapedValue(const std::string& raw) {
    std::string out;
    bool quoted = false;
    std::size_t pendingBlanks = 0;  // unquoted blanks, kept only if more follows
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '"') {
            quoted = !quoted;
            out.append(pendingBlanks, ' ');
            pendingBlanks = 0;
            continue;
        }
        if (!quoted && isBlank(c)) {
            ++pendingBlanks;
            continue;
        }
        if (!quoted && c == ';') break;
        if (!quoted && c == ',') {
            pendingBlanks = 0;
            out += ',';
            continue;
        }
        out.append(pendingBlanks, ' ');
        pendingBlanks = 0;
        if (c != '\\' || i + 1 == raw.size()) {
            out += c;
            continue;
        }
        const char e = raw[++i];
        switch (e) {
            case 'a':
                out += '\a';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'v':
                out += '\v';
                break;
            case 'x': {
                unsigned long code = 0;
                while (i + 1 < raw.size() && hexValue(raw[i + 1]) >= 0)
                    code = code * kHexBase + static_cast<unsigned long>(hexValue(raw[++i]));
                appendUtf8(out, code);
                break;
            }
            default:
                if (e >= '0' && e <= '7') {
                    unsigned long code = static_cast<unsigned long>(e - '0');
                    while (i + 1 < raw.size() && raw[i + 1] >= '0' && raw[i + 1] <= '7')
                        code = code * kOctalBase + static_cast<unsigned long>(raw[++i] - '0');
                    appendUtf8(out, code);
                } else {
                    out += e;  // \" \' \? \\ and anything else stand for themselves
                }
        }
    }
    if (out.size() >= 2 && out[0] == '@' && out[1] == '@') return out.substr(1);
    return out;
}

struct Line {
    std::string text;
    std::string group;  // the group the line is in
    std::string key;    // unescaped; empty for a section header, a comment or a blank line
    std::string raw;    // the value as written
};

std::vector<Line> parsed(const std::string& text) {
    std::vector<Line> lines;
    std::string group;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        Line line{text.substr(at, end - at), group, {}, {}};
        const std::string content = trimmed(line.text);
        if (content.size() >= 2 && content.front() == '[' && content.back() == ']') {
            group = unescapedKey(trimmed(content.substr(1, content.size() - 2)));
            line.group = group;
        } else if (!content.empty() && content[0] != ';' && content[0] != '#') {
            const std::size_t equals = content.find('=');
            if (equals != std::string::npos) {
                line.key = unescapedKey(trimmed(content.substr(0, equals)));
                line.raw = trimmed(content.substr(equals + 1));
            }
        }
        lines.push_back(std::move(line));
        at = end + 1;
    }
    return lines;
}

std::string groupOf(const std::string& group) {
    return group.empty() ? kGeneralGroup : group;
}

}  // namespace

std::string IniEscapedValue(const std::string& value) {
    std::string out = !value.empty() && value[0] == '@' ? "@" : "";
    bool quote = !value.empty() && (isBlank(value.front()) || isBlank(value.back()));
    bool hexBefore = false;  // a hex digit right after a \x escape must be escaped too
    for (const char c : value) {
        const bool wasHex = hexBefore;
        hexBefore = false;
        switch (c) {
            case '\0':
                out += "\\0";
                continue;
            case '"':
                out += "\\\"";
                continue;
            case '\\':
                out += "\\\\";
                continue;
            case '\a':
                out += "\\a";
                continue;
            case '\b':
                out += "\\b";
                continue;
            case '\f':
                out += "\\f";
                continue;
            case '\n':
                out += "\\n";
                continue;
            case '\r':
                out += "\\r";
                continue;
            case '\t':
                out += "\\t";
                continue;
            case '\v':
                out += "\\v";
                continue;
            case ';':
            case ',':
                quote = true;
                break;
            default:
                break;
        }
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || (wasHex && hexValue(c) >= 0)) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%x", u);
            out += code;
            hexBefore = true;
        } else {
            out += c;
        }
    }
    return quote ? "\"" + out + "\"" : out;
}

std::optional<std::string> IniValue(const std::string& text, const std::string& group,
                                    const std::string& key) {
    std::optional<std::string> found;
    // The last line for a key holds, as in QSettings.
    for (const Line& line : parsed(text))
        if (!line.key.empty() && groupOf(line.group) == groupOf(group) && line.key == key)
            found = unescapedValue(line.raw);
    return found;
}

std::string IniWithValue(const std::string& text, const std::string& group, const std::string& key,
                         const std::string& value) {
    const std::string wanted = groupOf(group);
    const std::string entry = escapedKey(key) + "=" + IniEscapedValue(value);
    std::vector<Line> lines = parsed(text);
    int replaced = -1, lastOfGroup = -1;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        if (groupOf(lines[i].group) != wanted) continue;
        if (lines[i].key == key) replaced = i;
        // A group's last line that is not blank: what is added goes after it.
        if (!trimmed(lines[i].text).empty()) lastOfGroup = i;
    }
    const bool hasHeader = [&] {
        for (const Line& line : lines)
            if (line.key.empty() && groupOf(line.group) == wanted &&
                trimmed(line.text).rfind('[', 0) == 0)
                return true;
        return false;
    }();
    if (replaced >= 0) {
        lines[replaced].text = entry;
    } else if (hasHeader && lastOfGroup >= 0) {
        lines.insert(lines.begin() + lastOfGroup + 1, Line{entry, wanted, key, {}});
    } else {
        while (!lines.empty() && trimmed(lines.back().text).empty()) lines.pop_back();
        if (!lines.empty()) lines.push_back(Line{"", {}, {}, {}});
        lines.push_back(Line{"[" + escapedKey(wanted) + "]", wanted, {}, {}});
        lines.push_back(Line{entry, wanted, key, {}});
    }
    std::string out;
    for (const Line& line : lines) {
        if (&line == &lines.back() && line.text.empty()) break;
        out += line.text + "\n";
    }
    return out;
}
