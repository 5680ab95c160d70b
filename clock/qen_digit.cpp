#include "qen_digit.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <vector>

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
    if (PutDigit(digit)) {
        update();
    }
}

bool TqenDigit::PutDigit(char digit) {
    if (digit == digit_) {
        return false;
    }
    digit_ = digit;
    return true;
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

void PaintDigitControl(QPainter& painter, int width, int height, const QImage& figure,
                       const QColor& behind, const QColor& highlight, const QColor& shadow) {
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
    painter.drawImage(1, 1, figure);
}

void PaintDigitControl(QPainter& painter, int width, int height, int lineWidth, int border,
                       const DigitColors& colors, char character, const QColor& behind,
                       const QColor& highlight, const QColor& shadow) {
    PaintDigitControl(painter, width, height,
                      DrawFigure(width, height, lineWidth, border, colors, character), behind,
                      highlight, shadow);
}

TqenDigit::Look TqenDigit::CurrentLook() const {
    const QWidget* face = parentWidget() ? parentWidget() : this;
    // Asked once: each asking works out the window's active state anew.
    const QPalette& own = palette();
    return {size(),
            devicePixelRatioF(),
            lineWidth_,
            border_,
            colors_,
            face->palette().color(face->backgroundRole()),
            own.color(QPalette::Light),
            own.color(QPalette::Dark)};
}

TqenDigit::Kept& TqenDigit::KeptFor(const Look& look) {
    // The clock repaints a digit every second all day, and a character looks
    // the same each time, so its whole rendering is kept. Renderings belong
    // to a look, not to a control: the clock's four large digits look alike,
    // and so do its two seconds digits, so a figure drawn for one is there
    // for the others. The few looks used last are kept; one no longer in use
    // (the colours before a change, say) drops out.
    constexpr std::size_t kKeptLooks = 6;
    static std::vector<Kept> kept;
    static unsigned long uses = 0;

    auto found =
        std::find_if(kept.begin(), kept.end(), [&](const Kept& k) { return k.look == look; });
    if (found == kept.end()) {
        if (kept.size() < kKeptLooks) {
            found = kept.insert(kept.end(), Kept{look, {}, {}, 0});
        } else {
            found = std::min_element(kept.begin(), kept.end(), [](const Kept& a, const Kept& b) {
                return a.lastUse < b.lastUse;
            });
            *found = Kept{look, {}, {}, 0};
        }
        // Drawing the shapes is what costs; each further character of the
        // look is then looked up in the map, not drawn.
        found->map = FigureMap(look.size.width(), look.size.height(), look.lineWidth, look.border);
    }
    found->lastUse = ++uses;
    return *found;
}

const QImage& TqenDigit::Rendering() const {
    const Look look = CurrentLook();
    Kept& kept = KeptFor(look);
    QImage& image = kept.renderings[SegmentIndex(digit_)];
    if (image.isNull()) {
        // Drawn at the screen's pixel ratio, so that copying it gives the
        // very pixels that drawing on the window would.
        image = QImage((QSizeF(look.size) * look.pixelRatio).toSize(), QImage::Format_RGB32);
        image.setDevicePixelRatio(look.pixelRatio);
        QPainter painter(&image);
        PaintDigitControl(painter, width(), height(), kept.map.Figure(colors_, digit_), look.behind,
                          look.highlight, look.shadow);
    }
    return image;
}

void TqenDigit::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, Rendering());
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
