#include "update/VersionCompare.h"

#include "core/TextTrim.h"

#include <QList>
#include <QStringList>

#include <algorithm>

namespace VersionCompare {

namespace {

QList<qint32> numbersOf(const QString &text)
{
    QList<qint32> numbers;
    for (const QString &part : text.split(QLatin1Char('.'))) {
        if (part.isEmpty()) {
            numbers.append(0);
            continue;
        }
        const bool digitsOnly = std::all_of(part.cbegin(), part.cend(), [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        });
        bool ok = false;
        const qint32 value = digitsOnly ? part.toInt(&ok) : 0;
        if (!ok)
            throw ConversionError(text);
        numbers.append(value);
    }
    return numbers;
}

bool holdsNothing(const QString &text)
{
    return TextTrim::trimmed(QString(text).remove(QLatin1Char('.'))).isEmpty();
}

} // namespace

ConversionError::ConversionError(const QString &text)
    : std::runtime_error(
          QStringLiteral("'%1' is not a valid integer value").arg(text).toStdString())
{
}

Verdict compare(const QString &current, const QString &candidate)
{
    if (holdsNothing(current) || holdsNothing(candidate))
        return Verdict::NoVersion;
    const QList<qint32> have = numbersOf(current);
    const QList<qint32> offered = numbersOf(candidate);
    const qsizetype count = std::max(have.size(), offered.size());
    for (qsizetype i = 0; i < count; ++i) {
        const qint32 a = i < have.size() ? have.at(i) : 0;
        const qint32 b = i < offered.size() ? offered.at(i) : 0;
        if (a != b)
            return a < b ? Verdict::Newer : Verdict::NotNewer;
    }
    return Verdict::NotNewer;
}

} // namespace VersionCompare
