#pragma once

#include <QString>
#include <QTemporaryDir>

// A small tmpfs (1 MiB) filled up to the last byte, for tests that need a
// real "No space left on device". Mounting needs root: isReady() is false
// (and reason() says why) when the mount cannot be made; the test then skips.
// Unmounted when the object goes.
class FullDisk
{
public:
    FullDisk();
    ~FullDisk();
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

    bool isReady() const { return m_mounted && m_full; }
    QString reason() const { return m_reason; }
    // The mounted folder, without trailing "/".
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    bool m_full = false;
    QString m_reason;
};
