#include "platform/ExclusiveNewFile.h"

#include "platform/FileSync.h"
#include "platform/FullWrite.h"
#include "platform/SystemError.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 WritebackStride = 8 * 1024 * 1024;
constexpr int NameAttempts = 16;
// Room for the characters added around the final name (NAME_MAX is 255).
constexpr qsizetype MaxBaseBytes = 200;

const QString Suffix = QStringLiteral(".velmora-part");

QString randomTag()
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString tag;
    for (int k = 0; k < 6; ++k)
        tag += QLatin1Char(letters[QRandomGenerator::system()->bounded(36)]);
    return tag;
}

QString shortenedName(QString name)
{
    while (QFile::encodeName(name).size() > MaxBaseBytes)
        name.chop(1);
    return name;
}

} // namespace

ExclusiveNewFile::~ExclusiveNewFile()
{
    if (!m_placed)
        discard();
    if (m_fd >= 0)
        ::close(m_fd);
}

bool ExclusiveNewFile::fail(int error)
{
    m_error = error;
    return false;
}

SystemCause ExclusiveNewFile::failure() const
{
    return systemCauseOf(m_error);
}

QString ExclusiveNewFile::errorText() const
{
    return systemErrorText(m_error);
}

bool ExclusiveNewFile::create(const QString &finalPath)
{
    m_finalPath = finalPath;
    const QFileInfo final(finalPath);
    const QString folder = final.path() + QLatin1Char('/');
    const QString base = shortenedName(final.fileName());
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        const QString candidate =
            folder + QLatin1Char('.') + base + QLatin1Char('.') + randomTag() + Suffix;
        const int fd = ::open(QFile::encodeName(candidate).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            // Locked like an input, so that once it is in place no other run
            // takes the result before this run is over.
            ::flock(fd, LOCK_EX | LOCK_NB);
            m_fd = fd;
            m_path = candidate;
            return true;
        }
        if (errno != EEXIST)
            return fail(errno);
    }
    return fail(EEXIST);
}

bool ExclusiveNewFile::write(std::span<const char> bytes)
{
    if (!writeAll(m_fd, bytes))
        return fail(errno);
    m_written += qint64(bytes.size());
    startWriteback();
    return true;
}

void ExclusiveNewFile::startWriteback()
{
#if defined(Q_OS_LINUX)
    // A hint only: the flush at the end is what makes the result durable.
    if (m_written - m_writebackStart < WritebackStride)
        return;
    ::sync_file_range(m_fd, m_writebackStart, m_written - m_writebackStart, SYNC_FILE_RANGE_WRITE);
    m_writebackStart = m_written;
#endif
}

void ExclusiveNewFile::takeAttributes(const FileIdentity &model)
{
    // Owner first: changing it may clear set-id bits that fchmod then sets.
    if (::geteuid() == 0)
        (void)::fchown(m_fd, model.owner, model.group);
    ::fchmod(m_fd, model.permissions);
}

bool ExclusiveNewFile::flushToDisk()
{
    if (FileSync::flushToDisk(m_fd))
        return true;
    return fail(errno);
}

bool ExclusiveNewFile::place(Placing placing)
{
    const QByteArray from = QFile::encodeName(m_path);
    const QByteArray to = QFile::encodeName(m_finalPath);
    int result = 0;
    if (placing == Placing::OnlyIfAbsent) {
#if defined(Q_OS_LINUX) && defined(RENAME_NOREPLACE)
        result =
            ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
        if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
#else
        {
#endif
            // Without an exclusive rename: a hard link fails on a taken name.
            result = ::link(from.constData(), to.constData());
            if (result == 0)
                ::unlink(from.constData());
        }
    } else {
        result = ::rename(from.constData(), to.constData());
    }
    if (result != 0)
        return fail(errno);
    m_placed = true;
    FileSync::flushFolderOf(m_finalPath);
    return true;
}

void ExclusiveNewFile::discard()
{
    if (m_fd < 0)
        return;
    const QString at = m_placed ? m_finalPath : m_path;
    if (FileIdentity::ofPath(at).sameFile(identity()))
        ::unlink(QFile::encodeName(at).constData());
    ::close(m_fd);
    m_fd = -1;
    m_placed = false;
}
