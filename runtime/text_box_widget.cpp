#include "runtime/text_box_widget.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace tarvik::rt {
namespace {
constexpr int kMargin = 4;
}

TextBoxWidget::TextBoxWidget(QWidget* parent) : QAbstractScrollArea(parent) {
    // Fixed pitch keeps the frame words' columns lined up.
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    cacheFontMetrics();
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(),
            QOverload<>::of(&QWidget::update));
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, viewport(),
            QOverload<>::of(&QWidget::update));
}

// Font metrics are asked for on every append; they change only with the font.
void TextBoxWidget::cacheFontMetrics() {
    QFontMetrics metrics = fontMetrics();
    lineHeight_ = std::max(1, metrics.lineSpacing());
    charWidth_ = std::max(1, metrics.horizontalAdvance(QLatin1Char('M')));
    ascent_ = metrics.ascent();
}

void TextBoxWidget::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        cacheFontMetrics();
        updateScrollRanges();
    }
}

int TextBoxWidget::lineHeight() const { return lineHeight_; }

int TextBoxWidget::visibleLines() const {
    return std::max(1, (viewport()->height() - kMargin) / lineHeight());
}

int TextBoxWidget::lineAt(int y) const {
    int line = firstVisibleLine() + (y - kMargin / 2) / lineHeight();
    return std::clamp(line, 0, std::max(0, lineCount() - 1));
}

void TextBoxWidget::noteWidth(const QString& text) {
    if (text.size() > widestChars_) widestChars_ = static_cast<int>(text.size());
}

void TextBoxWidget::updateScrollRanges() {
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, std::max(0, lineCount() - visibleLines()));
    v->setPageStep(visibleLines());
    int contentWidth = widestChars_ * charWidth_ + 2 * kMargin;
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, contentWidth - viewport()->width()));
    h->setPageStep(viewport()->width());
}

bool TextBoxWidget::insertLine(int index, const QString& text) {
    if (index == -1) index = lineCount();
    if (index < 0 || index > lineCount()) return false;
    lines_.insert(lines_.begin() + index, text);
    // Keep the selection on the same lines.
    if (hasSelection()) {
        if (anchor_ >= index) ++anchor_;
        if (cursor_ >= index) ++cursor_;
    }
    noteWidth(text);
    updateScrollRanges();
    viewport()->update();
    return true;
}

bool TextBoxWidget::replaceLine(int index, const QString& text) {
    if (index < 0 || index >= lineCount()) return false;
    lines_[static_cast<size_t>(index)] = text;
    noteWidth(text);
    updateScrollRanges();
    viewport()->update();
    return true;
}

void TextBoxWidget::reset(const QString& text) {
    lines_.clear();
    widestChars_ = 0;
    anchor_ = cursor_ = -1;
    if (!text.isEmpty()) {
        const QStringList parts = text.split(QLatin1Char('\n'));
        for (const QString& part : parts) {
            lines_.push_back(part);
            noteWidth(part);
        }
    }
    verticalScrollBar()->setValue(0);
    updateScrollRanges();
    viewport()->update();
}

int TextBoxWidget::firstVisibleLine() const { return verticalScrollBar()->value(); }

void TextBoxWidget::setFirstVisibleLine(int line) {
    verticalScrollBar()->setValue(std::clamp(line, 0, verticalScrollBar()->maximum()));
}

QString TextBoxWidget::selectedText() const {
    if (!hasSelection()) return {};
    int from = std::min(anchor_, cursor_), to = std::max(anchor_, cursor_);
    QString text;
    for (int i = from; i <= to && i < lineCount(); ++i) {
        text += line(i);
        if (i < to) text += QLatin1Char('\n');
    }
    return text;
}

void TextBoxWidget::selectAll() {
    if (lineCount() == 0) return;
    anchor_ = 0;
    cursor_ = lineCount() - 1;
    viewport()->update();
}

void TextBoxWidget::copySelection() const {
    if (hasSelection()) QApplication::clipboard()->setText(selectedText());
}

void TextBoxWidget::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const int height = lineHeight();
    const int first = firstVisibleLine();
    const int last = std::min(lineCount(), first + visibleLines() + 1);
    const int from = std::min(anchor_, cursor_), to = std::max(anchor_, cursor_);
    const int x = kMargin - horizontalScrollBar()->value();
    const int ascent = ascent_;
    for (int i = first; i < last; ++i) {
        int top = kMargin / 2 + (i - first) * height;
        bool selected = hasSelection() && i >= from && i <= to;
        if (selected) {
            painter.fillRect(0, top, viewport()->width(), height, palette().highlight());
            painter.setPen(palette().highlightedText().color());
        } else {
            painter.setPen(palette().text().color());
        }
        painter.drawText(x, top + ascent, line(i));
    }
}

void TextBoxWidget::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRanges();
}

void TextBoxWidget::mousePressEvent(QMouseEvent* event) {
    if (lineCount() == 0 || event->button() != Qt::LeftButton) return;
    int lineUnder = lineAt(event->position().toPoint().y());
    if (!(event->modifiers() & Qt::ShiftModifier) || !hasSelection()) anchor_ = lineUnder;
    cursor_ = lineUnder;
    viewport()->update();
}

void TextBoxWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || !hasSelection()) return;
    cursor_ = lineAt(event->position().toPoint().y());
    viewport()->update();
}

void TextBoxWidget::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
    } else if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
    } else {
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void TextBoxWidget::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copy = menu.addAction(tr("Copy"), this, &TextBoxWidget::copySelection);
    copy->setEnabled(hasSelection());
    menu.addAction(tr("Select All"), this, &TextBoxWidget::selectAll);
    menu.exec(event->globalPos());
}

}  // namespace tarvik::rt
