#include "platform/AnsiCodePage.h"

#include <array>

namespace {

// Characters of the bytes 0x80 to 0x9F; every other byte is its own code.
constexpr std::array<char16_t, 32> kHighControlRow = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char byteOf(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return static_cast<char>(unit);
    for (std::size_t i = 0; i < kHighControlRow.size(); ++i) {
        if (kHighControlRow[i] == unit)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

} // namespace

namespace AnsiCodePage {

QByteArray fromUnicode(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text.at(i);
        if (unit.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            bytes.append('?');
            ++i;
            continue;
        }
        bytes.append(byteOf(unit.unicode()));
    }
    return bytes;
}

std::optional<char32_t> firstUnrepresentable(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text.at(i);
        if (unit.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            return QChar::surrogateToUcs4(unit, text.at(i + 1));
        if (byteOf(unit.unicode()) == '?' && unit != QLatin1Char('?'))
            return unit.unicode();
    }
    return std::nullopt;
}

QString toUnicode(const QByteArray &bytes)
{
    QString text;
    text.resize(bytes.size());
    QChar *out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes.at(i));
        out[i] = (byte >= 0x80 && byte <= 0x9F) ? QChar(kHighControlRow[byte - 0x80]) : QChar(byte);
    }
    return text;
}

} // namespace AnsiCodePage
