#include "segment_geometry.h"

#include <QPainter>
#include <QPen>
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

}  // namespace tickwell
