#pragma once

#include <QString>

#include <stdexcept>

// A file that exists but cannot be read as text. Not handled where it is
// raised: the action that asked ends and the program's error report shows it.
class FileReadError : public std::runtime_error
{
public:
    explicit FileReadError(const QString &message)
        : std::runtime_error(message.toStdString())
    {
    }
};
