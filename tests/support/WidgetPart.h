#pragma once

#include <QObject>
#include <QString>

// A named part of a window, found by its object name; the test fails loudly
// when the window has no such part.
template <typename T> T *part(const QObject *window, const char *name)
{
    T *found = window->findChild<T *>(QString::fromLatin1(name));
    if (found == nullptr)
        qFatal("no part \"%s\" in %s", name, qPrintable(window->objectName()));
    return found;
}
