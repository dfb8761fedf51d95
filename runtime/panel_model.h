#pragma once
// The engine's bookkeeping of loaded panels and their controls. Internal to
// runtime/: only the engine's own sources include Qt.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <map>
#include <memory>
#include <vector>

#include "runtime/callbacks.h"

class QLabel;
class QShortcut;
class QTimer;

namespace tarvik::rt {

struct Control {
    int id = 0;
    int style = 0;     // CTRL_ value
    int dataType = 0;  // VAL_ value
    QString constantName;
    QString callbackName;
    CtrlCallbackPtr callback = nullptr;
    QPointer<QWidget> widget;
    QPointer<QLabel> label;   // the visible label that names a data control
    QTimer* timer = nullptr;  // timers only; owned by the panel's root widget
    int displaySetting737 = 0;
    QChar mnemonic;  // a button's (or buddy label's) mnemonic letter in the panel file
    QPointer<QShortcut> shortcut;  // ATTR_SHORTCUT_KEY of a button
    int returnControl = 0;         // ATTR_RETURN_CTRL
    QMetaObject::Connection returnConnection;
};

struct Panel {
    int handle = 0;
    QPointer<QWidget> root;
    std::map<int, std::unique_ptr<Control>> controls;
    std::vector<int> tabOrder;  // control ids, first to last
    int closeControl = 0;
};

// Null when the handle or id is unknown; the detail of the failure is set.
Panel* FindPanel(int handle);
Control* FindControl(int panel, int control);
// Takes ownership; returns the new handle.
int AddPanel(std::unique_ptr<Panel> panel);
void RemovePanel(int handle);
void RemoveAllPanels();

// Sets the text that GetUILErrorDetail returns and passes the code on.
int UiFail(int code, const QString& detail);

// Runs the control's callback with the event, if it has one.
void DeliverEvent(int panel, int control, int event);

// Connects the widget's user actions to commit events of the control, and a
// timer's timeouts to tick events.
void WireControlEvents(Panel& panel, Control& control);

// Re-chains Qt's focus order after panel.tabOrder changed.
void ApplyTabOrder(Panel& panel);

// The control whose widget is w or holds it (a spin box's inner line edit); null for none.
Control* ControlOfWidget(Panel& panel, const QWidget* w);

// True once InitCVIRTE has succeeded.
bool EngineStarted();

}  // namespace tarvik::rt
