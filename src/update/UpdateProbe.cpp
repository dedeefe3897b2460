#include "update/UpdateProbe.h"

#include "core/TextTrim.h"
#include "filetexts/FileProblemText.h"
#include "platform/AnsiCodePage.h"
#include "platform/SafeOpen.h"
#include "update/VersionCompare.h"

#include <stdexcept>

namespace {

// The first line of a version file is short; reading is capped so that a
// stray large file costs nothing.
constexpr qint64 MaxFirstLine = 4096;

} // namespace

UpdateProbe::UpdateProbe(QObject *parent)
    : QObject(parent)
{
    m_timer.setInterval(IntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &UpdateProbe::onTimer);
}

void UpdateProbe::setLauncher(Launcher launcher)
{
    m_launcher = std::move(launcher);
}

void UpdateProbe::clear()
{
    m_timer.stop();
    m_ticks = 0;
}

QString UpdateProbe::checkerFileName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("checkup.exe");
#else
    return QStringLiteral("checkup");
#endif
}

QString UpdateProbe::noticeText(Language language)
{
    return language == Language::German
               ? QStringLiteral("Eine neue Version Ihres Programms ist verfügbar.")
               : QStringLiteral("An update of your software is now available");
}

void UpdateProbe::start()
{
    if (m_launcher)
        m_launcher(checkerPath, QStringList{programFileName});
    m_timer.start();
}

void UpdateProbe::lookOnce()
{
    ++m_ticks;
    if (m_ticks > MaxLooks) {
        m_timer.stop();
        return;
    }
    if (SafeOpen::kindAt(probeFilePath) == FileProblem::Kind::Missing)
        return;
    const QString newest = TextTrim::trimmed(readFirstLine());
    switch (VersionCompare::compare(currentVersion, newest)) {
    case VersionCompare::Verdict::NoVersion:
        m_timer.stop();
        return;
    case VersionCompare::Verdict::Newer:
        m_timer.stop();
        Q_EMIT newerVersionFound();
        return;
    case VersionCompare::Verdict::NotNewer:
        return;
    }
}

QString UpdateProbe::readFirstLine()
{
    // The temporary folder is shared with other users: only a regular file of
    // our own is read, and a pipe or link planted under the probe's name is
    // refused without waiting on it. Such a file will not change into a
    // usable one, so the look ends there.
    FileProblem problem;
    const std::optional<QByteArray> head =
        SafeOpen::readStart(probeFilePath, MaxFirstLine, &problem, SafeOpen::Owner::CurrentUser);
    if (!head) {
        switch (problem.kind) {
        case FileProblem::Kind::Link:
        case FileProblem::Kind::Special:
        case FileProblem::Kind::NotOwned:
        case FileProblem::Kind::OpenToOthers:
            m_timer.stop();
            break;
        default:
            break;
        }
        throw std::runtime_error(
            QStringLiteral("Cannot open file \"%1\". %2")
                .arg(probeFilePath, FileProblemText::text(problem, Language::English))
                .toStdString());
    }
    qsizetype end = head->size();
    for (qsizetype i = 0; i < head->size(); ++i) {
        if (head->at(i) == '\r' || head->at(i) == '\n') {
            end = i;
            break;
        }
    }
    return AnsiCodePage::toUnicode(head->left(end));
}

void UpdateProbe::onTimer()
{
    // A failed look must not leave through the timer's event: it is reported
    // and the next tick looks again.
    try {
        lookOnce();
    } catch (const std::exception &error) {
        Q_EMIT lookFailed(QString::fromUtf8(error.what()));
    }
}
