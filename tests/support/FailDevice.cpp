#include "FailDevice.h"

FailDevice::FailDevice(qint64 failAfter, QObject *parent)
    : QBuffer(parent)
    , m_failAfter(failAfter)
{
}

qint64 FailDevice::writeData(const char *data, qint64 len)
{
    if (m_written >= m_failAfter)
        return -1;
    const qint64 accepted = qMin(len, m_failAfter - m_written);
    const qint64 done = QBuffer::writeData(data, accepted);
    if (done > 0)
        m_written += done;
    return done;
}
