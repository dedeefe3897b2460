#include "windows/VelmoraApplication.h"

#include "widgets/GeneralErrorReport.h"

VelmoraApplication::VelmoraApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool VelmoraApplication::notify(QObject *receiver, QEvent *event)
{
    bool handled = false;
    GeneralErrorReport::guard([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
