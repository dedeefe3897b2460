#include "windows/RequestQueue.h"

#include "widgets/GeneralErrorReport.h"
#include "windows/DashboardWindow.h"

#include <utility>

RequestQueue::RequestQueue(DashboardWindow &dashboard, QObject *parent)
    : QObject(parent)
    , m_dashboard(dashboard)
{
    m_retry.setInterval(RetryMilliseconds);
    connect(&m_retry, &QTimer::timeout, this, &RequestQueue::showWhatCan);
}

void RequestQueue::add(const ToolRequest &request, QObject *requester, std::function<void()> taken)
{
    m_waiting.append(Waiting{request, requester != nullptr, requester, std::move(taken)});
    // A window that keeps the request waiting comes forward, so that the
    // user sees what is in the way.
    if (m_dashboard.startupPassed() && !m_dashboard.canShow(request))
        m_dashboard.bringForward();
    showWhatCan();
}

void RequestQueue::showWhatCan()
{
    // Showing one may open a message whose event loop brings the timer back.
    if (m_showing)
        return;
    m_showing = true;
    while (!m_waiting.isEmpty()) {
        const Waiting &first = m_waiting.first();
        if (first.onBehalf && first.requester.isNull()) {
            m_waiting.removeFirst();
            continue;
        }
        if (!m_dashboard.canShow(first.request))
            break;
        const Waiting next = m_waiting.takeFirst();
        if (next.taken)
            next.taken();
        GeneralErrorReport::guard([&] { m_dashboard.showRequest(next.request); });
    }
    m_showing = false;
    if (m_waiting.isEmpty())
        m_retry.stop();
    else if (!m_retry.isActive())
        m_retry.start();
}
