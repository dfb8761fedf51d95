// How a HEX file's bytes become the characters the bootloader receives.
#include "firmware/hex_file_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Read {
    HexReadResult result;
    std::string data;
};

// Reads contents with room for capacity characters; the data is what was stored.
Read ReadText(const std::string& contents, int capacity = HEX_BUFFER_SIZE) {
    std::FILE* file = std::tmpfile();
    std::fwrite(contents.data(), 1, contents.size(), file);
    std::rewind(file);
    std::vector<unsigned char> buffer(capacity + 1, 0xEE);
    int count = -1;
    const HexReadResult result = ReadHexFile(file, buffer.data(), capacity, &count);
    std::fclose(file);
    EXPECT_EQ(buffer[capacity], 0xEE) << "written past the buffer";
    return {result, std::string(buffer.begin(), buffer.begin() + count)};
}

}  // namespace

// The ';' and the missing last line end are shown on the wire by the upgrade tests.
TEST(FirmwareHexReader, EachLineEndBecomesOneCarriageReturnAndOtherBytesPassUnchanged) {
    EXPECT_EQ(ReadText("A\nB\r\nC\rD\n").data, "A\rB\rC\rD\r");
    EXPECT_EQ(ReadText("\n\r\n").data, "\r\r");                     // empty lines stay lines
    const std::string bytes{'\0', '\xFF', '\x7F', ':', '\t', 'z'};  // 0xFF is no end of file
    EXPECT_EQ(ReadText(bytes + "\n").data, bytes + "\r");
}

TEST(FirmwareHexReader, DataThatFillsTheBufferExactlyFitsAndOneMoreIsRefused) {
    EXPECT_EQ(ReadText("ABC\n", 4).result, HEX_READ_OK);
    EXPECT_EQ(ReadText("AB\r\n", 3).data, "AB\r");                // the pair needs one place
    EXPECT_EQ(ReadText("ABCD;tail beyond", 4).data, "ABCD");      // what follows ';' needs none
    for (const std::string over : {"ABCD\n", "ABCDE", "ABCD"}) {  // the last one for its added CR
        SCOPED_TRACE(over);
        const Read read = ReadText(over, 4);
        EXPECT_EQ(read.result, HEX_READ_TOO_LARGE);
        EXPECT_EQ(read.data, "");
    }
    const std::string full(HEX_BUFFER_SIZE - 1, '0');
    EXPECT_EQ(ReadText(full + "\n").result, HEX_READ_OK);
    EXPECT_EQ(ReadText(full + "0\n").result, HEX_READ_TOO_LARGE);
}
