#pragma once

#include <QString>

#include <sys/types.h>

// Makes a file or folder unchangeable while the object lives: as root with
// the immutable attribute (root ignores permissions), otherwise by taking
// away every write permission. The old state returns when the object goes.
// active() is false when neither worked here.
class Unchangeable
{
public:
    explicit Unchangeable(const QString &path);
    ~Unchangeable();
    Unchangeable(const Unchangeable &) = delete;
    Unchangeable &operator=(const Unchangeable &) = delete;

    bool active() const { return m_active; }

private:
    QString m_path;
    mode_t m_mode = 0;
    bool m_immutable = false;
    bool m_active = false;
};
