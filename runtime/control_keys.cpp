#include "runtime/control_keys.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeySequence>
#include <QRadioButton>

namespace tarvik::rt {
namespace {

constexpr QChar kMark = QLatin1Char('&');

// A radio button as Qt's own button interface shows it, with the radio role
// whatever its exclusiveness.
class RadioToggleAccessible : public QAccessibleWidget {
  public:
    explicit RadioToggleAccessible(QAbstractButton* button)
        : QAccessibleWidget(button, QAccessible::RadioButton) {}

    // Named by its own text, never by the box around it (Qt's fallback for a
    // widget without a name of its own).
    QString text(QAccessible::Text t) const override {
        switch (t) {
            case QAccessible::Name:
                return widget()->accessibleName().isEmpty() ? VisibleText(button()->text())
                                                            : widget()->accessibleName();
            case QAccessible::Accelerator:
                return QKeySequence::mnemonic(button()->text()).toString(QKeySequence::NativeText);
            default:
                return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = button()->isChecked();
        return state;
    }

    QStringList actionNames() const override {
        QStringList names;
        if (widget()->isEnabled()) names << toggleAction();
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& actionName) override {
        if (!widget()->isEnabled()) return;
        if (actionName == toggleAction() || actionName == pressAction())
            button()->click();
        else
            QAccessibleWidget::doAction(actionName);
    }

    QStringList keyBindingsForAction(const QString& actionName) const override {
        if (actionName == toggleAction()) {
            const QKeySequence key = QKeySequence::mnemonic(button()->text());
            if (!key.isEmpty()) return {key.toString(QKeySequence::NativeText)};
        }
        return QAccessibleWidget::keyBindingsForAction(actionName);
    }

  private:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
};

QAccessibleInterface* toggleFactory(const QString& key, QObject* object) {
    if (key != QLatin1String("QRadioButton")) return nullptr;
    auto* button = qobject_cast<QRadioButton*>(object);
    return button ? new RadioToggleAccessible(button) : nullptr;
}

}  // namespace

QString VisibleText(const QString& marked) {
    QString plain;
    plain.reserve(marked.size());
    for (qsizetype i = 0; i < marked.size(); ++i) {
        if (marked[i] == kMark && i + 1 < marked.size()) ++i;
        plain += marked[i];
    }
    return plain;
}

QChar MnemonicKey(const QString& marked) {
    for (qsizetype i = 0; i + 1 < marked.size(); ++i) {
        if (marked[i] != kMark) continue;
        if (marked[i + 1] != kMark) return marked[i + 1];
        ++i;  // "&&" is an '&' shown
    }
    return {};
}

QString WithMnemonic(QChar key, const QString& plain) {
    QString escaped = plain;
    escaped.replace(kMark, QStringLiteral("&&"));
    if (key.isNull()) return escaped;
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        if (escaped[i] == kMark) {
            ++i;
            continue;
        }
        if (escaped[i].toCaseFolded() == key.toCaseFolded()) return escaped.insert(i, kMark);
    }
    return escaped;
}

void InstallToggleAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(toggleFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

}  // namespace tarvik::rt
