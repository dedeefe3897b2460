#include "core/TextTrim.h"

namespace {

bool isBlank(QChar c)
{
    return c.unicode() < 33;
}

} // namespace

namespace TextTrim {

QString trimmedRight(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && isBlank(text.at(end - 1)))
        --end;
    return text.left(end);
}

QString trimmedLeft(const QString &text)
{
    qsizetype start = 0;
    while (start < text.size() && isBlank(text.at(start)))
        ++start;
    return text.mid(start);
}

QString trimmed(const QString &text)
{
    return trimmedLeft(trimmedRight(text));
}

} // namespace TextTrim
