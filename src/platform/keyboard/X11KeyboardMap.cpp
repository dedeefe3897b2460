#include "platform/keyboard/X11KeyboardMap.h"

#ifdef VELMORA_HAVE_XTEST

#include <QChar>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

int X11KeyboardMap::unshiftedQtKey(quint32 keyCode)
{
    if (keyCode == 0 || keyCode > 255)
        return 0;
    const auto *x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display *display = x11 ? x11->display() : nullptr;
    if (display == nullptr)
        return 0;
    const KeySym symbol = XkbKeycodeToKeysym(display, KeyCode(keyCode), 0, 0);
    // Keysyms of the printable Latin-1 characters are their codes; Qt names
    // those keys by the upper-case character.
    if ((symbol >= 0x21 && symbol <= 0x7E) || (symbol >= 0xA0 && symbol <= 0xFF))
        return QChar(char16_t(symbol)).toUpper().unicode();
    return 0;
}

#else

int X11KeyboardMap::unshiftedQtKey(quint32)
{
    return 0;
}

#endif // VELMORA_HAVE_XTEST
