#include "tests/support/console_fixture.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>

#include "app/shell.h"
#include "panel/Tarviktest.h"
#include "panel/serial_monitor.h"
#include "runtime/qt_access.h"
#include "runtime/userint.h"

void PumpEvents(int ms) {
    QElapsedTimer timer;
    timer.start();
    do {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    } while (timer.elapsed() < ms);
}

bool PumpUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms) PumpEvents(10);
    return done();
}

void ConsoleTest::SetUp() {
    g_hmainPanel = LoadPanel(0, "Tarviktest.uir", PANEL);
    ASSERT_GT(g_hmainPanel, 0) << GetUILErrorDetail();
    DisplayPanel(g_hmainPanel);
    init();
    CreateGUI();
}

void ConsoleTest::TearDown() {
    DiscardPanel(g_hmainPanel);
}

void ConsoleTest::click(int control) {
    auto* button = qobject_cast<QAbstractButton*>(tarvik::rt::ControlWidget(g_hmainPanel, control));
    ASSERT_NE(button, nullptr) << "control " << control << " is not a button";
    QTest::mouseClick(button, Qt::LeftButton);
}

void ConsoleTest::type(int control, const std::string& text) {
    QWidget* w = tarvik::rt::ControlWidget(g_hmainPanel, control);
    ASSERT_NE(w, nullptr);
    w->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromStdString(text));
        QTest::keyClick(edit, Qt::Key_Return);
    } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(w)) {
        spin->selectAll();
        QTest::keyClicks(spin, QString::fromStdString(text));
        QTest::keyClick(spin, Qt::Key_Return);
    } else {
        FAIL() << "control " << control << " takes no typing";
    }
}

void ConsoleTest::setText(int control, const std::string& text) {
    ASSERT_EQ(SetCtrlVal(g_hmainPanel, control, text.c_str()), 0);
}

std::string ConsoleTest::text(int control) {
    char buffer[512];
    EXPECT_EQ(GetCtrlVal(g_hmainPanel, control, buffer), 0);
    return buffer;
}

std::vector<std::string> ConsoleTest::monitorLines() {
    int count = 0;
    GetNumTextBoxLines(g_hmainPanel, PANEL_SERIAL_WINDOW, &count);
    std::vector<std::string> lines;
    char buffer[DISP_STR_SIZE];
    for (int i = 0; i < count; ++i) {
        GetTextBoxLine(g_hmainPanel, PANEL_SERIAL_WINDOW, i, buffer);
        lines.push_back(buffer);
    }
    return lines;
}

std::vector<std::string> ConsoleTest::messages() {
    std::vector<std::string> out;
    for (const std::string& line : monitorLines())
        if (line.rfind("TX: ", 0) != 0 && line.rfind("RX: ", 0) != 0 &&
            line.rfind("       ", 0) != 0)
            out.push_back(line);
    return out;
}

std::string ConsoleTest::lastMonitorLine() {
    auto lines = monitorLines();
    return lines.empty() ? std::string() : lines.back();
}
