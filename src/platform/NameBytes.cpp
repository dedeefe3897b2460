#include "platform/NameBytes.h"

#include <QFile>
#include <QStringList>
#include <QUrl>

#include <cerrno>
#include <dirent.h>
#include <unistd.h>

#include <vector>

namespace {

// True when the folder holds an entry other than `own` whose name reads as
// `text`, or when the folder is there but cannot be listed.
bool holdsLookalike(const QByteArray &folder, const QString &text, const QByteArray &own)
{
    DIR *dir = ::opendir(folder.isEmpty() ? "." : folder.constData());
    if (dir == nullptr)
        return errno != ENOENT && errno != ENOTDIR;
    bool found = false;
    errno = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != own && QFile::decodeName(name) == text) {
            found = true;
            break;
        }
    }
    if (!found && errno != 0)
        found = true; // the listing broke off: the rest is unknown
    ::closedir(dir);
    return found;
}

} // namespace

namespace NameBytes {

bool survivesText(const QByteArray &bytes)
{
    return QFile::encodeName(QFile::decodeName(bytes)) == bytes;
}

QByteArray pathOfUrl(const QUrl &url)
{
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}

bool mayStandForOtherName(const QString &path)
{
    if (!path.contains(QChar::ReplacementCharacter))
        return false;
    QByteArray folder = path.startsWith(QLatin1Char('/')) ? QByteArray("/") : QByteArray();
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        const QByteArray own = QFile::encodeName(part);
        if (part.contains(QChar::ReplacementCharacter) && holdsLookalike(folder, part, own))
            return true;
        folder += own + '/';
    }
    return false;
}

QByteArray currentFolder()
{
    std::vector<char> buffer(4096);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()) != nullptr)
            return QByteArray(buffer.data());
        if (errno != ERANGE || buffer.size() > (1u << 20))
            return QByteArray();
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace NameBytes
