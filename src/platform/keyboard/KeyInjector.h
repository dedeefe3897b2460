#pragma once

#include <QChar>

#include <memory>

class QWidget;

// Types decoy keys for the password prompt. Each key goes in as a key press
// and a key release of the key that carries the character, without any
// modifier, so a character that needs Shift arrives as its unshifted key.
class KeyInjector
{
public:
    virtual ~KeyInjector() = default;

    // Types the key of `character` and returns once the key has reached
    // `target`, the field that has the keyboard focus (or once waiting for it
    // has been given up). A character without a key types nothing.
    virtual void postKey(QChar character, QWidget *target) = 0;

    // True when the keys travel through the system's keyboard input, where a
    // keystroke recorder sees them; false when the program hands them to the
    // field itself.
    virtual bool reachesSystemInput() const = 0;

    // The injector for the platform the program runs on: the X server's test
    // extension under X11, else the in-program delivery.
    static std::unique_ptr<KeyInjector> createForPlatform();
};
