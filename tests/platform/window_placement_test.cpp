#include "platform/window_placement.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

namespace {

using platform::FitOnScreen;

TEST(WindowPlacement, TheFrameIsPulledOntoTheAreaAndAGoodPositionIsKept) {
    // The main window (699 wide) in a frame of one pixel each side and a
    // 20-pixel caption, at its design position.
    const QSize frame(701, 525);
    struct Case {
        QRect area;
        QPoint wanted;
        QPoint expected;
    };
    const Case cases[] = {
        // Design position on the usual screen widths: the frame ends at the
        // right edge, not two pixels past it.
        {QRect(0, 0, 1280, 1024), {1067, 114}, {579, 114}},
        {QRect(0, 0, 1024, 768), {1067, 114}, {323, 114}},
        {QRect(0, 0, 2560, 1440), {1067, 114}, {1067, 114}},
        {QRect(0, 0, 2560, 1440), {1860, 114}, {1859, 114}},
        // Fits exactly: kept.
        {QRect(0, 0, 1280, 1024), {579, 499}, {579, 499}},
        // Past the bottom and past the top-left.
        {QRect(0, 0, 1280, 1024), {10, 1000}, {10, 499}},
        {QRect(0, 0, 1280, 1024), {-40, -40}, {0, 0}},
        // A second monitor left of the first, and a panel at the top.
        {QRect(-1280, 30, 1280, 994), {-100, 0}, {-701, 30}},
        // A frame larger than the area keeps its top-left corner on it.
        {QRect(0, 0, 640, 480), {300, 300}, {0, 0}},
    };
    for (const Case& c : cases) {
        const QPoint at = FitOnScreen(c.wanted, frame, c.area);
        EXPECT_EQ(at, c.expected) << c.area.width() << " wanted " << c.wanted.x() << ","
                                  << c.wanted.y();
        if (frame.width() <= c.area.width() && frame.height() <= c.area.height()) {
            EXPECT_TRUE(c.area.contains(QRect(at, frame)));
        }
    }
}

// The offscreen platform gives every top-level window a frame of two pixels
// on each side, known only once the window exists, as under a window manager.
class PlacedWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        area_ = QGuiApplication::primaryScreen()->availableGeometry();
        w_.resize(300, 200);
    }
    // Shows the window and waits until its frame is known.
    void Show() {
        w_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w_));
        QCoreApplication::processEvents();
        ASSERT_NE(w_.frameGeometry(), w_.geometry()) << "the platform gave the window no frame";
    }
    QRect area_;
    QWidget w_;
};

TEST_F(PlacedWindow, ASavedPositionComesBackAsTheSameFrameCorner) {
    const QPoint saved(area_.left() + 10, area_.top() + 20);
    platform::PlaceOnScreen(&w_, saved.x(), saved.y());
    Show();
    EXPECT_EQ(w_.frameGeometry().topLeft(), saved);
    EXPECT_EQ(w_.pos(), saved);  // what the windows save
    EXPECT_NE(w_.geometry().topLeft(), saved);

    // Placing a shown window again at what it saved leaves it where it is.
    platform::PlaceOnScreen(&w_, w_.x(), w_.y());
    QCoreApplication::processEvents();
    EXPECT_EQ(w_.frameGeometry().topLeft(), saved);
}

TEST_F(PlacedWindow, AWindowPlacedBeforeItHasAFrameEndsWithItsFrameOnTheScreen) {
    // The design position of a wide screen, on a smaller one.
    platform::PlaceOnScreen(&w_, area_.right() - 100, area_.top() + 20);
    Show();
    EXPECT_TRUE(area_.contains(w_.frameGeometry())) << w_.frameGeometry().right();
    EXPECT_EQ(w_.frameGeometry().right(), area_.right());
    EXPECT_EQ(w_.y(), area_.top() + 20);

    // Once framed, the window is the operator's: a later move is not undone.
    const QPoint off(area_.right() - 10, area_.top() + 40);
    w_.move(off);
    QCoreApplication::processEvents();
    EXPECT_EQ(w_.pos(), off);
}

TEST_F(PlacedWindow, AShownWindowIsFittedWithItsFrame) {
    Show();
    platform::PlaceOnScreen(&w_, -5000, 99999);
    QCoreApplication::processEvents();
    EXPECT_TRUE(area_.contains(w_.frameGeometry()));
    EXPECT_EQ(w_.frameGeometry().bottomLeft(), area_.bottomLeft());
}

}  // namespace
