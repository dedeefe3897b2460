#pragma once

#include <QPalette>

class QWidget;

// The colours of the program's own look: dark text on the light gradients
// and panels the windows paint, fields and lists in white, a selection dark
// enough for white text. A window takes them whole, text and background
// together, so that a dark colour scheme of the desktop cannot put its light
// text onto the program's light backgrounds.
//
// Message boxes, file dialogs, menus and tool tips draw nothing of the
// program's own; they keep the desktop's colours, also whole.
namespace DesignPalette {

// Every role of every colour group is set.
QPalette palette();

// Gives the window (and its children, not its child windows) the design's
// colours. Call it before the window's controls set colours of their own.
void applyTo(QWidget *window);

} // namespace DesignPalette
