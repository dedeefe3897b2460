#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>

// The strong format's text form ("ASCII armor"): the binary file in padded
// base64, 64 columns a line, between a begin and an end line. It is read
// strictly, so that one binary file has one text form: the lines end in LF
// or CR LF; every line but the last base64 line has exactly 64 columns; the
// base64 is canonical with its padding; nothing but whitespace (at most
// maxArmorWhitespace bytes on either side, in whole lines before the begin
// line) surrounds the block.
namespace age {

inline constexpr QByteArrayView armorBeginLine = "-----BEGIN AGE ENCRYPTED FILE-----";
inline constexpr QByteArrayView armorEndLine = "-----END AGE ENCRYPTED FILE-----";
inline constexpr qsizetype maxArmorWhitespace = 1024;

// Bytes to look at to tell whether a file is armored (startsArmored).
inline constexpr qsizetype armorDetectionBytes = maxArmorWhitespace + armorBeginLine.size() + 2;

// True when the bytes, after lines of nothing but whitespace, go on with the
// begin line and the end of that line (or of the bytes).
bool startsArmored(QByteArrayView firstBytes);

// The binary file inside an armored one, read from source as it is needed.
// A source that breaks the rules ends the reading with an error (read()
// answers -1) and status() Malformed; a source that fails to deliver, with
// ReadFailed. After the end line and the whitespace after it, read() gives 0
// and status() is Ended.
class ArmorReader : public QIODevice
{
public:
    enum class Status { Reading, Ended, Malformed, ReadFailed };

    explicit ArmorReader(QIODevice &source);
    ~ArmorReader() override = default;
    ArmorReader(const ArmorReader &) = delete;
    ArmorReader &operator=(const ArmorReader &) = delete;

    Status status() const { return m_status; }
    // Bytes of the source taken in so far.
    quint64 consumed() const { return m_consumed; }

    bool isSequential() const override { return true; }
    bool atEnd() const override;
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 maxSize) override;

private:
    enum class Stage { BeforeBegin, Lines, EndLineNext, Done };

    bool decodeNextLine();
    bool skipToBegin();
    bool finishAfterEndLine();
    bool nextLine(QByteArray &line, qsizetype longest);
    bool fill();
    bool fail(Status status);

    QIODevice &m_source;
    Stage m_stage = Stage::BeforeBegin;
    Status m_status = Status::Reading;
    QByteArray m_raw; // source bytes taken in but not yet parsed
    qsizetype m_rawAt = 0;
    bool m_sourceEnded = false;
    quint64 m_consumed = 0;
    QByteArray m_decoded; // bytes of the current line not yet read
    qsizetype m_decodedAt = 0;
};

// The canonical armored form of a binary file, with LF line ends.
QByteArray armored(QByteArrayView binary);

} // namespace age
