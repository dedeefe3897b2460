#include "platform/ExclusiveNewFile.h"

#include "platform/FileSync.h"
#include "platform/FullWrite.h"
#include "platform/SystemError.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

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

thread_local bool namedOnly = false;

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

// A fresh part-file name for finalPath, in its folder.
QString partFileName(const QString &finalPath)
{
    const QFileInfo final(finalPath);
    return final.path() + QLatin1Char('/') + QLatin1Char('.') + shortenedName(final.fileName()) +
           QLatin1Char('.') + randomTag() + Suffix;
}

QByteArray descriptorEntry(int descriptor)
{
    return QByteArrayLiteral("/proc/self/fd/") + QByteArray::number(descriptor);
}

// Gives the open file a further name; 0 or the error. Through the
// descriptor's entry in /proc, never through a name that another file could
// have taken meanwhile.
int linkDescriptor(int descriptor, const QString &to)
{
    if (::linkat(AT_FDCWD, descriptorEntry(descriptor).constData(), AT_FDCWD,
                 QFile::encodeName(to).constData(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    return errno;
}

bool holds(const QString &path, const FileIdentity &file)
{
    return FileIdentity::ofPath(path).sameFile(file);
}

enum class Made { Yes, NotHere, Failed };

} // namespace

ExclusiveNewFile::NamedForTesting::NamedForTesting()
    : m_previous(namedOnly)
{
    namedOnly = true;
}

ExclusiveNewFile::NamedForTesting::~NamedForTesting()
{
    namedOnly = m_previous;
}

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

bool ExclusiveNewFile::failReplaced()
{
    m_replaced = true;
    m_error = 0;
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

bool ExclusiveNewFile::isPartFileName(const QString &fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^\\..+\\.[a-z0-9]{6}\\.velmora-part$"),
                                            QRegularExpression::DotMatchesEverythingOption);
    return pattern.match(fileName).hasMatch();
}

bool ExclusiveNewFile::create(const QString &finalPath)
{
    m_finalPath = finalPath;
    m_path.clear();
    m_replaced = false;
    [[maybe_unused]] const QString folder = QFileInfo(finalPath).path();
    if (!namedOnly) {
        const Made made = [&] {
#if defined(Q_OS_LINUX) && defined(O_TMPFILE)
            const int fd = ::open(QFile::encodeName(folder).constData(),
                                  O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
            if (fd < 0) {
                // Kernels and file systems without nameless files.
                const int error = errno;
                if (error == EOPNOTSUPP || error == EISDIR || error == EINVAL)
                    return Made::NotHere;
                fail(error);
                return Made::Failed;
            }
            // The name is given later through /proc; without it, no nameless file.
            if (::access(descriptorEntry(fd).constData(), F_OK) != 0) {
                ::close(fd);
                return Made::NotHere;
            }
            m_fd = fd;
            return Made::Yes;
#else
            return Made::NotHere;
#endif
        }();
        if (made == Made::Failed)
            return false;
        if (made == Made::Yes) {
            ::fchmod(m_fd, S_IRUSR | S_IWUSR);
            ::flock(m_fd, LOCK_EX | LOCK_NB);
            return true;
        }
    }
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        const QString candidate = partFileName(finalPath);
        const int fd = ::open(QFile::encodeName(candidate).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            // Locked at once: a later run that finds the part file leaves a
            // locked one alone, and once it is in place no other run takes
            // the result before this run is over.
            ::flock(fd, LOCK_EX | LOCK_NB);
            ::fchmod(fd, S_IRUSR | S_IWUSR);
            m_fd = fd;
            m_path = candidate;
            return true;
        }
        if (errno != EEXIST)
            return fail(errno);
    }
    return fail(EEXIST);
}

bool ExclusiveNewFile::giveName()
{
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        const QString candidate = partFileName(m_finalPath);
        const int error = linkDescriptor(m_fd, candidate);
        if (error == 0) {
            m_path = candidate;
            return true;
        }
        if (error != EEXIST)
            return fail(error);
    }
    return fail(EEXIST);
}

QString ExclusiveNewFile::nameForReading()
{
    if (m_fd < 0)
        return QString();
    if (m_path.isEmpty() && !giveName())
        return QString();
    return m_path;
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
    if (m_fd < 0)
        return fail(EBADF);
    if (m_path.isEmpty()) {
        if (placing == Placing::OnlyIfAbsent) {
            // Straight to the final name, which linkat never replaces: a file
            // that took it meanwhile stays (EEXIST).
            if (const int error = linkDescriptor(m_fd, m_finalPath); error != 0)
                return fail(error);
            m_placed = true;
            FileSync::flushFolderOf(m_finalPath);
            return true;
        }
        // Only a rename replaces a file; it needs a name to rename from.
        if (!giveName())
            return false;
    }
    if (!renameInto(placing))
        return false;
    m_placed = true;
    FileSync::flushFolderOf(m_finalPath);
    return true;
}

// Renames the part file over the final name, only while the part-file name
// holds this very file, and makes sure the final name holds it afterwards.
bool ExclusiveNewFile::renameInto(Placing placing)
{
    const FileIdentity own = identity();
    if (!holds(m_path, own))
        return failReplaced();
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
            if (result == 0 && holds(m_path, own))
                ::unlink(from.constData());
        }
    } else {
        result = ::rename(from.constData(), to.constData());
    }
    if (result != 0)
        return fail(errno);
    m_path.clear();
    if (!holds(m_finalPath, own))
        return failReplaced();
    return true;
}

void ExclusiveNewFile::discard()
{
    if (m_fd < 0)
        return;
    const QString at = m_placed ? m_finalPath : m_path;
    if (!at.isEmpty() && holds(at, identity()))
        ::unlink(QFile::encodeName(at).constData());
    ::close(m_fd);
    m_fd = -1;
    m_placed = false;
    m_path.clear();
}
