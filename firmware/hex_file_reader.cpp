#include "firmware/hex_file_reader.h"

#include "firmware/bootloader_bytes.h"

namespace {
constexpr int kCommentStart = ';';
}

HexReadResult ReadHexFile(std::FILE* file, unsigned char* buffer, int capacity, int* count) {
    *count = 0;
    int stored = 0;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
        if (c == kCommentStart) {
            *count = stored;
            return HEX_READ_OK;
        }
        if (c == '\r') {
            // Text mode here passes a CR LF pair through as it is; it is still one line end.
            const int next = std::fgetc(file);
            if (next != '\n' && next != EOF) std::ungetc(next, file);
        }
        if (stored >= capacity) return HEX_READ_TOO_LARGE;
        const bool lineEnd = c == '\r' || c == '\n';
        buffer[stored++] = static_cast<unsigned char>(lineEnd ? int{BOOTLOADER_CR} : c);
    }
    if (std::ferror(file)) return HEX_READ_FAILED;
    if (stored > 0 && buffer[stored - 1] != BOOTLOADER_CR) {
        if (stored >= capacity) return HEX_READ_TOO_LARGE;
        buffer[stored++] = BOOTLOADER_CR;
    }
    *count = stored;
    return HEX_READ_OK;
}
