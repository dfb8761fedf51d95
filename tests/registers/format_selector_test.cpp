// The four format selectors: what a commit does to the value box and to the
// selector pair.
#include <string>

#include "app/Tarviktest.h"
#include "app/shell.h"
#include "runtime/userint.h"
#include "tests/support/console_fixture.h"

namespace {

using RegisterFormatTest = ConsoleTest;

int selector(int control) {
    int on = -1;
    EXPECT_EQ(GetCtrlVal(g_hmainPanel, control, &on), 0);
    return on;
}

struct Conversion {
    int selector;
    int box;
    const char* before;
    const char* after;
};

class RegisterFormatConversionTest : public ConsoleTest,
                                     public ::testing::WithParamInterface<Conversion> {};

TEST_P(RegisterFormatConversionTest, CommitConvertsFromThePartnersForm) {
    const Conversion c = GetParam();
    setText(c.box, c.before);
    click(c.selector);
    EXPECT_EQ(text(c.box), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    RegisterFormatConversions, RegisterFormatConversionTest,
    ::testing::Values(Conversion{PANEL_REG_FORMAT, PANEL_REG_VALUE, "255", "0x00FF"},
                      Conversion{PANEL_REG_DECIMAL, PANEL_REG_VALUE, "0x00FF", "255"},
                      Conversion{PANEL_REG_DECIMAL, PANEL_REG_VALUE, "ab", "171"},
                      Conversion{PANEL_REG_FORMAT, PANEL_REG_VALUE, "Err", "0x0000"},
                      Conversion{PANEL_BLOCK_FLOAT, PANEL_BLOCK_VALUE, "0x3F800000", "1.000"},
                      Conversion{PANEL_BLOCK_FLOAT, PANEL_BLOCK_VALUE, "C0200000", "-2.500"},
                      Conversion{PANEL_BLOCK_FORMAT, PANEL_BLOCK_VALUE, "1.000", "0x3F800000"},
                      Conversion{PANEL_BLOCK_FORMAT, PANEL_BLOCK_VALUE, "-2.5", "0xC0200000"},
                      // A failed transfer's marker: no number one way, the digit E the other.
                      Conversion{PANEL_BLOCK_FORMAT, PANEL_BLOCK_VALUE, "Error", "0x00000000"},
                      Conversion{PANEL_BLOCK_FLOAT, PANEL_BLOCK_VALUE, "Error", "0.000"}));

TEST_F(RegisterFormatTest, SelectorsNameTheFormTheBoxShows) {
    setText(PANEL_REG_VALUE, "0x00FF");
    const int pairs[][2] = {{PANEL_REG_DECIMAL, PANEL_REG_FORMAT},
                            {PANEL_BLOCK_FLOAT, PANEL_BLOCK_FORMAT}};
    for (const auto& pair : pairs) {
        // Away from the default and back: each commit leaves exactly the operated one on.
        for (int operated : {pair[0], pair[1]}) {
            const int partner = operated == pair[0] ? pair[1] : pair[0];
            click(operated);
            EXPECT_EQ(selector(operated), 1) << operated;
            EXPECT_EQ(selector(partner), 0) << partner;
        }
    }
}

TEST_F(RegisterFormatTest, SecondCommitOfTheSameSelectorConvertsAgain) {
    setText(PANEL_REG_VALUE, "255");
    click(PANEL_REG_FORMAT);
    EXPECT_EQ(text(PANEL_REG_VALUE), "0x00FF");
    click(PANEL_REG_FORMAT);  // 0x00FF read as decimal is 0
    EXPECT_EQ(text(PANEL_REG_VALUE), "0x0000");
    EXPECT_EQ(selector(PANEL_REG_FORMAT), 1);

    setText(PANEL_BLOCK_VALUE, "0x3F800000");
    click(PANEL_BLOCK_FLOAT);
    click(PANEL_BLOCK_FLOAT);  // 1.000 read as hexadecimal is the word 1
    EXPECT_EQ(text(PANEL_BLOCK_VALUE), "0.000");
}

}  // namespace
