// Placing a window at a saved position without losing it off screen.
#pragma once

class QWidget;

namespace platform {

// Moves the window to (left, top). A window that would not fit there, on the
// screen holding that corner (or the primary screen), is pulled onto that
// screen, so a position saved on a larger or second monitor never leaves a
// window out of reach.
void PlaceOnScreen(QWidget* window, int left, int top);

}  // namespace platform
