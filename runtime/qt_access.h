#pragma once
// The Qt objects behind panels and controls, for tests that operate them as
// an operator would (clicks, typing). Null for unknown handles or ids.

class QRect;
class QWidget;

namespace tarvik::rt {
QWidget* PanelWidget(int panel);
QWidget* ControlWidget(int panel, int control);
// Sizes and places the panel's window as on a screen with this available area.
void FitPanelWindow(int panel, const QRect& available);
}  // namespace tarvik::rt
