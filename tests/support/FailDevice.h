#pragma once

#include <QBuffer>

// A device that accepts the first N bytes written to it and then fails every
// further write, for testing what writers do when the disk fills up.
class FailDevice : public QBuffer
{
public:
    explicit FailDevice(qint64 failAfter, QObject *parent = nullptr);

protected:
    qint64 writeData(const char *data, qint64 len) override;

private:
    qint64 m_failAfter;
    qint64 m_written = 0;
};
