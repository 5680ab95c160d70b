// The digit control keeps each character's rendering and copies it on later
// paints, shared with the other controls of the same look. What it shows
// must stay pixel for pixel what drawing the control afresh on every paint
// gives, for every character, and must follow every change of a property,
// the size or the colours around it.
#include "clock/qen_digit.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QPainter>

#include <memory>
#include <vector>

namespace {

using tickwell::DigitColors;
using tickwell::TqenDigit;

// The control drawn afresh, as every paint did before renderings were kept:
// the face's colour around the figure, the bevel's bottom line, then the
// figure built in a bitmap of (width - 2) x (height - 2) and copied at (1, 1).
QImage DrawnAfresh(int width, int height, int lineWidth, int border, const DigitColors& colors,
                   char character, const QColor& behind, const QColor& highlight,
                   const QColor& shadow) {
    QImage out(width, height, QImage::Format_RGB32);
    QPainter painter(&out);
    painter.fillRect(0, 0, width, height, behind);
    painter.setPen(highlight);
    painter.drawLine(0, height - 2, width - 1, height - 2);
    painter.setPen(shadow);
    painter.drawLine(0, height - 1, width - 1, height - 1);
    QImage bitmap(width - 2, height - 2, QImage::Format_RGB32);
    bitmap.fill(colors.back);
    {
        QPainter figure(&bitmap);
        tickwell::DrawDigit(figure, width, height, lineWidth, border, colors, character);
    }
    painter.drawImage(1, 1, bitmap);
    return out;
}

struct Look {
    const char* name;
    int width, height, lineWidth, border;
    DigitColors colors;
};

const QColor kCream(240, 251, 255);
const QColor kGray(128, 128, 128);

// The clock's three kinds of digit, and the control's own defaults (unlit
// shapes and outlines visible, an odd line width).
const Look kLooks[] = {
    {"hour/minute", 55, 80, 8, 6, {kCream, QColor(0, 0, 128), kCream}},
    {"separator", 35, 80, 7, 6, {kCream, kGray, kCream}},
    {"seconds", 28, 40, 2, 7, {kCream, kGray, kCream}},
    {"defaults", 57, 81, 7, 10, DigitColors{}},
};

// Every character with a figure, the blank, and two without one.
const QByteArray kCharacters("0123456789:\0 A", 14);

// A figure looked up in the map of its shapes is the figure drawn, for
// sizes where shapes overlap, touch, vanish or run off the bitmap, in
// colours that may coincide; colours the painter would blend or convert
// are drawn as before.
TEST(FigureMap, EveryCharacterAsDrawn) {
    struct Size {
        int width, height, lineWidth, border;
    };
    const Size sizes[] = {
        {55, 80, 8, 6}, {35, 80, 7, 6}, {28, 40, 2, 7}, {57, 81, 7, 10}, {31, 45, 3, 2},
        {20, 30, 0, 0}, {20, 30, 1, 0}, {16, 20, 6, 0}, {3, 3, 1, 1},    {4, 9, 2, 5},
    };
    const DigitColors colourSets[] = {
        {kCream, QColor(0, 0, 128), kCream},
        DigitColors{},
        {QColor(1, 2, 3), QColor(1, 2, 3), QColor(250, 251, 252)},
        {QColor(0, 0, 0, 128), QColor(255, 0, 0), QColor(128, 0, 0)},
        {QColor(0, 0, 0), QColor::fromHsvF(0.3, 0.71, 0.37), QColor(128, 0, 0)},
        {QColor(0, 0, 0), QColor(255, 0, 0), QColor(128, 0, 0, 0)},
    };
    for (const Size& size : sizes) {
        const tickwell::FigureMap map(size.width, size.height, size.lineWidth, size.border);
        for (const DigitColors& colors : colourSets) {
            for (char c : kCharacters) {
                EXPECT_EQ(map.Figure(colors, c),
                          tickwell::DrawFigure(size.width, size.height, size.lineWidth, size.border,
                                               colors, c))
                    << size.width << "x" << size.height << " line " << size.lineWidth << " border "
                    << size.border << ", colours " << &colors - colourSets << ", character "
                    << int(c);
            }
        }
    }
}

class DigitRendering : public ::testing::Test {
  protected:
    void SetUp() override {
        face_.resize(120, 120);
        face_.setAutoFillBackground(true);
        QPalette p = face_.palette();
        p.setColor(QPalette::Window, kCream);
        face_.setPalette(p);
        digit_ = new TqenDigit(&face_);
    }
    void Configure(const Look& look) {
        digit_->resize(look.width, look.height);
        digit_->SetLineWidth(look.lineWidth);
        digit_->SetBorder(look.border);
        digit_->SetBackColor(look.colors.back);
        digit_->SetForeColor(look.colors.fore);
        digit_->SetOffColor(look.colors.off);
        ASSERT_EQ(digit_->LineWidth(), look.lineWidth);
        ASSERT_EQ(digit_->Border(), look.border);
    }
    QImage Shown() const { return digit_->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QImage Expected(char c) const {
        return DrawnAfresh(digit_->width(), digit_->height(), digit_->LineWidth(), digit_->Border(),
                           {digit_->BackColor(), digit_->ForeColor(), digit_->OffColor()}, c,
                           face_.palette().color(QPalette::Window),
                           digit_->palette().color(QPalette::Light),
                           digit_->palette().color(QPalette::Dark));
    }
    // Shows every character twice, the second time from what was kept.
    void ExpectEveryCharacterAsDrawnAfresh(const char* what) {
        for (int pass = 0; pass < 2; ++pass) {
            for (char c : kCharacters) {
                digit_->SetDigit(c);
                EXPECT_EQ(Shown(), Expected(c))
                    << what << ", character " << int(c) << ", pass " << pass;
            }
        }
    }

    QWidget face_;
    TqenDigit* digit_ = nullptr;
};

TEST_F(DigitRendering, EveryCharacterOfEveryLookIsPixelIdenticalToDrawingAfresh) {
    for (const Look& look : kLooks) {
        TqenDigit fresh(&face_);
        digit_ = &fresh;
        Configure(look);
        ExpectEveryCharacterAsDrawnAfresh(look.name);
        digit_ = nullptr;
    }
}

TEST_F(DigitRendering, KeptRenderingsFollowEveryChange) {
    Configure(kLooks[0]);
    ExpectEveryCharacterAsDrawnAfresh("before the changes");

    digit_->SetForeColor(QColor(255, 0, 0));
    ExpectEveryCharacterAsDrawnAfresh("fore colour");
    digit_->SetOffColor(QColor(200, 200, 200));
    ExpectEveryCharacterAsDrawnAfresh("off colour");
    digit_->SetBackColor(QColor(0, 0, 0));
    ExpectEveryCharacterAsDrawnAfresh("back colour");
    digit_->SetBorder(8);
    ASSERT_EQ(digit_->Border(), 8);
    ExpectEveryCharacterAsDrawnAfresh("border");
    digit_->SetLineWidth(6);
    ASSERT_EQ(digit_->LineWidth(), 6);
    ExpectEveryCharacterAsDrawnAfresh("line width");
    digit_->resize(60, 90);
    ExpectEveryCharacterAsDrawnAfresh("size");

    // The face's colour shows around the figure, and the bevel's colours
    // come from the control's palette.
    QPalette face = face_.palette();
    face.setColor(QPalette::Window, QColor(10, 200, 30));
    face_.setPalette(face);
    ExpectEveryCharacterAsDrawnAfresh("face colour");
    QPalette bevel = digit_->palette();
    bevel.setColor(QPalette::Light, QColor(1, 2, 3));
    bevel.setColor(QPalette::Dark, QColor(4, 5, 6));
    digit_->setPalette(bevel);
    ExpectEveryCharacterAsDrawnAfresh("bevel colours");
}

TEST_F(DigitRendering, ControlsShareRenderingsOnlyWithTheirOwnLook) {
    // Pairs of controls that look alike, and more looks in use at once than
    // are kept, shown in turns: no control shows another look's figure, and
    // a look that dropped out is drawn again correctly.
    std::vector<std::unique_ptr<TqenDigit>> controls;
    for (int i = 0; i < 16; ++i) {
        controls.push_back(std::make_unique<TqenDigit>(&face_));
        digit_ = controls.back().get();
        Configure(kLooks[0]);
        digit_->SetForeColor(QColor(0, 0, 16 * (i / 2)));
    }
    for (int pass = 0; pass < 2; ++pass) {
        for (char c : kCharacters) {
            for (std::size_t i = 0; i < controls.size(); ++i) {
                digit_ = controls[i].get();
                digit_->SetDigit(c);
                EXPECT_EQ(Shown(), Expected(c)) << "control " << i << ", character " << int(c);
            }
        }
    }
    digit_ = nullptr;
}

}  // namespace
