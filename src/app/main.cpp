#include "ProgramStart.h"
#include "platform/CoreDumps.h"
#include "platform/StopSignalNotifier.h"
#include "windows/DashboardWindow.h"
#include "windows/ProgramWindows.h"
#include "windows/VelmoraApplication.h"

#include <QCoreApplication>

// The desktop program. Its arguments name files for the encrypt window or,
// after --shred, for the secure delete window (ProgramStart).
int main(int argc, char *argv[])
{
    CoreDumps::disableForThisProcess();
    const CommandLine line = ProgramStart::readArguments(argc, argv);
    if (const std::optional<int> answered = ProgramStart::answerWithoutWindows(line))
        return *answered;
    VelmoraApplication app(argc, argv);
    VelmoraApplication::setApplicationName(QStringLiteral("velmora2"));
    VelmoraApplication::setDesktopFileName(QStringLiteral("example.velmora.Velmora2"));
    // Closing the dashboard ends the program, whatever else is open.
    VelmoraApplication::setQuitOnLastWindowClosed(false);

    ProgramStart start(line.request);
    if (start.exitCode())
        return *start.exitCode();

    ProgramWindows windows;
    DashboardWindow &dashboard = windows.dashboard();
    bool ended = false;
    bool stopSignalled = false;
    QObject::connect(&dashboard, &DashboardWindow::programEnds, &app, &QCoreApplication::quit);
    QObject::connect(&dashboard, &DashboardWindow::programEnds, &app, [&] {
        ended = true;
        // Out of every loop, also of a window's own and before the main one.
        if (stopSignalled)
            QCoreApplication::exit(0);
    });
    // The start-up sequence may end the program when the password is not
    // given: at once, with exit code 1, without saving.
    QObject::connect(&dashboard, &DashboardWindow::startupRejected, &app,
                     [] { QCoreApplication::exit(1); });

    // A logout, a shutdown or a kill (SIGTERM, SIGHUP, SIGINT) ends the
    // program the way its Quit does: a run stops after the file in work,
    // the settings are saved, and the program ends once that is done.
    const StopSignalNotifier stopSignals;
    QObject::connect(&stopSignals, &StopSignalNotifier::stopRequested, &dashboard, [&] {
        stopSignalled = true;
        dashboard.close();
    });

    start.serve(dashboard);
    dashboard.show();
    if (dashboard.startupFailed())
        return 1;
    if (ended)
        return 0;
    return VelmoraApplication::exec();
}
