#include "age/AgeRecognition.h"

#include "age/AgeArmor.h"
#include "age/AgeFormat.h"

#include <algorithm>

namespace age {

namespace {

constexpr QByteArrayView versionPrefix = "age-encryption.org/";
constexpr QByteArrayView pemDashes = "-----";
constexpr QByteArrayView pemBegin = "-----BEGIN";
// How far into a dashed first line "BEGIN" is looked for.
constexpr qsizetype dashedLineLength = 80;

bool isWhitespace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Whether text starts like line, or is as much of line as it holds, in at
// least minimumMatch bytes, with at most one byte in eight different.
bool nearlyStartsWith(QByteArrayView text, QByteArrayView line)
{
    const qsizetype compared = std::min(text.size(), line.size());
    if (compared < minimumMatch)
        return false;
    qsizetype differences = 0;
    for (qsizetype at = 0; at < compared; ++at)
        differences += text[at] != line[at] ? 1 : 0;
    return differences <= compared / 8;
}

bool looksArmored(QByteArrayView start)
{
    const auto text = std::find_if_not(
        start.begin(), start.begin() + std::min(start.size(), maxArmorWhitespace), isWhitespace);
    const QByteArrayView rest = start.sliced(text - start.begin());
    if (nearlyStartsWith(rest, armorBeginLine))
        return true;
    if (!rest.startsWith(pemDashes))
        return false;
    QByteArrayView line = rest.first(std::min(rest.size(), dashedLineLength));
    if (const qsizetype end = line.indexOf('\n'); end >= 0)
        line = line.first(end);
    return line.contains(QByteArrayView("BEGIN"));
}

} // namespace

bool looksLikeAgeFile(QByteArrayView start)
{
    return start.contains(versionPrefix) || start.contains(pemBegin) ||
           nearlyStartsWith(start, headerLine) || looksArmored(start);
}

} // namespace age
