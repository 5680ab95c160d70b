// Placing a window at a saved position without losing it off screen.
//
// A window's saved position is the top-left corner of its frame (what
// QWidget::pos() reports), and it is restored as that same corner, so a
// save/restore cycle leaves the window where it was. The frame counts when a
// window is pulled onto the screen.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace platform {

// Where the frame's top-left corner goes so that a frame of frameSize, wanted
// at wanted, lies within area: unchanged when it already does, else pulled
// in, and held at the area's top-left edge when the frame is larger than the
// area.
QPoint FitOnScreen(QPoint wanted, QSize frameSize, const QRect& area);

// Moves the window's frame to (left, top). A window that would not fit
// there, on the screen holding that corner (or the primary screen), is pulled
// onto that screen, so a position saved on a larger or second monitor never
// leaves a window out of reach. Until the window system has framed the window
// its frame is not known; the window is then checked again as soon as it is.
void PlaceOnScreen(QWidget* window, int left, int top);

// A window's place as every window saves and restores it: the top-left
// corner of its frame, put back where it was and pulled onto the screen.
void SavePlace(const QWidget* window, int& left, int& top);
inline void RestorePlace(QWidget* window, int left, int top) {
    PlaceOnScreen(window, left, top);
}

}  // namespace platform
