#include "segment_geometry.h"

#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cstring>

namespace tickwell {

std::size_t SegmentIndex(char character) {
    if (character == '\0') {
        return 0;
    }
    const char* found = std::strchr(kDigitCharacters, character);
    return found ? std::size_t(found - kDigitCharacters) + 1 : 0;
}

std::uint16_t SegmentMask(char character) {
    return SegmentMasks[SegmentIndex(character)];
}

bool SizeFits(int width, int height, int border, int lineWidth) {
    return 2 * border + 3 * lineWidth <= width && 2 * border + 5 * lineWidth <= height;
}

std::array<Box, kShapeCount> DigitBoxes(int width, int height, int lineWidth, int border) {
    const int W = width;
    const int H = height;
    const int L = lineWidth;
    const int B = border;
    // C++ division truncates toward zero, which is the rounding these
    // boxes are defined with.
    const int h = L / 2;
    const int a = B + h + 1;
    const int m = H / 2;
    const int v = m - B - h - 2;
    const int k = (m - B) / 2 + h / 2;
    const int p = W / 2 - h;
    return {{
        {a, B, W - 2 * a, L},              // top bar
        {a, m - h, W - 2 * a, L},          // middle bar
        {a, H - L - B - 1, W - 2 * a, L},  // bottom bar
        {B, a, L, v},                      // upper-left bar
        {B, m + 1, L, v},                  // lower-left bar
        {W - B - L, a, L, v},              // upper-right bar
        {W - B - L, m + 1, L, v},          // lower-right bar
        {p, m - k, L, L},                  // upper dot
        {p, m + k - L, L, L},              // lower dot
    }};
}

std::array<QPoint, 8> SegmentPolygon(const Box& box, int cut) {
    const int x = box.left;
    const int y = box.top;
    const int w = box.width;
    const int ht = box.height;
    const int h = cut;
    return {{
        {x, y + h},
        {x + h, y},
        {x + w - h, y},
        {x + w, y + h},
        {x + w, y + ht - h},
        {x + w - h, y + ht},
        {x + h, y + ht},
        {x, y + ht - h},
    }};
}

void DrawSegment(QPainter& painter, const Box& box, int cut, const QColor& fill,
                 const QColor& outline) {
    const auto points = SegmentPolygon(box, cut);
    painter.setPen(QPen(outline, 1));
    painter.setBrush(fill);
    painter.drawPolygon(points.data(), int(points.size()));
}

void DrawDigit(QPainter& painter, int width, int height, int lineWidth, int border,
               const DigitColors& colors, char character) {
    const std::uint16_t mask = SegmentMask(character);
    const auto boxes = DigitBoxes(width, height, lineWidth, border);
    const int cut = lineWidth / 2;
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < kShapeCount; ++i) {
        const QColor& fill = IsLit(mask, Shape(i)) ? colors.fore : colors.off;
        DrawSegment(painter, boxes[std::size_t(i)], cut, fill, colors.off);
    }
}

namespace {

// The bitmap a control of width x height holds its figure in.
QImage FigureBitmap(int width, int height) {
    return QImage(std::max(0, width - 2), std::max(0, height - 2), QImage::Format_RGB32);
}

}  // namespace

QImage DrawFigure(int width, int height, int lineWidth, int border, const DigitColors& colors,
                  char character) {
    QImage image = FigureBitmap(width, height);
    if (image.isNull()) {
        return image;
    }
    image.fill(colors.back);
    QPainter painter(&image);
    DrawDigit(painter, width, height, lineWidth, border, colors, character);
    return image;
}

namespace {

// A colour that stands for what is shown at a pixel in the map's drawing.
QColor Marker(int shown) {
    return QColor(0, 0, shown);
}

// Opaque colours of the plain kind are painted as exactly their own values;
// anything else is blended or converted and is left to the painter.
bool PaintsAsItself(const QColor& color) {
    // Equal only to an opaque 8-bit RGB colour of the same values.
    return color == QColor::fromRgb(color.rgb());
}

}  // namespace

FigureMap::FigureMap(int width, int height, int lineWidth, int border)
    : width_(width), height_(height), lineWidth_(lineWidth), border_(border) {
    // The figure drawn as DrawDigit draws it, each fill and outline in a
    // colour of its own: what is left at a pixel is whichever came last.
    // Without antialiasing a shape covers the same pixels whatever its
    // colours, so this holds for any opaque ones.
    static_assert(2 * kShapeCount + 1 <= 255);
    QImage image = FigureBitmap(width, height);
    if (image.isNull()) {
        return;
    }
    image.fill(Marker(0));
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        const auto boxes = DigitBoxes(width, height, lineWidth, border);
        for (int i = 0; i < kShapeCount; ++i) {
            DrawSegment(painter, boxes[std::size_t(i)], lineWidth / 2, Marker(2 * i + 1),
                        Marker(2 * i + 2));
        }
    }
    shown_.reserve(std::size_t(image.width()) * std::size_t(image.height()));
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            shown_.push_back(std::uint8_t(qBlue(line[x])));
        }
    }
}

QImage FigureMap::Figure(const DigitColors& colors, char character) const {
    if (!PaintsAsItself(colors.back) || !PaintsAsItself(colors.fore) ||
        !PaintsAsItself(colors.off)) {
        return DrawFigure(width_, height_, lineWidth_, border_, colors, character);
    }
    const std::uint16_t mask = SegmentMask(character);
    std::array<QRgb, 2 * kShapeCount + 1> colorOf{};
    colorOf[0] = colors.back.rgb();
    for (int i = 0; i < kShapeCount; ++i) {
        colorOf[std::size_t(2 * i + 1)] = (IsLit(mask, Shape(i)) ? colors.fore : colors.off).rgb();
        colorOf[std::size_t(2 * i + 2)] = colors.off.rgb();
    }
    QImage image = FigureBitmap(width_, height_);
    auto shown = shown_.begin();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            line[x] = colorOf[*shown++];
        }
    }
    return image;
}

}  // namespace tickwell
