#pragma once
// A read-only text box of lines that stays fast with hundreds of thousands of
// lines: appending, replacing and scrolling cost the same at any size. Lines
// are selected whole (click, shift-click, drag, Ctrl+A) and copied with Ctrl+C
// or the context menu. Internal to runtime/.

#include <QAbstractScrollArea>
#include <QString>
#include <vector>

namespace tarvik::rt {

class TextBoxWidget : public QAbstractScrollArea {
    Q_OBJECT
  public:
    explicit TextBoxWidget(QWidget* parent = nullptr);

    int lineCount() const { return static_cast<int>(lines_.size()); }
    const QString& line(int index) const { return lines_[static_cast<size_t>(index)]; }
    // index -1, or one past the last line, appends; false when out of range.
    bool insertLine(int index, const QString& text);
    bool replaceLine(int index, const QString& text);
    // Replaces everything by text, split at line ends ("" leaves no line).
    void reset(const QString& text);

    // The topmost line in view; asking for a line past the last full page shows
    // the last page, so the line asked for is in view.
    int firstVisibleLine() const;
    void setFirstVisibleLine(int line);

    QString selectedText() const;
    void selectAll();

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
    void noteWidth(const QString& text);
    int lastFirstLine() const;
    void scheduleSync();
    void syncScrollBars();
    void copySelection() const;
    bool hasSelection() const { return anchor_ >= 0; }

    void cacheFontMetrics();

    std::vector<QString> lines_;
    int lineHeight_ = 1;
    int charWidth_ = 1;
    int ascent_ = 0;
    int widestChars_ = 0;
    int firstLine_ = 0;
    bool syncPending_ = false;
    int anchor_ = -1;  // selection: lines between anchor_ and cursor_, both included
    int cursor_ = -1;
};

}  // namespace tarvik::rt
