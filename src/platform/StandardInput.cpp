#include "platform/StandardInput.h"

#include "platform/SecretWipe.h"

#include <cerrno>
#include <unistd.h>

namespace StandardInput {

SecretLine readSecretLine(qsizetype maxBytes)
{
    SecretLine line;
    QByteArray bytes;
    bytes.reserve(qMin<qsizetype>(maxBytes, 256));
    bool anyByte = false;
    char byte = 0;
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, &byte, 1);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            line.status = SecretLine::Status::Failed;
            line.cause = systemCauseOf(errno);
            line.reason = systemErrorText(errno);
            SecretWipe::wipe(bytes);
            return line;
        }
        if (got == 0)
            break;
        anyByte = true;
        if (byte == '\n') {
            line.lineEnded = true;
            break;
        }
        if (bytes.size() == maxBytes) {
            line.status = SecretLine::Status::TooLong;
            SecretWipe::wipe(bytes);
            SecretWipe::wipe(&byte, 1);
            return line;
        }
        if (bytes.size() == bytes.capacity()) {
            // Grown by hand, so that the old storage is wiped, not just freed.
            QByteArray larger;
            larger.reserve(qMin(maxBytes, bytes.capacity() * 2));
            larger.append(bytes);
            SecretWipe::wipe(bytes);
            bytes.swap(larger);
        }
        bytes.append(byte);
    }
    SecretWipe::wipe(&byte, 1);
    line.status = anyByte ? SecretLine::Status::Read : SecretLine::Status::NoInput;
    line.bytes.swap(bytes);
    return line;
}

} // namespace StandardInput
