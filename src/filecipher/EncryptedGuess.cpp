#include "filecipher/EncryptedGuess.h"

#include "core/Prompter.h"
#include "core/TextTrim.h"
#include "filecipher/FileReadError.h"
#include "filecipher/PipelineTexts.h"
#include "platform/AnsiCodePage.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cmath>
#include <optional>

namespace {

constexpr int FirstPrintable = 33;
constexpr int LastPrintable = 126;
constexpr int LinesJudged = 7;

bool isBlank(QChar c)
{
    return c.unicode() < 33;
}

bool isAsciiLetter(QChar c, char lower)
{
    return c.unicode() == static_cast<char16_t>(lower) ||
           c.unicode() == static_cast<char16_t>(lower - ('a' - 'A'));
}

// "kqo" in any ASCII letter case; other scripts' look-alikes do not match.
QString removeKqo(const QString &text)
{
    QString result;
    result.reserve(text.size());
    qsizetype k = 0;
    while (k < text.size()) {
        if (k + 2 < text.size() && isAsciiLetter(text.at(k), 'k') &&
            isAsciiLetter(text.at(k + 1), 'q') && isAsciiLetter(text.at(k + 2), 'o')) {
            k += 3;
            continue;
        }
        result += text.at(k);
        ++k;
    }
    return result;
}

// How many of the first seven lines look encrypted, and the index of the
// last line examined (-1 when there is none).
struct LineHits
{
    int hits = 0;
    int last = -1;
};

LineHits countEncryptedLines(const QStringList &lines)
{
    LineHits counted;
    counted.last = std::min(static_cast<int>(lines.size()), LinesJudged) - 1;
    for (int k = 0; k <= counted.last; ++k) {
        const QString line = TextTrim::trimmed(lines.at(k));
        if (!line.isEmpty() && EncryptedGuess::isEncryptedText(line))
            ++counted.hits;
    }
    return counted;
}

bool isTextFileType(const QString &path)
{
    // The extension starts at the last "." of the file name part.
    const qsizetype cut =
        std::max({path.lastIndexOf(QLatin1Char('.')), path.lastIndexOf(QLatin1Char('/')),
                  path.lastIndexOf(QLatin1Char('\\'))});
    if (cut < 0 || path.at(cut) != QLatin1Char('.'))
        return false;
    static const QStringList types = {
        QStringLiteral(".txt"), QStringLiteral(".rtf"),  QStringLiteral(".asc"),
        QStringLiteral(".log"), QStringLiteral(".html"), QStringLiteral(".htm"),
        QStringLiteral(".xml"), QStringLiteral(".js"),   QStringLiteral(".vbs"),
        QStringLiteral(".css"), QStringLiteral(".php"),  QStringLiteral(".bat"),
        QStringLiteral(".ini"), QStringLiteral(".inf")};
    return types.contains(path.mid(cut).toLower());
}

// Lines at CR LF, CR or LF.
QStringList splitLines(const QString &text)
{
    QStringList lines;
    if (text.isEmpty())
        return lines;
    qsizetype start = 0;
    for (qsizetype k = 0; k < text.size(); ++k) {
        const QChar c = text.at(k);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(text.mid(start, k - start));
            if (c == QLatin1Char('\r') && k + 1 < text.size() &&
                text.at(k + 1) == QLatin1Char('\n'))
                ++k;
            start = k + 1;
        }
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

// Collects the text of a file piece by piece until the lines that the
// verdict needs are known, so that a large file is not read whole: the first
// seven lines of the trimmed text, and whether there are seven at all.
class JudgedLines
{
public:
    void append(QString piece)
    {
        if (!m_started) {
            qsizetype lead = 0;
            while (lead < piece.size() && isBlank(piece.at(lead)))
                ++lead;
            piece.remove(0, lead);
            if (piece.isEmpty())
                return;
            m_started = true;
        }
        if (m_cut >= 0) {
            m_visibleFromSeventh = m_visibleFromSeventh || hasVisible(piece, 0);
            return;
        }
        m_text += piece;
        scanKept();
    }

    // The first seven lines are complete and something non-blank stands at
    // or after the start of the seventh, so trimming the end cannot drop one.
    bool enough() const { return m_cut >= 0 && m_visibleFromSeventh; }

    // The lines as the trimmed whole text would give them (at most seven
    // when there are more).
    QStringList lines() const
    {
        if (enough())
            return splitLines(m_text).mid(0, LinesJudged);
        // Whatever followed the seventh line break was blank, so the text
        // kept is the whole text as far as trimming is concerned.
        return splitLines(TextTrim::trimmed(m_text));
    }

private:
    static bool hasVisible(const QString &text, qsizetype from)
    {
        for (qsizetype k = from; k < text.size(); ++k) {
            if (!isBlank(text.at(k)))
                return true;
        }
        return false;
    }

    void scanKept()
    {
        qsizetype k = m_scanned;
        for (; k < m_text.size(); ++k) {
            const QChar c = m_text.at(k);
            if (m_breaks >= LinesJudged - 1 && !isBlank(c))
                m_visibleFromSeventh = true;
            if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
                continue;
            if (c == QLatin1Char('\r')) {
                if (k + 1 == m_text.size())
                    break; // a LF may follow in the next piece
                if (m_text.at(k + 1) == QLatin1Char('\n'))
                    ++k;
            }
            if (++m_breaks == LinesJudged) {
                m_cut = k + 1;
                m_visibleFromSeventh = m_visibleFromSeventh || hasVisible(m_text, m_cut);
                m_text.truncate(m_cut);
                return;
            }
        }
        m_scanned = k;
    }

    QString m_text;
    qsizetype m_scanned = 0;
    qsizetype m_cut = -1;
    int m_breaks = 0;
    bool m_started = false;
    bool m_visibleFromSeventh = false;
};

class TextFileReader
{
public:
    explicit TextFileReader(const QString &path)
        : m_file(path)
    {
        if (!m_file.open(QIODevice::ReadOnly))
            fail();
    }

    // The next piece of text, or nothing at the end of the file.
    std::optional<QString> next()
    {
        const QByteArray bytes = m_file.read(PieceSize);
        if (bytes.isNull() && m_file.error() != QFileDevice::NoError)
            fail();
        if (m_first) {
            m_first = false;
            return decodeFirst(bytes);
        }
        if (bytes.isEmpty())
            return std::nullopt;
        return decode(bytes);
    }

private:
    static constexpr qint64 PieceSize = 64 * 1024;

    QString decodeFirst(const QByteArray &bytes)
    {
        // A byte-order mark selects UTF-8 or UTF-16, else the code page.
        if (bytes.startsWith("\xEF\xBB\xBF")) {
            m_decoder = QStringDecoder(QStringConverter::Utf8);
            return decode(bytes.mid(3));
        }
        if (bytes.startsWith("\xFF\xFE")) {
            m_decoder = QStringDecoder(QStringConverter::Utf16LE);
            return decode(bytes.mid(2));
        }
        if (bytes.startsWith("\xFE\xFF")) {
            m_decoder = QStringDecoder(QStringConverter::Utf16BE);
            return decode(bytes.mid(2));
        }
        return decode(bytes);
    }

    QString decode(const QByteArray &bytes)
    {
        if (m_decoder.isValid())
            return m_decoder.decode(bytes);
        return AnsiCodePage::toUnicode(bytes);
    }

    [[noreturn]] void fail()
    {
        throw FileReadError(QStringLiteral("Cannot read file \"%1\". %2")
                                .arg(m_file.fileName(), m_file.errorString()));
    }

    QFile m_file;
    QStringDecoder m_decoder;
    bool m_first = true;
};

} // namespace

namespace EncryptedGuess {

int firstCharCode(const QString &text)
{
    if (text.isEmpty())
        return 0;
    return text.at(0).unicode();
}

QString stripText(const QString &original)
{
    QString text = original;
    text.replace(QStringLiteral("\r\n"), QString());
    text.remove(QLatin1Char('\t'));
    text = removeKqo(text);
    text.remove(QLatin1Char(' '));
    return text;
}

QString printableOnly(const QString &original)
{
    QString text = stripText(original);
    for (qsizetype k = 0; k < text.size(); ++k) {
        const int code = firstCharCode(text.mid(k, 1));
        if (code < FirstPrintable || code > LastPrintable)
            text[k] = QLatin1Char(' ');
    }
    text = TextTrim::trimmed(text);
    text.remove(QLatin1Char(' '));
    return text;
}

bool isEncryptedText(const QString &text)
{
    const QString printable = printableOnly(text);
    const QString stripped = stripText(text);
    if (printable == stripped)
        return false;
    if (printable.isEmpty())
        return true;
    const double expected = std::nearbyint(static_cast<double>(stripped.size()) / 1.4);
    return expected > static_cast<double>(printable.size());
}

bool textLooksEncrypted(const QString &text)
{
    return countEncryptedLines(splitLines(TextTrim::trimmed(text))).hits > 0;
}

Verdict judgeFile(const QString &path, Prompter &prompter, Language language)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return {false, false};
    if (path.right(2).toLower() == QLatin1String("ec"))
        return {true, false};
    if (!isTextFileType(path))
        return {false, false};

    JudgedLines judged;
    TextFileReader reader(path);
    while (!judged.enough()) {
        const std::optional<QString> piece = reader.next();
        if (!piece)
            break;
        judged.append(*piece);
    }
    const LineHits judgedLines = countEncryptedLines(judged.lines());
    if (judgedLines.hits == 0)
        return {false, true};
    if (judgedLines.hits < judgedLines.last)
        prompter.ask(
            Message::dialog(MessageIcon::Warning, PipelineTexts::PossiblyEncrypted(language)));
    return {true, true};
}

} // namespace EncryptedGuess
