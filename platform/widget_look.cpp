#include "widget_look.h"

#include "colors.h"

#include <QLineEdit>
#include <QValidator>
#include <QWidget>

namespace platform {

namespace {

class UpperCaseValidator final : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        input = input.toUpper();
        return Acceptable;
    }
};

}  // namespace

void PaintBackground(QWidget* widget, const QString& colorText) {
    if (widget == nullptr) {
        return;
    }
    QPalette p = widget->palette();
    const QColor c = ColorOf(colorText);
    p.setColor(QPalette::Window, c);
    p.setColor(QPalette::Base, c);
    p.setColor(QPalette::Button, c);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

void PaintText(QWidget* widget, const QString& colorText) {
    if (widget == nullptr) {
        return;
    }
    QPalette p = widget->palette();
    const QColor c = ColorOf(colorText);
    p.setColor(QPalette::WindowText, c);
    p.setColor(QPalette::Text, c);
    widget->setPalette(p);
}

void MakeUpperCase(QLineEdit* edit) {
    edit->setValidator(new UpperCaseValidator(edit));
}

}  // namespace platform
