#include "age/AgeHeader.h"

#include "age/AgeFormat.h"

#include <QList>

#include <algorithm>
#include <limits>

namespace age {

namespace {

constexpr qsizetype bodyColumns = 64;
constexpr QByteArrayView versionPrefix = "age-encryption.org/";
constexpr QByteArrayView scryptType = "scrypt";
constexpr qsizetype workFactorDigits = 3;

int base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// A header argument, and the version of a version line: one or more
// visible ASCII characters.
bool isVisibleText(QByteArrayView text)
{
    if (text.isEmpty())
        return false;
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x21 && c <= 0x7e; });
}

// A work factor is a decimal number without leading zeros. One of more digits
// than workFactorDigits is only known to be far too high.
std::optional<int> parseWorkFactor(QByteArrayView text)
{
    if (text.isEmpty() || text[0] == '0' ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    if (text.size() > workFactorDigits)
        return std::numeric_limits<int>::max();
    int value = 0;
    for (char c : text)
        value = value * 10 + (c - '0');
    return value;
}

struct Stanza
{
    QList<QByteArray> arguments;
    QByteArray body;
};

// The header's lines, one LF-terminated line at a time, with every byte read
// collected for the MAC. The whole header is bounded by maxHeaderSize.
class HeaderLines
{
public:
    explicit HeaderLines(QIODevice &in)
        : m_in(in)
    {
    }

    // A line without its LF; a line not ended before the end of the input or
    // of the budget is malformed.
    HeaderStatus next(QByteArray &line)
    {
        line.clear();
        for (;;) {
            char c = 0;
            const qint64 got = m_in.read(&c, 1);
            if (got < 0)
                return HeaderStatus::ReadFailed;
            if (got == 0 || m_raw.size() >= maxHeaderSize)
                return HeaderStatus::Malformed;
            m_raw.append(c);
            if (c == '\n')
                return HeaderStatus::Ok;
            line.append(c);
        }
    }

    const QByteArray &raw() const { return m_raw; }

private:
    QIODevice &m_in;
    QByteArray m_raw;
};

// The arguments of a line "<prefix> arg arg ...", split at single spaces.
std::optional<QList<QByteArray>> argumentsOf(const QByteArray &line, QByteArrayView prefix)
{
    QList<QByteArray> words = line.split(' ');
    if (words.first() != prefix || words.size() < 2)
        return std::nullopt;
    words.removeFirst();
    for (const QByteArray &word : std::as_const(words))
        if (!isVisibleText(word))
            return std::nullopt;
    return words;
}

// A stanza body: full lines of 64 columns up to the first shorter one, which
// may be empty, all of it canonical base64.
HeaderStatus readBody(HeaderLines &lines, QByteArray &body)
{
    QByteArray text;
    QByteArray line;
    for (;;) {
        if (const HeaderStatus status = lines.next(line); status != HeaderStatus::Ok)
            return status;
        if (line.size() > bodyColumns)
            return HeaderStatus::Malformed;
        text += line;
        if (line.size() < bodyColumns)
            break;
    }
    std::optional<QByteArray> bytes = decodeBase64(text);
    if (!bytes)
        return HeaderStatus::Malformed;
    body = std::move(*bytes);
    return HeaderStatus::Ok;
}

// The passphrase stanza must be the header's only stanza, and well-formed.
HeaderStatus takePassphraseStanza(const QList<Stanza> &stanzas, int maxWorkFactor,
                                  ScryptStanza &stanza)
{
    const bool anyScrypt = std::any_of(stanzas.begin(), stanzas.end(), [](const Stanza &s) {
        return s.arguments.first() == scryptType;
    });
    if (!anyScrypt)
        return HeaderStatus::NoPassphraseStanza;
    if (stanzas.size() != 1)
        return HeaderStatus::Malformed;
    const Stanza &only = stanzas.first();
    if (only.arguments.size() != 3 || only.body.size() != stanzaBodySize)
        return HeaderStatus::Malformed;
    const std::optional<QByteArray> salt = decodeBase64(only.arguments[1]);
    const std::optional<int> workFactor = parseWorkFactor(only.arguments[2]);
    if (!salt || salt->size() != saltSize || !workFactor)
        return HeaderStatus::Malformed;
    if (*workFactor > maxWorkFactor)
        return HeaderStatus::WorkFactorTooHigh;
    stanza = ScryptStanza{*salt, *workFactor, only.body};
    return HeaderStatus::Ok;
}

} // namespace

QByteArray encodeBase64(QByteArrayView bytes)
{
    return bytes.toByteArray().toBase64(QByteArray::Base64Encoding |
                                        QByteArray::OmitTrailingEquals);
}

std::optional<QByteArray> decodeBase64(QByteArrayView text)
{
    const qsizetype tail = text.size() % 4;
    if (tail == 1)
        return std::nullopt;
    QByteArray bytes;
    bytes.reserve(text.size() / 4 * 3 + 2);
    quint32 bits = 0;
    int bitCount = 0;
    for (char c : text) {
        const int value = base64Value(c);
        if (value < 0)
            return std::nullopt;
        bits = (bits << 6) | quint32(value);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            bytes.append(char((bits >> bitCount) & 0xff));
        }
    }
    // What is left over must be zero bits, else two texts would decode to the
    // same bytes.
    if ((bits & ((1u << bitCount) - 1)) != 0)
        return std::nullopt;
    return bytes;
}

QByteArray headerMacInput(const ScryptStanza &stanza)
{
    QByteArray text;
    text += headerLine.toByteArray() + '\n';
    text += "-> scrypt " + encodeBase64(stanza.salt) + ' ' + QByteArray::number(stanza.workFactor) +
            '\n';
    const QByteArray body = encodeBase64(stanza.body);
    for (qsizetype at = 0; at <= body.size(); at += bodyColumns)
        text += body.mid(at, bodyColumns) + '\n';
    text += "---";
    return text;
}

QByteArray serialiseHeader(const ScryptStanza &stanza, QByteArrayView mac)
{
    return headerMacInput(stanza) + ' ' + encodeBase64(mac) + '\n';
}

HeaderStatus readHeader(QIODevice &in, int maxWorkFactor, ParsedHeader &header)
{
    HeaderLines lines(in);
    QByteArray line;

    if (const HeaderStatus status = lines.next(line); status != HeaderStatus::Ok)
        return status;
    if (line != headerLine) {
        const bool otherVersion =
            line.startsWith(versionPrefix) && isVisibleText(line.sliced(versionPrefix.size()));
        return otherVersion ? HeaderStatus::UnsupportedVersion : HeaderStatus::Malformed;
    }

    // Stanzas up to the MAC line, which starts with "---".
    QList<Stanza> stanzas;
    qsizetype macLineStart = 0;
    for (;;) {
        macLineStart = lines.raw().size();
        if (const HeaderStatus status = lines.next(line); status != HeaderStatus::Ok)
            return status;
        if (line.startsWith("---"))
            break;
        std::optional<QList<QByteArray>> arguments = argumentsOf(line, "->");
        if (!arguments)
            return HeaderStatus::Malformed;
        Stanza stanza{std::move(*arguments), {}};
        if (const HeaderStatus status = readBody(lines, stanza.body); status != HeaderStatus::Ok)
            return status;
        stanzas.append(std::move(stanza));
    }
    const std::optional<QList<QByteArray>> macText = argumentsOf(line, "---");
    if (stanzas.isEmpty() || !macText || macText->size() != 1)
        return HeaderStatus::Malformed;
    const std::optional<QByteArray> mac = decodeBase64(macText->first());
    if (!mac || mac->size() != macSize)
        return HeaderStatus::Malformed;

    ScryptStanza stanza{};
    if (const HeaderStatus status = takePassphraseStanza(stanzas, maxWorkFactor, stanza);
        status != HeaderStatus::Ok)
        return status;
    header.stanza = stanza;
    header.macInput = lines.raw().first(macLineStart) + "---";
    header.mac = *mac;
    header.size = lines.raw().size();
    return HeaderStatus::Ok;
}

} // namespace age
