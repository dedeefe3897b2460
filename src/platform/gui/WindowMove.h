#pragma once

#include <Qt>

class QWindow;

// Moving a window without a frame by a drag on its own title bar.
namespace WindowMove {

// Hands a drag that begins with a press of `button` to the window system,
// which moves the window from then on until the button is let go. False
// when it does not take the drag: the caller moves the window itself.
//
// An X11 window manager is asked for a move with the left button and ends
// it only when that button is let go, so it takes left-button drags only. A
// Wayland compositor ends the move once no button is held and is the only
// one that can move a window there, so it takes a drag with any button.
bool startSystemMove(QWindow *window, Qt::MouseButton button);

} // namespace WindowMove
