#include "widgets/ButtonKeys.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QKeyEvent>
#include <QRadioButton>

namespace ButtonKeys {

namespace {

bool isEnter(const QKeyEvent &key)
{
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

} // namespace

bool enterPresses(QAbstractButton &button, QKeyEvent &key)
{
    if (!isEnter(key))
        return false;
    if (!key.isAutoRepeat() && button.isEnabled())
        button.click();
    key.accept();
    return true;
}

bool pressOnEnter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *button = qobject_cast<QAbstractButton *>(watched);
    if (button == nullptr || !button->hasFocus() || qobject_cast<QCheckBox *>(button) != nullptr ||
        qobject_cast<QRadioButton *>(button) != nullptr)
        return false;
    return enterPresses(*button, *static_cast<QKeyEvent *>(event));
}

} // namespace ButtonKeys
