#include "window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace platform {

void PlaceOnScreen(QWidget* window, int left, int top) {
    const QSize size = window->frameSize().expandedTo(window->size());
    const QRect wanted(QPoint(left, top), size);
    const QScreen* target = QGuiApplication::screenAt(wanted.topLeft());
    if (!target) {
        target = QGuiApplication::primaryScreen();
    }
    if (!target || target->availableGeometry().contains(wanted)) {
        window->move(left, top);
        return;
    }
    const QRect area = target->availableGeometry();
    window->move(
        std::clamp(left, area.left(), std::max(area.left(), area.right() + 1 - size.width())),
        std::clamp(top, area.top(), std::max(area.top(), area.bottom() + 1 - size.height())));
}

}  // namespace platform
