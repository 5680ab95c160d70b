// TqenDigit: a small control that shows one character of "0123456789:" (or
// nothing) as a seven-segment figure on a bottom-line bevel. It takes no
// input and repaints only when one of its properties really changes.
#pragma once

#include "clock/segment_geometry.h"

#include <QImage>
#include <QWidget>

namespace tickwell {

class TqenDigit : public QWidget {
    Q_OBJECT

  public:
    // The bevel base: only the bottom line, raised, is drawn by this control.
    enum class BevelShape { BottomLine };
    enum class BevelStyle { Raised };

    explicit TqenDigit(QWidget* parent = nullptr);

    QColor BackColor() const { return colors_.back; }
    QColor ForeColor() const { return colors_.fore; }
    QColor OffColor() const { return colors_.off; }
    int LineWidth() const { return lineWidth_; }
    int Border() const { return border_; }
    char Digit() const { return digit_; }
    BevelShape Shape() const { return BevelShape::BottomLine; }
    BevelStyle Style() const { return BevelStyle::Raised; }

    void SetBackColor(const QColor& color);
    void SetForeColor(const QColor& color);
    void SetOffColor(const QColor& color);
    void SetDigit(char digit);
    // Ignored, silently, when the figure would no longer fit the control's
    // current size; so the size must be set first.
    void SetLineWidth(int lineWidth);
    void SetBorder(int border);

    bool SizeFits(int border, int lineWidth) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    // A click on a digit is the digit's, not the face's behind it.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void SetColor(QColor& field, const QColor& color);

    DigitColors colors_;
    int lineWidth_ = 7;
    int border_ = 10;
    char digit_ = '\0';
    QImage bitmap_;
};

// The whole control as it appears on screen, width x height, for tests and
// for the control's own painting. The figure is drawn into scratch (resized
// as needed) when given, else into a bitmap of its own.
void PaintDigitControl(QPainter& painter, int width, int height, int lineWidth, int border,
                       const DigitColors& colors, char character, const QColor& behind,
                       const QColor& highlight, const QColor& shadow, QImage* scratch = nullptr);

}  // namespace tickwell
