#include "platform/keyboard/InProgramKeyInjector.h"

#include "platform/keyboard/UnshiftedKey.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

void InProgramKeyInjector::postKey(QChar character, QWidget *target)
{
    if (target == nullptr)
        return;
    const QChar typed = UnshiftedKey::of(character);
    // Qt names the keys of Latin-1 characters by their upper-case code.
    const int key = typed.toUpper().unicode();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(typed));
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(typed));
    QCoreApplication::sendEvent(target, &release);
}
