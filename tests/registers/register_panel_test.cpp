// The register section against the virtual board: address forms, the value
// in both formats, confirmed and unconfirmed writes, failure markers.
#include "registers/register_panel.h"

#include <string>

#include "app/Tarviktest.h"
#include "app/shell.h"
#include "link/connection.h"
#include "runtime/userint.h"
#include "tests/registers/connection_warning.h"
#include "tests/support/board_fixture.h"

namespace {

constexpr uint16_t kDacCodeRegister = 0x20;   // read/write on the board
constexpr uint16_t kAdcCountRegister = 0x30;  // read-only: a write reads back the count

class RegisterPanelTest : public BoardTest {
  protected:
    void SetUp() override {
        BoardTest::SetUp();
        connectQuickly();
    }
    void useDecimal() { click(PANEL_REG_DECIMAL); }
    void writeRegister(const std::string& address, const std::string& value,
                       const std::string& mask) {
        setText(PANEL_REG_ADDRESS, address);
        setText(PANEL_REG_VALUE, value);
        setText(PANEL_REG_MASK, mask);
        click(PANEL_WRITE_REGISTER);
    }
};

struct AddressForm {
    bool decimal;
    const char* text;
    uint32_t addressWord;  // last request word, checksum included
    const char* shown;     // no register 0x1F on the board; 0 is the version, 1 the temperature
};

class RegisterAddressTest : public RegisterPanelTest,
                            public ::testing::WithParamInterface<AddressForm> {};

TEST_P(RegisterAddressTest, ReadsTheRegisterTheTextNames) {
    const AddressForm form = GetParam();
    if (form.decimal) useDecimal();
    setText(PANEL_REG_VALUE, "0x1234");  // so that a failed read's "0" shows
    setText(PANEL_REG_ADDRESS, form.text);
    click(PANEL_READ_REGISTER);
    ASSERT_EQ(framesSent().size(), 1u);
    EXPECT_EQ(framesSent()[0], (std::vector<uint32_t>{0x42000002, form.addressWord}));
    EXPECT_EQ(text(PANEL_REG_VALUE), form.shown);
}

INSTANTIATE_TEST_SUITE_P(RegisterAddressForms, RegisterAddressTest,
                         ::testing::Values(AddressForm{false, "1F", 0x001F0063, "0"},
                                           AddressForm{false, "0x1F", 0x001F0063, "0"},
                                           AddressForm{true, "31", 0x001F0063, "0"},
                                           AddressForm{true, "0x1F", 0x00000044, "18"},
                                           AddressForm{false, "  1fz", 0x001F0063, "0"},
                                           AddressForm{false, "10001", 0x00010045, "0x01F4"}));

TEST_F(RegisterPanelTest, ReadShowsTheValueInTheSelectedFormat) {
    board.setReg(kDacCodeRegister, 171);
    setText(PANEL_REG_ADDRESS, "20");
    click(PANEL_READ_REGISTER);
    EXPECT_EQ(text(PANEL_REG_VALUE), "0x00AB");

    useDecimal();
    setText(PANEL_REG_ADDRESS, "32");
    click(PANEL_READ_REGISTER);
    EXPECT_EQ(text(PANEL_REG_VALUE), "171");
    EXPECT_TRUE(popups.popups.empty());
}

TEST_F(RegisterPanelTest, ConfirmedWriteShowsTheValueInCanonicalForm) {
    writeRegister("20", "ff", "FFFF");
    EXPECT_EQ(framesSent(),
              (std::vector<std::vector<uint32_t>>{{0x41000003, 0xFFFF00FF, 0x00200061}}));
    EXPECT_EQ(board.reg(kDacCodeRegister), 0x00FF);
    EXPECT_EQ(text(PANEL_REG_VALUE), "0x00FF");

    useDecimal();
    writeRegister("33", "4660", "ffff");
    EXPECT_EQ(board.reg(kDacCodeRegister + 1), 0x1234);
    EXPECT_EQ(text(PANEL_REG_VALUE), "4660");
}

TEST_F(RegisterPanelTest, MaskIsHexadecimalInEitherFormat) {
    board.setReg(kDacCodeRegister, 0x1230);
    useDecimal();
    writeRegister("32", "255", "0F");
    ASSERT_EQ(framesSent().size(), 1u);
    EXPECT_EQ(framesSent()[0][1], 0x000F00FFu);
    EXPECT_EQ(board.reg(kDacCodeRegister), 0x123F);
    // The board kept its other bits, so the read-back differs and the text stays.
    EXPECT_EQ(text(PANEL_REG_VALUE), "255");
}

TEST_F(RegisterPanelTest, UnconfirmedWriteLeavesTheTypedText) {
    board.setReg(kAdcCountRegister, 0);
    writeRegister("30", "0x00FF", "FFFF");
    EXPECT_EQ(text(PANEL_REG_VALUE), "0x00FF");
    EXPECT_EQ(lastMonitorLine().substr(0, 11), "       0000");  // the board read back 0
}

TEST_F(RegisterPanelTest, FailedWriteShowsErrAndFails) {
    shortenReceiveWait();
    board.setFault({boardsim::Fault::Kind::StatusBits, 0, 0x10});
    writeRegister("20", "00FF", "FFFF");
    EXPECT_EQ(text(PANEL_REG_VALUE), "Err");

    setText(PANEL_REG_VALUE, "00FF");
    EXPECT_EQ(SetRegister_cb(g_hmainPanel, PANEL_WRITE_REGISTER, EVENT_COMMIT, nullptr, 0, 0), -1);
    EXPECT_EQ(text(PANEL_REG_VALUE), "Err");
    EXPECT_EQ(framesSent().size(), 2u);
}

TEST_F(RegisterPanelTest, NotConnectedWarnsAndSendsNothing) {
    g_iConnection_status = 0;
    setText(PANEL_REG_VALUE, "0x0042");
    click(PANEL_READ_REGISTER);
    writeRegister("20", "0x0042", "FFFF");
    ExpectOnlyConnectionWarnings(popups, 2);
    EXPECT_EQ(text(PANEL_REG_VALUE), "0x0042");
    EXPECT_TRUE(board.received().empty());
}

}  // namespace
