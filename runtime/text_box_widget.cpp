#include "runtime/text_box_widget.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
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
    // The operator's scrolling moves the first visible line.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        firstLine_ = value;
        viewport()->update();
    });
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
        syncScrollBars();
    }
}

int TextBoxWidget::lineHeight() const {
    return lineHeight_;
}

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

int TextBoxWidget::lastFirstLine() const {
    return std::max(0, lineCount() - visibleLines());
}

// Every range change of a scroll bar makes the scroll area lay itself out
// again, which would cost far more than the append itself. The box keeps its
// own first line and brings the scroll bars up to date once per pass of the
// event loop.
void TextBoxWidget::scheduleSync() {
    viewport()->update();
    if (syncPending_) return;
    syncPending_ = true;
    QMetaObject::invokeMethod(this, &TextBoxWidget::syncScrollBars, Qt::QueuedConnection);
}

void TextBoxWidget::syncScrollBars() {
    syncPending_ = false;
    firstLine_ = std::clamp(firstLine_, 0, lastFirstLine());
    QScrollBar* v = verticalScrollBar();
    const QSignalBlocker quiet(v);
    if (v->maximum() != lastFirstLine()) v->setRange(0, lastFirstLine());
    if (v->pageStep() != visibleLines()) v->setPageStep(visibleLines());
    v->setValue(firstLine_);
    const int contentWidth = widestChars_ * charWidth_ + 2 * kMargin;
    QScrollBar* h = horizontalScrollBar();
    const int lastLeft = std::max(0, contentWidth - viewport()->width());
    if (h->maximum() != lastLeft) h->setRange(0, lastLeft);
    if (h->pageStep() != viewport()->width()) h->setPageStep(viewport()->width());
    v->update();
    viewport()->update();
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
    scheduleSync();
    return true;
}

bool TextBoxWidget::replaceLine(int index, const QString& text) {
    if (index < 0 || index >= lineCount()) return false;
    lines_[static_cast<size_t>(index)] = text;
    noteWidth(text);
    scheduleSync();
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
    firstLine_ = 0;
    scheduleSync();
}

int TextBoxWidget::firstVisibleLine() const {
    return firstLine_;
}

void TextBoxWidget::setFirstVisibleLine(int line) {
    firstLine_ = std::clamp(line, 0, lastFirstLine());
    scheduleSync();
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
    syncScrollBars();
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
