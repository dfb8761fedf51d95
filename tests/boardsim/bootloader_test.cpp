// The bootloader's line protocol: presence test, record checks, kept lines, its faults, and
// how the board gets into and out of it.

#include <gtest/gtest.h>

#include <string>

#include "pty_client.h"

namespace boardsim_test {
namespace {

const Bytes kAck{0x13, 0x06, 0x11};
const Bytes kNak{0x13, 0x15, 0x11};

Bytes line(const std::string& text) {
    Bytes b(text.begin(), text.end());
    b.push_back(0x0D);
    return b;
}

class Bootloader : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(bench.started) << bench.startError;
        bench.board.setBootloaderMode(true);
    }
    Bytes sendLine(const std::string& text, int timeoutMs = 2000) {
        bench.client.send(line(text));
        return bench.client.read(3, timeoutMs);
    }
    Bench bench;
};

TEST_F(Bootloader, AcknowledgesPresenceTestAndGoodRecords) {
    EXPECT_EQ(sendLine(""), kAck);
    EXPECT_EQ(sendLine(":10010000214601360121470136007EFE09D2190140"), kAck);
    EXPECT_EQ(sendLine(":0400000A01020304E8"), kNak);  // record type 0x0A does not exist
    EXPECT_EQ(sendLine(":020000040800f2"), kAck);      // lower-case digits are hex too
    EXPECT_EQ(bench.board.bootloaderLines(),
              (std::vector<std::string>{":10010000214601360121470136007EFE09D2190140",
                                        ":0400000A01020304E8", ":020000040800f2"}));
}

TEST_F(Bootloader, RefusesMalformedRecords) {
    for (const std::string bad : {
             "10010000214601360121470136007EFE09D2190140",   // no colon
             ":10010000214601360121470136007EFE09D2190141",  // checksum
             ":11010000214601360121470136007EFE09D219013F",  // count says 17 bytes, has 16
             ":100100002146013601214701360Z7EFE09D2190140",  // not a hex digit
             ":0000000",                                     // odd number of digits
             ":00000001",                                    // too short for a record
             ":00000001FF\n",                                // line end sent along
         }) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(sendLine(bad), kNak);
    }
    EXPECT_EQ(sendLine(":" + std::string(2000, '0')), kNak);  // over-long, kept bounded
    EXPECT_EQ(sendLine(":00000001FF"), kAck);
}

TEST_F(Bootloader, BadAnswerFaultChangesOneByteOfOneLine) {
    bench.board.setBootloaderBadAnswer(2, 1, 0x06 + 1);
    bench.board.setBootloaderBadAnswer(0, 0, 0x00);
    EXPECT_EQ(sendLine(""), (Bytes{0x00, 0x06, 0x11}));
    EXPECT_EQ(sendLine(":0100000000FF"), kAck);
    EXPECT_EQ(sendLine(":0100000000FF"), (Bytes{0x13, 0x07, 0x11}));
    EXPECT_EQ(sendLine(":0100000000FF"), kAck);
}

TEST_F(Bootloader, SilentFromLineK) {
    bench.board.setBootloaderSilentFrom(2);
    EXPECT_EQ(sendLine(""), kAck);
    EXPECT_EQ(sendLine(":0100000000FF"), kAck);
    EXPECT_TRUE(sendLine(":0100000000FF", 300).empty());
    EXPECT_TRUE(sendLine("", 300).empty());
    EXPECT_EQ(bench.board.bootloaderLines().size(), 2u);
    bench.board.clearFaults();
    EXPECT_EQ(sendLine(":0100000000FF"), kAck);
}

TEST_F(Bootloader, LoneCarriageReturnEntersAndEndOfFileLeaves) {
    bench.board.setBootloaderMode(false);
    EXPECT_EQ(bench.readRegister(0), 0x0012u);
    // The upgrade's presence test where a frame would start.
    EXPECT_EQ(sendLine(""), kAck);
    EXPECT_TRUE(bench.board.bootloaderMode());
    EXPECT_EQ(sendLine(":0100000000FF"), kAck);
    EXPECT_EQ(sendLine(":00000001FF"), kAck);
    EXPECT_FALSE(bench.board.bootloaderMode());
    EXPECT_EQ(bench.board.bootloaderLines().size(), 2u);
    EXPECT_EQ(bench.readRegister(0), 0x0012u);

    bench.board.setAutoBootloader(false);
    EXPECT_TRUE(sendLine("", 400).empty());
    EXPECT_FALSE(bench.board.bootloaderMode());
    EXPECT_EQ(bench.readRegister(0), 0x0012u);
}

TEST_F(Bootloader, AnswersLineByLineWhenSentTogether) {
    Bytes both = line(":0100000000FF");
    const Bytes bad = line(":0100000000FE");
    both.insert(both.end(), bad.begin(), bad.end());
    bench.client.send(both);
    Bytes expected = kAck;
    expected.insert(expected.end(), kNak.begin(), kNak.end());
    EXPECT_EQ(bench.client.read(6), expected);
}

}  // namespace
}  // namespace boardsim_test
