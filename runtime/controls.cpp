#include <QAbstractButton>
#include <QApplication>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "runtime/control_keys.h"
#include "runtime/number_box.h"
#include "runtime/panel_model.h"
#include "runtime/text_box_widget.h"
#include "runtime/userint.h"

namespace tarvik::rt {
namespace {

constexpr int kNewNumericWidth = 85;
constexpr int kNewControlHeight = 24;
constexpr double kNewNumericLimit = 1e9;
constexpr int kFloatDecimals = 4;

// Copies text into a caller's buffer, cut to fit.
int copyOut(const QString& text, char* buffer, std::size_t size) {
    if (!buffer || size == 0) return UiFail(UIE_BUFFER_TOO_SMALL, QStringLiteral("no buffer"));
    QByteArray bytes = text.toUtf8();
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(bytes.size()), size - 1);
    std::memcpy(buffer, bytes.constData(), n);
    buffer[n] = '\0';
    return 0;
}

int wrongType(const Control& c) {
    return UiFail(UIE_BAD_TYPE,
                  QStringLiteral("%1 does not hold that type of value")
                      .arg(c.constantName.isEmpty() ? QString::number(c.id) : c.constantName));
}

int badAttribute(const Control& c, int attribute) {
    return UiFail(
        UIE_BAD_ATTRIBUTE,
        QStringLiteral("attribute %1 does not apply to control %2").arg(attribute).arg(c.id));
}

QString labelOf(const Control& c) {
    if (auto* button = qobject_cast<QAbstractButton*>(c.widget.data()))
        return VisibleText(button->text());
    if (c.label) return VisibleText(c.label->text());
    return {};
}

// The line edit that takes a control's typing: a string control's own, a numeric box's inner one.
QLineEdit* typingEdit(const Control& c) {
    if (auto* edit = qobject_cast<QLineEdit*>(c.widget.data())) return edit;
    if (c.style == CTRL_NUMERIC) return c.widget->findChild<QLineEdit*>();
    return nullptr;
}

int setReturnControl(int panel, Control& c, int target) {
    QLineEdit* edit = typingEdit(c);
    if (!edit) return badAttribute(c, ATTR_RETURN_CTRL);
    if (target != 0) {
        Control* button = FindControl(panel, target);
        if (!button || button->style != CTRL_COMMAND_BUTTON)
            return UiFail(UIE_BAD_CONTROL,
                          QStringLiteral("control %1 is no command button of panel %2")
                              .arg(target)
                              .arg(panel));
    }
    QObject::disconnect(c.returnConnection);
    c.returnControl = target;
    if (target == 0) return 0;
    const int id = c.id;
    c.returnConnection = QObject::connect(edit, &QLineEdit::returnPressed, edit, [panel, id] {
        Control* box = FindControl(panel, id);
        if (!box) return;
        // The box's own commit first, as editingFinished (which comes next) would give it.
        if (auto* own = qobject_cast<QLineEdit*>(box->widget.data()); own && own->isModified()) {
            own->setModified(false);
            DeliverEvent(panel, id, EVENT_COMMIT);
        }
        Control* target = FindControl(panel, box->returnControl);
        if (auto* button = target ? qobject_cast<QAbstractButton*>(target->widget.data()) : nullptr)
            button->click();  // nothing while it is dimmed
    });
    return 0;
}

int setShortcutKey(Control& c, const QString& text) {
    const QKeySequence key = QKeySequence::fromString(text, QKeySequence::PortableText);
    if (!text.isEmpty() && (key.isEmpty() || key[0].key() == Qt::Key_unknown))
        return UiFail(UIE_BAD_VALUE, QStringLiteral("\"%1\" is no key").arg(text));
    if (auto* box = qobject_cast<TextBoxWidget*>(c.widget.data())) {
        box->setSaveShortcut(key);
        return 0;
    }
    auto* button = qobject_cast<QAbstractButton*>(c.widget.data());
    if (!button) return badAttribute(c, ATTR_SHORTCUT_KEY);
    delete c.shortcut.data();
    if (key.isEmpty()) return 0;
    // Owned by the button, so it goes with it; it works anywhere in the button's window.
    auto* shortcut = new QShortcut(key, button);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, button, [button] {
        if (button->isVisible()) button->click();  // click() does nothing while dimmed
    });
    c.shortcut = shortcut;
    return 0;
}

QString shortcutKeyOf(const Control& c) {
    if (auto* box = qobject_cast<TextBoxWidget*>(c.widget.data()))
        return box->saveShortcut().toString(QKeySequence::PortableText);
    return c.shortcut ? c.shortcut->key().toString(QKeySequence::PortableText) : QString();
}

int setNumericValue(Control& c, double value) {
    if (c.style == CTRL_NUMERIC) {
        auto* spin = static_cast<QDoubleSpinBox*>(c.widget.data());
        QSignalBlocker quiet(spin);
        spin->setValue(value);
        return 0;
    }
    if (c.style == CTRL_TOGGLE) {
        auto* button = static_cast<QAbstractButton*>(c.widget.data());
        QSignalBlocker quiet(button);
        button->setChecked(value != 0.0);
        return 0;
    }
    if (c.style == CTRL_PROGRESS_BAR) {
        auto* bar = static_cast<QProgressBar*>(c.widget.data());
        // Qt ignores a value outside the range; a numeric box would take the nearest end.
        bar->setValue(
            std::clamp(static_cast<int>(std::lround(value)), bar->minimum(), bar->maximum()));
        return 0;
    }
    return wrongType(c);
}

int getNumericValue(Control& c, double* value) {
    if (!value) return UiFail(UIE_BAD_VALUE, QStringLiteral("no place for the value"));
    if (c.style == CTRL_NUMERIC) {
        *value = static_cast<QDoubleSpinBox*>(c.widget.data())->value();
        return 0;
    }
    if (c.style == CTRL_TOGGLE) {
        *value = static_cast<QAbstractButton*>(c.widget.data())->isChecked() ? 1.0 : 0.0;
        return 0;
    }
    if (c.style == CTRL_PROGRESS_BAR) {
        *value = static_cast<QProgressBar*>(c.widget.data())->value();
        return 0;
    }
    return wrongType(c);
}

int setTabPosition(int panel, Control& c, int position) {
    Panel* p = FindPanel(panel);
    auto& order = p->tabOrder;
    auto it = std::find(order.begin(), order.end(), c.id);
    if (it == order.end()) return badAttribute(c, ATTR_CTRL_TAB_POSITION);
    order.erase(it);
    position = std::clamp(position, 0, static_cast<int>(order.size()));
    order.insert(order.begin() + position, c.id);
    ApplyTabOrder(*p);
    return 0;
}

int setNumberAttribute(int panel, Control& c, int attribute, double value) {
    QWidget* w = c.widget;
    auto* spin = qobject_cast<QDoubleSpinBox*>(w);
    auto* box = qobject_cast<TextBoxWidget*>(w);
    const int whole = static_cast<int>(std::lround(value));
    switch (attribute) {
        case ATTR_TOP:
        case ATTR_LEFT: {
            QWidget* root = FindPanel(panel)->root;
            QPoint inPanel = w->mapTo(root, QPoint(0, 0));
            if (attribute == ATTR_TOP)
                inPanel.setY(whole);
            else
                inPanel.setX(whole);
            w->move(w->parentWidget()->mapFrom(root, inPanel));
            return 0;
        }
        case ATTR_HEIGHT:
            w->resize(w->width(), std::max(0, whole));
            return 0;
        case ATTR_WIDTH:
            w->resize(std::max(0, whole), w->height());
            return 0;
        case ATTR_CTRL_TAB_POSITION:
            return setTabPosition(panel, c, whole);
        case ATTR_DIMMED:
            w->setEnabled(whole == 0);
            return 0;
        case ATTR_DATA_TYPE:
            if (!spin || (whole != VAL_INTEGER && whole != VAL_FLOAT && whole != VAL_DOUBLE))
                return wrongType(c);
            c.dataType = whole;
            {
                QSignalBlocker quiet(spin);
                spin->setDecimals(whole == VAL_INTEGER ? 0 : kFloatDecimals);
            }
            return 0;
        case ATTR_FIRST_VISIBLE_LINE:
            if (!box) return badAttribute(c, attribute);
            box->setFirstVisibleLine(whole);
            return 0;
        case ATTR_INTERVAL:
            if (!c.timer || !(value > 0.0)) return badAttribute(c, attribute);
            c.timer->setInterval(static_cast<int>(std::lround(value * 1000.0)));
            return 0;
        case ATTR_ENABLED:
            if (!c.timer) return badAttribute(c, attribute);
            if (whole)
                c.timer->start();
            else
                c.timer->stop();
            return 0;
        case ATTR_MIN_VALUE:
        case ATTR_MAX_VALUE:
            if (auto* bar = qobject_cast<QProgressBar*>(w)) {
                if (attribute == ATTR_MIN_VALUE)
                    bar->setMinimum(whole);
                else
                    bar->setMaximum(whole);
                return 0;
            }
            if (!spin) return badAttribute(c, attribute);
            {
                QSignalBlocker quiet(spin);
                if (attribute == ATTR_MIN_VALUE)
                    spin->setMinimum(value);
                else
                    spin->setMaximum(value);
            }
            return 0;
        case ATTR_MAX_ENTRY_LENGTH:
            if (auto* edit = qobject_cast<QLineEdit*>(w); edit && whole > 0) {
                edit->setMaxLength(whole);
                return 0;
            }
            return badAttribute(c, attribute);
        case ATTR_NUM_DISPLAY_SETTING:
            if (!spin) return badAttribute(c, attribute);
            c.displaySetting737 = whole;
            return 0;
        case ATTR_RETURN_CTRL:
            return setReturnControl(panel, c, whole);
        default:
            return badAttribute(c, attribute);
    }
}

int getNumberAttribute(int panel, Control& c, int attribute, double* value) {
    QWidget* w = c.widget;
    auto* spin = qobject_cast<QDoubleSpinBox*>(w);
    auto* box = qobject_cast<TextBoxWidget*>(w);
    QWidget* root = FindPanel(panel)->root;
    switch (attribute) {
        case ATTR_TOP:
            *value = w->mapTo(root, QPoint(0, 0)).y();
            return 0;
        case ATTR_LEFT:
            *value = w->mapTo(root, QPoint(0, 0)).x();
            return 0;
        case ATTR_HEIGHT:
            *value = w->height();
            return 0;
        case ATTR_WIDTH:
            *value = w->width();
            return 0;
        case ATTR_CTRL_TAB_POSITION: {
            auto& order = FindPanel(panel)->tabOrder;
            auto it = std::find(order.begin(), order.end(), c.id);
            if (it == order.end()) return badAttribute(c, attribute);
            *value = static_cast<double>(it - order.begin());
            return 0;
        }
        case ATTR_DIMMED:
            *value = w->isEnabled() ? 0 : 1;
            return 0;
        case ATTR_DATA_TYPE:
            *value = c.dataType;
            return 0;
        case ATTR_CTRL_STYLE:
            *value = c.style;
            return 0;
        case ATTR_FIRST_VISIBLE_LINE:
            if (!box) return badAttribute(c, attribute);
            *value = box->firstVisibleLine();
            return 0;
        case ATTR_INTERVAL:
            if (!c.timer) return badAttribute(c, attribute);
            *value = c.timer->interval() / 1000.0;
            return 0;
        case ATTR_ENABLED:
            if (!c.timer) return badAttribute(c, attribute);
            *value = c.timer->isActive() ? 1 : 0;
            return 0;
        case ATTR_MIN_VALUE:
        case ATTR_MAX_VALUE:
            if (auto* bar = qobject_cast<QProgressBar*>(w)) {
                *value = attribute == ATTR_MIN_VALUE ? bar->minimum() : bar->maximum();
                return 0;
            }
            if (!spin) return badAttribute(c, attribute);
            *value = attribute == ATTR_MIN_VALUE ? spin->minimum() : spin->maximum();
            return 0;
        case ATTR_MAX_ENTRY_LENGTH:
            if (auto* edit = qobject_cast<QLineEdit*>(w)) {
                *value = edit->maxLength();
                return 0;
            }
            return badAttribute(c, attribute);
        case ATTR_NUM_DISPLAY_SETTING:
            if (!spin) return badAttribute(c, attribute);
            *value = c.displaySetting737;
            return 0;
        case ATTR_RETURN_CTRL:
            if (!typingEdit(c)) return badAttribute(c, attribute);
            *value = c.returnControl;
            return 0;
        default:
            return badAttribute(c, attribute);
    }
}

TextBoxWidget* textBox(int panel, int control) {
    Control* c = FindControl(panel, control);
    if (!c) return nullptr;
    if (auto* box = qobject_cast<TextBoxWidget*>(c->widget.data())) return box;
    wrongType(*c);
    return nullptr;
}

int newControlId(const Panel& p) {
    return p.controls.empty() ? 1 : p.controls.rbegin()->first + 1;
}

}  // namespace
}  // namespace tarvik::rt

using namespace tarvik::rt;

#define CONTROL_OR_FAIL(panel, control)       \
    Control* c = FindControl(panel, control); \
    if (!c) return UIE_BAD_CONTROL

int SetCtrlVal(int panel, int control, int value) {
    CONTROL_OR_FAIL(panel, control);
    return setNumericValue(*c, value);
}

int SetCtrlVal(int panel, int control, double value) {
    CONTROL_OR_FAIL(panel, control);
    return setNumericValue(*c, value);
}

int SetCtrlVal(int panel, int control, const char* value) {
    CONTROL_OR_FAIL(panel, control);
    QString text = QString::fromUtf8(value ? value : "");
    if (auto* edit = qobject_cast<QLineEdit*>(c->widget.data())) {
        edit->setText(text);
        return 0;
    }
    if (auto* label = qobject_cast<QLabel*>(c->widget.data())) {
        label->setText(text);
        return 0;
    }
    if (auto* box = qobject_cast<TextBoxWidget*>(c->widget.data())) {
        box->reset(text);
        return 0;
    }
    return wrongType(*c);
}

int GetCtrlVal(int panel, int control, int* value) {
    CONTROL_OR_FAIL(panel, control);
    double v = 0;
    int r = getNumericValue(*c, &v);
    if (r == 0 && value) *value = static_cast<int>(std::lround(v));
    return r;
}

int GetCtrlVal(int panel, int control, float* value) {
    CONTROL_OR_FAIL(panel, control);
    double v = 0;
    int r = getNumericValue(*c, &v);
    if (r == 0 && value) *value = static_cast<float>(v);
    return r;
}

int GetCtrlVal(int panel, int control, double* value) {
    CONTROL_OR_FAIL(panel, control);
    return getNumericValue(*c, value);
}

int GetCtrlValString(int panel, int control, char* buffer, std::size_t size) {
    CONTROL_OR_FAIL(panel, control);
    if (auto* edit = qobject_cast<QLineEdit*>(c->widget.data()))
        return copyOut(edit->text(), buffer, size);
    if (auto* label = qobject_cast<QLabel*>(c->widget.data()))
        return copyOut(label->text(), buffer, size);
    return wrongType(*c);
}

int SetCtrlAttribute(int panel, int control, int attribute, int value) {
    CONTROL_OR_FAIL(panel, control);
    return setNumberAttribute(panel, *c, attribute, value);
}

int SetCtrlAttribute(int panel, int control, int attribute, double value) {
    CONTROL_OR_FAIL(panel, control);
    return setNumberAttribute(panel, *c, attribute, value);
}

int SetCtrlAttribute(int panel, int control, int attribute, const char* value) {
    CONTROL_OR_FAIL(panel, control);
    QString text = QString::fromUtf8(value ? value : "");
    switch (attribute) {
        case ATTR_LABEL_TEXT:
            // Qt tells screen readers of a button's new text (a name-changed event).
            if (auto* button = qobject_cast<QAbstractButton*>(c->widget.data()))
                button->setText(WithMnemonic(c->mnemonic, text));
            else if (c->label)
                c->label->setText(WithMnemonic(c->mnemonic, text));
            else
                return badAttribute(*c, attribute);
            return 0;
        case ATTR_ACCESSIBLE_NAME:
            c->widget->setAccessibleName(text);
            return 0;
        case ATTR_SHORTCUT_KEY:
            return setShortcutKey(*c, text);
        default:
            return badAttribute(*c, attribute);
    }
}

int GetCtrlAttribute(int panel, int control, int attribute, int* value) {
    CONTROL_OR_FAIL(panel, control);
    double v = 0;
    int r = getNumberAttribute(panel, *c, attribute, &v);
    if (r == 0 && value) *value = static_cast<int>(std::lround(v));
    return r;
}

int GetCtrlAttribute(int panel, int control, int attribute, double* value) {
    CONTROL_OR_FAIL(panel, control);
    double v = 0;
    int r = getNumberAttribute(panel, *c, attribute, &v);
    if (r == 0 && value) *value = v;
    return r;
}

int GetCtrlAttributeString(int panel, int control, int attribute, char* buffer, std::size_t size) {
    CONTROL_OR_FAIL(panel, control);
    switch (attribute) {
        case ATTR_LABEL_TEXT:
            return copyOut(labelOf(*c), buffer, size);
        case ATTR_CALLBACK_NAME:
            return copyOut(c->callbackName, buffer, size);
        case ATTR_CONSTANT_NAME:
            return copyOut(c->constantName, buffer, size);
        case ATTR_ACCESSIBLE_NAME:
            return copyOut(c->widget->accessibleName(), buffer, size);
        case ATTR_SHORTCUT_KEY:
            if (!qobject_cast<TextBoxWidget*>(c->widget.data()) &&
                !qobject_cast<QAbstractButton*>(c->widget.data()))
                return badAttribute(*c, attribute);
            return copyOut(shortcutKeyOf(*c), buffer, size);
        default:
            return badAttribute(*c, attribute);
    }
}

int NewCtrl(int panel, int style, const char* label, int top, int left) {
    Panel* p = FindPanel(panel);
    if (!p) return UIE_BAD_PANEL;
    auto c = std::make_unique<Control>();
    c->id = newControlId(*p);
    c->style = style;
    QString text = QString::fromUtf8(label ? label : "");
    if (style == CTRL_NUMERIC) {
        auto* spin = new NumberBox(p->root);
        spin->setRange(-kNewNumericLimit, kNewNumericLimit);
        spin->setDecimals(kFloatDecimals);
        spin->setGeometry(left, top, kNewNumericWidth, kNewControlHeight);
        c->widget = spin;
        c->dataType = VAL_DOUBLE;
        if (!text.isEmpty()) {
            // The label names the box on screen and for screen readers; a '&' in it is shown.
            auto* name = new QLabel(WithMnemonic(QChar(), text), p->root);
            name->setBuddy(spin);
            name->adjustSize();
            name->move(left, top - name->height());
            name->show();
            c->label = name;
        }
    } else if (style == CTRL_TEXT_MSG) {
        auto* message = new QLabel(text, p->root);
        message->adjustSize();
        message->setGeometry(left, top, message->width(), kNewControlHeight);
        message->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        c->widget = message;
        c->dataType = VAL_STRING;
    } else {
        return UiFail(UIE_BAD_VALUE,
                      QStringLiteral("NewCtrl cannot make controls of style %1").arg(style));
    }
    c->widget->show();
    c->widget->raise();  // above the group boxes it is placed over
    Control& made = *c;
    int id = c->id;
    p->controls[id] = std::move(c);
    if (style == CTRL_NUMERIC) {
        p->tabOrder.push_back(id);
        ApplyTabOrder(*p);
    }
    WireControlEvents(*p, made);
    return id;
}

int ResetTimer(int panel, int control) {
    CONTROL_OR_FAIL(panel, control);
    if (!c->timer) return badAttribute(*c, ATTR_INTERVAL);
    c->timer->start();
    return 0;
}

int InsertTextBoxLine(int panel, int control, int index, const char* text) {
    TextBoxWidget* box = textBox(panel, control);
    if (!box) return UIE_BAD_CONTROL;
    const bool inRange = index >= -1 && index <= box->lineCount();
    if (!box->insertLine(index, QString::fromUtf8(text ? text : "")))
        return UiFail(UIE_BAD_VALUE, inRange
                                         ? QStringLiteral("the text box is full")
                                         : QStringLiteral("no line %1 to insert at").arg(index));
    return 0;
}

int ReplaceTextBoxLine(int panel, int control, int index, const char* text) {
    TextBoxWidget* box = textBox(panel, control);
    if (!box) return UIE_BAD_CONTROL;
    const bool inRange = index >= 0 && index < box->lineCount();
    if (!box->replaceLine(index, QString::fromUtf8(text ? text : "")))
        return UiFail(UIE_BAD_VALUE, inRange ? QStringLiteral("the text box is full")
                                             : QStringLiteral("no line %1 to replace").arg(index));
    return 0;
}

int ResetTextBox(int panel, int control, const char* text) {
    TextBoxWidget* box = textBox(panel, control);
    if (!box) return UIE_BAD_CONTROL;
    box->reset(QString::fromUtf8(text ? text : ""));
    return 0;
}

int GetNumTextBoxLines(int panel, int control, int* count) {
    TextBoxWidget* box = textBox(panel, control);
    if (!box) return UIE_BAD_CONTROL;
    if (count) *count = box->lineCount();
    return 0;
}

int GetTextBoxLineString(int panel, int control, int index, char* buffer, std::size_t size) {
    TextBoxWidget* box = textBox(panel, control);
    if (!box) return UIE_BAD_CONTROL;
    if (index < 0 || index >= box->lineCount())
        return UiFail(UIE_BAD_VALUE, QStringLiteral("no line %1").arg(index));
    return copyOut(box->line(index), buffer, size);
}

int SetTextBoxSaveNote(int panel, int control, const char* note) {
    TextBoxWidget* box = textBox(panel, control);
    if (!box) return UIE_BAD_CONTROL;
    box->setSaveNote(QString::fromUtf8(note ? note : ""));
    return 0;
}

int SetTextBoxSaveTitle(int panel, int control, const char* title, const char* fileStem) {
    TextBoxWidget* box = textBox(panel, control);
    if (!box) return UIE_BAD_CONTROL;
    box->setSaveTitle(QString::fromUtf8(title ? title : ""),
                      QString::fromUtf8(fileStem ? fileStem : ""));
    return 0;
}

int SetPanelAttribute(int panel, int attribute, const char* value) {
    Panel* p = FindPanel(panel);
    if (!p) return UIE_BAD_PANEL;
    if (attribute != ATTR_TITLE)
        return UiFail(UIE_BAD_ATTRIBUTE,
                      QStringLiteral("panel attribute %1 is not text").arg(attribute));
    p->root->window()->setWindowTitle(QString::fromUtf8(value ? value : ""));
    return 0;
}

int SetPanelAttribute(int panel, int attribute, int value) {
    Panel* p = FindPanel(panel);
    if (!p) return UIE_BAD_PANEL;
    if (attribute != ATTR_CLOSE_CTRL)
        return UiFail(UIE_BAD_ATTRIBUTE,
                      QStringLiteral("panel attribute %1 is not a number").arg(attribute));
    if (value != 0 && !FindControl(panel, value)) return UIE_BAD_CONTROL;
    p->closeControl = value;
    return 0;
}

int GetPanelAttribute(int panel, int attribute, int* value) {
    Panel* p = FindPanel(panel);
    if (!p) return UIE_BAD_PANEL;
    if (attribute != ATTR_CLOSE_CTRL)
        return UiFail(UIE_BAD_ATTRIBUTE,
                      QStringLiteral("panel attribute %1 is not a number").arg(attribute));
    if (value) *value = p->closeControl;
    return 0;
}

int GetPanelAttribute(int panel, int attribute, char* buffer, std::size_t size) {
    Panel* p = FindPanel(panel);
    if (!p) return UIE_BAD_PANEL;
    if (attribute != ATTR_TITLE)
        return UiFail(UIE_BAD_ATTRIBUTE,
                      QStringLiteral("panel attribute %1 is not text").arg(attribute));
    return copyOut(p->root->window()->windowTitle(), buffer, size);
}

namespace {
int saveImage(QWidget* widget, const char* pngPath) {
    // Pending layout work (scroll bars catching up with new lines) first.
    QCoreApplication::sendPostedEvents();
    if (!pngPath || !widget->grab().save(QString::fromUtf8(pngPath), "PNG"))
        return UiFail(UIE_BAD_FILE,
                      QStringLiteral("cannot write the image %1").arg(pngPath ? pngPath : ""));
    return 0;
}
}  // namespace

int SavePanelImage(int panel, const char* pngPath) {
    Panel* p = FindPanel(panel);
    return p ? saveImage(p->root, pngPath) : UIE_BAD_PANEL;
}

int SavePanelWindowImage(int panel, const char* pngPath) {
    Panel* p = FindPanel(panel);
    return p ? saveImage(p->root->window(), pngPath) : UIE_BAD_PANEL;
}

int SetWaitCursor(int on) {
    static bool waiting = false;
    if (!EngineStarted())
        return UiFail(UIE_NOT_STARTED, QStringLiteral("the engine is not started"));
    if (on && !waiting) QApplication::setOverrideCursor(Qt::WaitCursor);
    if (!on && waiting) QApplication::restoreOverrideCursor();
    waiting = on != 0;
    return 0;
}

int SetActiveCtrl(int panel, int control) {
    CONTROL_OR_FAIL(panel, control);
    QWidget* w = c->widget;
    if (w->focusPolicy() == Qt::NoFocus || c->style == CTRL_TEXT_MSG || c->style == CTRL_TIMER ||
        c->style == CTRL_PROGRESS_BAR)
        return UiFail(UIE_BAD_VALUE,
                      QStringLiteral("control %1 takes no keyboard focus").arg(control));
    if (!w->isEnabled())
        return UiFail(UIE_BAD_VALUE, QStringLiteral("control %1 is dimmed").arg(control));
    w->setFocus(Qt::OtherFocusReason);
    return 0;
}

int GetActiveCtrl(int panel) {
    Panel* p = FindPanel(panel);
    if (!p) return UIE_BAD_PANEL;
    Control* c = ControlOfWidget(*p, p->root->window()->focusWidget());
    return c ? c->id : 0;
}

int SetPanelSize(int panel, int height, int width) {
    Panel* p = FindPanel(panel);
    if (!p) return UIE_BAD_PANEL;
    p->root->window()->resize(std::max(1, width), std::max(1, height));
    return 0;
}
