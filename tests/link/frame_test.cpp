// Frame arithmetic: byte reversal, checksum, response identifier.
#include "link/frame.h"

#include <gtest/gtest.h>

#include "link/transaction.h"
#include "panel/serial_monitor.h"
#include "tests/support/console_fixture.h"

TEST(FrameTest, ByteReversalIsItsOwnInverse) {
    EXPECT_EQ(ReverseByteInWord32(0x12345678u), 0x78563412u);
    for (unsigned int w : {0u, 0xFFFFFFFFu, 0x42000002u, 0x80000001u})
        EXPECT_EQ(ReverseByteInWord32(ReverseByteInWord32(w)), w);
}

TEST(FrameTest, ChecksumSumsEveryByteModulo256) {
    EXPECT_EQ(ChecksumCount(nullptr, 0), 0);
    const unsigned int wraps[] = {0xFFFFFFFFu, 0x00000000u};
    EXPECT_EQ(ChecksumCount(wraps, 2), 0xFC);
    const unsigned int readRegister1[] = {0x42000002u, 0x00010000u};
    EXPECT_EQ(ChecksumCount(readRegister1, 2), 0x45);
    EXPECT_EQ(AddressWord(0x10001), 0x00010000u);
}

using ResponseIdTest = ConsoleTest;

TEST_F(ResponseIdTest, ResponseToAnotherCommandIsLogged) {
    g_iTXCommand_id = CMD_GET_REGISTER;
    g_uiRx_word_buf[0] = 0xC2000002u;
    EXPECT_EQ(ProcessFirstWord(), 1);
    EXPECT_TRUE(monitorLines().empty());
    g_uiRx_word_buf[0] = 0xC3000002u;
    EXPECT_EQ(ProcessFirstWord(), -1);
    EXPECT_EQ(monitorLines(), std::vector<std::string>{"ERROR: rx = 195, tx = 66"});
}
