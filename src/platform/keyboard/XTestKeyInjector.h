#pragma once

#include "platform/keyboard/KeyInjector.h"

#include <memory>

// Types the decoy keys through the X server's test extension
// (XTestFakeKeyEvent), so that they enter the server's keyboard input like
// typed keys: a keystroke recorder on the server sees them, and the server
// sends them to the window that has the input focus. Built where the X11 and
// XTest libraries are found.
class XTestKeyInjector : public KeyInjector
{
public:
    ~XTestKeyInjector() override;

    // An injector on its own connection to the X server of the DISPLAY
    // variable; none when the server cannot be reached or lacks the extension.
    static std::unique_ptr<XTestKeyInjector> connect();

    void postKey(QChar character, QWidget *target) override;
    bool reachesSystemInput() const override { return true; }

    // How long postKey waits for the key to come back from the server.
    static constexpr int DeliveryTimeoutMs = 1000;

private:
    struct Connection;
    explicit XTestKeyInjector(std::unique_ptr<Connection> connection);

    std::unique_ptr<Connection> m_connection;
};
