#pragma once

#include <QApplication>

// The application object of the desktop program. An error that leaves an
// event handler is caught here and shown through the general error report;
// the event counts as not handled and the program goes on.
class VelmoraApplication : public QApplication
{
    Q_OBJECT

public:
    VelmoraApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;
};
