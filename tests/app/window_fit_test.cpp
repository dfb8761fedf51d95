// The main window on the screens it must fit: opened no larger than the
// available area, every control reachable by scrolling, and the serial
// monitor, alone, following the window's height.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QRect>
#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>
#include <algorithm>

#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "runtime/qt_access.h"
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

TEST_F(WindowFitTest, OnlyTheMonitorFollowsTheWindowsHeight) {
    fit(1920, 1200);
    const int monitor = widget(PANEL_SERIAL_WINDOW)->height();
    const int monitorWidth = widget(PANEL_SERIAL_WINDOW)->width();
    const QRect dacBox = inView(g_iCidDac_volt1_box[3]);
    const QRect registerBox = inView(PANEL_REG_ADDRESS);
    auto clearGap = [] {
        QWidget* m = widget(PANEL_SERIAL_WINDOW);
        return widget(PANEL_CLEAR_MONITOR)->mapTo(m->window(), QPoint(0, 0)).y() -
               m->mapTo(m->window(), QPoint(0, m->height())).y();
    };
    const int gap = clearGap();

    // Wide enough that no horizontal scroll bar takes height from the view.
    window()->resize(1900, window()->height() + 150);
    settle();
    EXPECT_EQ(widget(PANEL_SERIAL_WINDOW)->height(), monitor + 150);
    EXPECT_EQ(widget(PANEL_SERIAL_WINDOW)->width(), monitorWidth);
    EXPECT_EQ(clearGap(), gap) << "Clear monitor moves with the monitor's bottom";
    EXPECT_TRUE(wholeInView(PANEL_CLEAR_MONITOR));
    EXPECT_EQ(inView(g_iCidDac_volt1_box[3]), dacBox) << "other controls keep their places";
    EXPECT_EQ(inView(PANEL_REG_ADDRESS), registerBox);

    window()->resize(window()->width(), window()->height() - 300);
    settle();
    EXPECT_EQ(widget(PANEL_SERIAL_WINDOW)->height(), monitor - 150);

    window()->resize(window()->width(), 150);
    settle();
    EXPECT_EQ(widget(PANEL_SERIAL_WINDOW)->height(), kMinMonitorHeight) << "never below";
    EXPECT_EQ(clearGap(), gap);
    EXPECT_TRUE(reachable(PANEL_CLEAR_MONITOR));
}
