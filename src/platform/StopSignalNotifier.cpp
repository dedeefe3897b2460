#include "platform/StopSignalNotifier.h"

#include <QSocketNotifier>

StopSignalNotifier::StopSignalNotifier(QObject *parent)
    : QObject(parent)
{
    if (m_signals.wakeDescriptor() < 0)
        return;
    m_notifier =
        std::make_unique<QSocketNotifier>(m_signals.wakeDescriptor(), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &StopSignalNotifier::wake);
}

StopSignalNotifier::~StopSignalNotifier() = default;

void StopSignalNotifier::wake()
{
    m_signals.takeWakeBytes();
    Q_EMIT stopRequested();
}
