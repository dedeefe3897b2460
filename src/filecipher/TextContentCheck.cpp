#include "filecipher/TextContentCheck.h"

#include "filecipher/EncryptedGuess.h"
#include "platform/AnsiCodePage.h"

#include <QFileInfo>
#include <QSet>

#include <optional>

namespace {

// Text holds at most one character in this many that text does not hold: a
// stray NUL in a log, a DOS file's end mark, an old code page's letter in
// the Windows-1252 reading. Noise has about one in eight.
constexpr qsizetype OneFlawIn = 64;

// Below this many bytes a byte count alone does not tell noise from text:
// such short Windows-1252 text must besides pass the encrypted-data guess.
// Longer text is not asked, so that text in another single-byte code page
// (Cyrillic, Greek), whose letters the guess counts as scrambled, passes.
constexpr qsizetype GuessedBelow = 256;

bool fewFlaws(qsizetype flaws, qsizetype characters)
{
    return flaws * OneFlawIn <= characters;
}

// Control characters that text uses: tab, line feed, form feed, carriage
// return, and escape (colour sequences in logs).
bool isTextControl(char32_t code)
{
    return code == 0x09 || code == 0x0A || code == 0x0C || code == 0x0D || code == 0x1B;
}

bool isFlawByte(unsigned char byte)
{
    return (byte < 0x20 && !isTextControl(byte)) || byte == 0x7F;
}

// The flaws of valid UTF-8, or nothing when the bytes are not UTF-8 at all
// (a byte that cannot start a character, a missing or surplus continuation,
// an overlong form, a surrogate, a code point above U+10FFFF).
std::optional<qsizetype> utf8Flaws(QByteArrayView bytes, bool cutShort)
{
    qsizetype flaws = 0;
    const qsizetype size = bytes.size();
    qsizetype k = 0;
    while (k < size) {
        const auto lead = static_cast<unsigned char>(bytes[k]);
        if (lead < 0x80) {
            flaws += isFlawByte(lead) ? 1 : 0;
            ++k;
            continue;
        }
        int length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return std::nullopt;
        }
        for (int next = 1; next < length; ++next) {
            if (k + next == size) {
                if (cutShort)
                    return flaws;
                return std::nullopt;
            }
            const auto byte = static_cast<unsigned char>(bytes[k + next]);
            if (byte < (next == 1 ? low : 0x80) || byte > (next == 1 ? high : 0xBF))
                return std::nullopt;
        }
        k += length;
    }
    return flaws;
}

bool isFlawCodePoint(char32_t code)
{
    if (code < 0x20 || (code >= 0x7F && code < 0xA0))
        return !isTextControl(code);
    switch (QChar::category(code)) {
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
        return true;
    default:
        return false;
    }
}

// UTF-16 after its byte-order mark.
bool utf16ReadsAsText(QByteArrayView bytes, bool bigEndian, bool cutShort)
{
    qsizetype units = bytes.size() / 2;
    qsizetype flaws = bytes.size() % 2 == 0 || cutShort ? 0 : 1;
    const auto unitAt = [&](qsizetype index) {
        const auto first = static_cast<unsigned char>(bytes[2 * index]);
        const auto second = static_cast<unsigned char>(bytes[2 * index + 1]);
        return static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    };
    if (cutShort && units > 0 && QChar::isHighSurrogate(unitAt(units - 1)))
        --units;
    for (qsizetype k = 0; k < units; ++k) {
        const char16_t unit = unitAt(k);
        char32_t code = unit;
        if (QChar::isHighSurrogate(unit) && k + 1 < units && QChar::isLowSurrogate(unitAt(k + 1))) {
            code = QChar::surrogateToUcs4(unit, unitAt(k + 1));
            ++k;
        }
        flaws += isFlawCodePoint(code) ? 1 : 0;
    }
    return fewFlaws(flaws, units);
}

bool windows1252ReadsAsText(QByteArrayView bytes, bool cutShort)
{
    qsizetype flaws = 0;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unassigned =
            byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
        flaws += isFlawByte(byte) || unassigned ? 1 : 0;
    }
    if (!fewFlaws(flaws, bytes.size()))
        return false;
    if (bytes.size() >= GuessedBelow)
        return true;
    // A line cut off at the end of the sample is not judged: a single letter
    // with a diacritic would look encrypted on its own.
    QString text = AnsiCodePage::toUnicode(bytes.toByteArray());
    if (cutShort) {
        const qsizetype lastBreak =
            std::max(text.lastIndexOf(QLatin1Char('\n')), text.lastIndexOf(QLatin1Char('\r')));
        if (lastBreak >= 0)
            text.truncate(lastBreak);
    }
    return !EncryptedGuess::textLooksEncrypted(text);
}

} // namespace

namespace TextContentCheck {

bool namePromisesText(const QString &fileName)
{
    // Suffixes that name text and nothing else; ".ts" (also MPEG video),
    // ".sub" (also image subtitles), ".crt" (also DER) and the like are left
    // out.
    static const QSet<QString> suffixes = {
        // plain text and markup
        "txt", "text", "asc", "log", "md", "markdown", "rst", "adoc", "org", "tex", "ltx", "bib",
        "sty", "cls", "rtf", "html", "htm", "xhtml", "xml", "xsl", "xslt", "svg", "srt", "vtt",
        // data and configuration in text form
        "csv", "tsv", "json", "jsonl", "ndjson", "yml", "yaml", "toml", "ini", "inf", "cfg", "conf",
        "properties", "reg", "ics", "vcf", "po", "pot", "diff", "patch",
        // scripts
        "sh", "bash", "zsh", "fish", "bat", "cmd", "ps1", "psm1", "vbs", "awk", "pl", "pm", "py",
        "pyw", "rb", "php", "lua", "tcl", "js", "mjs", "cjs", "jsx", "tsx", "css", "scss", "sass",
        "less", "sql", "cmake", "mk",
        // program sources
        "c", "h", "cc", "cpp", "cxx", "hh", "hpp", "hxx", "ino", "cs", "java", "kt", "kts", "scala",
        "go", "rs", "swift", "dart", "hs", "ml", "ex", "exs", "erl", "clj", "vue"};
    return suffixes.contains(QFileInfo(fileName).suffix().toLower());
}

bool readsAsText(QByteArrayView head, bool cutShort)
{
    if (head.isEmpty())
        return true;
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF"))
        return utf16ReadsAsText(head.sliced(2), head.startsWith("\xFE\xFF"), cutShort);
    const QByteArrayView body = head.startsWith("\xEF\xBB\xBF") ? head.sliced(3) : head;
    if (const std::optional<qsizetype> flaws = utf8Flaws(body, cutShort))
        return fewFlaws(*flaws, body.size());
    return windows1252ReadsAsText(body, cutShort);
}

} // namespace TextContentCheck
