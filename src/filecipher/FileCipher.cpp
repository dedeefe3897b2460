#include "filecipher/FileCipher.h"

#include "platform/ExclusiveNewFile.h"
#include "platform/FileIdentity.h"
#include "platform/FileLinks.h"
#include "platform/FileSync.h"
#include "platform/LockedInputFile.h"

#include <QFileInfo>

#include <map>
#include <mutex>

namespace {

const QString EncryptedSuffix = QStringLiteral(".enc");
constexpr int BackupNumbers = 1000;

QString fileNameOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

// The decrypt backups this process made, by name, with the file each names.
// Only these are ever removed again, and only these count as our own names
// of a file about to be decrypted.
class BackupRegistry
{
public:
    static BackupRegistry &instance()
    {
        static BackupRegistry registry;
        return registry;
    }

    void add(const QString &backup, const FileIdentity &identity)
    {
        const std::lock_guard lock(m_mutex);
        m_backups[backup] = identity;
    }

    std::optional<FileIdentity> take(const QString &backup)
    {
        const std::lock_guard lock(m_mutex);
        const auto found = m_backups.find(backup);
        if (found == m_backups.end())
            return std::nullopt;
        const FileIdentity identity = found->second;
        m_backups.erase(found);
        return identity;
    }

    std::optional<FileIdentity> find(const QString &backup) const
    {
        const std::lock_guard lock(m_mutex);
        const auto found = m_backups.find(backup);
        if (found == m_backups.end())
            return std::nullopt;
        return found->second;
    }

    // How many of our backups are further names of this very file.
    quint64 namesOf(const FileIdentity &file) const
    {
        const std::lock_guard lock(m_mutex);
        quint64 count = 0;
        for (const auto &[name, identity] : m_backups) {
            if (identity.sameFile(file) && FileIdentity::ofPath(name).sameFile(file))
                ++count;
        }
        return count;
    }

private:
    mutable std::mutex m_mutex;
    std::map<QString, FileIdentity> m_backups;
};

// Puts a copy of `from` at `to` through a new file and a rename, so that
// `to` is replaced only by a complete copy, and a link there only as a link.
bool copyReplacing(const QString &from, const QString &to)
{
    LockedInputFile source;
    if (!source.open(from))
        return false;
    ExclusiveNewFile target;
    if (!target.create(to))
        return false;
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const qint64 got = source.read(buffer);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        if (!target.write({buffer.data(), size_t(got)}))
            return false;
    }
    if (!target.flushToDisk())
        return false;
    target.takeAttributes(source.identity());
    return target.place(ExclusiveNewFile::Placing::ReplaceExisting);
}

} // namespace

namespace FileCipher {

std::optional<QString> decryptedPath(const QString &encryptedPath)
{
    if (!encryptedPath.endsWith(EncryptedSuffix, Qt::CaseInsensitive))
        return std::nullopt;
    const QString output = encryptedPath.left(encryptedPath.size() - EncryptedSuffix.size());
    if (fileNameOf(output).isEmpty())
        return std::nullopt;
    return output;
}

// Both layers in one pass from the input straight to the result's new file;
// no intermediate file is written (a file of the user's named like the old
// intermediate, name + ".ec", is never touched). The locks: the run holds
// an exclusive flock on its open input, on the file at the result's name
// when one is there, and on its own new file, which becomes the result; a
// second run, of this process or another, that wants any of these files as
// its input or its result's name finds it locked and is refused. So an
// encrypt of "a" and a decrypt of "a.enc" exclude each other whichever
// starts first: each one's input is the other's result name.
FileWorkOutcome encryptFile(const QString &path, const QString &keyText,
                            const ByteProgress &progress, const CancelCheck &cancelled,
                            const DisposeInput &disposeInput)
{
    FileTransform transform;
    transform.input = path;
    transform.output = path + EncryptedSuffix;
    transform.layersUseSha1 = {false, true};
    transform.cancelled = cancelled;
    transform.disposeInput = disposeInput;
    return runFileTransform(keyText, transform, progress);
}

FileWorkOutcome decryptFile(const QString &path, const QString &keyText,
                            const ByteProgress &progress, const AcceptResult &acceptResult,
                            const CancelCheck &cancelled)
{
    const std::optional<QString> output = decryptedPath(path);
    if (!output)
        return FileWorkOutcome::refused(path, FileFailure::NotEncryptedName);
    FileTransform transform;
    transform.input = path;
    transform.output = *output;
    transform.layersUseSha1 = {true, false};
    transform.decrypting = true;
    transform.ownNames = BackupRegistry::instance().namesOf(FileIdentity::ofPath(path));
    transform.acceptResult = acceptResult;
    transform.cancelled = cancelled;
    return runFileTransform(keyText, transform, progress);
}

// The encrypted file is never changed in place (a run writes a new file and
// renames it), so a second name for it keeps exactly the bytes a copy would,
// at no cost. Where the file system has no hard links, a copy.
QString makeDecryptBackup(const QString &path)
{
    const FileIdentity original = FileIdentity::ofPath(path);
    if (original.kind != FileIdentity::Kind::RegularFile)
        return QString();
    const QFileInfo info(path);
    const QString folder = info.path() + QLatin1Char('/');
    for (int number = 0; number < BackupNumbers; ++number) {
        const QString prefix =
            number == 0 ? QStringLiteral("bak") : QStringLiteral("bak%1").arg(number);
        QString backup = folder + prefix + info.fileName();
        FileLinks::Result made = FileLinks::addName(path, backup);
        if (made == FileLinks::Result::NotHere)
            made = FileLinks::copyToNewName(path, backup);
        if (made == FileLinks::Result::NameTaken)
            continue;
        if (made != FileLinks::Result::Done)
            return QString();
        const FileIdentity identity = FileIdentity::ofPath(backup);
        if (identity.kind != FileIdentity::Kind::RegularFile)
            return QString();
        BackupRegistry::instance().add(backup, identity);
        return backup;
    }
    return QString();
}

bool restoreDecryptBackup(const QString &backup, const QString &path)
{
    const std::optional<FileIdentity> made = BackupRegistry::instance().find(backup);
    if (!made || !FileIdentity::ofPath(backup).sameFile(*made))
        return false;
    const FileIdentity current = FileIdentity::ofPath(path);
    if (current.sameFile(*made))
        return true; // the encrypted file is still there, unchanged
    if (current.kind == FileIdentity::Kind::Missing) {
        const FileLinks::Result linked = FileLinks::addName(backup, path);
        if (linked == FileLinks::Result::Done) {
            FileSync::flushFolderOf(path);
            return true;
        }
        if (linked != FileLinks::Result::NotHere)
            return false;
    } else if (current.kind != FileIdentity::Kind::RegularFile &&
               current.kind != FileIdentity::Kind::Link) {
        return false;
    }
    return copyReplacing(backup, path);
}

void removeDecryptBackup(const QString &backup)
{
    const std::optional<FileIdentity> made = BackupRegistry::instance().take(backup);
    if (made && FileLinks::removeIfSame(backup, *made))
        FileSync::flushFolderOf(backup);
}

} // namespace FileCipher
