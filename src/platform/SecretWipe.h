#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>

// Overwrites memory that held a secret (a key text, a password) before it is
// released, in a way the compiler may not leave out.
namespace SecretWipe {

void wipe(void *data, std::size_t size);

// The whole storage of the text or bytes, then empties them. Storage that
// another copy still shares is only let go: that copy's owner wipes it.
void wipe(QString &text);
void wipe(QByteArray &bytes);

} // namespace SecretWipe

// Wipes a text when it goes out of scope.
class WipedOnExit
{
public:
    explicit WipedOnExit(QString &text)
        : m_text(text)
    {
    }
    ~WipedOnExit() { SecretWipe::wipe(m_text); }
    WipedOnExit(const WipedOnExit &) = delete;
    WipedOnExit &operator=(const WipedOnExit &) = delete;

private:
    QString &m_text;
};
