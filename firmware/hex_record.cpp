#include "firmware/hex_record.h"

#include <cstdio>

namespace {

constexpr unsigned char kRecordMark = ':';
// Length, address high and low, type before the data; the checksum after it.
constexpr int kBytesBeforeData = 4;
constexpr int kBytesAroundData = kBytesBeforeData + 1;
constexpr int kLengthByte = 0;
constexpr int kTypeByte = 3;
constexpr int kByteValues = 0x100;
constexpr unsigned char kFirstPrintable = '!';
constexpr unsigned char kLastPrintable = '~';

int digitValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

int byteAt(const unsigned char* text, int index) {
    const unsigned char* digits = text + 1 + 2 * index;
    return digitValue(digits[0]) * 16 + digitValue(digits[1]);
}

// Describes a character that has no place in a record, printable ones as themselves.
void describeStrayCharacter(unsigned char c, int column, char* problem, std::size_t size) {
    if (c >= kFirstPrintable && c <= kLastPrintable)
        std::snprintf(problem, size, "'%c' at column %d is not a hexadecimal digit", c, column);
    else
        std::snprintf(problem, size, "byte 0x%02X at column %d is not a hexadecimal digit", c,
                      column);
}

}  // namespace

int CheckHexRecord(const unsigned char* text, int length, char* problem, std::size_t size) {
    if (length < 1 || text[0] != kRecordMark) {
        std::snprintf(problem, size, "does not start with ':'");
        return -1;
    }
    for (int i = 1; i < length; ++i) {
        if (digitValue(text[i]) < 0) {
            describeStrayCharacter(text[i], i + 1, problem, size);
            return -1;
        }
    }
    const int digits = length - 1;
    if (digits % 2 != 0) {
        std::snprintf(problem, size, "odd number of hexadecimal digits (%d)", digits);
        return -1;
    }
    const int bytes = digits / 2;
    if (bytes < kBytesAroundData) {
        std::snprintf(problem, size, "too short for a record (%d bytes, at least %d)", bytes,
                      kBytesAroundData);
        return -1;
    }
    const int dataBytes = bytes - kBytesAroundData;
    if (byteAt(text, kLengthByte) != dataBytes) {
        std::snprintf(problem, size, "length byte 0x%02X, but the record has %d data byte%s",
                      byteAt(text, kLengthByte), dataBytes, dataBytes == 1 ? "" : "s");
        return -1;
    }
    int sum = 0;
    for (int i = 0; i < bytes - 1; ++i) sum += byteAt(text, i);
    const int expected = (kByteValues - sum % kByteValues) % kByteValues;
    const int checksum = byteAt(text, bytes - 1);
    if (checksum != expected) {
        std::snprintf(problem, size, "checksum 0x%02X, expected 0x%02X", checksum, expected);
        return -1;
    }
    const int type = byteAt(text, kTypeByte);
    if (type > HEX_RECORD_LAST_TYPE) {
        std::snprintf(problem, size, "unknown record type 0x%02X", type);
        return -1;
    }
    return type;
}
