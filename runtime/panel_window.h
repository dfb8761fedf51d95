#pragma once
// The window a top-level panel is shown in. Internal to runtime/.
//
// The panel keeps the fixed positions of its file; the window scrolls it when
// it is smaller than the panel, opens no larger than the screen's available
// area, and gives one control, the panel's stretch control, the room the
// window has beyond the panel: that control and the boxes around it grow and
// shrink with the window's height (never below its minimum height) and grow
// with its width (never narrower than in the file); the controls below it move
// with its bottom edge, the controls to its right (the columns right of its
// column) with its right edge, and every other control stays where the file
// put it.

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
    // stretches. A control added to the panel later is placed in the panel as
    // it is laid out at that moment, and from the next layout on moves with
    // what lies where it was placed (right of the stretch control's column, or
    // below it, or neither).
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
        bool right = false;  // moves right as the stretch control widens
        bool below = false;  // moves down as it grows taller
    };
    void layOutPanel();
    // Takes in the widgets that came into the stretch control's boxes since the
    // last layout, their places read in the layout in force now.
    void noteNewWidgets();
    bool known(const QWidget* widget) const;
    QSize wholePanelWindowSize(bool withHorizontalBar) const;

    QPointer<QWidget> panel_;
    QSize panelHome_;
    int bottomMargin_ = 0;
    int shrinkLimit_ = 0;             // the most the stretch control may lose
    std::vector<Moving> stretching_;  // the stretch control and the boxes holding it
    std::vector<Moving> around_;      // the other widgets in those boxes
    int wider_ = 0;                   // the stretch control's growth now, in width
    int taller_ = 0;                  // and in height (negative when it shrank)
    QRect available_;                 // the area the window was last fitted into
    bool fitted_ = false;
};

}  // namespace tarvik::rt
