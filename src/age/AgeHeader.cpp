#include "age/AgeHeader.h"

#include "age/AgeFormat.h"

#include <QList>

namespace age {

namespace {

constexpr qsizetype bodyColumns = 64;
// No line of a header this reader accepts comes near this; longer lines are
// refused before they are buffered.
constexpr qsizetype longestLine = 1024;

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

enum class LineStatus { Ok, Malformed, ReadFailed };

// One LF-terminated line without its LF. A line that does not end before the
// end of the input or within longestLine bytes is malformed. Every byte read
// is also appended to raw, which collects the header for its MAC.
LineStatus readLine(QIODevice &in, QByteArray &line, QByteArray &raw)
{
    line.clear();
    for (;;) {
        char c = 0;
        const qint64 got = in.read(&c, 1);
        if (got < 0)
            return LineStatus::ReadFailed;
        if (got == 0)
            return LineStatus::Malformed;
        raw.append(c);
        if (c == '\n')
            return LineStatus::Ok;
        if (line.size() >= longestLine)
            return LineStatus::Malformed;
        line.append(c);
    }
}

bool isArgument(QByteArrayView argument)
{
    if (argument.isEmpty())
        return false;
    for (char c : argument)
        if (c < 0x21 || c > 0x7e)
            return false;
    return true;
}

// A work factor is a decimal number without leading zeros.
std::optional<int> parseWorkFactor(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 2 || text[0] < '1' || text[0] > '9')
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

HeaderStatus toHeaderStatus(LineStatus status)
{
    return status == LineStatus::ReadFailed ? HeaderStatus::ReadFailed : HeaderStatus::Malformed;
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
    QByteArray raw;
    QByteArray line;

    if (auto status = readLine(in, line, raw); status != LineStatus::Ok)
        return toHeaderStatus(status);
    if (line != headerLine)
        return HeaderStatus::Malformed;

    if (auto status = readLine(in, line, raw); status != LineStatus::Ok)
        return toHeaderStatus(status);
    if (!line.startsWith("-> "))
        return HeaderStatus::Malformed;
    const QList<QByteArray> arguments = line.sliced(3).split(' ');
    for (const QByteArray &argument : arguments)
        if (!isArgument(argument))
            return HeaderStatus::Malformed;
    if (arguments.size() != 3 || arguments[0] != "scrypt")
        return HeaderStatus::Malformed;
    const std::optional<QByteArray> salt = decodeBase64(arguments[1]);
    const std::optional<int> workFactor = parseWorkFactor(arguments[2]);
    if (!salt || salt->size() != saltSize || !workFactor || *workFactor > maxWorkFactor)
        return HeaderStatus::Malformed;

    // The body runs to the first line shorter than a full one, which may be
    // empty. The sealed file key needs less than one full line.
    QByteArray bodyText;
    for (;;) {
        if (auto status = readLine(in, line, raw); status != LineStatus::Ok)
            return toHeaderStatus(status);
        if (line.size() > bodyColumns)
            return HeaderStatus::Malformed;
        bodyText += line;
        if (line.size() < bodyColumns)
            break;
        if (bodyText.size() > stanzaBodySize * 2)
            return HeaderStatus::Malformed;
    }
    const std::optional<QByteArray> body = decodeBase64(bodyText);
    if (!body || body->size() != stanzaBodySize)
        return HeaderStatus::Malformed;

    // A passphrase stanza must be the only one, so the MAC line comes next.
    const qsizetype macLineStart = raw.size();
    if (auto status = readLine(in, line, raw); status != LineStatus::Ok)
        return toHeaderStatus(status);
    if (!line.startsWith("--- "))
        return HeaderStatus::Malformed;
    const std::optional<QByteArray> mac = decodeBase64(line.sliced(4));
    if (!mac || mac->size() != macSize)
        return HeaderStatus::Malformed;

    header.stanza = ScryptStanza{*salt, *workFactor, *body};
    header.macInput = raw.first(macLineStart) + "---";
    header.mac = *mac;
    header.size = raw.size();
    return HeaderStatus::Ok;
}

} // namespace age
