#pragma once

#include <QString>

#include <sys/types.h>

// Another program's POSIX record lock: a child process locks the whole file
// and holds it until this object goes.
class RecordLockHolder
{
public:
    explicit RecordLockHolder(const QString &path);
    ~RecordLockHolder();
    RecordLockHolder(const RecordLockHolder &) = delete;
    RecordLockHolder &operator=(const RecordLockHolder &) = delete;

    bool locked() const { return m_locked; }

private:
    pid_t m_child = -1;
    int m_release = -1;
    bool m_locked = false;
};
