#pragma once

#include <QString>
#include <QTemporaryDir>

// A small tmpfs of its own, for tests that need a real file system with a
// real "No space left on device". Mounting needs root: isMounted() is false
// (and reason() says why) when the mount cannot be made; the test then
// skips. Unmounted when the object goes.
class SmallFileSystem
{
public:
    // size as the mount option takes it: "64k", "4m".
    explicit SmallFileSystem(const char *size);
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem &) = delete;
    SmallFileSystem &operator=(const SmallFileSystem &) = delete;

    bool isMounted() const { return m_mounted; }
    QString reason() const { return m_reason; }
    // The mounted folder, without trailing "/".
    QString path() const { return m_dir.path(); }

    // Fills what is left with a file named "filler", up to the last byte;
    // false when the file system did not run full.
    bool fillUp();

protected:
    QString m_reason;

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

// A 1 MiB tmpfs filled up to the last byte.
class FullDisk : public SmallFileSystem
{
public:
    FullDisk();

    bool isReady() const { return isMounted() && m_full; }

private:
    bool m_full = false;
};
