#include "platform/keyboard/KeyInjector.h"

#include "platform/keyboard/InProgramKeyInjector.h"
#include "platform/keyboard/XTestKeyInjector.h"

#include <QGuiApplication>

std::unique_ptr<KeyInjector> KeyInjector::createForPlatform()
{
#ifdef VELMORA_HAVE_XTEST
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (std::unique_ptr<XTestKeyInjector> injector = XTestKeyInjector::connect())
            return injector;
    }
#endif
    return std::make_unique<InProgramKeyInjector>();
}
