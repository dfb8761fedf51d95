// The register section against the virtual board: address forms, the value
// in both formats, confirmed and unconfirmed writes, failure markers.
#include "registers/register_panel.h"

#include <string>

#include "app/shell.h"
#include "link/connection.h"
#include "link/serial_link.h"
#include "panel/Tarviktest.h"
#include "runtime/userint.h"
#include "tests/support/board_fixture.h"
#include "tests/support/test_names.h"

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
};

class RegisterAddressTest : public RegisterPanelTest,
                            public ::testing::WithParamInterface<AddressForm> {};

TEST_P(RegisterAddressTest, ReadsTheRegisterTheTextNames) {
    const AddressForm form = GetParam();
    if (form.decimal) useDecimal();
    board.setReg(kDacCodeRegister, 171);
    setText(PANEL_REG_ADDRESS, form.text);
    click(PANEL_READ_REGISTER);
    ASSERT_EQ(framesSent().size(), 1u);
    EXPECT_EQ(framesSent()[0], (std::vector<uint32_t>{0x42000002, form.addressWord}));
    EXPECT_EQ(text(PANEL_REG_VALUE), form.decimal ? "171" : "0x00AB");
}

INSTANTIATE_TEST_SUITE_P(
    RegisterAddressForms, RegisterAddressTest,
    ::testing::Values(AddressForm{false, "20", 0x00200064}, AddressForm{false, "0x20", 0x00200064},
                      AddressForm{false, " 0X20\t", 0x00200064},
                      AddressForm{true, "32", 0x00200064}, AddressForm{true, "  32 ", 0x00200064}),
    [](const ::testing::TestParamInfo<AddressForm>& info) {
        return CaseName(std::string(info.param.decimal ? "decimal_" : "hex_") + info.param.text,
                        info.index);
    });

// A typo never reaches the board: each box's text is a number of its field or
// it is refused, with "Err" in the value box and one line saying why.
struct TypedRefusal {
    bool decimal;
    bool write;
    const char* address;
    const char* value;
    const char* mask;
    const char* line;
};

class RegisterRefusalTest : public RegisterPanelTest,
                            public ::testing::WithParamInterface<TypedRefusal> {};

TEST_P(RegisterRefusalTest, SendsNothingShowsErrAndSaysWhy) {
    const TypedRefusal r = GetParam();
    if (r.decimal) useDecimal();
    setText(PANEL_REG_ADDRESS, r.address);
    setText(PANEL_REG_VALUE, r.value);
    setText(PANEL_REG_MASK, r.mask);
    if (r.write) {
        EXPECT_EQ(SetRegister_cb(g_hmainPanel, PANEL_WRITE_REGISTER, EVENT_COMMIT, nullptr, 0, 0),
                  -1);
    } else {
        click(PANEL_READ_REGISTER);
    }
    EXPECT_EQ(text(PANEL_REG_VALUE), "Err");
    EXPECT_EQ(monitorLines(), std::vector<std::string>{r.line});
    EXPECT_TRUE(board.received().empty());
    EXPECT_TRUE(popups.popups.empty());
}

INSTANTIATE_TEST_SUITE_P(
    RegisterRefusals, RegisterRefusalTest,
    ::testing::Values(
        TypedRefusal{false, false, "1G", "", "",
                     "ERROR: Register address \"1G\" refused: not a hexadecimal number"},
        TypedRefusal{false, false, "zz", "", "",
                     "ERROR: Register address \"zz\" refused: not a hexadecimal number"},
        TypedRefusal{false, false, "", "", "",
                     "ERROR: Register address \"\" refused: not a hexadecimal number"},
        TypedRefusal{false, false, "10001", "", "",
                     "ERROR: Register address \"10001\" refused: more than 16 bits (at most "
                     "0xFFFF)"},
        TypedRefusal{true, false, "0x1F", "", "",
                     "ERROR: Register address \"0x1F\" refused: not a decimal number"},
        TypedRefusal{true, false, "-1", "", "",
                     "ERROR: Register address \"-1\" refused: not a decimal number"},
        TypedRefusal{false, true, "20", "hello", "FFFF",
                     "ERROR: Register value \"hello\" refused: not a hexadecimal number"},
        TypedRefusal{false, true, "20", "12345", "FFFF",
                     "ERROR: Register value \"12345\" refused: more than 16 bits (at most "
                     "0xFFFF)"},
        TypedRefusal{true, true, "32", "70000", "FFFF",
                     "ERROR: Register value \"70000\" refused: more than 16 bits (at most "
                     "65535)"},
        TypedRefusal{true, true, "32", "+5", "FFFF",
                     "ERROR: Register value \"+5\" refused: not a decimal number"},
        TypedRefusal{false, true, "20", "1", "1FFFF",
                     "ERROR: Write mask \"1FFFF\" refused: more than 16 bits (at most 0xFFFF)"},
        TypedRefusal{false, true, "20", "1", "GG",
                     "ERROR: Write mask \"GG\" refused: not a hexadecimal number"},
        TypedRefusal{false, true, "1G", "1", "FFFF",
                     "ERROR: Register address \"1G\" refused: not a hexadecimal number"}),
    [](const ::testing::TestParamInfo<TypedRefusal>& info) {
        const TypedRefusal& r = info.param;
        return CaseName(std::string(r.write ? "write_" : "read_") +
                            (r.decimal ? "decimal_" : "hex_") + r.address + "_" + r.value + "_" +
                            r.mask,
                        info.index);
    });

TEST_F(RegisterPanelTest, AFailedReadShowsErrNotAValue) {
    shortenReceiveWait();
    board.setReg(kDacCodeRegister, 0);
    board.setFault({.kind = boardsim::Fault::Kind::StatusBits, .status = 0x10, .count = 1});
    setText(PANEL_REG_ADDRESS, "20");
    click(PANEL_READ_REGISTER);
    EXPECT_EQ(text(PANEL_REG_VALUE), "Err");
    // A register that holds 0 shows 0: the two can no longer be confused.
    click(PANEL_READ_REGISTER);
    EXPECT_EQ(text(PANEL_REG_VALUE), "0x0000");
}

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
    board.setFault({.kind = boardsim::Fault::Kind::StatusBits, .status = 0x10});
    writeRegister("20", "00FF", "FFFF");
    EXPECT_EQ(text(PANEL_REG_VALUE), "Err");

    setText(PANEL_REG_VALUE, "00FF");
    EXPECT_EQ(SetRegister_cb(g_hmainPanel, PANEL_WRITE_REGISTER, EVENT_COMMIT, nullptr, 0, 0), -1);
    EXPECT_EQ(text(PANEL_REG_VALUE), "Err");
    EXPECT_EQ(framesSent().size(), 2u);
}

}  // namespace
