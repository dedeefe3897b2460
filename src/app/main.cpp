#include "ProgramStart.h"
#include "platform/CoreDumps.h"
#include "windows/DashboardWindow.h"
#include "windows/ProgramWindows.h"
#include "windows/VelmoraApplication.h"

#include <QCoreApplication>

// The desktop program. Its arguments name files for the encrypt window or,
// after --shred, for the secure delete window (ProgramStart).
int main(int argc, char *argv[])
{
    CoreDumps::disableForThisProcess();
    if (const std::optional<int> answered = ProgramStart::answerWithoutWindows(argc, argv))
        return *answered;
    VelmoraApplication app(argc, argv);
    VelmoraApplication::setApplicationName(QStringLiteral("velmora2"));
    VelmoraApplication::setDesktopFileName(QStringLiteral("example.velmora.Velmora2"));
    // Closing the dashboard ends the program, whatever else is open.
    VelmoraApplication::setQuitOnLastWindowClosed(false);

    ProgramStart start(VelmoraApplication::arguments());
    if (start.exitCode())
        return *start.exitCode();

    ProgramWindows windows;
    DashboardWindow &dashboard = windows.dashboard();
    QObject::connect(&dashboard, &DashboardWindow::programEnds, &app, &QCoreApplication::quit);
    // The start-up sequence may end the program when the password is not
    // given: at once, with exit code 1, without saving.
    QObject::connect(&dashboard, &DashboardWindow::startupRejected, &app,
                     [] { QCoreApplication::exit(1); });

    start.serve(dashboard);
    dashboard.show();
    if (dashboard.startupFailed())
        return 1;
    return VelmoraApplication::exec();
}
