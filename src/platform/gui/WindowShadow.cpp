#include "platform/gui/WindowShadow.h"

#include <QWidget>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace WindowShadow {

void enable(QWidget *window)
{
#ifdef Q_OS_WIN
    // SPI_SETDROPSHADOW without writing the user profile, then CS_DROPSHADOW.
    SystemParametersInfoW(0x1025, 0, reinterpret_cast<PVOID>(TRUE), 0);
    const HWND handle = reinterpret_cast<HWND>(window->winId());
    SetClassLongPtrW(handle, GCL_STYLE, GetClassLongPtrW(handle, GCL_STYLE) | 0x20000);
#else
    Q_UNUSED(window);
#endif
}

} // namespace WindowShadow
