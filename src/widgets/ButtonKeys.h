#pragma once

class QAbstractButton;
class QEvent;
class QKeyEvent;
class QObject;

// Enter and Return press the focused button, as Space does: a flat button, a
// title-bar button, and a push button that is nobody's default (so that Enter
// in a field still does nothing). Check boxes and radio items keep Space
// alone. A held key presses once.
namespace ButtonKeys {

// For a button's own key handling: Enter presses button; true when the key
// was Enter (accepted then).
bool enterPresses(QAbstractButton &button, QKeyEvent &key);

// For a window's key preview: when event is Enter for watched, a button
// with the focus, the button is pressed and true returned.
bool pressOnEnter(QObject *watched, QEvent *event);

} // namespace ButtonKeys
