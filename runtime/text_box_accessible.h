#pragma once
// What screen readers see of a text box: a read-only multi-line text whose
// content is the lines as shown (with their time stamps while those are
// shown), joined by '\n', and whose selection is the selected lines. Offsets
// count UTF-16 units of that text, as everywhere in Qt. Internal to runtime/.

#include <QAccessibleWidget>
#include <QString>
#include <QtGlobal>
#include <vector>

namespace tarvik::rt {

class TextBoxWidget;

// Makes Qt build a TextBoxAccessible for every text box. Call before the first
// box is asked for its interface (the box's constructor does); calling again
// does nothing.
void InstallTextBoxAccessibility();

class TextBoxAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
  public:
    explicit TextBoxAccessible(TextBoxWidget* box);

    // Read-only, multi-line, selectable, besides what any widget reports.
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    using QAccessibleWidget::text;
    // Out-of-range offsets are clamped to the text; an end of -1 means its end.
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    // Lines and paragraphs (the same here) are found from the line table; the
    // other boundaries are left to Qt, which searches the whole text.
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int* startOffset, int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int* startOffset, int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;

    // One selection at most: the selected lines, from the first one's start to
    // the last one's end. Setting a selection selects every line it touches.
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;

    // The box has no caret: the cursor is the start of the first selected line
    // (0 without a selection), and cannot be moved.
    int cursorPosition() const override;
    void setCursorPosition(int position) override;

    // In screen coordinates; offsetAtPoint gives -1 outside the text area.
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    // The text has no attributes: an empty string for a run covering all of it.
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

  private:
    TextBoxWidget* box() const;
    // Where each shown line starts; rebuilt when the box's text changed since.
    const std::vector<qint64>& lineStarts() const;
    // The line holding offset (its line end included); -1 in an empty box.
    int lineOf(qint64 offset) const;
    qint64 lineEnd(int line) const;
    // The whole line with its line end, for the line boundaries; -1s when there is none.
    QString wholeLine(int line, int* startOffset, int* endOffset) const;
    int resolveOffset(int offset) const;

    mutable std::vector<qint64> starts_;
    mutable quint64 startsRevision_ = 0;
    mutable bool startsBuilt_ = false;
};

// A change of a box's shown text: from position on, `removed` characters gave
// way to `inserted`.
struct ShownTextChange {
    qint64 position = 0;
    qint64 removed = 0;
    QString inserted;
};

// The change that made the box's shown text what it is now, from a text that
// was oldLength long, given that no line before firstChangedLine has changed
// or moved since. Costs the length of the lines from firstChangedLine on.
ShownTextChange DescribeTextChange(const TextBoxWidget& box, int firstChangedLine,
                                   qint64 oldLength);

// Tells screen readers of the change in one event; nothing for no change.
void SendTextChange(TextBoxWidget* box, const ShownTextChange& change);

}  // namespace tarvik::rt
