#pragma once

class QWidget;

// Asks the platform for a drop shadow under a borderless window. On Windows
// this switches the system's drop-shadow effect on for the session and gives
// the window's class the shadow style; elsewhere the window manager or
// compositor decides, and nothing is done.
namespace WindowShadow {

void enable(QWidget *window);

} // namespace WindowShadow
