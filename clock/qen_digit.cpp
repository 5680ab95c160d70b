#include "qen_digit.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

namespace tickwell {

TqenDigit::TqenDigit(QWidget* parent) : QWidget(parent) {
    // The control paints every pixel of its own, so neither the face behind
    // it nor a digit below it is painted again when only this one changes.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(57, 81);
}

void TqenDigit::SetColor(QColor& field, const QColor& color) {
    if (field == color) {
        return;
    }
    field = color;
    update();
}

void TqenDigit::SetBackColor(const QColor& color) {
    SetColor(colors_.back, color);
}
void TqenDigit::SetForeColor(const QColor& color) {
    SetColor(colors_.fore, color);
}
void TqenDigit::SetOffColor(const QColor& color) {
    SetColor(colors_.off, color);
}

void TqenDigit::SetDigit(char digit) {
    if (digit == digit_) {
        return;
    }
    digit_ = digit;
    update();
}

void TqenDigit::SetLineWidth(int lineWidth) {
    if (lineWidth == lineWidth_ || lineWidth < 0 || !SizeFits(border_, lineWidth)) {
        return;
    }
    lineWidth_ = lineWidth;
    update();
}

void TqenDigit::SetBorder(int border) {
    if (border == border_ || border < 0 || !SizeFits(border, lineWidth_)) {
        return;
    }
    border_ = border;
    update();
}

bool TqenDigit::SizeFits(int border, int lineWidth) const {
    return tickwell::SizeFits(width(), height(), border, lineWidth);
}

void PaintDigitControl(QPainter& painter, int width, int height, int lineWidth, int border,
                       const DigitColors& colors, char character, const QColor& behind,
                       const QColor& highlight, const QColor& shadow) {
    // The one-pixel margin beside and above the figure shows the face.
    painter.fillRect(0, 0, width, height, behind);
    // The bevel's bottom line: highlight above shadow, across the full width.
    painter.setPen(highlight);
    painter.drawLine(0, height - 2, width - 1, height - 2);
    painter.setPen(shadow);
    painter.drawLine(0, height - 1, width - 1, height - 1);
    if (width <= 2 || height <= 2) {
        return;
    }
    // The figure is built whole in a bitmap of its own and copied in one go:
    // the outlines of shapes drawn one over another are clipped to it.
    QImage image(width - 2, height - 2, QImage::Format_RGB32);
    image.fill(colors.back);
    {
        QPainter figure(&image);
        DrawDigit(figure, width, height, lineWidth, border, colors, character);
    }
    painter.drawImage(1, 1, image);
}

TqenDigit::Look TqenDigit::CurrentLook() const {
    const QWidget* face = parentWidget() ? parentWidget() : this;
    return {size(),
            devicePixelRatioF(),
            lineWidth_,
            border_,
            colors_,
            face->palette().color(face->backgroundRole()),
            palette().color(QPalette::Light),
            palette().color(QPalette::Dark)};
}

void TqenDigit::paintEvent(QPaintEvent*) {
    const Look look = CurrentLook();
    if (!(look == keptLook_)) {
        kept_ = {};
        keptLook_ = look;
    }
    QImage& image = kept_[SegmentIndex(digit_)];
    if (image.isNull()) {
        // Drawn at the screen's pixel ratio, so that copying it gives the
        // very pixels that drawing on the window would.
        image = QImage((QSizeF(look.size) * look.pixelRatio).toSize(), QImage::Format_RGB32);
        image.setDevicePixelRatio(look.pixelRatio);
        QPainter painter(&image);
        PaintDigitControl(painter, width(), height(), lineWidth_, border_, colors_, digit_,
                          look.behind, look.highlight, look.shadow);
    }
    QPainter painter(this);
    painter.drawImage(0, 0, image);
}

void TqenDigit::mousePressEvent(QMouseEvent* event) {
    event->accept();
}
void TqenDigit::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}
void TqenDigit::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

}  // namespace tickwell
