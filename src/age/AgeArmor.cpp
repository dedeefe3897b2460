#include "age/AgeArmor.h"

#include "age/AgeHeader.h"
#include "age/AgeStream.h"

#include <algorithm>
#include <optional>

namespace age {

namespace {

constexpr qsizetype columns = 64;
constexpr qsizetype bytesPerLine = columns / 4 * 3;
constexpr qint64 sourceBlock = 64 * 1024;

bool isWhitespace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isAllWhitespace(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(), isWhitespace);
}

// Canonical base64 with its '=' padding, as the armor uses.
std::optional<QByteArray> decodePadded(QByteArrayView text)
{
    if (text.isEmpty() || text.size() % 4 != 0)
        return std::nullopt;
    qsizetype unpadded = text.size();
    while (unpadded > text.size() - 2 && text[unpadded - 1] == '=')
        --unpadded;
    return decodeBase64(text.first(unpadded));
}

} // namespace

bool startsArmored(QByteArrayView firstBytes)
{
    qsizetype at = 0;
    for (;;) {
        const qsizetype end = firstBytes.indexOf('\n', at);
        if (end < 0 || !isAllWhitespace(firstBytes.sliced(at, end - at)))
            break;
        at = end + 1;
        if (at > maxArmorWhitespace)
            return false;
    }
    const QByteArrayView rest = firstBytes.sliced(at);
    if (!rest.startsWith(armorBeginLine))
        return false;
    const QByteArrayView after = rest.sliced(armorBeginLine.size());
    return after.isEmpty() || after.startsWith('\n') || after.startsWith("\r\n") || after == "\r";
}

ArmorReader::ArmorReader(QIODevice &source)
    : m_source(source)
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

bool ArmorReader::atEnd() const
{
    return m_status != Status::Reading && m_decodedAt >= m_decoded.size();
}

qint64 ArmorReader::bytesAvailable() const
{
    return (m_decoded.size() - m_decodedAt) + QIODevice::bytesAvailable();
}

qint64 ArmorReader::readData(char *data, qint64 maxSize)
{
    qint64 given = 0;
    while (given < maxSize) {
        if (m_decodedAt < m_decoded.size()) {
            const qint64 take = std::min<qint64>(maxSize - given, m_decoded.size() - m_decodedAt);
            std::copy_n(m_decoded.constData() + m_decodedAt, take, data + given);
            m_decodedAt += qsizetype(take);
            given += take;
            continue;
        }
        if (m_status != Status::Reading || !decodeNextLine())
            break;
    }
    if (given > 0)
        return given;
    return m_status == Status::Reading || m_status == Status::Ended ? 0 : -1;
}

qint64 ArmorReader::writeData(const char *, qint64)
{
    return -1;
}

bool ArmorReader::fail(Status status)
{
    m_status = status;
    m_stage = Stage::Done;
    return false;
}

bool ArmorReader::fill()
{
    m_raw.remove(0, m_rawAt);
    m_rawAt = 0;
    if (m_sourceEnded)
        return true;
    const qsizetype had = m_raw.size();
    m_raw.resize(had + sourceBlock);
    const qint64 got = readFully(m_source, m_raw.data() + had, sourceBlock);
    if (got < 0) {
        m_raw.resize(had);
        return fail(Status::ReadFailed);
    }
    m_raw.resize(had + qsizetype(got));
    m_sourceEnded = got < sourceBlock;
    return true;
}

// The next line without its LF and a CR before it; the last line of the
// source may lack its LF. False when there is none (the text form ends too
// early) or it is longer than longest.
bool ArmorReader::nextLine(QByteArray &line, qsizetype longest)
{
    for (;;) {
        const qsizetype end = m_raw.indexOf('\n', m_rawAt);
        const qsizetype length = (end < 0 ? m_raw.size() : end) - m_rawAt;
        // The line and its CR.
        if (length > longest + 1)
            return fail(Status::Malformed);
        if (end >= 0 || m_sourceEnded) {
            if (end < 0 && length == 0)
                return fail(Status::Malformed);
            line = m_raw.sliced(m_rawAt, length);
            if (line.endsWith('\r'))
                line.chop(1);
            if (line.size() > longest)
                return fail(Status::Malformed);
            const qsizetype taken = length + (end >= 0 ? 1 : 0);
            m_rawAt += taken;
            m_consumed += quint64(taken);
            return true;
        }
        if (!fill())
            return false;
    }
}

bool ArmorReader::skipToBegin()
{
    quint64 whitespace = 0;
    QByteArray line;
    for (;;) {
        const quint64 before = m_consumed;
        if (!nextLine(line, maxArmorWhitespace))
            return false;
        if (line == armorBeginLine) {
            m_stage = Stage::Lines;
            return true;
        }
        whitespace += m_consumed - before;
        if (!isAllWhitespace(line) || whitespace > quint64(maxArmorWhitespace))
            return fail(Status::Malformed);
    }
}

// After the end line: whitespace only, less than maxArmorWhitespace bytes.
bool ArmorReader::finishAfterEndLine()
{
    while (!m_sourceEnded && m_raw.size() - m_rawAt < maxArmorWhitespace) {
        if (!fill())
            return false;
    }
    const QByteArrayView rest = QByteArrayView(m_raw).sliced(m_rawAt);
    if (rest.size() >= maxArmorWhitespace || !isAllWhitespace(rest))
        return fail(Status::Malformed);
    m_consumed += quint64(rest.size());
    m_rawAt = m_raw.size();
    m_status = Status::Ended;
    m_stage = Stage::Done;
    return false;
}

// Makes the next line's bytes ready; false when there are none (the end,
// or an error).
bool ArmorReader::decodeNextLine()
{
    if (m_stage == Stage::BeforeBegin && !skipToBegin())
        return false;
    QByteArray line;
    if (!nextLine(line, columns))
        return false;
    if (line == armorEndLine)
        return finishAfterEndLine();
    if (m_stage != Stage::Lines)
        return fail(Status::Malformed);
    std::optional<QByteArray> bytes = decodePadded(line);
    if (!bytes)
        return fail(Status::Malformed);
    // A line short of the full width is the last one.
    if (bytes->size() < bytesPerLine)
        m_stage = Stage::EndLineNext;
    m_decoded = std::move(*bytes);
    m_decodedAt = 0;
    return true;
}

QByteArray armored(QByteArrayView binary)
{
    QByteArray text = armorBeginLine.toByteArray() + '\n';
    const QByteArray base64 = binary.toByteArray().toBase64();
    for (qsizetype at = 0; at < base64.size(); at += columns)
        text += base64.mid(at, columns) + '\n';
    text += armorEndLine.toByteArray() + '\n';
    return text;
}

} // namespace age
