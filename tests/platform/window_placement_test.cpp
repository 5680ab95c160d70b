#include "platform/window_placement.h"

#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

TEST(WindowPlacement, ASavedPositionOffScreenIsPulledBackAndAGoodOneIsKept) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget w;
    w.resize(300, 200);
    platform::PlaceOnScreen(&w, area.left() + 10, area.top() + 20);
    EXPECT_EQ(w.pos(), QPoint(area.left() + 10, area.top() + 20));
    // The design position of a wide screen, on a smaller one.
    platform::PlaceOnScreen(&w, area.right() - 100, area.top() + 20);
    EXPECT_TRUE(area.contains(QRect(w.pos(), w.size())));
    EXPECT_EQ(w.y(), area.top() + 20);
    platform::PlaceOnScreen(&w, -5000, 99999);
    EXPECT_TRUE(area.contains(QRect(w.pos(), w.size())));
}

}  // namespace
