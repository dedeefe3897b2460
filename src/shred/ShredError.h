#pragma once

#include <QString>

#include <stdexcept>

// Raised by OverwriteAndDelete when a file cannot be destroyed as asked.
class EShredError : public std::runtime_error
{
public:
    explicit EShredError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }

    QString message() const { return m_message; }

private:
    QString m_message;
};
