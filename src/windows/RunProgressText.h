#pragma once

#include "core/Language.h"

#include <QElapsedTimer>
#include <QString>

// What a list window says while a long run goes: the file in work and the
// time left, estimated from the bytes of the whole run done so far.
class RunProgressText
{
public:
    // A run is long once it has gone this long; before, nothing is said.
    static constexpr qint64 LongRunMs = 1500;
    // The text changes at most this often.
    static constexpr qint64 RefreshMs = 250;

    // "about 3 min left" / "noch etwa 3 Min."; "" while there is nothing to
    // go by (nothing done yet, or less than a second gone).
    static QString timeLeft(Language language, quint64 done, quint64 total, qint64 elapsedMs);
    // "report.doc: about 3 min left", or the name alone without an estimate.
    static QString line(const QString &fileName, const QString &timeLeft);

    void start();
    void setFile(const QString &path) { m_file = path; }
    const QString &file() const { return m_file; }
    // True when a new text is due: the run is long, and the last text is
    // older than RefreshMs (it counts as shown from now on).
    bool due();
    qint64 elapsedMs() const { return m_clock.isValid() ? m_clock.elapsed() : 0; }

private:
    QElapsedTimer m_clock;
    qint64 m_shownAt = 0;
    QString m_file;
};
