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
    // Tab goes from control to control: the scrolling frame itself is no stop.
    setFocusPolicy(Qt::NoFocus);
    int lowest = 0;
    for (QWidget* child : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        lowest = std::max(lowest, child->geometry().bottom() + 1);
    bottomMargin_ = std::max(0, panelHome_.height() - lowest);
    if (!stretchControl || !panel->isAncestorOf(stretchControl)) return;
    shrinkLimit_ = std::max(0, stretchControl->height() - minStretchHeight);
    // From the control up to the panel: each box grows with it, and what lies
    // below it or right of it inside the same box moves with its edges.
    for (QWidget* w = stretchControl; w != panel; w = w->parentWidget())
        stretching_.push_back({w, w->geometry()});
    noteNewWidgets();
}

bool PanelWindow::known(const QWidget* widget) const {
    for (const Moving& m : stretching_)
        if (m.widget == widget) return true;
    for (const Moving& m : around_)
        if (m.widget == widget) return true;
    return false;
}

void PanelWindow::noteNewWidgets() {
    for (const Moving& level : stretching_) {
        if (!level.widget) continue;
        // Where the stretch chain's edges are now, in this box. Right of it is
        // its column's right; below it, its column's part under its bottom.
        const int left = level.home.x();
        const int rightEdge = level.home.right() + 1 + wider_;
        const int bottomEdge = level.home.bottom() + 1 + taller_;
        for (QWidget* sibling :
             level.widget->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (known(sibling)) continue;
            Moving m{sibling, sibling->geometry()};
            m.right = m.home.x() >= rightEdge;
            m.below = !m.right && m.home.y() >= bottomEdge && m.home.right() + 1 > left;
            m.home.translate(m.right ? -wider_ : 0, m.below ? -taller_ : 0);
            around_.push_back(m);
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
    noteNewWidgets();
    const QSize inside(width() - 2 * frameWidth(), height() - 2 * frameWidth());
    const int barHeight = horizontalScrollBar()->sizeHint().height();
    const int barWidth = verticalScrollBar()->sizeHint().width();
    auto apply = [this, &inside, barHeight, barWidth](bool horizontalBar, bool verticalBar) {
        const int viewHeight = inside.height() - (horizontalBar ? barHeight : 0);
        const int viewWidth = inside.width() - (verticalBar ? barWidth : 0);
        const bool stretches = !stretching_.empty();
        taller_ = stretches ? std::max(viewHeight - panelHome_.height(), -shrinkLimit_) : 0;
        wider_ = stretches ? std::max(viewWidth - panelHome_.width(), 0) : 0;
        for (const Moving& m : stretching_)
            if (m.widget) m.widget->resize(m.home.width() + wider_, m.home.height() + taller_);
        for (const Moving& m : around_)
            if (m.widget && (m.right || m.below))
                m.widget->move(m.home.x() + (m.right ? wider_ : 0),
                               m.home.y() + (m.below ? taller_ : 0));
        int lowest = 0;
        for (QWidget* child : panel_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!child->isHidden()) lowest = std::max(lowest, child->geometry().bottom() + 1);
        panel_->resize(panelHome_.width() + wider_, lowest + bottomMargin_);
        return panel_->height() > viewHeight;  // a vertical scroll bar will show
    };
    bool horizontalBar = panelHome_.width() > inside.width();
    // The vertical bar's width takes from the room the control may widen into,
    // and may be what makes the panel too wide.
    if (apply(horizontalBar, false)) {
        horizontalBar = horizontalBar || panelHome_.width() > inside.width() - barWidth;
        apply(horizontalBar, true);
    }
}

}  // namespace tarvik::rt
