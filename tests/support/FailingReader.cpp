#include "FailingReader.h"

FailingReader::FailingReader(const QByteArray &data, qint64 failAt)
    : m_failAt(failAt)
{
    setData(data);
    open(QIODevice::ReadOnly);
}

qint64 FailingReader::readData(char *data, qint64 len)
{
    if (pos() >= m_failAt)
        return -1;
    return QBuffer::readData(data, qMin(len, m_failAt - pos()));
}
