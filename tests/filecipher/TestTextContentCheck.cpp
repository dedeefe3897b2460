#include "TestFiles.h"

#include "filecipher/ContentTypeCheck.h"

#include <QStringEncoder>
#include <QTest>

Q_DECLARE_METATYPE(ContentFit)

namespace {

// text in UTF-16 with its byte-order mark
QByteArray utf16(const QString &text, bool bigEndian)
{
    QStringEncoder encoder(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE,
                           QStringConverter::Flag::WriteBom);
    return encoder.encode(text);
}

QByteArray ofBytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (const int value : values)
        out.append(static_cast<char>(value));
    return out;
}

} // namespace

// The wrong-key check on files whose name promises text.
class TestTextContentCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Noise as a wrong key leaves it, from a line's length on; many seeds
    // each, so that a rule that lets noise through now and then shows. (A
    // few bytes of noise can look like a word by chance: 16 bytes do in
    // about one seed of 300.)
    void noiseIsCaught_data()
    {
        QTest::addColumn<int>("size");
        for (const int size : {40, 64, 100, 255, 256, 1000, 8191, 8192, 20000})
            QTest::addRow("%d bytes", size) << size;
    }

    void noiseIsCaught()
    {
        QFETCH(int, size);
        for (quint32 seed = 1; seed <= 300; ++seed) {
            const QByteArray noise = TestFiles::randomBytes(size, seed * 7919 + size);
            if (contentFitsName(QStringLiteral("notes.txt"), noise) != ContentFit::DoesNotFit)
                QFAIL(qPrintable(QStringLiteral("noise of seed %1 read as text: %2")
                                     .arg(seed)
                                     .arg(QString::fromLatin1(noise.toHex()))));
        }
    }

    // Which bytes text holds: the flaws that tell noise from text, the few
    // that text tolerates, and the encrypted-data guess on short text.
    void bytesThatDecide_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<ContentFit>("expected");
        const QByteArray line("Eine ganz gewoehnliche Zeile Text.\n"); // 35 bytes
        const QByteArray page = line.repeated(4);                      // 140 bytes

        QTest::newRow("a NUL in a short text") << line + '\0' << ContentFit::DoesNotFit;
        QTest::newRow("a bell in a short text") << line + '\a' << ContentFit::DoesNotFit;
        QTest::newRow("DEL in a short text") << line + '\x7f' << ContentFit::DoesNotFit;
        QTest::newRow("escape and form feed") << "\x1b[1m" + line + '\f' << ContentFit::Fits;
        for (const int unassigned : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
            QTest::addRow("Windows-1252 leaves 0x%X unassigned", unassigned)
                << line + "M\xFCller " + char(unassigned) << ContentFit::DoesNotFit;
        QTest::newRow("two flaws in 140 bytes")
            << page.left(138) + QByteArray(2, '\0') << ContentFit::Fits;
        QTest::newRow("three flaws in 140 bytes")
            << page.left(137) + QByteArray(3, '\0') << ContentFit::DoesNotFit;
        QTest::newRow("UTF-16 without a byte-order mark")
            << QByteArray("N\0o\0t\0i\0z\0\n\0", 12) << ContentFit::DoesNotFit;
        QTest::newRow("UTF-16 with a lone surrogate")
            << utf16(QStringLiteral("Notiz"), false) + ofBytes({0x00, 0xD8, 'a', 0})
            << ContentFit::DoesNotFit;
        QTest::newRow("UTF-16 private use")
            << utf16(QString(40, QChar(0xE123)), false) << ContentFit::DoesNotFit;
        QTest::newRow("overlong UTF-8 that Windows-1252 rejects")
            << QByteArray("ok \xC0\xAF\x81") << ContentFit::DoesNotFit;
        // Bytes that every code page would show, but too few of them in the
        // printable range: only the encrypted-data guess tells.
        QTest::newRow("short noise without flaws")
            << QByteArray("\xE4\xF6\xFC\xDF\xA7\xB0\xB5\xD7 \xC6\xE9") << ContentFit::DoesNotFit;
        // The guess would count every Cyrillic letter as scrambled; a text of
        // some length is told by its bytes alone.
        QTest::newRow("Windows-1251 Russian text")
            << QByteArray("\xcf\xf0\xe8\xe2\xe5\xf2, \xec\xe8\xf0! ").repeated(20)
            << ContentFit::Fits;
        QTest::newRow("short Windows-1252 text") << QByteArray("Gr\xFC\xDF"
                                                               "e aus K\xF6ln")
                                                 << ContentFit::Fits;
    }

    void bytesThatDecide()
    {
        QFETCH(QByteArray, head);
        QFETCH(ContentFit, expected);
        QCOMPARE(contentFitsName(QStringLiteral("notes.txt"), head), expected);
    }

    // The sample ends inside a character or a line: what is cut off there
    // does not count against the file.
    void cutAtTheSampleEnd_data()
    {
        QTest::addColumn<QByteArray>("head");
        const QByteArray filler = QByteArray("Zeile mit Text\n").repeated(600);
        QTest::newRow("UTF-8 character")
            << (filler.left(contentHeadSize - 1) + "\xC3\xA4" + filler).left(contentHeadSize);
        QTest::newRow("UTF-16 surrogate pair")
            << (utf16(QString::fromLatin1(filler), false).left(contentHeadSize - 2) +
                ofBytes({0x3D, 0xD8, 0x89, 0xDF}))
                   .left(contentHeadSize);
        // One long line, then an "Ü" starting the next: alone it would look
        // encrypted.
        QTest::newRow("Windows-1252 line") << QByteArray(contentHeadSize - 3, 'a') + "\n\xDC\xDC";
    }

    void cutAtTheSampleEnd()
    {
        QFETCH(QByteArray, head);
        QCOMPARE(head.size(), contentHeadSize);
        QCOMPARE(contentFitsName(QStringLiteral("notes.txt"), head), ContentFit::Fits);
    }

    void namesThatPromiseText_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("text");
        for (const char *name :
             {"a.txt", "B.TXT",  "report.pdf.txt", "x.csv", "x.tsv", "x.md",  "x.html",
              "x.xml", "x.json", "x.ini",          "x.c",   "x.cpp", "x.h",   "x.py",
              "x.sh",  "x.js",   "x.log",          "x.tex", "x.yml", "x.yaml"})
            QTest::newRow(name) << QString::fromLatin1(name) << true;
        // Video streams share ".ts" with one language's sources.
        for (const char *name : {"clip.ts", "notes.txt.bak", "README", ".profile", "a.key"})
            QTest::newRow(name) << QString::fromLatin1(name) << false;
    }

    void namesThatPromiseText()
    {
        QFETCH(QString, name);
        QFETCH(bool, text);
        const ContentFit noise = contentFitsName(name, TestFiles::randomBytes(512, 3));
        QCOMPARE(noise, text ? ContentFit::DoesNotFit : ContentFit::Unknown);
    }
};

QTEST_GUILESS_MAIN(TestTextContentCheck)
#include "TestTextContentCheck.moc"
