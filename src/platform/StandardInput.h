#pragma once

#include "platform/SystemError.h"

#include <QByteArray>
#include <QString>

// Reading a secret from the process's standard input.
namespace StandardInput {

struct SecretLine
{
    enum class Status {
        Read,    // bytes holds the line
        NoInput, // the input ended before the first byte
        TooLong, // no line end within the limit; nothing is kept
        Failed,  // the system refused; cause and reason say how
    };

    Status status = Status::NoInput;
    QByteArray bytes;       // the line without its line feed; the caller wipes it
    bool lineEnded = false; // a line feed ended it, not the end of the input
    SystemCause cause = SystemCause::None;
    QString reason; // the system's own words, for Failed
};

// One line from standard input, up to its line feed or the end of the input,
// read straight from the descriptor one byte at a time: nothing after the
// line end is taken from the input (a later reader finds it there), and no
// buffer but the returned one is left holding the line (a buffer outgrown on
// the way is wiped before it is released).
SecretLine readSecretLine(qsizetype maxBytes);

} // namespace StandardInput
