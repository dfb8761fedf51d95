#include "runtime/panel_model.h"

#include <QAbstractButton>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QTimer>
#include <string>

#include "runtime/panel_window.h"
#include "runtime/qt_access.h"
#include "runtime/userint.h"

namespace tarvik::rt {
namespace {

struct Registry {
    std::map<int, std::unique_ptr<Panel>> panels;
    int nextHandle = 1;
    std::string lastError = "no error";
    int callbackDepth = 0;
};

Registry& registry() {
    static Registry r;
    return r;
}

// The root's window (the panel's scrolling window) goes with it.
void destroyRoot(QWidget* panelRoot) {
    if (!panelRoot) return;
    QWidget* root = panelRoot->window();
    root->hide();
    // A panel discarded from inside one of its own callbacks is still on the stack.
    if (registry().callbackDepth > 0)
        root->deleteLater();
    else
        delete root;
}

}  // namespace

int UiFail(int code, const QString& detail) {
    registry().lastError = detail.toStdString();
    return code;
}

Panel* FindPanel(int handle) {
    auto it = registry().panels.find(handle);
    if (it == registry().panels.end() || !it->second->root) {
        UiFail(UIE_BAD_PANEL, QStringLiteral("no panel with handle %1").arg(handle));
        return nullptr;
    }
    return it->second.get();
}

Control* FindControl(int panel, int control) {
    Panel* p = FindPanel(panel);
    if (!p) return nullptr;
    auto it = p->controls.find(control);
    if (it == p->controls.end() || !it->second->widget) {
        UiFail(UIE_BAD_CONTROL,
               QStringLiteral("no control with id %1 on panel %2").arg(control).arg(panel));
        return nullptr;
    }
    return it->second.get();
}

int AddPanel(std::unique_ptr<Panel> panel) {
    int handle = registry().nextHandle++;
    panel->handle = handle;
    registry().panels[handle] = std::move(panel);
    return handle;
}

void RemovePanel(int handle) {
    auto it = registry().panels.find(handle);
    if (it == registry().panels.end()) return;
    QWidget* root = it->second->root;
    registry().panels.erase(it);
    destroyRoot(root);
}

void RemoveAllPanels() {
    while (!registry().panels.empty()) RemovePanel(registry().panels.begin()->first);
}

void DeliverEvent(int panel, int control, int event) {
    Control* c = FindControl(panel, control);
    if (!c || !c->callback) return;
    CtrlCallbackPtr callback = c->callback;
    ++registry().callbackDepth;
    callback(panel, control, event, nullptr, 0, 0);
    --registry().callbackDepth;
}

void WireControlEvents(Panel& panel, Control& control) {
    const int handle = panel.handle, id = control.id;
    auto commit = [handle, id] { DeliverEvent(handle, id, EVENT_COMMIT); };
    QWidget* w = control.widget;
    if (control.style == CTRL_TIMER) {
        QObject::connect(control.timer, &QTimer::timeout,
                         [handle, id] { DeliverEvent(handle, id, EVENT_TIMER_TICK); });
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        // clicked() comes from the operator (or click()), never from setChecked().
        QObject::connect(button, &QAbstractButton::clicked, commit);
    } else if (auto* spin = qobject_cast<QDoubleSpinBox*>(w)) {
        spin->setKeyboardTracking(false);
        QObject::connect(spin, &QDoubleSpinBox::valueChanged, commit);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        QObject::connect(edit, &QLineEdit::editingFinished, [edit, commit] {
            if (!edit->isModified()) return;
            edit->setModified(false);
            commit();
        });
    }
}

void ApplyTabOrder(Panel& panel) {
    QWidget* previous = nullptr;
    for (int id : panel.tabOrder) {
        auto it = panel.controls.find(id);
        if (it == panel.controls.end() || !it->second->widget) continue;
        QWidget* w = it->second->widget;
        if (previous) QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

Control* ControlOfWidget(Panel& panel, const QWidget* w) {
    for (; w && w != panel.root; w = w->parentWidget())
        for (auto& [id, c] : panel.controls)
            if (c->widget == w) return c.get();
    return nullptr;
}

QWidget* PanelWidget(int panel) {
    Panel* p = FindPanel(panel);
    return p ? p->root.data() : nullptr;
}

void FitPanelWindow(int panel, const QRect& available) {
    Panel* p = FindPanel(panel);
    if (auto* window = p ? qobject_cast<PanelWindow*>(p->root->window()) : nullptr)
        window->fitInto(available);
}

QWidget* ControlWidget(int panel, int control) {
    Control* c = FindControl(panel, control);
    return c ? c->widget.data() : nullptr;
}

}  // namespace tarvik::rt

const char* GetUILErrorDetail(void) {
    return tarvik::rt::registry().lastError.c_str();
}
