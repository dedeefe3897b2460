#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

// Files named by their bytes, for names that are not UTF-8, which Qt's own
// file classes turn into other names (and which QDir does not list).
namespace RawNames {

// "\xFF.txt" is not UTF-8; its text, "\uFFFD.txt", names its twin
// "\xEF\xBF\xBD.txt" on the disk.
inline const QByteArray NotUtf8("\xFF.txt");
inline const QByteArray Twin("\xEF\xBF\xBD.txt");

QByteArray bytesOf(const QString &path);
bool write(const QByteArray &path, const QByteArray &content);
bool makeFolder(const QByteArray &path);

// Every entry below a folder, by its path relative to the folder (bytes),
// with the content of each file ("<folder>" for a folder, "-> target" for a
// link): the state a refused run must leave exactly as it was.
QMap<QByteArray, QByteArray> snapshot(const QByteArray &folder);

// A temporary folder that goes with everything in it, names that are not
// UTF-8 too (QDir does not list them, so QTemporaryDir would leave them).
class TemporaryFolder
{
public:
    TemporaryFolder() = default;
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder &) = delete;
    TemporaryFolder &operator=(const TemporaryFolder &) = delete;

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    // The folder's bytes with a trailing "/".
    QByteArray root() const { return bytesOf(m_dir.path()) + '/'; }

private:
    QTemporaryDir m_dir;
};

} // namespace RawNames
