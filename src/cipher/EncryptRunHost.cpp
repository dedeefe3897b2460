#include "cipher/EncryptRunHost.h"

#include <QThread>

#include <algorithm>

void EncryptRunHost::pause(int milliseconds)
{
    QThread::msleep(static_cast<unsigned long>(std::max(0, milliseconds)));
}
