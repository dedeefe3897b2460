#pragma once

#include <QtGlobal>

// The keys of the X server's keyboard. Under X11 the released key of the
// password field is looked up here, so that Shift+7 on a German keyboard
// counts as the 7 key, as it does on Windows, whatever symbol it types.
namespace X11KeyboardMap {

// The Qt key (Qt::Key) of what an X key code types without any modifier, in
// the first layout group; 0 when the program does not run on X11, when the
// key code is 0 (an event that did not come from the server) or when the key
// types nothing printable.
int unshiftedQtKey(quint32 keyCode);

} // namespace X11KeyboardMap
