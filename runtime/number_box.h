#pragma once
// The numeric box of every panel: a spin box that reads numbers the same way
// whatever the desktop's language. Internal to runtime/.

#include <QDoubleSpinBox>

namespace tarvik::rt {

// Takes '.' as the decimal point and a typed ',' as one too: in the C locale
// Qt would take the comma for a group separator and silently drop it, so
// "12,5" became 125. Group separators are neither shown nor accepted.
class NumberBox : public QDoubleSpinBox {
  public:
    explicit NumberBox(QWidget* parent = nullptr);
    QValidator::State validate(QString& input, int& pos) const override;
    double valueFromText(const QString& text) const override;
};

}  // namespace tarvik::rt
