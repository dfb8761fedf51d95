#pragma once
// The Qt objects behind panels and controls, for tests that operate them as
// an operator would (clicks, typing). Null for unknown handles or ids.

class QWidget;

namespace tarvik::rt {
QWidget* PanelWidget(int panel);
QWidget* ControlWidget(int panel, int control);
}  // namespace tarvik::rt
