#pragma once

#include "startup/CommandLine.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class DashboardWindow;

// What starts of the program asked for (ToolRequest), kept until the
// dashboard can show it (DashboardWindow::canShow): during the password
// prompt, while a modal window is open or while the window asked for has a
// run going, requests wait, in the order they came. Each one's `taken` runs
// just before it is shown. A request made on behalf of an object (a later
// start's connection) is dropped when that object goes first.
class RequestQueue : public QObject
{
    Q_OBJECT

public:
    explicit RequestQueue(DashboardWindow &dashboard, QObject *parent = nullptr);

    void add(const ToolRequest &request, QObject *requester = nullptr,
             std::function<void()> taken = {});
    int waiting() const { return static_cast<int>(m_waiting.size()); }

    // How often a waiting request looks again whether it can be shown.
    static constexpr int RetryMilliseconds = 100;

private:
    struct Waiting
    {
        ToolRequest request;
        bool onBehalf = false;
        QPointer<QObject> requester;
        std::function<void()> taken;
    };

    void showWhatCan();

    DashboardWindow &m_dashboard;
    QList<Waiting> m_waiting;
    QTimer m_retry;
    bool m_showing = false;
};
