#include "firmware/hex_file_reader.h"

#include "firmware/bootloader_bytes.h"

namespace {

constexpr int kCommentStart = ';';
constexpr int kEndOfText = 0x1A;

bool isBlank(int c) {
    return c == ' ' || c == '\t';
}

enum class LineEnd { kLineEnd, kComment, kEndOfFile, kTooLarge };

struct Line {
    int length = 0;  // characters up to and including the last one that is not blank
    LineEnd end = LineEnd::kEndOfFile;
};

// Reads one line into text, which has room for room characters. Blanks beyond the room are
// only counted: they are dropped if nothing but blanks follows them on the line.
Line readLine(std::FILE* file, unsigned char* text, int room) {
    Line line;
    int read = 0;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
        if (c == '\n') {
            line.end = LineEnd::kLineEnd;
            return line;
        }
        if (c == '\r') {
            // Text mode here passes a CR LF pair through as it is; it is still one line end.
            const int next = std::fgetc(file);
            if (next != '\n' && next != EOF) std::ungetc(next, file);
            line.end = LineEnd::kLineEnd;
            return line;
        }
        if (c == kCommentStart) {
            line.end = LineEnd::kComment;
            return line;
        }
        if (c == kEndOfText) {
            const int next = std::fgetc(file);
            if (next == EOF) break;
            std::ungetc(next, file);
        }
        if (read < room) text[read] = static_cast<unsigned char>(c);
        ++read;
        if (isBlank(c)) continue;
        line.length = read;
        if (line.length > room) {
            line.end = LineEnd::kTooLarge;
            return line;
        }
    }
    line.end = LineEnd::kEndOfFile;
    return line;
}

// Checks a line that is not blank: a record, and not one after the end-of-file record.
// Returns its record type, or -1 with the problem in image->problem.
int checkLine(const unsigned char* text, int length, int lineNumber, bool afterEndOfFile,
              HexImage* image) {
    char problem[HEX_PROBLEM_SIZE];
    const int type = CheckHexRecord(text, length, problem, sizeof problem);
    if (type >= 0 && !afterEndOfFile) return type;
    std::snprintf(image->problem, sizeof image->problem, "line %d: %s", lineNumber,
                  type >= 0 ? "record after the end-of-file record" : problem);
    return -1;
}

}  // namespace

HexReadResult ReadHexFile(std::FILE* file, unsigned char* buffer, int capacity, HexImage* image) {
    *image = HexImage{};
    // The last place is kept for the carriage return added after a last record.
    const int limit = capacity - 1;
    int stored = 0, records = 0;
    bool endOfFile = false;
    for (int lineNumber = 1;; ++lineNumber) {
        unsigned char* text = buffer + stored;
        const Line line = readLine(file, text, limit - stored);
        if (std::ferror(file)) return HEX_READ_FAILED;
        const bool ended = line.end == LineEnd::kLineEnd;
        if (line.end == LineEnd::kTooLarge) return HEX_READ_TOO_LARGE;
        if (line.length > 0) {
            // Only a record's line end is stored, and it counts.
            if (ended && stored + line.length + 1 > limit) return HEX_READ_TOO_LARGE;
            const int type = checkLine(text, line.length, lineNumber, endOfFile, image);
            if (type < 0) return HEX_READ_NOT_HEX;
            stored += line.length;
            // A record cut short by ';' is sent as it is, and nothing answers it.
            if (line.end != LineEnd::kComment) {
                buffer[stored++] = BOOTLOADER_CR;
                ++records;
                endOfFile = endOfFile || type == HEX_RECORD_END_OF_FILE;
            }
        }
        if (!ended) break;
    }
    image->count = stored;
    image->records = records;
    image->endOfFile = endOfFile ? 1 : 0;
    return HEX_READ_OK;
}
