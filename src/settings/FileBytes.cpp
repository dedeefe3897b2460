#include "settings/FileBytes.h"

#include "platform/SafeOpen.h"

namespace FileBytes {

std::optional<QByteArray> read(const QString &path, qint64 maxSize, FileProblem *problem)
{
    return SafeOpen::readAll(path, maxSize, problem);
}

std::optional<QByteArray> read(const QString &path, qint64 maxSize, QString *error)
{
    FileProblem problem;
    std::optional<QByteArray> bytes = read(path, maxSize, &problem);
    if (!bytes && error)
        *error = problem.text(Language::English);
    return bytes;
}

} // namespace FileBytes
