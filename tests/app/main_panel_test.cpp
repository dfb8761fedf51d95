// The main panel as start-up leaves it: title, run-time rows, ids, tab order,
// and the panel file against the program's table of controls.
#include <QAccessible>
#include <QWidget>
#include <cstring>

#include "app/panel_contract.h"
#include "app/shell.h"
#include "link/connection.h"
#include "link/serial_link.h"
#include "link/transaction.h"
#include "panel/Tarviktest.h"
#include "panel/serial_monitor.h"
#include "runtime/cvirte.h"
#include "runtime/qt_access.h"
#include "runtime/userint.h"
#include "tests/support/console_fixture.h"

using MainPanelTest = ConsoleTest;

namespace {
int attribute(int control, int attr) {
    int value = -12345;
    EXPECT_EQ(GetCtrlAttribute(g_hmainPanel, control, attr, &value), 0);
    return value;
}
// The next widget in the focus chain that is a control (not a control's inner part or a label).
QWidget* nextControl(QWidget* w) {
    for (w = w->nextInFocusChain(); w; w = w->nextInFocusChain()) {
        if (!(w->focusPolicy() & Qt::TabFocus)) continue;
        for (int id = 1; id < 1000; ++id)
            if (tarvik::rt::ControlWidget(g_hmainPanel, id) == w) return w;
    }
    return nullptr;
}
bool isRunTimeControl(int id) {
    char name[64];
    return GetCtrlAttribute(g_hmainPanel, id, ATTR_CONSTANT_NAME, name) == 0 && name[0] == '\0';
}
std::string accessibleName(int control) {
    QWidget* w = tarvik::rt::ControlWidget(g_hmainPanel, control);
    return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).toStdString();
}
}  // namespace

TEST_F(MainPanelTest, TitleIsVersionedAndNothingElse) {
    char title[256];
    ASSERT_EQ(GetPanelAttribute(g_hmainPanel, ATTR_TITLE, title, sizeof title), 0);
    EXPECT_STREQ(title, "Tarvikdebug Version 1.0.14");
}

TEST_F(MainPanelTest, InitSetsDefaults) {
    g_iBusy = 1;
    g_iConnection_status = 1;
    g_iSerial_comm_cnt = 7;
    g_iTimer_cnt = 9;
    g_iTimeout_val = 0;
    init();
    EXPECT_EQ(g_iBusy, 0);
    EXPECT_EQ(g_iConnection_status, 0);
    EXPECT_EQ(g_iSerial_comm_cnt, 0);
    EXPECT_EQ(g_iTimer_cnt, 0);
    EXPECT_EQ(g_iTimeout_val, 2);
}

TEST_F(MainPanelTest, ChannelRowsAreLaidOutBelowChannelOne) {
    EXPECT_EQ(g_iCidAdc_volt1_box[0], 11);
    EXPECT_EQ(g_iCidAdc_volt2_box[0], 12);
    EXPECT_EQ(g_iCidDac_volt1_box[0], 6);
    EXPECT_EQ(g_iCidDac_volt2_box[0], 9);

    struct Block {
        const int* volt1;
        const int* volt2;
        int gap;
    };
    for (Block b : {Block{g_iCidAdc_volt1_box, g_iCidAdc_volt2_box, 8},
                    Block{g_iCidDac_volt1_box, g_iCidDac_volt2_box, 7}}) {
        const int top = attribute(b.volt1[0], ATTR_TOP),
                  height = attribute(b.volt1[0], ATTR_HEIGHT);
        for (int i = 1; i < CHANNEL_COUNT; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(attribute(b.volt1[i], ATTR_TOP), top + i * (height + b.gap));
            EXPECT_EQ(attribute(b.volt2[i], ATTR_TOP), top + i * (height + b.gap));
            EXPECT_EQ(attribute(b.volt1[i], ATTR_LEFT), attribute(b.volt1[0], ATTR_LEFT));
            EXPECT_EQ(attribute(b.volt2[i], ATTR_LEFT), attribute(b.volt2[0], ATTR_LEFT));
            EXPECT_EQ(attribute(b.volt1[i], ATTR_DATA_TYPE), VAL_FLOAT);
            EXPECT_EQ(attribute(b.volt1[i], ATTR_NUM_DISPLAY_SETTING), 0);
            // New ids come in channel order.
            EXPECT_GT(b.volt2[i], b.volt1[i]);
            if (i > 1) {
                EXPECT_GT(b.volt1[i], b.volt2[i - 1]);
            }
        }
    }
}

TEST_F(MainPanelTest, RunTimeLabelsNameChannelsTwoToSixteen) {
    // Every control made at run time is either a listed box or a label.
    int labels = 0, boxes = 0;
    std::vector<std::string> texts;
    for (int id = 1; id < 1000; ++id) {
        int style = 0;
        if (!isRunTimeControl(id) ||
            GetCtrlAttribute(g_hmainPanel, id, ATTR_CTRL_STYLE, &style) < 0)
            continue;
        if (style == CTRL_TEXT_MSG) {
            ++labels;
            char text[64];
            GetCtrlVal(g_hmainPanel, id, text);
            texts.push_back(text);
        } else if (style == CTRL_NUMERIC) {
            ++boxes;
        }
    }
    EXPECT_EQ(boxes, 60);
    EXPECT_EQ(labels, 30);
    for (int k = 2; k <= 16; ++k)
        EXPECT_EQ(std::count(texts.begin(), texts.end(), "Channel " + std::to_string(k)), 2) << k;
}

TEST_F(MainPanelTest, TabOrderRunsRowByRowAfterChannelOne) {
    for (auto [volt1, volt2] : {std::pair{g_iCidAdc_volt1_box, g_iCidAdc_volt2_box},
                                std::pair{g_iCidDac_volt1_box, g_iCidDac_volt2_box}}) {
        int position = attribute(volt2[0], ATTR_CTRL_TAB_POSITION);
        for (int i = 1; i < CHANNEL_COUNT; ++i) {
            EXPECT_EQ(attribute(volt1[i], ATTR_CTRL_TAB_POSITION), ++position);
            EXPECT_EQ(attribute(volt2[i], ATTR_CTRL_TAB_POSITION), ++position);
        }
        // Qt's focus chain, which Tab follows, has the same order.
        QWidget* w = tarvik::rt::ControlWidget(g_hmainPanel, volt2[0]);
        for (int i = 1; i < CHANNEL_COUNT; ++i) {
            EXPECT_EQ(w = nextControl(w), tarvik::rt::ControlWidget(g_hmainPanel, volt1[i]));
            EXPECT_EQ(w = nextControl(w), tarvik::rt::ControlWidget(g_hmainPanel, volt2[i]));
        }
    }
}

TEST_F(MainPanelTest, PanelFileMatchesTheProgramsTable) {
    char why[256] = "";
    EXPECT_EQ(CheckMainPanel(g_hmainPanel, why, sizeof why), 1) << why;
    for (int i = 0; i < g_mainPanelControlCount; ++i) {
        const PanelControlEntry& entry = g_mainPanelControls[i];
        SCOPED_TRACE(entry.constant);
        char name[128];
        ASSERT_EQ(GetCtrlAttribute(g_hmainPanel, entry.id, ATTR_CONSTANT_NAME, name), 0);
        EXPECT_STREQ(name, entry.constant);
        if (*entry.label) {
            char label[128];
            GetCtrlAttribute(g_hmainPanel, entry.id, ATTR_LABEL_TEXT, label);
            EXPECT_STREQ(label, entry.label);
            EXPECT_EQ(accessibleName(entry.id), entry.label);
        }
    }
    EXPECT_EQ(accessibleName(PANEL_SERIAL_WINDOW), "Serial monitor");
    EXPECT_EQ(accessibleName(PANEL_UPGRADE_PROGRESS), "Upgrade progress");
    // Nothing to cancel before an upgrade runs.
    EXPECT_EQ(attribute(PANEL_CANCEL_UPGRADE, ATTR_DIMMED), 1);
    // The timer runs from start-up: the program never starts it.
    EXPECT_EQ(attribute(PANEL_TIMER, ATTR_ENABLED), 1);
}

TEST_F(MainPanelTest, EveryPanelControlIsInTheTable) {
    for (int id = 1; id < 1000; ++id) {
        int style = 0;
        if (isRunTimeControl(id) || GetCtrlAttribute(g_hmainPanel, id, ATTR_CTRL_STYLE, &style) < 0)
            continue;
        bool listed = false;
        for (int i = 0; i < g_mainPanelControlCount; ++i) listed |= g_mainPanelControls[i].id == id;
        EXPECT_TRUE(listed) << "control " << id << " is in the panel file but not in the table";
    }
}

TEST_F(MainPanelTest, QuitActsOnCommitOnly) {
    Close_CB(g_hmainPanel, PANEL_QUIT, EVENT_TIMER_TICK, nullptr, 0, 0);
    QuitUserInterface(-5);  // a quit asked for by the test itself, so the loop can end
    EXPECT_EQ(RunUserInterface(), -5);

    click(PANEL_QUIT);
    EXPECT_EQ(RunUserInterface(), 0) << "the click's quit was not kept for the loop";
}

TEST_F(MainPanelTest, TitleBarCloseOperatesQuit) {
    QWidget* window = tarvik::rt::PanelWidget(g_hmainPanel)->window();
    window->close();
    EXPECT_EQ(RunUserInterface(), 0);
    EXPECT_TRUE(window->isVisible());
}
