// TqenDigit: a small control that shows one character of "0123456789:" (or
// nothing) as a seven-segment figure on a bottom-line bevel. It takes no
// input and repaints only when one of its properties really changes; each
// character is drawn once for each look and copied on later paints.
#pragma once

#include "clock/segment_geometry.h"

#include <QImage>
#include <QWidget>
#include <array>

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
    // The same without asking for a repaint; true when the character
    // changed. For a window that repaints the controls it changed itself.
    bool PutDigit(char digit);
    // Ignored, silently, when the figure would no longer fit the control's
    // current size; so the size must be set first.
    void SetLineWidth(int lineWidth);
    void SetBorder(int border);

    bool SizeFits(int border, int lineWidth) const;

    // The whole control as it shows its current character, at the screen's
    // pixel ratio. Kept, so valid until the look or the character changes.
    const QImage& Rendering() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    // A click on a digit is the digit's, not the face's behind it.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    // Everything a rendering depends on besides the character.
    struct Look {
        QSize size;
        qreal pixelRatio = 1;
        int lineWidth = 0;
        int border = 0;
        DigitColors colors;
        QColor behind, highlight, shadow;
        friend bool operator==(const Look&, const Look&) = default;
    };

    // What is kept for a look: the map of its figure, and each character's
    // whole rendering once it has been shown.
    struct Kept {
        Look look;
        FigureMap map;
        std::array<QImage, SegmentMasks.size()> renderings;
        unsigned long lastUse = 0;
    };

    void SetColor(QColor& field, const QColor& color);
    Look CurrentLook() const;
    static Kept& KeptFor(const Look& look);

    DigitColors colors_;
    int lineWidth_ = 7;
    int border_ = 10;
    char digit_ = '\0';
};

// The whole control as it appears on screen, width x height, drawn afresh.
void PaintDigitControl(QPainter& painter, int width, int height, int lineWidth, int border,
                       const DigitColors& colors, char character, const QColor& behind,
                       const QColor& highlight, const QColor& shadow);
// The same around a figure bitmap of (width - 2) x (height - 2).
void PaintDigitControl(QPainter& painter, int width, int height, const QImage& figure,
                       const QColor& behind, const QColor& highlight, const QColor& shadow);

}  // namespace tickwell
