#include "PassWatch.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

namespace PassWatch {

bool startsWithPassByte(const QString &path)
{
    QFile file(path);
    char first = 0;
    if (!file.open(QIODevice::ReadOnly) || file.read(&first, 1) != 1)
        return false;
    return first == char(0x3E) || first == char(0xC1);
}

bool waitForFirstPass(const QString &path, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (startsWithPassByte(path))
            return true;
        QThread::usleep(200);
    }
    return false;
}

} // namespace PassWatch
