#pragma once

#include <unistd.h>

// A descriptor closed when it goes (which also drops a flock on it), for the
// platform's own use.
class OwnedDescriptor
{
public:
    explicit OwnedDescriptor(int fd)
        : m_fd(fd)
    {
    }
    ~OwnedDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    OwnedDescriptor(const OwnedDescriptor &) = delete;
    OwnedDescriptor &operator=(const OwnedDescriptor &) = delete;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    // Closes the one held and holds fd instead.
    void reset(int fd)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};
