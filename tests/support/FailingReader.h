#pragma once

#include <QBuffer>

// A device that delivers the first N bytes of its data and then reports a
// read error, for testing what readers do when a disk fails under them.
class FailingReader : public QBuffer
{
public:
    FailingReader(const QByteArray &data, qint64 failAt);

protected:
    qint64 readData(char *data, qint64 len) override;

private:
    qint64 m_failAt;
};
