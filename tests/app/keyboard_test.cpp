// The main panel driven with the keyboard alone and read as a screen reader
// reads it: names, roles and descriptions from the accessibility tree,
// mnemonics and shortcut keys, Return in the address boxes, the tab order, and
// where the focus goes when the buttons under it are dimmed or relabelled.
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <set>
#include <string>
#include <vector>

#include "app/panel_contract.h"
#include "firmware/upgrade_session.h"
#include "link/serial_link.h"
#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "runtime/qt_access.h"
#include "runtime/userint.h"
#include "tests/support/accessibility_switch.h"
#include "tests/support/board_fixture.h"
#include "tests/support/console_fixture.h"

namespace {

QWidget* widget(int control) {
    return tarvik::rt::ControlWidget(g_hmainPanel, control);
}

QAccessibleInterface* accessible(int control) {
    return QAccessible::queryAccessibleInterface(widget(control));
}

std::string nameOf(int control) {
    return accessible(control)->text(QAccessible::Name).toStdString();
}

// The control that holds the keyboard focus now, 0 for none of the panel's.
int focused() {
    QWidget* f = QApplication::focusWidget();
    for (int id = 1; id < 1000; ++id) {
        QWidget* w = widget(id);
        if (w && f && (w == f || w->isAncestorOf(f))) return id;
    }
    return 0;
}

// The window as the operator has it: shown and active, so keys reach it.
void activate() {
    QWidget* window = tarvik::rt::PanelWidget(g_hmainPanel)->window();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget();
    if (!target) target = tarvik::rt::PanelWidget(g_hmainPanel)->window();
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
}

// Runs `open`, which shows a popup or a modal dialog; reads and closes that from
// inside its own event loop. Returns what `read` gave, "" when nothing opened.
std::string whatOpens(const std::function<void()>& open,
                      const std::function<std::string(QWidget*)>& read) {
    std::string seen;
    QTimer reader;
    QObject::connect(&reader, &QTimer::timeout, [&] {
        QWidget* shown = QApplication::activePopupWidget();
        if (!shown) shown = QApplication::activeModalWidget();
        if (!shown) return;
        reader.stop();
        seen = read(shown);
        shown->close();
    });
    reader.start(10);
    open();
    PumpEvents(50);
    return seen;
}

class KeyboardTest : public ConsoleTest {};

}  // namespace

TEST_F(KeyboardTest, EveryCalibrationBoxIsNamedByItsChannelAndPoint) {
    std::set<std::string> names;
    for (int i = 0; i < CHANNEL_COUNT; ++i) {
        const std::string k = std::to_string(i + 1);
        SCOPED_TRACE(k);
        const std::pair<int, std::string> boxes[] = {
            {g_iCidDac_volt1_box[i], "DAC channel " + k + ", voltage 1 reading"},
            {g_iCidDac_volt2_box[i], "DAC channel " + k + ", voltage 2 reading"},
            {g_iCidAdc_volt1_box[i], "ADC channel " + k + ", voltage 1"},
            {g_iCidAdc_volt2_box[i], "ADC channel " + k + ", voltage 2"}};
        for (const auto& [box, name] : boxes) {
            EXPECT_EQ(nameOf(box), name);
            EXPECT_EQ(accessible(box)->role(), QAccessible::SpinBox);
            names.insert(nameOf(box));
        }
    }
    EXPECT_EQ(names.size(), 4u * CHANNEL_COUNT) << "no two boxes share a name";
    // What is named by a label it shows keeps that name.
    EXPECT_EQ(nameOf(PANEL_DAC_CHANNEL), "DAC channel");
    EXPECT_EQ(nameOf(PANEL_REG_ADDRESS), "Register address");
}

TEST_F(KeyboardTest, FormatSelectorsAreRadioButtonsAndHintsDescribeTheirBoxes) {
    for (int selector :
         {PANEL_REG_FORMAT, PANEL_REG_DECIMAL, PANEL_BLOCK_FORMAT, PANEL_BLOCK_FLOAT}) {
        SCOPED_TRACE(selector);
        QAccessibleInterface* radio = accessible(selector);
        EXPECT_EQ(radio->role(), QAccessible::RadioButton);
        EXPECT_TRUE(radio->state().checkable);
        int on = 0;
        GetCtrlVal(g_hmainPanel, selector, &on);
        EXPECT_EQ(radio->state().checked, on != 0);
        EXPECT_FALSE(radio->text(QAccessible::Accelerator).isEmpty());
    }
    EXPECT_EQ(nameOf(PANEL_REG_DECIMAL), "Decimal");
    EXPECT_EQ(nameOf(PANEL_BLOCK_FORMAT), "Hex word");
    // A screen reader's "toggle" operates the selector as a click does.
    setText(PANEL_REG_VALUE, "0x00FF");
    QAccessibleInterface* decimal = accessible(PANEL_REG_DECIMAL);
    ASSERT_NE(decimal->actionInterface(), nullptr);
    decimal->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(text(PANEL_REG_VALUE), "255");
    EXPECT_TRUE(decimal->state().checked);
    EXPECT_FALSE(accessible(PANEL_REG_FORMAT)->state().checked);

    const std::pair<int, const char*> hints[] = {{PANEL_DAC_CHANNEL, "0 = all"},
                                                 {PANEL_DAC_OUTPUT_CHANNEL, "0 = all"},
                                                 {PANEL_ADC_CHANNEL, "0 = Channel 1"}};
    for (const auto& [box, hint] : hints) {
        EXPECT_EQ(accessible(box)->text(QAccessible::Description).toStdString(), hint) << box;
    }
}

TEST_F(KeyboardTest, EveryButtonOfThePanelFileHasAMnemonic) {
    std::vector<int> buttons;
    for (int i = 0; i < g_mainPanelControlCount; ++i) {
        const PanelControlEntry& entry = g_mainPanelControls[i];
        if (entry.style != CTRL_COMMAND_BUTTON && entry.style != CTRL_TOGGLE) continue;
        SCOPED_TRACE(entry.constant);
        auto* button = qobject_cast<QAbstractButton*>(widget(entry.id));
        ASSERT_NE(button, nullptr);
        const QKeySequence mnemonic = QKeySequence::mnemonic(button->text());
        EXPECT_FALSE(mnemonic.isEmpty());
        // The words stay the panel's: only the underline is new.
        char label[128];
        GetCtrlAttribute(g_hmainPanel, entry.id, ATTR_LABEL_TEXT, label);
        EXPECT_STREQ(label, entry.label);
        EXPECT_EQ(nameOf(entry.id), entry.label);
        EXPECT_EQ(accessible(entry.id)->text(QAccessible::Accelerator).toUpper(),
                  mnemonic.toString(QKeySequence::NativeText).toUpper());
    }
}

TEST_F(KeyboardTest, MnemonicsOperateTheirButtonsAndSharedOnesOnlyMoveTheFocus) {
    activate();
    InsertTextBoxLine(g_hmainPanel, PANEL_SERIAL_WINDOW, -1, "a line");
    SetActiveCtrl(g_hmainPanel, PANEL_REG_ADDRESS);
    press(Qt::Key_M, Qt::AltModifier);  // Clear &monitor; a mnemonic's click is animated
    EXPECT_TRUE(PumpUntil([&] { return monitorLines().empty(); }));

    setText(PANEL_REG_VALUE, "0x00FF");
    press(Qt::Key_D, Qt::AltModifier);  // &Decimal
    EXPECT_TRUE(PumpUntil([&] { return text(PANEL_REG_VALUE) == "255"; }));

    // "Calculat&e DAC coefficients" and "Calculat&e ADC coefficients" share their letter:
    // Alt+E goes from one to the other and writes nothing to any board.
    press(Qt::Key_E, Qt::AltModifier);
    EXPECT_TRUE(PumpUntil([&] { return focused() == PANEL_CALC_DAC; }));
    press(Qt::Key_E, Qt::AltModifier);
    EXPECT_TRUE(PumpUntil([&] { return focused() == PANEL_CALC_ADC; }));
    // Had either button been clicked, its calculation would have run by now.
    PumpEvents(100);
    EXPECT_TRUE(popups.popups.empty()) << popups.popups.front().message;
    EXPECT_TRUE(monitorLines().empty());
}

TEST_F(KeyboardTest, CtrlLClearsCtrlSSavesAndShiftF10OpensTheMonitorsMenu) {
    activate();
    InsertTextBoxLine(g_hmainPanel, PANEL_SERIAL_WINDOW, -1, "a line");
    // From anywhere in the window.
    SetActiveCtrl(g_hmainPanel, PANEL_BLOCK_COUNT);
    press(Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(monitorLines().empty());
    EXPECT_EQ(focused(), PANEL_BLOCK_COUNT) << "the key leaves the focus where it was";

    const std::string dialog = whatOpens([] { press(Qt::Key_S, Qt::ControlModifier); },
                                         [](QWidget* w) { return w->windowTitle().toStdString(); });
    EXPECT_EQ(dialog, "Save log as");

    char key[32];
    GetCtrlAttribute(g_hmainPanel, PANEL_SERIAL_WINDOW, ATTR_SHORTCUT_KEY, key);
    EXPECT_STREQ(key, "Ctrl+S");
    GetCtrlAttribute(g_hmainPanel, PANEL_CLEAR_MONITOR, ATTR_SHORTCUT_KEY, key);
    EXPECT_STREQ(key, "Ctrl+L");

    activate();  // the dialog had the keys
    ASSERT_EQ(SetActiveCtrl(g_hmainPanel, PANEL_SERIAL_WINDOW), 0);
    ASSERT_EQ(focused(), PANEL_SERIAL_WINDOW);
    const std::string menu = whatOpens([] { press(Qt::Key_F10, Qt::ShiftModifier); },
                                       [](QWidget* w) {
                                           std::string entries;
                                           for (QAction* a : w->actions())
                                               if (!a->isSeparator())
                                                   entries +=
                                                       a->text().toStdString() + "|" +
                                                       a->shortcut().toString().toStdString() + ";";
                                           return entries;
                                       });
    EXPECT_EQ(menu, "Copy|;Select All|;Show time stamps|;Save log as…|Ctrl+S;");
}

TEST_F(KeyboardTest, TabFollowsThePanelsGroupsWithButtonsBeforeTheChannelBoxes) {
    activate();
    std::vector<int> expected = {PANEL_COM_PORT,
                                 PANEL_CONNECT,
                                 PANEL_QUIT,
                                 PANEL_CHOOSE_DEVICE,  // Connection
                                 PANEL_SERIAL_WINDOW,
                                 PANEL_CLEAR_MONITOR,  // Serial monitor
                                 PANEL_REG_ADDRESS,
                                 PANEL_REG_VALUE,
                                 PANEL_REG_MASK,
                                 PANEL_REG_FORMAT,
                                 PANEL_REG_DECIMAL,
                                 PANEL_READ_REGISTER,
                                 PANEL_WRITE_REGISTER,  // Registers
                                 PANEL_BLOCK_ADDRESS,
                                 PANEL_BLOCK_COUNT,
                                 PANEL_BLOCK_VALUE,
                                 PANEL_BLOCK_FORMAT,
                                 PANEL_BLOCK_FLOAT,
                                 PANEL_READ_BLOCK,
                                 PANEL_WRITE_BLOCK,  // Blocks
                                 PANEL_TEMPERATURE,
                                 PANEL_TEMPERATURE_MEAS,
                                 PANEL_READ_CURRENTS,     // Measurements
                                 PANEL_UPGRADE_FIRMWARE,  // Firmware (Cancel is dimmed)
                                 PANEL_DAC_CHANNEL,
                                 PANEL_DAC_CONTROL_VOLTAGE1,
                                 PANEL_SET_VOLTAGE1,
                                 PANEL_DAC_CONTROL_VOLTAGE2,
                                 PANEL_SET_VOLTAGE2,
                                 PANEL_CALC_DAC,
                                 PANEL_SAVE_DAC,
                                 PANEL_DISPLAY_DAC,
                                 PANEL_DAC_OUTPUT_CHANNEL,
                                 PANEL_DAC_OUTPUT_VOLTAGE,
                                 PANEL_SET_CALIBRATED};
    for (int i = 0; i < CHANNEL_COUNT; ++i) {
        expected.push_back(g_iCidDac_volt1_box[i]);
        expected.push_back(g_iCidDac_volt2_box[i]);
    }
    for (int control : {PANEL_ADC_CHANNEL, PANEL_CAPTURE_ADC, PANEL_CAPTURE_ALL_ADC, PANEL_CALC_ADC,
                        PANEL_RESET_ADC, PANEL_SAVE_ADC, PANEL_DISPLAY_ADC})
        expected.push_back(control);
    for (int i = 0; i < CHANNEL_COUNT; ++i) {
        expected.push_back(g_iCidAdc_volt1_box[i]);
        expected.push_back(g_iCidAdc_volt2_box[i]);
    }
    expected.push_back(PANEL_COM_PORT);  // round again, with no stop between

    ASSERT_EQ(SetActiveCtrl(g_hmainPanel, PANEL_COM_PORT), 0);
    std::vector<int> visited = {focused()};
    for (std::size_t i = 1; i < expected.size(); ++i) {
        press(Qt::Key_Tab);
        visited.push_back(focused());
    }
    EXPECT_EQ(visited, expected);
    press(Qt::Key_Backtab);
    EXPECT_EQ(focused(), g_iCidAdc_volt2_box[CHANNEL_COUNT - 1]);
}

TEST_F(KeyboardTest, TheFocusGoesToCancelDuringAnUpgradeAndComesBack) {
    activate();
    ASSERT_EQ(SetActiveCtrl(g_hmainPanel, PANEL_UPGRADE_FIRMWARE), 0);
    BeginUpgradeSession();
    EXPECT_EQ(focused(), PANEL_CANCEL_UPGRADE);
    EXPECT_EQ(GetActiveCtrl(g_hmainPanel), PANEL_CANCEL_UPGRADE);
    // Space on Cancel asks the upgrade to stop.
    press(Qt::Key_Space);
    EXPECT_EQ(UpgradeCancelRequested(), 1);
    EndUpgradeSession();
    EXPECT_EQ(focused(), PANEL_UPGRADE_FIRMWARE);

    // An operator who went elsewhere meanwhile stays there.
    BeginUpgradeSession();
    ASSERT_EQ(SetActiveCtrl(g_hmainPanel, PANEL_SERIAL_WINDOW), 0);
    EndUpgradeSession();
    EXPECT_EQ(focused(), PANEL_SERIAL_WINDOW);
}

namespace {

using KeyboardBoardTest = BoardTest;

std::vector<std::pair<QObject*, QAccessible::Event>> g_events;
void recordEvent(QAccessibleEvent* event) {
    g_events.emplace_back(event->object(), event->type());
}

}  // namespace

TEST_F(KeyboardBoardTest, ReturnInAnAddressBoxReadsWhatItAddresses) {
    connectQuickly();
    board.setWord(0x20, 0x8000);
    type(PANEL_REG_ADDRESS, "20");  // typed, then Return
    ASSERT_TRUE(waitForRequests(1));
    click(PANEL_READ_REGISTER);
    ASSERT_TRUE(waitForRequests(2));
    auto frames = framesSent();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], frames[1]) << "Return sent what the Read register button sends";
    EXPECT_EQ(frames[0][0] >> 24, 0x42u);

    connectQuickly();
    type(PANEL_BLOCK_ADDRESS, "60");  // the DAC gains, which every board keeps
    ASSERT_TRUE(waitForRequests(1));
    click(PANEL_READ_BLOCK);
    ASSERT_TRUE(waitForRequests(2));
    frames = framesSent();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], frames[1]) << "Return sent what the Read block button sends";
    EXPECT_EQ(frames[0][0] >> 24, 0x44u);

    // Return elsewhere reads nothing.
    connectQuickly();
    type(PANEL_REG_VALUE, "1");
    type(PANEL_BLOCK_COUNT, "2");
    PumpEvents(50);
    EXPECT_TRUE(framesSent().empty());
}

TEST_F(KeyboardBoardTest, ConnectKeepsTheFocusSoSpaceTogglesAndItsNewLabelIsAnnounced) {
    activate();
    if (!SwitchOnAccessibility()) GTEST_SKIP() << "this Qt cannot switch accessibility on";
    g_events.clear();
    QAccessible::installUpdateHandler(recordEvent);
    ASSERT_EQ(SetActiveCtrl(g_hmainPanel, PANEL_CONNECT), 0);
    press(Qt::Key_Space);
    const bool connected = g_iConnection_status == 1;
    const bool stayed = focused() == PANEL_CONNECT;
    const std::string name = nameOf(PANEL_CONNECT);
    bool announced = false;
    for (const auto& [object, type] : g_events)
        announced |= object == widget(PANEL_CONNECT) && type == QAccessible::NameChanged;
    g_events.clear();
    press(Qt::Key_Space);
    bool announcedAgain = false;
    for (const auto& [object, type] : g_events)
        announcedAgain |= object == widget(PANEL_CONNECT) && type == QAccessible::NameChanged;
    QAccessible::installUpdateHandler(nullptr);
    SwitchOffAccessibility();

    EXPECT_TRUE(connected);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(name, "Disconnect");
    EXPECT_TRUE(announced) << "a screen reader hears the new label";
    EXPECT_EQ(g_iConnection_status, 0) << "the second Space disconnects";
    EXPECT_EQ(nameOf(PANEL_CONNECT), "Connect");
    EXPECT_TRUE(announcedAgain);
    EXPECT_EQ(focused(), PANEL_CONNECT);
    // The mnemonic stays through both labels.
    auto* button = qobject_cast<QAbstractButton*>(widget(PANEL_CONNECT));
    EXPECT_EQ(QKeySequence::mnemonic(button->text()), QKeySequence(Qt::ALT | Qt::Key_C));
}
