// The four format selectors: what a commit does to the value box and to the
// selector pair.
#include <string>

#include "app/shell.h"
#include "panel/Tarviktest.h"
#include "runtime/userint.h"
#include "tests/support/console_fixture.h"
#include "tests/support/test_names.h"

namespace {

using RegisterFormatTest = ConsoleTest;

int selector(int control) {
    int on = -1;
    EXPECT_EQ(GetCtrlVal(g_hmainPanel, control, &on), 0);
    return on;
}

struct Conversion {
    int selector;
    int partner;
    int box;
    const char* before;
    const char* after;
    const char* line;  // the monitor's line, or "" for none
};

class RegisterFormatConversionTest : public ConsoleTest,
                                     public ::testing::WithParamInterface<Conversion> {};

TEST_P(RegisterFormatConversionTest, CommitConvertsFromThePartnersForm) {
    const Conversion c = GetParam();
    // The box shows the partner's form: its selector is the one on.
    SetCtrlVal(g_hmainPanel, c.partner, 1);
    SetCtrlVal(g_hmainPanel, c.selector, 0);
    setText(c.box, c.before);
    click(c.selector);
    EXPECT_EQ(text(c.box), c.after);
    EXPECT_EQ(monitorLines(),
              *c.line ? std::vector<std::string>{c.line} : std::vector<std::string>{});
    EXPECT_EQ(selector(c.selector), 1);
    EXPECT_EQ(selector(c.partner), 0);
}

INSTANTIATE_TEST_SUITE_P(
    RegisterFormatConversions, RegisterFormatConversionTest,
    ::testing::Values(
        Conversion{PANEL_REG_FORMAT, PANEL_REG_DECIMAL, PANEL_REG_VALUE, "255", "0x00FF", ""},
        Conversion{PANEL_REG_DECIMAL, PANEL_REG_FORMAT, PANEL_REG_VALUE, "0x00FF", "255", ""},
        Conversion{PANEL_REG_DECIMAL, PANEL_REG_FORMAT, PANEL_REG_VALUE, "ab", "171", ""},
        // A failed command's marker, or a number too wide, is left for the operator to see:
        // "Err" once became 0x0000, which the next write sent.
        Conversion{PANEL_REG_FORMAT, PANEL_REG_DECIMAL, PANEL_REG_VALUE, "Err", "Err",
                   "WARNING: Register value \"Err\" not converted: not a decimal number"},
        Conversion{PANEL_REG_FORMAT, PANEL_REG_DECIMAL, PANEL_REG_VALUE, "70000", "70000",
                   "WARNING: Register value \"70000\" not converted: more than 16 bits (at most "
                   "65535)"},
        Conversion{PANEL_BLOCK_FLOAT, PANEL_BLOCK_FORMAT, PANEL_BLOCK_VALUE, "0x3F800000", "1.000",
                   ""},
        Conversion{PANEL_BLOCK_FLOAT, PANEL_BLOCK_FORMAT, PANEL_BLOCK_VALUE, "C0200000", "-2.500",
                   ""},
        Conversion{PANEL_BLOCK_FORMAT, PANEL_BLOCK_FLOAT, PANEL_BLOCK_VALUE, "1.000", "0x3F800000",
                   ""},
        Conversion{PANEL_BLOCK_FORMAT, PANEL_BLOCK_FLOAT, PANEL_BLOCK_VALUE, "-2.5", "0xC0200000",
                   ""},
        Conversion{PANEL_BLOCK_FORMAT, PANEL_BLOCK_FLOAT, PANEL_BLOCK_VALUE, "Error", "Error",
                   "WARNING: Block value \"Error\" not converted: not a finite decimal number"},
        Conversion{PANEL_BLOCK_FLOAT, PANEL_BLOCK_FORMAT, PANEL_BLOCK_VALUE, "Error", "Error",
                   "WARNING: Block value \"Error\" not converted: not a hexadecimal number"}),
    [](const ::testing::TestParamInfo<Conversion>& info) {
        return CaseName(ControlName(info.param.selector) + "_from_" + info.param.before,
                        info.index);
    });

TEST_F(RegisterFormatTest, SelectorsNameTheFormTheBoxShows) {
    setText(PANEL_REG_VALUE, "0x00FF");
    const int pairs[][2] = {{PANEL_REG_DECIMAL, PANEL_REG_FORMAT},
                            {PANEL_BLOCK_FLOAT, PANEL_BLOCK_FORMAT}};
    for (const auto& pair : pairs) {
        // Away from the default and back: each commit leaves exactly the operated one on.
        for (int operated : {pair[0], pair[1], pair[1]}) {
            const int partner = operated == pair[0] ? pair[1] : pair[0];
            click(operated);
            EXPECT_EQ(selector(operated), 1) << operated;
            EXPECT_EQ(selector(partner), 0) << partner;
        }
    }
}

TEST_F(RegisterFormatTest, CommittingTheFormatAlreadySelectedConvertsNothing) {
    setText(PANEL_REG_VALUE, "0x00FF");
    ASSERT_EQ(selector(PANEL_REG_FORMAT), 1);
    click(PANEL_REG_FORMAT);
    click(PANEL_REG_FORMAT);
    EXPECT_EQ(text(PANEL_REG_VALUE), "0x00FF");
    click(PANEL_REG_DECIMAL);
    EXPECT_EQ(text(PANEL_REG_VALUE), "255");
    click(PANEL_REG_DECIMAL);
    EXPECT_EQ(text(PANEL_REG_VALUE), "255");

    setText(PANEL_BLOCK_VALUE, "0x3F800000");
    click(PANEL_BLOCK_FLOAT);
    click(PANEL_BLOCK_FLOAT);
    EXPECT_EQ(text(PANEL_BLOCK_VALUE), "1.000");
    click(PANEL_BLOCK_FORMAT);
    click(PANEL_BLOCK_FORMAT);
    EXPECT_EQ(text(PANEL_BLOCK_VALUE), "0x3F800000");
    EXPECT_TRUE(monitorLines().empty());
}

}  // namespace
