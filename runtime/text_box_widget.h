#pragma once
// A read-only text box of lines that stays fast with a million lines:
// appending, replacing and scrolling cost the same at any size, and a line
// costs little more than its text. Lines are selected whole (click,
// shift-click, drag, Ctrl+A) and copied with Ctrl+C or the context menu, which
// also shows each line's time stamp and saves the whole log to a file. The
// context menu opens with a right click, the Menu key or Shift+F10 (then at
// the first selected line, or at the box's top); "Save log as..." can also
// have a key of its own (setSaveShortcut). Screen readers read it as a
// read-only multi-line text. Internal to runtime/.

#include <QAbstractScrollArea>
#include <QKeySequence>
#include <QString>
#include <QtGlobal>

#include "runtime/line_store.h"

namespace tarvik::rt {

class TextBoxWidget : public QAbstractScrollArea {
    Q_OBJECT
  public:
    // "hh:mm:ss.mmm " before a line while time stamps are shown.
    static constexpr int kStampChars = 13;

    explicit TextBoxWidget(QWidget* parent = nullptr);

    int lineCount() const { return static_cast<int>(lines_.size()); }
    // The line's text as the program gave it, never with a time stamp.
    // index must be below lineCount().
    QString line(int index) const;
    // The line as the box shows it, copies it and saves it: with its time stamp
    // while time stamps are shown. index must be below lineCount().
    QString shownLine(int index) const;
    // shownLine(index).size(), without building the string.
    int shownLineLength(int index) const;

    // index -1, or one past the last line, appends. Returns false, changing
    // nothing, when index is out of range or the box is full (4 GiB of text).
    bool insertLine(int index, const QString& text);
    // Returns false, changing nothing, when there is no line index or the box
    // would be full. The line's time stamp becomes now.
    bool replaceLine(int index, const QString& text);
    // Replaces everything by text, split at line ends ("" leaves no line, and
    // gives the memory of the old lines back to the system).
    void reset(const QString& text);

    // The topmost line in view; asking for a line past the last full page shows
    // the last page, so the line asked for is in view.
    int firstVisibleLine() const;
    void setFirstVisibleLine(int line);
    // Scrolls only when the line is not in view already.
    void scrollToLine(int line);

    // The selected lines as shown, joined by '\n'; empty without a selection.
    QString selectedText() const;
    void selectAll();
    // Selects lines first to last (both included, either order), clamped to the
    // lines there are; nothing happens in an empty box.
    void selectLines(int first, int last);
    void clearSelection();
    // False without a selection; else the first and last selected line.
    bool selectedLines(int* first, int* last) const;

    // Whether every line is shown prefixed with the local time it was logged.
    bool showTimeStamps() const { return showStamps_; }
    void setShowTimeStamps(bool show);

    // A key that opens "Save log as..." from anywhere in the box's window while it
    // is active (the menu shows it); an empty sequence removes it.
    void setSaveShortcut(const QKeySequence& key);
    QKeySequence saveShortcut() const;

    // The text named as the port in a saved log's first line ("COM1 (/dev/ttyUSB0)").
    QString saveNote() const { return saveNote_; }
    void setSaveNote(const QString& note) { saveNote_ = note; }
    // The program that saves a log, as its first line names it ("Tarvikdebug 1.0.14"), and the
    // stem of the file name the save dialog suggests ("tarvikdebug-log").
    void setSaveTitle(const QString& title, const QString& fileStem) {
        saveTitle_ = title;
        saveFileStem_ = fileStem;
    }
    // Writes a first line naming the program, its version, the time and the
    // port, then every line as shown, in UTF-8 with '\n' after each line.
    // Returns false with the reason in *error (when error is not null); a
    // failed save leaves no file behind, and an existing file as it was.
    bool saveLog(const QString& path, QString* error) const;

    // The length of all lines as shown, joined by '\n'.
    qint64 shownLength() const;
    // Counts every change of the shown text, so a reader can tell that what it
    // learnt of the text is out of date.
    quint64 revision() const { return revision_; }

    // Where the column-th character of the line is drawn, in viewport
    // coordinates (fixed pitch, so any column has a place even past the end).
    QRect characterRect(int line, int column) const;
    // The line and column at a viewport point; false in an empty box.
    bool characterAt(const QPoint& point, int* line, int* column) const;

  protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    int lineHeight() const;
    int visibleLines() const;
    int lineAt(int y) const;
    int textLeft() const;
    void noteWidth(const QString& text);
    void noteChange(int firstChangedLine);
    int lastFirstLine() const;
    void scheduleSync();
    void syncScrollBars();
    void notifyAccessibility();
    void copySelection() const;
    void saveLogInteractively();
    void showMenu(const QPoint& globalPos);
    bool hasSelection() const { return anchor_ >= 0; }
    int stampChars() const { return showStamps_ ? kStampChars : 0; }

    void cacheFontMetrics();

    LineStore lines_;
    qint64 utf16Units_ = 0;  // the lines' length without stamps or line ends
    int lineHeight_ = 1;
    int charWidth_ = 1;
    int ascent_ = 0;
    int widestChars_ = 0;
    int firstLine_ = 0;
    bool syncPending_ = false;
    int anchor_ = -1;  // selection: lines between anchor_ and cursor_, both included
    int cursor_ = -1;
    bool showStamps_ = false;
    QString saveNote_;
    QString saveTitle_ = QStringLiteral("Serial monitor");
    QString saveFileStem_ = QStringLiteral("serial-monitor-log");
    QAction* saveAction_ = nullptr;  // "Save log as...", in the menu and for its key
    quint64 revision_ = 0;
    // What screen readers were last told: the first line changed since (-1:
    // none), and the shown length then.
    int changedFrom_ = -1;
    qint64 notedLength_ = 0;
};

}  // namespace tarvik::rt
