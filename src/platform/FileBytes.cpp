#include "platform/FileBytes.h"

#include "platform/SafeOpen.h"

namespace FileBytes {

std::optional<QByteArray> read(const QString &path, qint64 maxSize, FileProblem *problem)
{
    return SafeOpen::readAll(path, maxSize, problem);
}

} // namespace FileBytes
