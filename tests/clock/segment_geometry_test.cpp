#include "clock/segment_geometry.h"

#include <gtest/gtest.h>

namespace {

using tickwell::Box;
using tickwell::DigitBoxes;
using tickwell::SegmentMask;
using tickwell::Shape;

TEST(SegmentGeometry, HourDigitBoxesToThePixel) {
    // 55 x 80, line 8, border 6: the clock's large digits.
    const auto boxes = DigitBoxes(55, 80, 8, 6);
    const std::array<Box, 9> expected = {{
        {11, 6, 33, 8},   // top
        {11, 36, 33, 8},  // middle
        {11, 65, 33, 8},  // bottom
        {6, 11, 8, 28},   // upper-left
        {6, 41, 8, 28},   // lower-left
        {41, 11, 8, 28},  // upper-right
        {41, 41, 8, 28},  // lower-right
        {23, 21, 8, 8},   // upper dot
        {23, 51, 8, 8},   // lower dot
    }};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(boxes[i], expected[i]) << "shape " << i;
    }
}

TEST(SegmentGeometry, SmallAndOddDigitsTruncateLikeTheRest) {
    // Seconds: 28 x 40, line 2, border 7.
    auto b = DigitBoxes(28, 40, 2, 7);
    EXPECT_EQ(b[int(Shape::TopBar)], (Box{9, 7, 10, 2}));
    EXPECT_EQ(b[int(Shape::BottomBar)], (Box{9, 30, 10, 2}));
    EXPECT_EQ(b[int(Shape::LowerRightBar)], (Box{19, 21, 2, 10}));
    EXPECT_EQ(b[int(Shape::UpperDot)], (Box{13, 14, 2, 2}));
    // Separator: 35 x 80, odd line 7 (half line 3), border 6.
    b = DigitBoxes(35, 80, 7, 6);
    EXPECT_EQ(b[int(Shape::TopBar)], (Box{10, 6, 15, 7}));
    EXPECT_EQ(b[int(Shape::UpperLeftBar)], (Box{6, 10, 7, 29}));
    EXPECT_EQ(b[int(Shape::UpperDot)], (Box{14, 22, 7, 7}));
    EXPECT_EQ(b[int(Shape::LowerDot)], (Box{14, 51, 7, 7}));
}

TEST(SegmentGeometry, OddLineWidthCutsCornersByTheTruncatedHalf) {
    const auto points = tickwell::SegmentPolygon(Box{10, 6, 15, 7}, 7 / 2);
    const std::array<QPoint, 8> expected = {
        {{10, 9}, {13, 6}, {22, 6}, {25, 9}, {25, 10}, {22, 13}, {13, 13}, {10, 10}}};
    EXPECT_EQ(points, expected);
}

TEST(SegmentGeometry, MaskOfEveryCharacter) {
    const std::uint16_t top = 1u << int(Shape::TopBar);
    const std::uint16_t bottom = 1u << int(Shape::BottomBar);
    const std::uint16_t dots = (1u << int(Shape::UpperDot)) | (1u << int(Shape::LowerDot));
    const std::uint16_t bars = 0x7F;
    const std::array<std::uint16_t, 11> digits = {0x07D, 0x060, 0x037, 0x067, 0x06A, 0x04F,
                                                  0x05E, 0x061, 0x07F, 0x06F, 0x180};
    for (std::size_t i = 0; i < digits.size(); ++i) {
        EXPECT_EQ(SegmentMask("0123456789:"[i]), digits[i]) << "character " << i;
    }
    EXPECT_EQ(SegmentMask('6') & top, 0);
    EXPECT_NE(SegmentMask('9') & bottom, 0);
    EXPECT_EQ(SegmentMask(':'), dots);
    for (char c : {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'}) {
        EXPECT_EQ(SegmentMask(c) & dots, 0) << c;
    }
    EXPECT_EQ(SegmentMask(':') & bars, 0);
    for (char c : {'\0', ' ', 'A', '.', '/', ';'}) {
        EXPECT_EQ(SegmentMask(c), 0) << int(c);
    }
}

TEST(SegmentGeometry, SizeFitsAtItsEdges) {
    EXPECT_TRUE(tickwell::SizeFits(55, 80, 10, 8));  // 20 + 24 <= 55, 20 + 40 <= 80
    EXPECT_TRUE(tickwell::SizeFits(55, 80, 6, 8));
    EXPECT_TRUE(tickwell::SizeFits(28, 40, 7, 2));   // 14 + 6 <= 28, 14 + 10 <= 40
    EXPECT_FALSE(tickwell::SizeFits(28, 40, 7, 7));  // 14 + 21 > 28
    EXPECT_TRUE(tickwell::SizeFits(41, 55, 10, 7));  // exactly full both ways
    EXPECT_FALSE(tickwell::SizeFits(40, 55, 10, 7));
    EXPECT_FALSE(tickwell::SizeFits(41, 54, 10, 7));
}

}  // namespace
