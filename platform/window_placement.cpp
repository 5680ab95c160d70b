#include "window_placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace platform {

namespace {

// The frame is known once it is larger than the window inside it.
bool FrameKnown(const QWidget* window) {
    return window->frameGeometry() != window->geometry();
}

// Where the window's frame, as it stands now, goes to lie on the screen
// that holds the wanted corner.
QPoint Fitted(const QWidget* window, QPoint wanted) {
    const QSize frame = window->frameGeometry().size().expandedTo(window->size());
    const QScreen* target = QGuiApplication::screenAt(wanted);
    if (!target) {
        target = QGuiApplication::primaryScreen();
    }
    return target ? FitOnScreen(wanted, frame, target->availableGeometry()) : wanted;
}

// A window placed before it was shown has no frame yet: X11 window managers
// add it after the window is mapped, and only then can the frame be counted.
// This watcher fits the window once more when its frame becomes known and
// then leaves, so a window the operator drags later is never pulled back.
class FrameWatcher final : public QObject {
  public:
    explicit FrameWatcher(QWidget* window) : QObject(window), window_(window) {
        setObjectName(QStringLiteral("platform::FrameWatcher"));
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != window_) {
            return false;
        }
        const QEvent::Type type = event->type();
        if (type != QEvent::Move && type != QEvent::Resize && type != QEvent::Paint) {
            return false;
        }
        if (FrameKnown(window_)) {
            Done();
            const QPoint at = Fitted(window_, window_->pos());
            if (at != window_->pos()) {
                window_->move(at);
            }
        } else if (type == QEvent::Paint && window_->isVisible()) {
            // On screen without a frame: there is nothing more to count.
            Done();
        }
        return false;
    }

  private:
    void Done() {
        window_->removeEventFilter(this);
        deleteLater();
    }

    QWidget* window_;
};

}  // namespace

QPoint FitOnScreen(QPoint wanted, QSize frameSize, const QRect& area) {
    if (area.contains(QRect(wanted, frameSize))) {
        return wanted;
    }
    return {std::clamp(wanted.x(), area.left(),
                       std::max(area.left(), area.right() + 1 - frameSize.width())),
            std::clamp(wanted.y(), area.top(),
                       std::max(area.top(), area.bottom() + 1 - frameSize.height()))};
}

void PlaceOnScreen(QWidget* window, int left, int top) {
    // Always moved, even to where it is: a window that was moved before it
    // is shown is placed by its frame, not left to the window manager.
    window->move(Fitted(window, QPoint(left, top)));
    if (!FrameKnown(window) &&
        !window->findChild<QObject*>(QStringLiteral("platform::FrameWatcher"),
                                     Qt::FindDirectChildrenOnly)) {
        new FrameWatcher(window);
    }
}

void SavePlace(const QWidget* window, int& left, int& top) {
    left = window->x();
    top = window->y();
}

}  // namespace platform
