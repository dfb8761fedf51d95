#include "runtime/text_box_accessible.h"

#include <QAccessible>
#include <algorithm>
#include <limits>

#include "runtime/text_box_widget.h"

namespace tarvik::rt {
namespace {

// Qt counts offsets in int; a log longer than that is reported up to there.
int toOffset(qint64 value) {
    return static_cast<int>(std::clamp<qint64>(value, 0, std::numeric_limits<int>::max()));
}

// By Qt's convention for the offset-taking calls.
constexpr int kOffsetTextEnd = -1;
constexpr int kOffsetCursor = -2;

QAccessibleInterface* textBoxFactory(const QString& key, QObject* object) {
    if (key != QLatin1String(TextBoxWidget::staticMetaObject.className())) return nullptr;
    auto* box = qobject_cast<TextBoxWidget*>(object);
    return box ? new TextBoxAccessible(box) : nullptr;
}

bool byLines(QAccessible::TextBoundaryType type) {
    return type == QAccessible::LineBoundary || type == QAccessible::ParagraphBoundary;
}

}  // namespace

void InstallTextBoxAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(textBoxFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

TextBoxAccessible::TextBoxAccessible(TextBoxWidget* box)
    : QAccessibleWidget(box, QAccessible::EditableText) {}

TextBoxWidget* TextBoxAccessible::box() const {
    return static_cast<TextBoxWidget*>(widget());
}

QAccessible::State TextBoxAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

void* TextBoxAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

const std::vector<qint64>& TextBoxAccessible::lineStarts() const {
    const TextBoxWidget* b = box();
    if (startsBuilt_ && startsRevision_ == b->revision()) return starts_;
    // A fresh table, so that the memory of a cleared log's table goes with the old one.
    std::vector<qint64> starts;
    starts.reserve(static_cast<std::size_t>(b->lineCount()));
    qint64 at = 0;
    for (int i = 0; i < b->lineCount(); ++i) {
        starts.push_back(at);
        at += b->shownLineLength(i) + 1;
    }
    starts_.swap(starts);
    startsRevision_ = b->revision();
    startsBuilt_ = true;
    return starts_;
}

int TextBoxAccessible::lineOf(qint64 offset) const {
    const std::vector<qint64>& starts = lineStarts();
    if (starts.empty()) return -1;
    const auto after = std::upper_bound(starts.begin(), starts.end(), offset);
    return std::max(0, static_cast<int>(after - starts.begin()) - 1);
}

qint64 TextBoxAccessible::lineEnd(int line) const {
    return lineStarts()[static_cast<std::size_t>(line)] + box()->shownLineLength(line);
}

int TextBoxAccessible::resolveOffset(int offset) const {
    if (offset == kOffsetTextEnd) return characterCount();
    if (offset == kOffsetCursor) return cursorPosition();
    return offset;
}

int TextBoxAccessible::characterCount() const {
    return toOffset(box()->shownLength());
}

QString TextBoxAccessible::text(int startOffset, int endOffset) const {
    const qint64 count = characterCount();
    const qint64 from = std::clamp<qint64>(startOffset, 0, count);
    const qint64 to = endOffset < 0 ? count : std::clamp<qint64>(endOffset, from, count);
    QString result;
    if (from >= to) return result;
    const std::vector<qint64>& starts = lineStarts();
    const int lines = box()->lineCount();
    for (int i = lineOf(from); i < lines && starts[static_cast<std::size_t>(i)] < to; ++i) {
        const qint64 start = starts[static_cast<std::size_t>(i)];
        QString piece = box()->shownLine(i);
        if (i + 1 < lines) piece += QLatin1Char('\n');
        const qint64 begin = std::max<qint64>(from - start, 0);
        const qint64 end = std::min<qint64>(to - start, piece.size());
        result += QStringView(piece).sliced(begin, end - begin);
    }
    return result;
}

QString TextBoxAccessible::wholeLine(int line, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = -1;
    if (line < 0 || line >= box()->lineCount()) return {};
    const qint64 end = lineEnd(line) + (line + 1 < box()->lineCount() ? 1 : 0);
    *startOffset = toOffset(lineStarts()[static_cast<std::size_t>(line)]);
    *endOffset = toOffset(end);
    return text(*startOffset, *endOffset);
}

QString TextBoxAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                            int* startOffset, int* endOffset) const {
    offset = resolveOffset(offset);
    if (!byLines(boundaryType))
        return QAccessibleTextInterface::textBeforeOffset(offset, boundaryType, startOffset,
                                                          endOffset);
    *startOffset = *endOffset = -1;
    if (offset < 0 || offset > characterCount()) return {};
    return wholeLine(lineOf(offset) - 1, startOffset, endOffset);
}

QString TextBoxAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                           int* startOffset, int* endOffset) const {
    offset = resolveOffset(offset);
    if (!byLines(boundaryType))
        return QAccessibleTextInterface::textAfterOffset(offset, boundaryType, startOffset,
                                                         endOffset);
    *startOffset = *endOffset = -1;
    if (offset < 0 || offset > characterCount()) return {};
    return wholeLine(lineOf(offset) + 1, startOffset, endOffset);
}

QString TextBoxAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                        int* startOffset, int* endOffset) const {
    offset = resolveOffset(offset);
    if (!byLines(boundaryType))
        return QAccessibleTextInterface::textAtOffset(offset, boundaryType, startOffset, endOffset);
    *startOffset = *endOffset = -1;
    if (offset < 0 || offset > characterCount()) return {};
    return wholeLine(lineOf(offset), startOffset, endOffset);
}

void TextBoxAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    int first = 0, last = 0;
    if (selectionIndex != 0 || !box()->selectedLines(&first, &last)) {
        *startOffset = *endOffset = 0;
        return;
    }
    *startOffset = toOffset(lineStarts()[static_cast<std::size_t>(first)]);
    *endOffset = toOffset(lineEnd(last));
}

int TextBoxAccessible::selectionCount() const {
    int first = 0, last = 0;
    return box()->selectedLines(&first, &last) ? 1 : 0;
}

void TextBoxAccessible::addSelection(int startOffset, int endOffset) {
    setSelection(0, startOffset, endOffset);
}

void TextBoxAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex == 0) box()->clearSelection();
}

void TextBoxAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex != 0 || box()->lineCount() == 0) return;
    const int from = std::min(startOffset, endOffset);
    const int to = std::max(startOffset, endOffset);
    // The end is exclusive: a selection ending at a line's start leaves that line out.
    box()->selectLines(lineOf(from), lineOf(std::max(from, to - 1)));
}

int TextBoxAccessible::cursorPosition() const {
    int first = 0, last = 0;
    if (!box()->selectedLines(&first, &last)) return 0;
    return toOffset(lineStarts()[static_cast<std::size_t>(first)]);
}

void TextBoxAccessible::setCursorPosition(int position) {
    Q_UNUSED(position);
}

QRect TextBoxAccessible::characterRect(int offset) const {
    offset = resolveOffset(offset);
    const int line = lineOf(offset);
    if (line < 0) return {};
    const qint64 column = offset - lineStarts()[static_cast<std::size_t>(line)];
    const QRect inViewport = box()->characterRect(line, static_cast<int>(column));
    return {box()->viewport()->mapToGlobal(inViewport.topLeft()), inViewport.size()};
}

int TextBoxAccessible::offsetAtPoint(const QPoint& point) const {
    const QWidget* viewport = box()->viewport();
    const QPoint local = viewport->mapFromGlobal(point);
    int line = 0, column = 0;
    if (!viewport->rect().contains(local) || !box()->characterAt(local, &line, &column)) return -1;
    return toOffset(lineStarts()[static_cast<std::size_t>(line)] + column);
}

void TextBoxAccessible::scrollToSubstring(int startIndex, int endIndex) {
    Q_UNUSED(endIndex);
    const int line = lineOf(std::max(startIndex, 0));
    if (line >= 0) box()->scrollToLine(line);
}

QString TextBoxAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
    Q_UNUSED(offset);
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

ShownTextChange DescribeTextChange(const TextBoxWidget& box, int firstChangedLine,
                                   qint64 oldLength) {
    const int lines = box.lineCount();
    const int from = std::clamp(firstChangedLine, 0, lines);
    // The change starts at the line end before the first changed line (at 0 for
    // the first line); counted back from the end, it costs only what changed.
    qint64 position = box.shownLength();
    for (int i = lines - 1; i >= from; --i) position -= box.shownLineLength(i) + 1;
    ShownTextChange change;
    change.position = std::max<qint64>(position, 0);
    change.removed = std::max<qint64>(oldLength - change.position, 0);
    for (int i = from; i < lines; ++i) {
        if (i > 0) change.inserted += QLatin1Char('\n');
        change.inserted += box.shownLine(i);
    }
    return change;
}

void SendTextChange(TextBoxWidget* box, const ShownTextChange& change) {
    const int position = toOffset(change.position);
    // The removed text is gone by now; spaces of its length tell the reader how
    // much went, as Qt's own text widgets do.
    const QString removed(toOffset(change.removed), QLatin1Char(' '));
    if (removed.isEmpty() && change.inserted.isEmpty()) return;
    if (removed.isEmpty()) {
        QAccessibleTextInsertEvent event(box, position, change.inserted);
        QAccessible::updateAccessibility(&event);
    } else if (change.inserted.isEmpty()) {
        QAccessibleTextRemoveEvent event(box, position, removed);
        QAccessible::updateAccessibility(&event);
    } else {
        QAccessibleTextUpdateEvent event(box, position, removed, change.inserted);
        QAccessible::updateAccessibility(&event);
    }
}

}  // namespace tarvik::rt
