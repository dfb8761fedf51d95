#include "runtime/number_box.h"

namespace tarvik::rt {

namespace {
QString withDecimalPoint(QString text) {
    return text.replace(QLatin1Char(','), QLatin1Char('.'));
}
}  // namespace

NumberBox::NumberBox(QWidget* parent) : QDoubleSpinBox(parent) {
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    setLocale(c);
}

QValidator::State NumberBox::validate(QString& input, int& pos) const {
    input = withDecimalPoint(input);
    return QDoubleSpinBox::validate(input, pos);
}

double NumberBox::valueFromText(const QString& text) const {
    return QDoubleSpinBox::valueFromText(withDecimalPoint(text));
}

}  // namespace tarvik::rt
