#include "shred/OverwriteCount.h"

#include "core/TextTrim.h"

#include <QRegularExpression>

namespace OverwriteCount {

std::optional<int> parse(const QString &field)
{
    static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]+$"));
    const QString trimmed = TextTrim::trimmed(field);
    if (!decimal.match(trimmed).hasMatch())
        return std::nullopt;
    bool ok = false;
    const int value = trimmed.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace OverwriteCount
