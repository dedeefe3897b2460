#pragma once

#include <QString>

// The user's runtime folder ($XDG_RUNTIME_DIR), where a running program and
// a later start of it meet. It is used only when no one else can reach into
// it: an absolute path naming a real folder (not a link), owned by this user,
// with no permissions for the group or others (0700).
namespace RuntimeFolder {

// The folder when it can be used as above, without a trailing "/"; empty
// otherwise (also when the variable is unset).
QString usable();

// The same check for a given path.
bool isPrivate(const QString &folder);

} // namespace RuntimeFolder

// A lock that one process holds at a time, on a file of its own in a private
// folder. The system drops it when the process ends, however it ends, so a
// program that crashed leaves no lock behind.
class ProcessLock
{
public:
    enum class State {
        Taken,       // this process holds the lock now
        HeldByOther, // another process holds it
        Unusable,    // the file cannot be used (a link, someone else's, an error)
    };

    explicit ProcessLock(QString path);
    ~ProcessLock();
    ProcessLock(const ProcessLock &) = delete;
    ProcessLock &operator=(const ProcessLock &) = delete;

    // Takes the lock without waiting. Taking it again while held is Taken.
    State tryTake();
    // Lets it go (the file stays).
    void release();
    bool held() const { return m_fd >= 0; }

private:
    QString m_path;
    int m_fd = -1;
};
