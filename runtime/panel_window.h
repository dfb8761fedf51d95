#pragma once
// The window a top-level panel is shown in. Internal to runtime/.
//
// The panel keeps the fixed positions of its file; the window scrolls it when
// it is smaller than the panel, opens no larger than the screen's available
// area, and gives one control, the panel's stretch control, the window's
// height: that control and the boxes around it grow and shrink with the
// window (never below its minimum height), the controls below it move with
// its bottom edge, and every other control stays where the file put it.

#include <QPointer>
#include <QRect>
#include <QScrollArea>
#include <vector>

namespace tarvik::rt {

class PanelWindow : public QScrollArea {
    Q_OBJECT
  public:
    // Takes the panel's root widget (it becomes the window's content). The
    // root's "stretchCtrl" property names the stretch control's object,
    // "stretchMinHeight" its least height in pixels; without them nothing
    // stretches. Controls added to the panel later keep their places.
    PanelWindow(QWidget* panel, QWidget* stretchControl, int minStretchHeight);

    // Sizes the window to show the whole panel where the available area
    // allows, never larger than it, and places it inside it.
    void fitInto(const QRect& available);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    struct Moving {
        QPointer<QWidget> widget;
        QRect home;
    };
    void layOutPanel();
    QSize wholePanelWindowSize(bool withHorizontalBar) const;

    QPointer<QWidget> panel_;
    QSize panelHome_;
    int bottomMargin_ = 0;
    int shrinkLimit_ = 0;               // the most the stretch control may lose
    std::vector<Moving> stretching_;    // the stretch control and the boxes holding it
    std::vector<Moving> belowStretch_;  // moved down by as much as the control grows
    QRect available_;                   // the area the window was last fitted into
    bool fitted_ = false;
};

}  // namespace tarvik::rt
