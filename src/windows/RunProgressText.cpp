#include "windows/RunProgressText.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 Minute = 60;

} // namespace

QString RunProgressText::timeLeft(Language language, quint64 done, quint64 total, qint64 elapsedMs)
{
    if (done == 0 || total == 0 || elapsedMs < 1000)
        return QString();
    const double remaining = static_cast<double>(total - std::min(done, total));
    const double msLeft = static_cast<double>(elapsedMs) * remaining / static_cast<double>(done);
    // Rounded up, to whole seconds, then minutes: an estimate that promises
    // too little reads worse than one that promises too much.
    const auto seconds = static_cast<qint64>(std::ceil(msLeft / 1000.0));
    if (seconds < Minute) {
        return textFor(language, "noch etwa %1 s", "about %1 s left")
            .arg(std::max<qint64>(seconds, 1));
    }
    const qint64 minutes = (seconds + Minute - 1) / Minute;
    if (minutes < 60)
        return textFor(language, "noch etwa %1 Min.", "about %1 min left").arg(minutes);
    return textFor(language, "noch etwa %1 Std. %2 Min.", "about %1 h %2 min left")
        .arg(minutes / 60)
        .arg(minutes % 60);
}

QString RunProgressText::line(const QString &fileName, const QString &timeLeft)
{
    return timeLeft.isEmpty() ? fileName : fileName + QStringLiteral(": ") + timeLeft;
}

void RunProgressText::start()
{
    m_clock.start();
    m_shownAt = 0;
    m_file.clear();
}

bool RunProgressText::due()
{
    const qint64 now = elapsedMs();
    if (now < LongRunMs || (m_shownAt > 0 && now - m_shownAt < RefreshMs))
        return false;
    m_shownAt = now;
    return true;
}
