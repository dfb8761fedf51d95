// The main window on the screens it must fit: opened no larger than the
// available area, every control reachable by scrolling, and the serial
// monitor, alone, taking the window's extra height and width.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QRect>
#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>
#include <algorithm>
#include <string>
#include <utility>

#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "runtime/qt_access.h"
#include "runtime/userint.h"
#include "tests/support/console_fixture.h"

namespace {

constexpr int kMinMonitorHeight = 200;

class WindowFitTest : public ConsoleTest {
  protected:
    static QScrollArea* window() {
        return qobject_cast<QScrollArea*>(tarvik::rt::PanelWidget(g_hmainPanel)->window());
    }
    static QWidget* widget(int control) { return tarvik::rt::ControlWidget(g_hmainPanel, control); }
    static void settle() {
        QApplication::sendPostedEvents();
        QApplication::processEvents();
    }
    // The control's rectangle in the window's view, as scrolled now.
    static QRect inView(int control) {
        QWidget* w = widget(control);
        return QRect(w->mapTo(window()->viewport(), QPoint(0, 0)), w->size());
    }
    static bool wholeInView(int control) {
        return window()->viewport()->rect().contains(inView(control));
    }
    // Drags the scroll bars until the control's far corner is in view; true when
    // their range reaches it and all of the control then shows.
    static bool reachable(int control) {
        QWidget* w = widget(control);
        const QPoint corner = w->mapTo(window()->widget(), QPoint(w->width(), w->height()));
        QScrollBar* h = window()->horizontalScrollBar();
        QScrollBar* v = window()->verticalScrollBar();
        const int right = std::max(0, corner.x() - window()->viewport()->width());
        const int down = std::max(0, corner.y() - window()->viewport()->height());
        const bool inRange = right <= h->maximum() && down <= v->maximum();
        h->setValue(right);
        v->setValue(down);
        settle();
        const bool whole = inRange && wholeInView(control);
        h->setValue(0);
        v->setValue(0);
        settle();
        return whole;
    }
    void fit(int width, int height) {
        tarvik::rt::FitPanelWindow(g_hmainPanel, QRect(0, 0, width, height));
        settle();
    }
};

}  // namespace

TEST_F(WindowFitTest, OnSmallScreensEveryControlIsReachableAndTheMonitorIsInView) {
    const int lastRowBoxes[] = {g_iCidDac_volt2_box[CHANNEL_COUNT - 1],
                                g_iCidAdc_volt2_box[CHANNEL_COUNT - 1], PANEL_DISPLAY_ADC,
                                PANEL_CANCEL_UPGRADE};
    for (const QRect screen : {QRect(0, 0, 1024, 768), QRect(0, 0, 1280, 1024)}) {
        SCOPED_TRACE(
            QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height()).toStdString());
        fit(screen.width(), screen.height());
        EXPECT_TRUE(screen.contains(window()->geometry())) << "the window opens on the screen";
        EXPECT_TRUE(wholeInView(PANEL_SERIAL_WINDOW)) << "the monitor needs no scrolling";
        EXPECT_TRUE(wholeInView(PANEL_CLEAR_MONITOR));
        EXPECT_TRUE(wholeInView(PANEL_COM_PORT));
        EXPECT_GE(widget(PANEL_SERIAL_WINDOW)->height(), kMinMonitorHeight);
        for (int control : lastRowBoxes) EXPECT_TRUE(reachable(control)) << control;
    }
}

TEST_F(WindowFitTest, OnALargeScreenTheWholePanelShowsWithoutScrolling) {
    fit(1920, 1200);
    const QSize panel = tarvik::rt::PanelWidget(g_hmainPanel)->size();
    EXPECT_GE(window()->viewport()->width(), panel.width());
    EXPECT_GE(window()->viewport()->height(), panel.height());
    EXPECT_TRUE(wholeInView(g_iCidAdc_volt2_box[CHANNEL_COUNT - 1]));
}

TEST_F(WindowFitTest, TheMonitorTakesTheWindowsExtraHeightAndWidth) {
    fit(1920, 1200);
    const int monitor = widget(PANEL_SERIAL_WINDOW)->height();
    const int monitorWidth = widget(PANEL_SERIAL_WINDOW)->width();
    const int panelWidth = tarvik::rt::PanelWidget(g_hmainPanel)->width();
    // Left of the monitor's column, right of it (file and run-time controls), below it.
    const QRect comPort = inView(PANEL_COM_PORT);
    const QRect dacBox = inView(g_iCidDac_volt1_box[3]);
    const QRect adcBox = inView(g_iCidAdc_volt2_box[CHANNEL_COUNT - 1]);
    const QRect registerBox = inView(PANEL_REG_ADDRESS);
    const QRect cancel = inView(PANEL_CANCEL_UPGRADE);
    const QRect clear = inView(PANEL_CLEAR_MONITOR);
    auto clearGap = [] {
        QWidget* m = widget(PANEL_SERIAL_WINDOW);
        return widget(PANEL_CLEAR_MONITOR)->mapTo(m->window(), QPoint(0, 0)).y() -
               m->mapTo(m->window(), QPoint(0, m->height())).y();
    };
    const int gap = clearGap();
    // A line wider than the monitor scrolls sideways by as much as it sticks out.
    auto* box = qobject_cast<QAbstractScrollArea*>(widget(PANEL_SERIAL_WINDOW));
    ASSERT_NE(box, nullptr);
    InsertTextBoxLine(g_hmainPanel, PANEL_SERIAL_WINDOW, -1, std::string(150, 'x').c_str());
    settle();
    const int sideways = box->horizontalScrollBar()->maximum();
    ASSERT_GT(sideways, 0);

    // As maximised on a 1920x1080 screen.
    window()->resize(1900, window()->height() + 150);
    settle();
    const int wider = 1900 - panelWidth;
    EXPECT_EQ(widget(PANEL_SERIAL_WINDOW)->height(), monitor + 150);
    EXPECT_EQ(widget(PANEL_SERIAL_WINDOW)->width(), monitorWidth + wider);
    EXPECT_EQ(box->horizontalScrollBar()->maximum(), std::max(0, sideways - wider));
    EXPECT_EQ(clearGap(), gap) << "Clear monitor moves with the monitor's bottom";
    EXPECT_EQ(inView(PANEL_CLEAR_MONITOR).x(), clear.x()) << "and stays at its left";
    EXPECT_TRUE(wholeInView(PANEL_CLEAR_MONITOR));
    EXPECT_EQ(inView(PANEL_COM_PORT), comPort) << "what is above the monitor stays";
    // The columns on the right move right as one, keeping their layout.
    for (auto [control, before] : {std::pair{g_iCidDac_volt1_box[3], dacBox},
                                   std::pair{g_iCidAdc_volt2_box[CHANNEL_COUNT - 1], adcBox},
                                   std::pair{static_cast<int>(PANEL_REG_ADDRESS), registerBox},
                                   std::pair{static_cast<int>(PANEL_CANCEL_UPGRADE), cancel}}) {
        SCOPED_TRACE(control);
        EXPECT_EQ(inView(control), before.translated(wider, 0));
    }
    // No blank band on the right: the panel ends where the view does.
    EXPECT_EQ(tarvik::rt::PanelWidget(g_hmainPanel)->width(), window()->viewport()->width());
    EXPECT_FALSE(window()->horizontalScrollBar()->isVisible());

    window()->resize(window()->width(), window()->height() - 300);
    settle();
    EXPECT_EQ(widget(PANEL_SERIAL_WINDOW)->height(), monitor - 150);

    window()->resize(window()->width(), 150);
    settle();
    EXPECT_EQ(widget(PANEL_SERIAL_WINDOW)->height(), kMinMonitorHeight) << "never below";
    EXPECT_EQ(clearGap(), gap);
    EXPECT_TRUE(reachable(PANEL_CLEAR_MONITOR));
    // The vertical scroll bar takes its width from the monitor, not from the panel.
    EXPECT_EQ(widget(PANEL_SERIAL_WINDOW)->width(),
              monitorWidth + window()->viewport()->width() - panelWidth);

    // Narrower than the panel: the file's width, and the scroll bar for the rest.
    window()->resize(1000, 900);
    settle();
    EXPECT_EQ(widget(PANEL_SERIAL_WINDOW)->width(), monitorWidth) << "never narrower";
    EXPECT_EQ(inView(g_iCidDac_volt1_box[3]), dacBox);
    EXPECT_TRUE(reachable(g_iCidAdc_volt2_box[CHANNEL_COUNT - 1]));
}

TEST_F(WindowFitTest, AControlAddedToAWideWindowMovesWithItsColumn) {
    fit(1920, 1200);
    window()->resize(1900, 1000);
    settle();
    const int wider = 1900 - 1360;
    ASSERT_EQ(widget(PANEL_SERIAL_WINDOW)->width(), 380 + wider);
    // Placed beside the DAC column's last box as the panel shows it now.
    int top = 0, left = 0;
    GetCtrlAttribute(g_hmainPanel, g_iCidDac_volt2_box[CHANNEL_COUNT - 1], ATTR_TOP, &top);
    GetCtrlAttribute(g_hmainPanel, g_iCidDac_volt2_box[CHANNEL_COUNT - 1], ATTR_LEFT, &left);
    const int added = NewCtrl(g_hmainPanel, CTRL_NUMERIC, "", top, left + 100);
    ASSERT_GT(added, 0);
    // And one over the monitor's group, beside its Clear button: in the monitor's column.
    int clearTop = 0;
    GetCtrlAttribute(g_hmainPanel, PANEL_CLEAR_MONITOR, ATTR_TOP, &clearTop);
    const int beside = NewCtrl(g_hmainPanel, CTRL_TEXT_MSG, "note", clearTop, 200);
    ASSERT_GT(beside, 0);

    window()->resize(1360, 900);
    settle();
    int after = 0;
    GetCtrlAttribute(g_hmainPanel, added, ATTR_LEFT, &after);
    int columnLeft = 0;
    GetCtrlAttribute(g_hmainPanel, g_iCidDac_volt2_box[CHANNEL_COUNT - 1], ATTR_LEFT, &columnLeft);
    EXPECT_EQ(after, columnLeft + 100) << "it kept its place in the DAC column";
    EXPECT_EQ(after, left + 100 - wider);
    int noteTop = 0, noteLeft = 0;
    GetCtrlAttribute(g_hmainPanel, beside, ATTR_TOP, &noteTop);
    GetCtrlAttribute(g_hmainPanel, beside, ATTR_LEFT, &noteLeft);
    EXPECT_EQ(noteTop, clearTop) << "neither right of the monitor nor below it: it stays";
    EXPECT_EQ(noteLeft, 200);
}
