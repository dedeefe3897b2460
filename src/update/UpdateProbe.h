#pragma once

#include "core/Language.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

// The look for a newer version. At the end of the start-up the checker
// program (next to the program file) is started on its own with the program's
// file name as its one argument; it leaves the newest version in the first
// line of the probe file in the temporary folder. A timer then looks for that
// file three times, five seconds apart. A newer version is announced once
// (newerVersionFound), after which the timer is off.
class UpdateProbe : public QObject
{
    Q_OBJECT

public:
    using Launcher = std::function<bool(const QString &program, const QStringList &arguments)>;

    static constexpr int IntervalMs = 5000;
    static constexpr int MaxLooks = 3;

    explicit UpdateProbe(QObject *parent = nullptr);

    // How the checker is started (the desktop's detached start in the program).
    void setLauncher(Launcher launcher);

    QString checkerPath;     // program folder + "checkup" ("checkup.exe" on Windows)
    QString probeFilePath;   // temporary folder + program file name with ".dat"
    QString programFileName; // handed to the checker
    QString currentVersion;  // the running program's version text

    // Timer off and the tick counter back to 0.
    void clear();
    // Starts the checker (its result is not looked at) and the timer.
    void start();
    // One look. Throws VersionCompare::ConversionError for a version text that
    // is not made of decimal numbers and std::runtime_error for a probe file
    // that cannot be read; the timer then stays on, except for a probe file
    // that is refused (a link, pipe, socket or device, or a file of another
    // user or writable by others), which ends the looks.
    void lookOnce();

    QTimer &timer() { return m_timer; }
    int tickCount() const { return m_ticks; }

    static QString checkerFileName();
    // "Eine neue Version Ihres Programms ist verfügbar." or
    // "An update of your software is now available".
    static QString noticeText(Language language);
    static constexpr char NoticeCaption[] = "Updater";

Q_SIGNALS:
    // The timer is already off; the receiver shows the notice and opens the
    // web site.
    void newerVersionFound();
    // A look that failed, for the general error report.
    void lookFailed(const QString &message);

private:
    void onTimer();
    QString readFirstLine();

    QTimer m_timer;
    Launcher m_launcher;
    int m_ticks = 0;
};
