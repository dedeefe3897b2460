#include "platform/keyboard/XTestKeyInjector.h"

#ifdef VELMORA_HAVE_XTEST

#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>

namespace {

// Ends a wait once the key release of a key code has reached the program,
// whichever widget it went to.
class ReleaseWatch : public QObject
{
public:
    ReleaseWatch(quint32 keyCode, QEventLoop &loop)
        : m_keyCode(keyCode)
        , m_loop(loop)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~ReleaseWatch() override { QCoreApplication::instance()->removeEventFilter(this); }

    bool seen() const { return m_seen; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_seen && event->type() == QEvent::KeyRelease &&
            static_cast<QKeyEvent *>(event)->nativeScanCode() == m_keyCode) {
            m_seen = true;
            m_loop.quit();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    quint32 m_keyCode;
    QEventLoop &m_loop;
    bool m_seen = false;
};

} // namespace

// The X headers define macros (None, KeyPress, Bool, ...) that clash with Qt;
// they follow all Qt code that needs those names and stay in this file.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

struct XTestKeyInjector::Connection
{
    Display *display = nullptr;
};

XTestKeyInjector::XTestKeyInjector(std::unique_ptr<Connection> connection)
    : m_connection(std::move(connection))
{
}

XTestKeyInjector::~XTestKeyInjector()
{
    if (m_connection && m_connection->display != nullptr)
        XCloseDisplay(m_connection->display);
}

std::unique_ptr<XTestKeyInjector> XTestKeyInjector::connect()
{
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return nullptr;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
        XCloseDisplay(display);
        return nullptr;
    }
    auto connection = std::make_unique<Connection>();
    connection->display = display;
    return std::unique_ptr<XTestKeyInjector>(new XTestKeyInjector(std::move(connection)));
}

void XTestKeyInjector::postKey(QChar character, QWidget *target)
{
    Q_UNUSED(target); // the server delivers to the focused window, as typed keys go
    Display *display = m_connection->display;
    // Keysyms of Latin-1 characters are their codes; the key code is the key
    // that carries the character, pressed here without any modifier.
    const KeyCode keyCode = XKeysymToKeycode(display, KeySym(character.unicode()));
    if (keyCode == 0)
        return; // no key on this keyboard layout types it

    QEventLoop loop;
    ReleaseWatch watch(keyCode, loop);
    XTestFakeKeyEvent(display, keyCode, True, CurrentTime);
    XTestFakeKeyEvent(display, keyCode, False, CurrentTime);
    XFlush(display);
    QTimer::singleShot(DeliveryTimeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
}

#endif // VELMORA_HAVE_XTEST
