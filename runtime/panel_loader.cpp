// Loads a panel from a Qt Designer form. A control is any widget that carries
// the dynamic property "ctrlId"; its object name is its constant name, the
// property "callback" names its callback, "dataType" ("int", "float",
// "double") types a numeric box, and a QWidget with "ctrlKind" = "timer" is a
// timer ("interval" in seconds, "enabled"). The form's root carries
// "resourceId" and optionally "closeCtrl", "stretchCtrl" and "stretchMinHeight".
// A label's "buddy" names the control it labels (its name for screen readers); a
// label's "describes" names the control whose description it is (a hint beside
// it); a '&' in a button's or buddy label's text marks its mnemonic.

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QUiLoader>

#include "runtime/control_keys.h"
#include "runtime/number_box.h"
#include "runtime/panel_model.h"
#include "runtime/panel_window.h"
#include "runtime/text_box_widget.h"
#include "runtime/userint.h"

namespace tarvik::rt {
namespace {

constexpr const char* kTextBoxClass = "TextBox";
constexpr int kFloatDecimals = 4;
constexpr int kDefaultMaxEntryLength = 255;

class Loader : public QUiLoader {
  public:
    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        if (className == QLatin1String(kTextBoxClass)) {
            auto* box = new TextBoxWidget(parent);
            box->setObjectName(name);
            return box;
        }
        if (className == QLatin1String("QDoubleSpinBox")) {
            auto* box = new NumberBox(parent);
            box->setObjectName(name);
            return box;
        }
        return QUiLoader::createWidget(className, parent, name);
    }
};

// The title-bar close operates the panel's close control, as a click would.
class CloseFilter : public QObject {
  public:
    explicit CloseFilter(int handle, QObject* parent) : QObject(parent), handle_(handle) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Close) return QObject::eventFilter(watched, event);
        event->ignore();
        if (Panel* p = FindPanel(handle_); p && p->closeControl > 0)
            DeliverEvent(handle_, p->closeControl, EVENT_COMMIT);
        return true;
    }

  private:
    int handle_;
};

int styleOf(QWidget* w) {
    if (w->property("ctrlKind").toString() == QLatin1String("timer")) return CTRL_TIMER;
    if (qobject_cast<TextBoxWidget*>(w)) return CTRL_TEXT_BOX;
    if (qobject_cast<QPushButton*>(w)) return CTRL_COMMAND_BUTTON;
    if (qobject_cast<QAbstractButton*>(w)) return CTRL_TOGGLE;
    if (qobject_cast<QDoubleSpinBox*>(w)) return CTRL_NUMERIC;
    if (qobject_cast<QLineEdit*>(w)) return CTRL_STRING;
    if (qobject_cast<QLabel*>(w)) return CTRL_TEXT_MSG;
    if (qobject_cast<QProgressBar*>(w)) return CTRL_PROGRESS_BAR;
    return 0;
}

int dataTypeOf(QWidget* w, int style) {
    if (style == CTRL_NUMERIC) {
        QString type = w->property("dataType").toString();
        if (type == QLatin1String("int")) return VAL_INTEGER;
        if (type == QLatin1String("float")) return VAL_FLOAT;
        return VAL_DOUBLE;
    }
    if (style == CTRL_STRING || style == CTRL_TEXT_MSG || style == CTRL_TEXT_BOX) return VAL_STRING;
    return VAL_INTEGER;
}

QString resolvePath(const char* fileName) {
    QString name = QString::fromUtf8(fileName);
    if (QFileInfo::exists(name) || QDir::isAbsolutePath(name)) return name;
    // Like the original program, the panel file may sit next to the executable.
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    return QFileInfo::exists(beside) ? beside : name;
}

struct CallbackTable {
    const CallbackEntry* entries = nullptr;
    int size = 0;
};
CallbackTable g_callbacks;

CtrlCallbackPtr lookUpCallback(const QString& name) {
    for (int i = 0; i < g_callbacks.size; ++i)
        if (name == QLatin1String(g_callbacks.entries[i].name))
            return g_callbacks.entries[i].function;
    return nullptr;
}

// Fills the control from its widget; returns an error text, empty on success.
QString describeControl(QWidget* w, Control& c) {
    c.constantName = w->objectName();
    c.style = styleOf(w);
    if (c.style == 0)
        return QStringLiteral("%1 is a %2, which is no control kind")
            .arg(c.constantName, w->metaObject()->className());
    c.dataType = dataTypeOf(w, c.style);
    c.callbackName = w->property("callback").toString();
    if (!c.callbackName.isEmpty()) {
        c.callback = lookUpCallback(c.callbackName);
        if (!c.callback)
            return QStringLiteral("unknown callback '%1' on %2")
                .arg(c.callbackName, c.constantName);
    }
    c.widget = w;
    return {};
}

void prepareWidget(Control& c) {
    QWidget* w = c.widget;
    if (auto* spin = qobject_cast<QDoubleSpinBox*>(w)) {
        spin->setDecimals(c.dataType == VAL_INTEGER ? 0 : kFloatDecimals);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->maxLength() > kDefaultMaxEntryLength) edit->setMaxLength(kDefaultMaxEntryLength);
    } else if (c.style == CTRL_TIMER) {
        w->hide();
        c.timer = new QTimer(w);
        c.timer->setTimerType(Qt::PreciseTimer);
        double seconds =
            w->property("interval").isValid() ? w->property("interval").toDouble() : 1.0;
        c.timer->setInterval(static_cast<int>(seconds * 1000.0 + 0.5));
        if (!w->property("enabled").isValid() || w->property("enabled").toBool()) c.timer->start();
    }
}

bool takesFocus(int style) {
    return style != CTRL_TEXT_MSG && style != CTRL_TIMER && style != CTRL_PROGRESS_BAR;
}

}  // namespace
}  // namespace tarvik::rt

using namespace tarvik::rt;

int LoadPanel(int parentPanel, const char* fileName, int resourceId) {
    if (!EngineStarted())
        return UiFail(UIE_NOT_STARTED, QStringLiteral("the engine is not started"));
    if (parentPanel != 0)
        return UiFail(UIE_BAD_PANEL, QStringLiteral("only top-level panels are supported"));
    if (!fileName) return UiFail(UIE_FILE_NOT_FOUND, QStringLiteral("no file name"));
    InstallToggleAccessibility();
    QString path = resolvePath(fileName);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return UiFail(UIE_FILE_NOT_FOUND, QStringLiteral("%1: %2").arg(path, file.errorString()));
    Loader loader;
    QWidget* root = loader.load(&file);
    if (!root) {
        QString why = loader.errorString().isEmpty() ? QStringLiteral("not a panel file")
                                                     : loader.errorString();
        return UiFail(UIE_BAD_FILE, QStringLiteral("%1: %2").arg(path, why));
    }
    auto panel = std::make_unique<Panel>();
    panel->root = root;
    auto fail = [&](int code, const QString& why) {
        delete root;
        return UiFail(code, QStringLiteral("%1: %2").arg(path, why));
    };
    if (!root->property("resourceId").isValid() ||
        root->property("resourceId").toInt() != resourceId)
        return fail(UIE_NO_RESOURCE,
                    QStringLiteral("no panel with resource id %1").arg(resourceId));

    const QList<QWidget*> widgets = root->findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        QVariant id = w->property("ctrlId");
        if (!id.isValid()) continue;
        bool ok = false;
        int ctrlId = id.toInt(&ok);
        if (!ok || ctrlId <= 0)
            return fail(UIE_BAD_FILE, QStringLiteral("%1 has an invalid id").arg(w->objectName()));
        if (panel->controls.count(ctrlId))
            return fail(UIE_BAD_FILE, QStringLiteral("id %1 is used twice").arg(ctrlId));
        auto control = std::make_unique<Control>();
        control->id = ctrlId;
        QString error = describeControl(w, *control);
        if (!error.isEmpty())
            return fail(error.startsWith(QLatin1String("unknown callback")) ? UIE_UNKNOWN_CALLBACK
                                                                            : UIE_BAD_FILE,
                        error);
        panel->controls[ctrlId] = std::move(control);
    }
    for (QLabel* label : root->findChildren<QLabel*>()) {
        if (const QString described = label->property("describes").toString();
            !described.isEmpty()) {
            auto* target = root->findChild<QWidget*>(described);
            if (!target)
                return fail(UIE_BAD_FILE, QStringLiteral("%1 describes %2, which is no widget")
                                              .arg(label->objectName(), described));
            target->setAccessibleDescription(label->text());
        }
        if (!label->buddy()) continue;
        for (auto& [id, c] : panel->controls)
            if (c->widget == label->buddy()) {
                c->label = label;
                c->mnemonic = MnemonicKey(label->text());
            }
    }
    // A button keeps its mnemonic letter through the labels the program gives it.
    for (auto& [id, c] : panel->controls)
        if (auto* button = qobject_cast<QAbstractButton*>(c->widget.data()))
            c->mnemonic = MnemonicKey(button->text());
    // The form's focus chain is the initial tab order.
    for (QWidget* w = root->nextInFocusChain(); w && w != root; w = w->nextInFocusChain()) {
        for (auto& [id, c] : panel->controls)
            if (c->widget == w && takesFocus(c->style)) panel->tabOrder.push_back(id);
    }
    for (auto& [id, c] : panel->controls)
        if (takesFocus(c->style) &&
            std::find(panel->tabOrder.begin(), panel->tabOrder.end(), id) == panel->tabOrder.end())
            panel->tabOrder.push_back(id);
    panel->closeControl = root->property("closeCtrl").toInt();
    QWidget* stretch = nullptr;
    if (const int id = root->property("stretchCtrl").toInt(); id != 0) {
        if (!panel->controls.count(id))
            return fail(UIE_BAD_FILE, QStringLiteral("stretchCtrl %1 is no control").arg(id));
        stretch = panel->controls[id]->widget;
    }
    // From here the window owns the root.
    auto* window = new PanelWindow(root, stretch, root->property("stretchMinHeight").toInt());
    window->setWindowTitle(root->windowTitle());

    Panel& p = *panel;
    int handle = AddPanel(std::move(panel));
    for (auto& [id, c] : p.controls) {
        prepareWidget(*c);
        WireControlEvents(p, *c);
    }
    ApplyTabOrder(p);
    window->installEventFilter(new CloseFilter(handle, window));
    return handle;
}

int DisplayPanel(int panel) {
    Panel* p = FindPanel(panel);
    if (!p) return UIE_BAD_PANEL;
    QWidget* window = p->root->window();
    window->show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) window->raise();
    return 0;
}

int DiscardPanel(int panel) {
    if (!FindPanel(panel)) return UIE_BAD_PANEL;
    RemovePanel(panel);
    return 0;
}

void SetCallbackTable(const CallbackEntry* table, int size) {
    tarvik::rt::g_callbacks = {table, table ? size : 0};
}
