// The engine's controls: events from the operator only, values, buffers,
// text boxes, timers and popups.
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/shell.h"
#include "link/connection.h"
#include "link/connection_panel.h"
#include "link/serial_link.h"
#include "panel/Tarviktest.h"
#include "panel/serial_monitor.h"
#include "runtime/cvirte.h"
#include "runtime/qt_access.h"
#include "runtime/text_box_widget.h"
#include "runtime/userint.h"
#include "tests/support/console_fixture.h"

using RuntimeControlsTest = ConsoleTest;

TEST_F(RuntimeControlsTest, ClickCommitsButProgramSetDoesNot) {
    LogToWindow("x");
    click(PANEL_CLEAR_MONITOR);
    EXPECT_TRUE(monitorLines().empty()) << "a click must commit";

    // A value set by the program delivers nothing: had the selector's callback
    // run, it would have switched its partner off and converted the box.
    setText(PANEL_REG_VALUE, "0x00FF");
    SetCtrlVal(g_hmainPanel, PANEL_REG_DECIMAL, 1);
    SetCtrlVal(g_hmainPanel, PANEL_COM_PORT, 7);
    ProcessSystemEvents();
    int format = 0;
    GetCtrlVal(g_hmainPanel, PANEL_REG_FORMAT, &format);
    EXPECT_EQ(format, 1);
    EXPECT_EQ(text(PANEL_REG_VALUE), "0x00FF");
    EXPECT_TRUE(monitorLines().empty());
    int value = 0;
    GetCtrlVal(g_hmainPanel, PANEL_COM_PORT, &value);
    EXPECT_EQ(value, 7);
    type(PANEL_COM_PORT, "3");
    GetCtrlVal(g_hmainPanel, PANEL_COM_PORT, &value);
    EXPECT_EQ(value, 3);
}

TEST_F(RuntimeControlsTest, NumericBoxesConvertAndRespectTheirRange) {
    SetCtrlVal(g_hmainPanel, PANEL_DAC_CONTROL_VOLTAGE1, 12.5);
    float f = 0;
    double d = 0;
    int i = 0;
    GetCtrlVal(g_hmainPanel, PANEL_DAC_CONTROL_VOLTAGE1, &f);
    GetCtrlVal(g_hmainPanel, PANEL_DAC_CONTROL_VOLTAGE1, &d);
    EXPECT_EQ(f, 12.5f);
    EXPECT_EQ(d, 12.5);
    SetCtrlVal(g_hmainPanel, PANEL_DAC_CHANNEL, 40);
    GetCtrlVal(g_hmainPanel, PANEL_DAC_CHANNEL, &i);
    EXPECT_EQ(i, 16) << "the DAC channel box must never give more than 16";
    SetCtrlVal(g_hmainPanel, PANEL_ADC_CHANNEL, -2);
    GetCtrlVal(g_hmainPanel, PANEL_ADC_CHANNEL, &i);
    EXPECT_EQ(i, 0);
    // A run-time box holds a float typed by the operator.
    type(g_iCidDac_volt1_box[5], "25.3");
    GetCtrlVal(g_hmainPanel, g_iCidDac_volt1_box[5], &f);
    EXPECT_EQ(f, 25.3f);
}

TEST_F(RuntimeControlsTest, StringReadsNeverPassTheBuffer) {
    setText(PANEL_REG_VALUE, "0123456789");
    char small[5];
    std::memset(small, 'Z', sizeof small);
    ASSERT_EQ(GetCtrlValString(g_hmainPanel, PANEL_REG_VALUE, small, 4), 0);
    EXPECT_STREQ(small, "012");
    EXPECT_EQ(small[4], 'Z');
    // The operator cannot type more than the box allows.
    int limit = 0;
    GetCtrlAttribute(g_hmainPanel, PANEL_REG_VALUE, ATTR_MAX_ENTRY_LENGTH, &limit);
    EXPECT_GT(limit, 0);
    EXPECT_LE(limit, 255);
    type(PANEL_REG_VALUE, std::string(400, '7'));
    EXPECT_EQ(text(PANEL_REG_VALUE).size(), static_cast<size_t>(limit));
}

TEST_F(RuntimeControlsTest, WrongIdsAndTypesFailWithoutChangingAnything) {
    int value = 42;
    EXPECT_EQ(GetCtrlVal(g_hmainPanel, 9999, &value), UIE_BAD_CONTROL);
    EXPECT_EQ(GetCtrlVal(g_hmainPanel + 100, PANEL_COM_PORT, &value), UIE_BAD_CONTROL);
    EXPECT_EQ(value, 42);
    EXPECT_EQ(SetCtrlVal(g_hmainPanel, PANEL_COM_PORT, "text"), UIE_BAD_TYPE);
    EXPECT_EQ(SetCtrlAttribute(g_hmainPanel, PANEL_COM_PORT, ATTR_FIRST_VISIBLE_LINE, 3),
              UIE_BAD_ATTRIBUTE);
    EXPECT_EQ(ReplaceTextBoxLine(g_hmainPanel, PANEL_SERIAL_WINDOW, 0, "nothing there"),
              UIE_BAD_VALUE);
    EXPECT_EQ(NewCtrl(g_hmainPanel, CTRL_TIMER, "", 0, 0), UIE_BAD_VALUE);
}

TEST_F(RuntimeControlsTest, LabelChangesRenameTheControl) {
    SetCtrlAttribute(g_hmainPanel, PANEL_QUIT, ATTR_LABEL_TEXT, "Leave");
    char label[32];
    GetCtrlAttribute(g_hmainPanel, PANEL_QUIT, ATTR_LABEL_TEXT, label);
    EXPECT_STREQ(label, "Leave");
    QWidget* w = tarvik::rt::ControlWidget(g_hmainPanel, PANEL_QUIT);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name),
              QStringLiteral("Leave"));
}

TEST_F(RuntimeControlsTest, ARelabelledButtonKeepsItsMnemonicKey) {
    auto* quit =
        qobject_cast<QAbstractButton*>(tarvik::rt::ControlWidget(g_hmainPanel, PANEL_QUIT));
    ASSERT_EQ(quit->text(), QStringLiteral("&Quit"));
    struct Case {
        const char* set;
        const char* shown;  // the button's own text, mark included
    };
    for (Case c : {Case{"Exit quietly", "Exit &quietly"}, Case{"QUIT", "&QUIT"},
                   Case{"Rock & roll", "Rock && roll"}, Case{"Leave", "Leave"},
                   Case{"Quit again", "&Quit again"}}) {
        SCOPED_TRACE(c.set);
        ASSERT_EQ(SetCtrlAttribute(g_hmainPanel, PANEL_QUIT, ATTR_LABEL_TEXT, c.set), 0);
        EXPECT_EQ(quit->text(), QString::fromUtf8(c.shown));
        char label[32];
        GetCtrlAttribute(g_hmainPanel, PANEL_QUIT, ATTR_LABEL_TEXT, label);
        EXPECT_STREQ(label, c.set) << "the label reads as shown";
        EXPECT_EQ(QAccessible::queryAccessibleInterface(quit)->text(QAccessible::Name),
                  QString::fromUtf8(c.set));
    }
    // The panel file's letter, whatever labels came between: "Leave" had none.
    SetCtrlAttribute(g_hmainPanel, PANEL_QUIT, ATTR_LABEL_TEXT, "Quit");
    EXPECT_EQ(quit->text(), QStringLiteral("&Quit"));
}

TEST_F(RuntimeControlsTest, KeysNamesAndFocusAreCheckedLikeEveryAttribute) {
    // Shortcut keys: buttons, toggles and text boxes only; a text that is no key is refused.
    EXPECT_EQ(SetCtrlAttribute(g_hmainPanel, PANEL_QUIT, ATTR_SHORTCUT_KEY, "Ctrl+Q"), 0);
    EXPECT_EQ(SetCtrlAttribute(g_hmainPanel, PANEL_REG_FORMAT, ATTR_SHORTCUT_KEY, "F5"), 0);
    EXPECT_EQ(SetCtrlAttribute(g_hmainPanel, PANEL_QUIT, ATTR_SHORTCUT_KEY, "Ctrl+Nothing"),
              UIE_BAD_VALUE);
    EXPECT_EQ(SetCtrlAttribute(g_hmainPanel, PANEL_REG_ADDRESS, ATTR_SHORTCUT_KEY, "Ctrl+R"),
              UIE_BAD_ATTRIBUTE);
    char key[32];
    GetCtrlAttribute(g_hmainPanel, PANEL_QUIT, ATTR_SHORTCUT_KEY, key);
    EXPECT_STREQ(key, "Ctrl+Q") << "a refused key leaves the one there";
    EXPECT_EQ(SetCtrlAttribute(g_hmainPanel, PANEL_QUIT, ATTR_SHORTCUT_KEY, ""), 0);
    GetCtrlAttribute(g_hmainPanel, PANEL_QUIT, ATTR_SHORTCUT_KEY, key);
    EXPECT_STREQ(key, "");

    // Return: from a box that is typed into, to a command button.
    EXPECT_EQ(SetCtrlAttribute(g_hmainPanel, PANEL_REG_VALUE, ATTR_RETURN_CTRL, PANEL_REG_FORMAT),
              UIE_BAD_CONTROL);
    EXPECT_EQ(SetCtrlAttribute(g_hmainPanel, PANEL_QUIT, ATTR_RETURN_CTRL, PANEL_CONNECT),
              UIE_BAD_ATTRIBUTE);
    EXPECT_EQ(SetCtrlAttribute(g_hmainPanel, PANEL_COM_PORT, ATTR_RETURN_CTRL, PANEL_CONNECT), 0);
    int target = -1;
    GetCtrlAttribute(g_hmainPanel, PANEL_COM_PORT, ATTR_RETURN_CTRL, &target);
    EXPECT_EQ(target, PANEL_CONNECT);
    GetCtrlAttribute(g_hmainPanel, PANEL_REG_VALUE, ATTR_RETURN_CTRL, &target);
    EXPECT_EQ(target, 0);
    EXPECT_EQ(SetCtrlAttribute(g_hmainPanel, PANEL_COM_PORT, ATTR_RETURN_CTRL, 0), 0);

    // Names: set where nothing visible names a control, and given back with "".
    const int box = g_iCidAdc_volt1_box[4];
    QWidget* w = tarvik::rt::ControlWidget(g_hmainPanel, box);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name),
              QStringLiteral("ADC channel 5, voltage 1"));
    char name[64];
    GetCtrlAttribute(g_hmainPanel, box, ATTR_ACCESSIBLE_NAME, name);
    EXPECT_STREQ(name, "ADC channel 5, voltage 1");
    GetCtrlAttribute(g_hmainPanel, PANEL_REG_ADDRESS, ATTR_ACCESSIBLE_NAME, name);
    EXPECT_STREQ(name, "") << "named by its label, not by the program";
    const int labelled = NewCtrl(g_hmainPanel, CTRL_NUMERIC, "Gain & offset", 500, 500);
    QWidget* made = tarvik::rt::ControlWidget(g_hmainPanel, labelled);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(made)->text(QAccessible::Name),
              QStringLiteral("Gain & offset"));

    // Focus: not to what takes none, nor to a dimmed control.
    EXPECT_EQ(SetActiveCtrl(g_hmainPanel, PANEL_COM_DEVICE), UIE_BAD_VALUE);
    EXPECT_EQ(SetActiveCtrl(g_hmainPanel, PANEL_UPGRADE_PROGRESS), UIE_BAD_VALUE);
    EXPECT_EQ(SetActiveCtrl(g_hmainPanel, PANEL_CANCEL_UPGRADE), UIE_BAD_VALUE);
    EXPECT_EQ(SetActiveCtrl(g_hmainPanel, 999), UIE_BAD_CONTROL);
    EXPECT_EQ(SetActiveCtrl(g_hmainPanel, PANEL_DAC_CHANNEL), 0);
    EXPECT_EQ(GetActiveCtrl(g_hmainPanel), PANEL_DAC_CHANNEL)
        << "a spin box, through its line edit";
    EXPECT_EQ(GetActiveCtrl(-1), UIE_BAD_PANEL);

    EXPECT_EQ(SetPanelSize(g_hmainPanel, 700, 900), 0);
    EXPECT_EQ(tarvik::rt::PanelWidget(g_hmainPanel)->window()->size(), QSize(900, 700));
    EXPECT_EQ(SetPanelSize(-1, 700, 900), UIE_BAD_PANEL);
}

TEST_F(RuntimeControlsTest, TextBoxReplacesInsertsAndCopiesLines) {
    for (const char* line : {"a", "b", "c"})
        InsertTextBoxLine(g_hmainPanel, PANEL_SERIAL_WINDOW, -1, line);
    InsertTextBoxLine(g_hmainPanel, PANEL_SERIAL_WINDOW, 0, "first");
    ReplaceTextBoxLine(g_hmainPanel, PANEL_SERIAL_WINDOW, 3, "C");
    EXPECT_EQ(monitorLines(), (std::vector<std::string>{"first", "a", "b", "C"}));

    auto* box = qobject_cast<tarvik::rt::TextBoxWidget*>(
        tarvik::rt::ControlWidget(g_hmainPanel, PANEL_SERIAL_WINDOW));
    ASSERT_NE(box, nullptr);
    box->selectAll();
    box->setFocus();
    QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("first\na\nb\nC"));

    ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    EXPECT_TRUE(monitorLines().empty());
}

TEST_F(RuntimeControlsTest, TimerTicksArriveThroughNestedEventProcessing) {
    SetCtrlAttribute(g_hmainPanel, PANEL_TIMER, ATTR_INTERVAL, 0.02);
    ResetTimer(g_hmainPanel, PANEL_TIMER);
    g_iTimer_cnt = 0;
    // Ticks are counted only while events are processed, as in a long operation.
    QElapsedTimer clock;
    clock.start();
    while (g_iTimer_cnt < 3 && clock.elapsed() < 5000) ProcessSystemEvents();
    EXPECT_GE(g_iTimer_cnt, 3);
    double interval = 0;
    GetCtrlAttribute(g_hmainPanel, PANEL_TIMER, ATTR_INTERVAL, &interval);
    EXPECT_DOUBLE_EQ(interval, 0.02);

    // Other events leave the counter alone.
    const int before = g_iTimer_cnt;
    Timer_CB(g_hmainPanel, PANEL_TIMER, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(g_iTimer_cnt, before);

    // Without event processing no tick is counted.
    g_iTimer_cnt = 0;
    Delay(0.1);
    EXPECT_EQ(g_iTimer_cnt, 0);
}

TEST_F(RuntimeControlsTest, PopupsGoThroughTheHook) {
    MessagePopup("Connection warning", "Not connected");
    ASSERT_EQ(popups.popups.size(), 1u);
    EXPECT_EQ(popups.popups[0].title, "Connection warning");
    EXPECT_EQ(popups.popups[0].message, "Not connected");

    char path[16];
    popups.fileAnswers.push_back(std::string("/tmp/board.hex"));
    EXPECT_EQ(
        FileSelectPopup("", "*.hex", "*.hex;", "Load HEX file", VAL_LOAD_BUTTON, 0, 0, 1, 0, path),
        1);
    EXPECT_STREQ(path, "/tmp/board.hex");
    popups.fileAnswers.push_back(std::nullopt);
    EXPECT_EQ(
        FileSelectPopup("", "*.hex", "*.hex;", "Load HEX file", VAL_LOAD_BUTTON, 0, 0, 1, 0, path),
        0);
    // A path that does not fit the caller's buffer is refused, not cut.
    popups.fileAnswers.push_back(std::string(100, 'x'));
    EXPECT_LT(
        FileSelectPopup("", "*.hex", "*.hex;", "Load HEX file", VAL_LOAD_BUTTON, 0, 0, 1, 0, path),
        0);
    EXPECT_STREQ(path, "/tmp/board.hex");
    EXPECT_EQ(popups.fileDialogs.at(0).title, "Load HEX file");
}

TEST_F(RuntimeControlsTest, QuestionsGoThroughTheHookAndTheDialogDefaultsToNo) {
    // A hook that knows no questions sees them as messages and takes the default answer.
    {
        struct MessagesOnly : tarvik::rt::PopupHandler {
            void messagePopup(const std::string&, const std::string& message) override {
                seen.push_back(message);
            }
            std::optional<std::string> fileSelectPopup(const std::string&, const std::string&,
                                                       const std::string&) override {
                return std::nullopt;
            }
            std::vector<std::string> seen;
        } messagesOnly;
        tarvik::rt::SetPopupHandler(&messagesOnly);
        EXPECT_EQ(ConfirmPopup("Warning message", "Send it anyway?"), 0);
        EXPECT_EQ(messagesOnly.seen, std::vector<std::string>{"Send it anyway?"});
    }
    // The recorder answers from its queue, No once it is empty.
    tarvik::rt::SetPopupHandler(&popups);
    popups.questionAnswers = {true};
    EXPECT_EQ(ConfirmPopup("Warning message", "Send it anyway?"), 1);
    EXPECT_EQ(ConfirmPopup("Warning message", "Send it anyway?"), 0);
    EXPECT_EQ(popups.questions.size(), 2u);

    {
        struct SaysYes : PopupRecorder {
            bool confirmPopup(const std::string&, const std::string&) override { return true; }
        } yes;
        EXPECT_EQ(ConfirmPopup("Warning message", "Send it anyway?"), 1);
    }  // leaves no hook installed

    // The real dialog: Enter at once takes the default button.
    bool dialogShown = false;
    QTimer::singleShot(50, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        dialogShown = dialog != nullptr;
        if (dialog) QTest::keyClick(dialog, Qt::Key_Return);
    });
    EXPECT_EQ(ConfirmPopup("Warning message", "Send it anyway?"), 0);
    EXPECT_TRUE(dialogShown);
    tarvik::rt::SetPopupHandler(&popups);
}

// The real list dialog stays open on a choice its check refuses, showing why, and gives
// the next choice it takes.
TEST_F(RuntimeControlsTest, ACheckedChoiceKeepsTheDialogOpenWithTheReason) {
    tarvik::rt::SetPopupHandler(nullptr);
    const ChoiceCheck onlyGood = [](const char* text, char* reason, std::size_t size) {
        if (std::string(text) == "good") return 1;
        std::snprintf(reason, size, "%s: refused", text);
        return 0;
    };
    std::string labelAfterRefusal;
    bool stillOpen = false;
    QTimer::singleShot(50, [&] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        dialog->setTextValue("bad");
        dialog->accept();
        labelAfterRefusal = dialog->labelText().toStdString();
        stillOpen = dialog->isVisible();
        dialog->setTextValue("good");
        dialog->accept();
    });
    const char* const items[] = {"bad", "good"};
    char answer[16] = "";
    EXPECT_EQ(ChoicePopup("Device of COM1", "Pick one:", items, 2, "bad", answer, sizeof answer,
                          onlyGood),
              1);
    EXPECT_STREQ(answer, "good");
    EXPECT_EQ(labelAfterRefusal, "Pick one:\n\nbad: refused");
    EXPECT_TRUE(stillOpen);
    tarvik::rt::SetPopupHandler(&popups);
}

TEST_F(RuntimeControlsTest, ProgressBarHoldsWholeNumbersWithinItsRange) {
    ASSERT_EQ(SetCtrlAttribute(g_hmainPanel, PANEL_UPGRADE_PROGRESS, ATTR_MAX_VALUE, 40), 0);
    int value = -1, maximum = -1;
    GetCtrlAttribute(g_hmainPanel, PANEL_UPGRADE_PROGRESS, ATTR_MAX_VALUE, &maximum);
    EXPECT_EQ(maximum, 40);
    SetCtrlVal(g_hmainPanel, PANEL_UPGRADE_PROGRESS, 12.6);
    GetCtrlVal(g_hmainPanel, PANEL_UPGRADE_PROGRESS, &value);
    EXPECT_EQ(value, 13);
    SetCtrlVal(g_hmainPanel, PANEL_UPGRADE_PROGRESS, 41);
    GetCtrlVal(g_hmainPanel, PANEL_UPGRADE_PROGRESS, &value);
    EXPECT_EQ(value, 40) << "a value past the end must show a full bar";
    EXPECT_EQ(SetCtrlVal(g_hmainPanel, PANEL_UPGRADE_PROGRESS, "half"), UIE_BAD_TYPE);
    // Only shows: Tab passes it by.
    int position = 0;
    EXPECT_EQ(
        GetCtrlAttribute(g_hmainPanel, PANEL_UPGRADE_PROGRESS, ATTR_CTRL_TAB_POSITION, &position),
        UIE_BAD_ATTRIBUTE);
}
