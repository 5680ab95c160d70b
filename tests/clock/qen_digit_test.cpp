#include "clock/qen_digit.h"

#include <gtest/gtest.h>
#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QTest>

namespace {

using tickwell::Shape;
using tickwell::TqenDigit;

const QColor kBack(0, 0, 0);
const QColor kFore(255, 0, 0);
const QColor kOff(128, 0, 0);

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
  public:
    explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
    int count = 0;

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            ++count;
        }
        return false;
    }
};

TEST(TqenDigit, NewControlHasItsDefaults) {
    TqenDigit d;
    EXPECT_EQ(d.width(), 57);
    EXPECT_EQ(d.height(), 81);
    EXPECT_EQ(d.LineWidth(), 7);
    EXPECT_EQ(d.Border(), 10);
    EXPECT_EQ(d.Digit(), '\0');
    EXPECT_EQ(d.BackColor(), kBack);
    EXPECT_EQ(d.ForeColor(), kFore);
    EXPECT_EQ(d.OffColor(), kOff);
}

TEST(TqenDigit, LineWidthAndBorderOnlyWhenTheFigureFits) {
    TqenDigit big;
    big.resize(55, 80);
    big.SetLineWidth(8);
    big.SetBorder(6);
    EXPECT_EQ(big.LineWidth(), 8);
    EXPECT_EQ(big.Border(), 6);

    TqenDigit small;
    small.resize(28, 40);
    small.SetLineWidth(2);
    small.SetBorder(7);
    EXPECT_EQ(small.LineWidth(), 2);
    EXPECT_EQ(small.Border(), 7);
    small.SetLineWidth(7);  // 14 + 21 > 28: ignored
    EXPECT_EQ(small.LineWidth(), 2);
    small.SetBorder(12);  // 24 + 6 > 28: ignored
    EXPECT_EQ(small.Border(), 7);
}

// Renders a 55 x 80 clock digit and reads the centre of every shape.
QImage Render(char c) {
    TqenDigit d;
    d.resize(55, 80);
    d.SetLineWidth(8);
    d.SetBorder(6);
    d.SetDigit(c);
    return d.grab().toImage();
}

TEST(TqenDigit, EveryCharacterLightsExactlyItsShapes) {
    const auto boxes = tickwell::DigitBoxes(55, 80, 8, 6);
    for (char c : QByteArray("0123456789: ", 12)) {
        const QImage image = Render(c);
        ASSERT_EQ(image.size(), QSize(55, 80));
        const std::uint16_t mask = tickwell::SegmentMask(c);
        for (int i = 0; i < tickwell::kShapeCount; ++i) {
            const auto& b = boxes[std::size_t(i)];
            // Drawn off screen and copied at (1, 1).
            const QPoint centre(1 + b.left + b.width / 2, 1 + b.top + b.height / 2);
            const QColor want = tickwell::IsLit(mask, Shape(i)) ? kFore : kOff;
            EXPECT_EQ(image.pixelColor(centre), want) << "character '" << c << "' shape " << i
                                                      << " at " << centre.x() << "," << centre.y();
        }
        // Between the shapes lies the background, and so does the cut-off
        // corner of the top bar's box.
        EXPECT_EQ(image.pixelColor(1 + 27, 1 + 32), kBack) << c;
        EXPECT_EQ(image.pixelColor(1 + 11, 1 + 6), kBack) << c;
        EXPECT_EQ(image.pixelColor(1 + 2, 1 + 2), kBack) << c;
    }
}

TEST(TqenDigit, BevelLeavesOnlyItsBottomRowAndCorners) {
    const QImage image = Render('8');
    TqenDigit probe;
    const QColor shadow = probe.palette().color(QPalette::Dark);
    const QColor highlight = probe.palette().color(QPalette::Light);
    for (int x : {0, 27, 54}) {
        EXPECT_EQ(image.pixel(x, 79), shadow.rgb()) << x;
    }
    EXPECT_EQ(image.pixel(0, 78), highlight.rgb());
    EXPECT_EQ(image.pixel(54, 78), highlight.rgb());
    EXPECT_EQ(image.pixelColor(27, 78), kBack);  // the figure's bitmap covers the rest
}

TEST(TqenDigit, RepaintsOnlyOnARealChange) {
    QWidget face;
    face.resize(100, 100);
    auto* d = new TqenDigit(&face);
    d->resize(55, 80);
    face.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&face));
    QCoreApplication::processEvents();
    PaintCounter paints(d);

    const auto settle = [] { QCoreApplication::processEvents(); };
    d->SetDigit('\0');
    d->SetBackColor(kBack);
    d->SetForeColor(kFore);
    d->SetOffColor(kOff);
    d->SetLineWidth(7);
    d->SetBorder(10);
    settle();
    EXPECT_EQ(paints.count, 0);

    d->SetDigit('5');
    settle();
    EXPECT_EQ(paints.count, 1);
    d->SetDigit('5');
    settle();
    EXPECT_EQ(paints.count, 1);
    d->SetForeColor(QColor(0, 0, 128));
    settle();
    EXPECT_EQ(paints.count, 2);
    d->SetBorder(6);
    settle();
    EXPECT_EQ(paints.count, 3);
    d->SetLineWidth(20);  // does not fit: no change, no paint
    settle();
    EXPECT_EQ(paints.count, 3);
}

}  // namespace
