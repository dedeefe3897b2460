#include "platform/gui/WindowMove.h"

#include <QGuiApplication>
#include <QWindow>

namespace {

// "wayland", "wayland-egl", ...: the platform plugins of a Wayland session.
bool underWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

bool WindowMove::startSystemMove(QWindow *window, Qt::MouseButton button)
{
    if (window == nullptr)
        return false;
    if (button != Qt::LeftButton && !underWayland())
        return false;
    return window->startSystemMove();
}
