#include "settings/AtomicFile.h"

#include "platform/FileSync.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#if !defined(Q_OS_WIN)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

thread_local qint64 failAfter = -1;

constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// After the rename the folder's entry must reach the disk as well.
void syncFolder(const QString &path)
{
#if !defined(Q_OS_WIN)
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        FileSync::flushToDisk(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(path);
#endif
}

} // namespace

namespace AtomicFile {

bool write(const QString &path, const QByteArray &bytes, QString *error)
{
    if (QFileInfo(path).isDir()) {
        setError(error, QStringLiteral("%1 is a folder").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    file.setPermissions(ownerOnly);

    QByteArray toWrite = bytes;
    const bool cutOff = failAfter >= 0 && failAfter < bytes.size();
    if (cutOff)
        toWrite.truncate(failAfter);
    bool ok = file.write(toWrite) == toWrite.size();
    if (ok && cutOff) {
        // What a full disk reports when the next block does not fit.
        file.cancelWriting();
        ok = false;
        setError(error, QStringLiteral("%1: No space left on device").arg(QDir::toNativeSeparators(path)));
    } else if (!ok) {
        setError(error, QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    }
    if (ok && !FileSync::flushToDisk(file)) {
        file.cancelWriting();
        ok = false;
        setError(error, QStringLiteral("%1: the data could not be flushed to the disk")
                            .arg(QDir::toNativeSeparators(path)));
    }
    if (!ok) {
        file.cancelWriting();
        file.commit(); // only discards the temporary file after cancelWriting
        return false;
    }
    if (!file.commit()) {
        setError(error, QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    syncFolder(path);
    return true;
}

FailAfterForTesting::FailAfterForTesting(qint64 bytes)
    : m_previous(failAfter)
{
    failAfter = bytes;
}

FailAfterForTesting::~FailAfterForTesting()
{
    failAfter = m_previous;
}

} // namespace AtomicFile
