#include "platform/SafeOpen.h"

#include "platform/ExclusiveNewFile.h"
#include "platform/FileIdentity.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace SafeOpen {

namespace {

bool report(FileProblem *problem, FileProblem value)
{
    if (problem)
        *problem = std::move(value);
    return false;
}

bool report(FileProblem *problem, FileProblem::Kind kind, const QString &path)
{
    return report(problem, FileProblem::of(kind, path));
}

FileProblem::Kind kindOf(const FileIdentity &identity)
{
    switch (identity.kind) {
    case FileIdentity::Kind::Missing:
        return FileProblem::Kind::Missing;
    case FileIdentity::Kind::Unreadable:
        return FileProblem::Kind::System;
    case FileIdentity::Kind::Link:
        return FileProblem::Kind::Link;
    case FileIdentity::Kind::Folder:
        return FileProblem::Kind::Folder;
    case FileIdentity::Kind::Other:
        return FileProblem::Kind::Special;
    case FileIdentity::Kind::RegularFile:
        break;
    }
    return FileProblem::Kind::None;
}

std::optional<QByteArray> readUpTo(const QString &path, qint64 maxSize, bool tooLargeFails,
                                   FileProblem *problem, Owner owner)
{
    std::optional<ReadHandle> handle = openForReading(path, problem, owner);
    if (!handle)
        return std::nullopt;
    QByteArray bytes;
    char block[65536];
    for (;;) {
        const qint64 got = handle->read(block, sizeof block);
        if (got < 0) {
            report(problem, FileProblem::system(path, errno));
            return std::nullopt;
        }
        if (got == 0)
            break;
        if (bytes.size() + got > maxSize) {
            if (tooLargeFails) {
                report(problem, FileProblem::Kind::TooLarge, path);
                return std::nullopt;
            }
            bytes.append(block, maxSize - bytes.size());
            break;
        }
        bytes.append(block, got);
    }
    return bytes;
}

} // namespace

ReadHandle::~ReadHandle()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

ReadHandle::ReadHandle(ReadHandle &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
{
}

ReadHandle &ReadHandle::operator=(ReadHandle &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

qint64 ReadHandle::read(char *buffer, qint64 size)
{
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, static_cast<size_t>(size));
        if (got < 0 && errno == EINTR)
            continue;
        return got;
    }
}

FileProblem::Kind kindAt(const QString &path)
{
    return kindOf(FileIdentity::ofPath(path));
}

std::optional<ReadHandle> openForReading(const QString &path, FileProblem *problem, Owner owner)
{
    const FileIdentity before = FileIdentity::ofPath(path);
    if (before.cause != SystemCause::None) {
        report(problem, before.cause == SystemCause::NotFound
                            ? FileProblem::of(FileProblem::Kind::Missing, path)
                            : FileProblem::system(path, before.cause, before.reason));
        return std::nullopt;
    }
    if (const FileProblem::Kind kind = kindOf(before); kind != FileProblem::Kind::None) {
        report(problem, kind, path);
        return std::nullopt;
    }
    // O_NONBLOCK: a pipe put in the file's place between lstat and open does
    // not make the program wait for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        report(problem, error == ELOOP ? FileProblem::of(FileProblem::Kind::Link, path)
                                       : FileProblem::system(path, error));
        return std::nullopt;
    }
    ReadHandle handle(fd);
    const FileIdentity opened = FileIdentity::ofDescriptor(fd);
    if (opened.cause != SystemCause::None) {
        report(problem, FileProblem::system(path, opened.cause, opened.reason));
        return std::nullopt;
    }
    if (const FileProblem::Kind kind = kindOf(opened); kind != FileProblem::Kind::None) {
        report(problem, kind, path);
        return std::nullopt;
    }
    if (!opened.sameFile(before)) {
        report(problem, FileProblem::Kind::Changed, path);
        return std::nullopt;
    }
    if (owner == Owner::CurrentUser) {
        if (opened.owner != ::geteuid()) {
            report(problem, FileProblem::Kind::NotOwned, path);
            return std::nullopt;
        }
        if ((opened.permissions & (S_IWGRP | S_IWOTH)) != 0) {
            report(problem, FileProblem::Kind::OpenToOthers, path);
            return std::nullopt;
        }
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return handle;
}

std::optional<QByteArray> readAll(const QString &path, qint64 maxSize, FileProblem *problem,
                                  Owner owner)
{
    return readUpTo(path, maxSize, true, problem, owner);
}

std::optional<QByteArray> readStart(const QString &path, qint64 maxSize, FileProblem *problem,
                                    Owner owner)
{
    return readUpTo(path, maxSize, false, problem, owner);
}

Replacement::~Replacement()
{
    discard();
}

bool Replacement::begin(const QString &target, FileProblem *problem)
{
    discard();
    if (kindAt(target) == FileProblem::Kind::Folder)
        return report(problem, FileProblem::Kind::Folder, target);
    m_target = target;
    m_file = std::make_unique<ExclusiveNewFile>();
    if (!m_file->create(target)) {
        const FileProblem failed =
            FileProblem::system(target, m_file->failure(), m_file->errorText());
        discard();
        return report(problem, failed);
    }
    return true;
}

bool Replacement::write(QByteArrayView bytes, FileProblem *problem)
{
    if (!m_file)
        return report(problem, FileProblem::system(m_target, EBADF));
    if (!m_file->write(std::span(bytes.data(), size_t(bytes.size())))) {
        const FileProblem failed =
            FileProblem::system(m_target, m_file->failure(), m_file->errorText());
        discard();
        return report(problem, failed);
    }
    return true;
}

bool Replacement::commit(FileProblem *problem)
{
    if (!m_file)
        return report(problem, FileProblem::system(m_target, EBADF));
    if (!m_file->flushToDisk() || !m_file->place(ExclusiveNewFile::Placing::ReplaceExisting)) {
        // replaced(): the part file was swapped for another one meanwhile.
        const FileProblem failed =
            m_file->replaced()
                ? FileProblem::of(FileProblem::Kind::Changed, m_target)
                : FileProblem::system(m_target, m_file->failure(), m_file->errorText());
        discard();
        return report(problem, failed);
    }
    m_file.reset();
    return true;
}

void Replacement::discard()
{
    m_file.reset();
}

bool createPrivateFolder(const QString &path, FileProblem *problem)
{
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), S_IRWXU) != 0)
        return report(problem, FileProblem::system(path, errno));
    // mkdir applies the umask; chmod does not. The folder is ours and new,
    // but it is changed through a descriptor so that nothing else is.
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 || ::fchmod(fd, S_IRWXU) != 0) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        return report(problem, FileProblem::system(path, error));
    }
    ::close(fd);
    return true;
}

} // namespace SafeOpen
