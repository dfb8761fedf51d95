#include "runtime/text_box_widget.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QSaveFile>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTime>
#include <algorithm>
#include <string>
#include <string_view>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "runtime/text_box_accessible.h"

namespace tarvik::rt {
namespace {

constexpr int kMargin = 4;
constexpr const char* kStampFormat = "hh:mm:ss.zzz";
static_assert(std::char_traits<char>::length(kStampFormat) + 1 == TextBoxWidget::kStampChars,
              "a stamp and its space");
constexpr const char* kNoSaveNote = "not set";  // "..., port not set"
constexpr const char* kSavedAtFormat = "yyyy-MM-dd HH:mm:ss";
constexpr const char* kLogNameFormat = "'%1-'yyyyMMdd-HHmmss'.txt'";
// Handing freed memory back to the system walks the heap; worth it only after
// a log that held this much.
constexpr std::size_t kTrimAfterBytes = std::size_t{1} << 20;

std::string_view bytesOf(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

QString fromBytes(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

constexpr qint64 kMsPerSecond = 1000;
constexpr qint64 kMsPerMinute = 60 * kMsPerSecond;
constexpr qint64 kMsPerHour = 60 * kMsPerMinute;
constexpr qint64 kMsPerDay = 24 * kMsPerHour;

// Lines record the local time of day, in milliseconds: that is all the box
// shows, and it fits 32 bits whatever the length of the session. Asking the C
// library for the local time costs a system call and more than the rest of an
// append; the offset from UTC changes only at whole minutes (daylight saving,
// a new time zone), so it is looked up once a minute.
class TimeOfDayClock {
  public:
    LineStore::Stamp now() {
        const qint64 utc = QDateTime::currentMSecsSinceEpoch();
        if (utc < validFrom_ || utc >= validUntil_) {
            offset_ = QDateTime::fromMSecsSinceEpoch(utc).offsetFromUtc() * kMsPerSecond;
            validFrom_ = utc - utc % kMsPerMinute;
            validUntil_ = validFrom_ + kMsPerMinute;
        }
        const qint64 local = utc + offset_;
        return static_cast<LineStore::Stamp>((local % kMsPerDay + kMsPerDay) % kMsPerDay);
    }

  private:
    qint64 offset_ = 0;
    qint64 validFrom_ = 0;
    qint64 validUntil_ = 0;
};

LineStore::Stamp now() {
    static TimeOfDayClock clock;
    return clock.now();
}

QString stampText(LineStore::Stamp stamp) {
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(stamp))
               .toString(QLatin1String(kStampFormat)) +
           QLatin1Char(' ');
}

// The C library keeps freed memory for the next allocation; after a large log
// is cleared the operator expects the memory back.
void giveFreedMemoryBack() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

}  // namespace

TextBoxWidget::TextBoxWidget(QWidget* parent) : QAbstractScrollArea(parent) {
    InstallTextBoxAccessibility();
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
    saveAction_ = new QAction(tr("Save log as…"), this);
    saveAction_->setShortcutContext(Qt::WindowShortcut);
    connect(saveAction_, &QAction::triggered, this, &TextBoxWidget::saveLogInteractively);
    // Added to the box, the action's key works while the box's window is active.
    addAction(saveAction_);
}

void TextBoxWidget::setSaveShortcut(const QKeySequence& key) {
    saveAction_->setShortcut(key);
}

QKeySequence TextBoxWidget::saveShortcut() const {
    return saveAction_->shortcut();
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

QString TextBoxWidget::line(int index) const {
    return fromBytes(lines_.line(static_cast<std::size_t>(index)));
}

QString TextBoxWidget::shownLine(int index) const {
    if (!showStamps_) return line(index);
    return stampText(lines_.stamp(static_cast<std::size_t>(index))) + line(index);
}

int TextBoxWidget::shownLineLength(int index) const {
    return static_cast<int>(Utf16Length(lines_.line(static_cast<std::size_t>(index)))) +
           stampChars();
}

qint64 TextBoxWidget::shownLength() const {
    const qint64 count = lineCount();
    if (count == 0) return 0;
    return utf16Units_ + count * stampChars() + (count - 1);
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

int TextBoxWidget::textLeft() const {
    return kMargin - horizontalScrollBar()->value();
}

void TextBoxWidget::noteWidth(const QString& text) {
    if (text.size() > widestChars_) widestChars_ = static_cast<int>(text.size());
}

void TextBoxWidget::noteChange(int firstChangedLine) {
    changedFrom_ = changedFrom_ < 0 ? firstChangedLine : std::min(changedFrom_, firstChangedLine);
    ++revision_;
}

int TextBoxWidget::lastFirstLine() const {
    return std::max(0, lineCount() - visibleLines());
}

// Every range change of a scroll bar makes the scroll area lay itself out
// again, which would cost far more than the append itself. The box keeps its
// own first line and brings the scroll bars (and screen readers) up to date
// once per pass of the event loop. Even asking for a repaint costs more than
// an append, so that waits for the sync too.
void TextBoxWidget::scheduleSync() {
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
    const int contentWidth = (widestChars_ + stampChars()) * charWidth_ + 2 * kMargin;
    QScrollBar* h = horizontalScrollBar();
    const int lastLeft = std::max(0, contentWidth - viewport()->width());
    if (h->maximum() != lastLeft) h->setRange(0, lastLeft);
    if (h->pageStep() != viewport()->width()) h->setPageStep(viewport()->width());
    v->update();
    viewport()->update();
    notifyAccessibility();
}

// One event for everything that changed since the last pass: a screen reader
// fed an event per line of a busy link would fall ever further behind.
void TextBoxWidget::notifyAccessibility() {
    if (changedFrom_ < 0) return;
    const int from = changedFrom_;
    const qint64 before = notedLength_;
    changedFrom_ = -1;
    notedLength_ = shownLength();
    if (QAccessible::isActive()) SendTextChange(this, DescribeTextChange(*this, from, before));
}

bool TextBoxWidget::insertLine(int index, const QString& text) {
    if (index == -1) index = lineCount();
    if (index < 0 || index > lineCount()) return false;
    const QByteArray bytes = text.toUtf8();
    if (!lines_.insert(static_cast<std::size_t>(index), bytesOf(bytes), now())) return false;
    utf16Units_ += static_cast<qint64>(Utf16Length(bytesOf(bytes)));
    // Keep the selection on the same lines.
    if (hasSelection()) {
        if (anchor_ >= index) ++anchor_;
        if (cursor_ >= index) ++cursor_;
    }
    noteWidth(text);
    noteChange(index);
    scheduleSync();
    return true;
}

bool TextBoxWidget::replaceLine(int index, const QString& text) {
    if (index < 0 || index >= lineCount()) return false;
    const auto at = static_cast<std::size_t>(index);
    const auto oldUnits = static_cast<qint64>(Utf16Length(lines_.line(at)));
    const QByteArray bytes = text.toUtf8();
    if (!lines_.replace(at, bytesOf(bytes), now())) return false;
    utf16Units_ += static_cast<qint64>(Utf16Length(bytesOf(bytes))) - oldUnits;
    noteWidth(text);
    noteChange(index);
    scheduleSync();
    return true;
}

void TextBoxWidget::reset(const QString& text) {
    const bool sizeable = lines_.capacityBytes() >= kTrimAfterBytes;
    lines_.clear();
    if (sizeable) giveFreedMemoryBack();
    utf16Units_ = 0;
    widestChars_ = 0;
    anchor_ = cursor_ = -1;
    firstLine_ = 0;
    noteChange(0);
    if (!text.isEmpty()) {
        const QStringList parts = text.split(QLatin1Char('\n'));
        for (const QString& part : parts)
            if (!insertLine(-1, part)) break;
    }
    scheduleSync();
}

int TextBoxWidget::firstVisibleLine() const {
    return firstLine_;
}

void TextBoxWidget::setFirstVisibleLine(int line) {
    firstLine_ = std::clamp(line, 0, lastFirstLine());
    scheduleSync();
}

void TextBoxWidget::scrollToLine(int line) {
    const int first = firstVisibleLine();
    if (line < first)
        setFirstVisibleLine(line);
    else if (line >= first + visibleLines())
        setFirstVisibleLine(line - visibleLines() + 1);
}

QString TextBoxWidget::selectedText() const {
    int first = 0, last = 0;
    if (!selectedLines(&first, &last)) return {};
    QString text;
    for (int i = first; i <= last; ++i) {
        text += shownLine(i);
        if (i < last) text += QLatin1Char('\n');
    }
    return text;
}

void TextBoxWidget::selectAll() {
    selectLines(0, lineCount() - 1);
}

void TextBoxWidget::selectLines(int first, int last) {
    if (lineCount() == 0) return;
    anchor_ = std::clamp(first, 0, lineCount() - 1);
    cursor_ = std::clamp(last, 0, lineCount() - 1);
    viewport()->update();
}

void TextBoxWidget::clearSelection() {
    anchor_ = cursor_ = -1;
    viewport()->update();
}

bool TextBoxWidget::selectedLines(int* first, int* last) const {
    if (!hasSelection()) return false;
    *first = std::min(anchor_, cursor_);
    *last = std::min(std::max(anchor_, cursor_), lineCount() - 1);
    return true;
}

void TextBoxWidget::setShowTimeStamps(bool show) {
    if (show == showStamps_) return;
    showStamps_ = show;
    noteChange(0);
    scheduleSync();
}

QRect TextBoxWidget::characterRect(int line, int column) const {
    const int top = kMargin / 2 + (line - firstVisibleLine()) * lineHeight();
    return {textLeft() + column * charWidth_, top, charWidth_, lineHeight()};
}

bool TextBoxWidget::characterAt(const QPoint& point, int* line, int* column) const {
    if (lineCount() == 0) return false;
    *line = lineAt(point.y());
    const int dx = point.x() - textLeft();
    *column = std::clamp(dx < 0 ? 0 : dx / charWidth_, 0, shownLineLength(*line));
    return true;
}

bool TextBoxWidget::saveLog(const QString& path, QString* error) const {
    QSaveFile file(path);
    const auto fail = [&](const QString& reason) {
        if (error)
            *error = tr("The log could not be saved to %1: %2")
                         .arg(QDir::toNativeSeparators(path), reason);
        return false;
    };
    if (!file.open(QIODevice::WriteOnly)) return fail(file.errorString());
    const QString port = saveNote_.isEmpty() ? QString::fromLatin1(kNoSaveNote) : saveNote_;
    const QString header =
        QStringLiteral("%1 serial monitor log, saved %2, port %3\n")
            .arg(saveTitle_, QDateTime::currentDateTime().toString(QLatin1String(kSavedAtFormat)),
                 port);
    file.write(header.toUtf8());
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (showStamps_) file.write(stampText(lines_.stamp(i)).toLatin1());
        const std::string_view text = lines_.line(i);
        file.write(text.data(), static_cast<qint64>(text.size()));
        file.putChar('\n');
    }
    // A write that failed on the way makes the commit fail, and the file is dropped.
    if (!file.commit()) return fail(file.errorString());
    return true;
}

void TextBoxWidget::saveLogInteractively() {
    const QString suggested = QDateTime::currentDateTime().toString(
        QString::fromLatin1(kLogNameFormat).arg(saveFileStem_));
    const QString path = QFileDialog::getSaveFileName(this, tr("Save log as"), suggested,
                                                      tr("Text files (*.txt);;All files (*)"));
    if (path.isEmpty()) return;
    QString error;
    if (!saveLog(path, &error)) QMessageBox::warning(this, tr("Save log"), error);
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
    const int x = textLeft();
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
        painter.drawText(x, top + ascent, shownLine(i));
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
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        // The keyboard's way to the context menu, where the Menu key is missing.
        int first = 0, last = 0;
        const int line = selectedLines(&first, &last) ? first : firstVisibleLine();
        const QRect at = characterRect(line, 0);
        const QPoint inView(kMargin, std::clamp(at.bottom(), 0, viewport()->height() - 1));
        showMenu(viewport()->mapToGlobal(inView));
    } else if (event->matches(QKeySequence::Copy)) {
        copySelection();
    } else if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
    } else {
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void TextBoxWidget::contextMenuEvent(QContextMenuEvent* event) {
    showMenu(event->globalPos());
}

void TextBoxWidget::showMenu(const QPoint& globalPos) {
    QMenu menu(this);
    QAction* copy = menu.addAction(tr("Copy"), this, &TextBoxWidget::copySelection);
    copy->setEnabled(hasSelection());
    menu.addAction(tr("Select All"), this, &TextBoxWidget::selectAll);
    menu.addSeparator();
    QAction* stamps = menu.addAction(tr("Show time stamps"));
    stamps->setCheckable(true);
    stamps->setChecked(showStamps_);
    connect(stamps, &QAction::toggled, this, &TextBoxWidget::setShowTimeStamps);
    menu.addSeparator();
    menu.addAction(saveAction_);
    menu.exec(globalPos);
}

}  // namespace tarvik::rt
