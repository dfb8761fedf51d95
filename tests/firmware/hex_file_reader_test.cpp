// How a HEX file's lines become the characters the bootloader receives.
#include "firmware/hex_file_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Read {
    HexReadResult result;
    std::string data;
    HexImage image;
};

// Reads contents with room for capacity characters; the data is what was stored.
Read ReadText(const std::string& contents, int capacity = HEX_BUFFER_SIZE) {
    std::FILE* file = std::tmpfile();
    std::fwrite(contents.data(), 1, contents.size(), file);
    std::rewind(file);
    std::vector<unsigned char> buffer(capacity + 1, 0xEE);
    HexImage image;
    const HexReadResult result = ReadHexFile(file, buffer.data(), capacity, &image);
    std::fclose(file);
    EXPECT_EQ(buffer[capacity], 0xEE) << "written past the buffer";
    return {result, std::string(buffer.begin(), buffer.begin() + image.count), image};
}

const std::string kData = ":0100000011EE";  // 13 characters
const std::string kEnd = ":00000001FF";     // 11 characters

}  // namespace

// The ';', blank lines and the refusals are shown on the wire by the upgrade tests.
TEST(FirmwareHexReader, EachRecordEndsInOneCarriageReturnAndIsCounted) {
    const Read read = ReadText(kData + "\n" + kData + "\r\n" + kData + "\r" + kEnd);
    EXPECT_EQ(read.result, HEX_READ_OK);
    EXPECT_EQ(read.data, kData + "\r" + kData + "\r" + kData + "\r" + kEnd + "\r");
    EXPECT_EQ(read.image.records, 4);
    EXPECT_EQ(read.image.endOfFile, 1);
    EXPECT_EQ(ReadText(kData + "\n").image.endOfFile, 0);
    // A record cut short by ';' is kept without a line end, and nothing answers it.
    const Read cut = ReadText(kData + "\n" + kEnd + ";\n");
    EXPECT_EQ(cut.data, kData + "\r" + kEnd);
    EXPECT_EQ(cut.image.records, 1);
    EXPECT_EQ(cut.image.endOfFile, 0);
}

TEST(FirmwareHexReader, OnlyTheCarriageReturnAddedAfterTheLastRecordGoesBeyondTheLimit) {
    const int justEnough = static_cast<int>(kData.size() + 1 + kEnd.size()) + 1;
    EXPECT_EQ(ReadText(kData + "\n" + kEnd, justEnough).data, kData + "\r" + kEnd + "\r");
    EXPECT_EQ(ReadText(kData + "\r\n" + kEnd + "  \t", justEnough).result, HEX_READ_OK);
    // Its own line end counts, blanks after it do not.
    EXPECT_EQ(ReadText(kData + "\n" + kEnd + "\n", justEnough).result, HEX_READ_TOO_LARGE);
    EXPECT_EQ(ReadText(kData + "\n" + kEnd + "  \n\t\n", justEnough + 1).result, HEX_READ_OK);
    const Read over = ReadText(kData + "\n" + kData + "\n" + kEnd, justEnough);
    EXPECT_EQ(over.result, HEX_READ_TOO_LARGE);
    EXPECT_EQ(over.data, "");
    // A long run of blanks is not stored on the way, whatever its length.
    EXPECT_EQ(ReadText(kEnd + std::string(4000, ' ') + "\n", 13).result, HEX_READ_OK);
}

TEST(FirmwareHexReader, EndOfTextMarkIsDroppedOnlyAsTheFilesLastByte) {
    EXPECT_EQ(ReadText(kEnd + "\x1A").data, kEnd + "\r");
    EXPECT_EQ(ReadText(kEnd + "\n\x1A").data, kEnd + "\r");
    const Read inside = ReadText(kData + "\n\x1A\n" + kEnd + "\n");
    EXPECT_EQ(inside.result, HEX_READ_NOT_HEX);
    EXPECT_STREQ(inside.image.problem, "line 2: does not start with ':'");
}
