#include "runtime/panel_window.h"

#include <QGuiApplication>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

namespace tarvik::rt {
namespace {

// Room a window manager takes for the title bar and borders; known only once
// the window is shown, so the first fit leaves this much and a second one
// corrects it.
constexpr int kDecorationWidth = 16;
constexpr int kDecorationHeight = 40;

}  // namespace

PanelWindow::PanelWindow(QWidget* panel, QWidget* stretchControl, int minStretchHeight)
    : panel_(panel), panelHome_(panel->size()) {
    setWidgetResizable(false);
    setWidget(panel);
    setFrameShape(QFrame::NoFrame);
    int lowest = 0;
    for (QWidget* child : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        lowest = std::max(lowest, child->geometry().bottom() + 1);
    bottomMargin_ = std::max(0, panelHome_.height() - lowest);
    if (!stretchControl || !panel->isAncestorOf(stretchControl)) return;
    shrinkLimit_ = std::max(0, stretchControl->height() - minStretchHeight);
    // From the control up to the panel: each box grows with it, and what lies
    // below it inside the same box moves down.
    for (QWidget* w = stretchControl; w != panel; w = w->parentWidget()) {
        stretching_.push_back({w, w->geometry()});
        for (QWidget* sibling :
             w->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (sibling != w && sibling->y() >= w->geometry().bottom() + 1)
                belowStretch_.push_back({sibling, sibling->geometry()});
        }
    }
}

QSize PanelWindow::wholePanelWindowSize(bool withHorizontalBar) const {
    QSize size = panelHome_;
    size.rwidth() += 2 * frameWidth();
    size.rheight() += 2 * frameWidth();
    if (withHorizontalBar) size.rheight() += horizontalScrollBar()->sizeHint().height();
    return size;
}

void PanelWindow::fitInto(const QRect& available) {
    fitted_ = true;
    available_ = available;
    const QSize room(std::max(1, available.width() - kDecorationWidth),
                     std::max(1, available.height() - kDecorationHeight));
    const bool tooNarrow = wholePanelWindowSize(false).width() > room.width();
    QSize size = wholePanelWindowSize(tooNarrow).boundedTo(room);
    resize(size);
    move(available.x() + (available.width() - kDecorationWidth - size.width()) / 2, available.y());
    layOutPanel();
}

void PanelWindow::showEvent(QShowEvent* event) {
    QScrollArea::showEvent(event);
    if (fitted_) return;
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    fitInto(screen->availableGeometry());
    // With the decorations known, take back what sticks out of the area.
    QTimer::singleShot(0, this, [this] {
        const QRect outer = frameGeometry();
        if (available_.contains(outer)) return;
        resize(width() - std::max(0, outer.width() - available_.width()),
               height() - std::max(0, outer.height() - available_.height()));
        move(std::max(available_.x(), x()), std::max(available_.y(), y()));
    });
}

void PanelWindow::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    layOutPanel();
}

// Works from the window's own size, not the viewport's: the scroll bars
// follow the panel's size, which this sets, so they would lag one step.
void PanelWindow::layOutPanel() {
    if (!panel_) return;
    const QSize inside(width() - 2 * frameWidth(), height() - 2 * frameWidth());
    const int barHeight = horizontalScrollBar()->sizeHint().height();
    const int barWidth = verticalScrollBar()->sizeHint().width();
    auto apply = [this, &inside, barHeight](bool horizontalBar) {
        const int view = inside.height() - (horizontalBar ? barHeight : 0);
        const int change =
            stretching_.empty() ? 0 : std::max(view - panelHome_.height(), -shrinkLimit_);
        for (const Moving& m : stretching_)
            if (m.widget) m.widget->resize(m.home.width(), m.home.height() + change);
        for (const Moving& m : belowStretch_)
            if (m.widget) m.widget->move(m.home.x(), m.home.y() + change);
        int lowest = 0;
        for (QWidget* child : panel_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!child->isHidden()) lowest = std::max(lowest, child->geometry().bottom() + 1);
        panel_->resize(panelHome_.width(), lowest + bottomMargin_);
        return panel_->height() > view;  // a vertical scroll bar will show
    };
    const bool horizontalBar = panelHome_.width() > inside.width();
    const bool verticalBar = apply(horizontalBar);
    // The vertical bar's width may be what makes the panel too wide.
    if (!horizontalBar && verticalBar && panelHome_.width() > inside.width() - barWidth)
        apply(true);
}

}  // namespace tarvik::rt
