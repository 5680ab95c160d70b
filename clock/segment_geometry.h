// Geometry of a seven-segment figure: which shapes a character lights, the
// box of every shape for a control of a given size, and the drawing of the
// figure. Plain functions with integer arithmetic, so every pixel can be
// checked without a window.
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <array>
#include <cstdint>
#include <vector>

class QPainter;

namespace tickwell {

// Shapes in drawing order; a character's mask has bit n set when shape n is
// lit.
enum class Shape : int {
    TopBar,
    MiddleBar,
    BottomBar,
    UpperLeftBar,
    LowerLeftBar,
    UpperRightBar,
    LowerRightBar,
    UpperDot,
    LowerDot,
};
constexpr int kShapeCount = 9;

// Index 0 is every character that has no figure; index n is the n-th
// character of kDigitCharacters.
inline constexpr char kDigitCharacters[] = "0123456789:";
inline constexpr std::array<std::uint16_t, 12> SegmentMasks = {
    0x000,                                     // blank and anything unknown
    0x07D, 0x060, 0x037, 0x067, 0x06A, 0x04F,  // 0 1 2 3 4 5
    0x05E,                                     // 6, without its top bar
    0x061, 0x07F,                              // 7 8
    0x06F,                                     // 9, with its bottom bar
    0x180,                                     // :
};

// The character's entry in SegmentMasks: 0 for one without a figure.
std::size_t SegmentIndex(char character);
std::uint16_t SegmentMask(char character);
constexpr bool IsLit(std::uint16_t mask, Shape shape) {
    return (mask >> int(shape)) & 1u;
}

// True when a figure of this border and line width fits a control of this
// size.
bool SizeFits(int width, int height, int border, int lineWidth);

struct Box {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Box&, const Box&) = default;
};

// The boxes of all shapes, indexed by Shape, for a control of width x height.
std::array<Box, kShapeCount> DigitBoxes(int width, int height, int lineWidth, int border);

// The eight corners of a shape drawn in box, its corners cut by cut pixels.
std::array<QPoint, 8> SegmentPolygon(const Box& box, int cut);

struct DigitColors {
    QColor back = QColor(0, 0, 0);    // clBlack
    QColor fore = QColor(255, 0, 0);  // clRed, lit shapes
    QColor off = QColor(128, 0, 0);   // clMaroon, unlit shapes and every outline
    friend bool operator==(const DigitColors&, const DigitColors&) = default;
};

// One shape: filled with fill, outlined in the off colour.
void DrawSegment(QPainter& painter, const Box& box, int cut, const QColor& fill,
                 const QColor& outline);

// All nine shapes of character, lit or not, for a control of width x height.
// The painter's origin is where the figure's (0, 0) goes.
void DrawDigit(QPainter& painter, int width, int height, int lineWidth, int border,
               const DigitColors& colors, char character);

// The figure bitmap of a control, (width - 2) x (height - 2): the back
// colour with the figure drawn on it, clipped to the bitmap.
QImage DrawFigure(int width, int height, int lineWidth, int border, const DigitColors& colors,
                  char character);

// Which shape shows at each pixel of a figure bitmap, and whether by its
// fill or by its outline, where DrawDigit leaves shapes drawn one over
// another. Drawn once for a size; any character in opaque colours then
// follows pixel for pixel by looking its colours up, without drawing.
class FigureMap {
  public:
    FigureMap() = default;
    FigureMap(int width, int height, int lineWidth, int border);

    // What DrawFigure gives for the same size, line width and border.
    QImage Figure(const DigitColors& colors, char character) const;

  private:
    int width_ = 0;
    int height_ = 0;
    int lineWidth_ = 0;
    int border_ = 0;
    // Per pixel, row by row: 0 for the back colour, 2n + 1 for the fill of
    // shape n, 2n + 2 for its outline.
    std::vector<std::uint8_t> shown_;
};

}  // namespace tickwell
