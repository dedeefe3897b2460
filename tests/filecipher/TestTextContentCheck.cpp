#include "TestFiles.h"

#include "filecipher/ContentTypeCheck.h"
#include "filecipher/FileCipher.h"
#include "filecipher/ResultTypeCheck.h"

#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(ContentFit)

namespace {

const QString rightKey = QStringLiteral("QxT4mP9sLk2Vw-velmora-key");
// Only the first half of a key text reaches the compatible format's hash, so
// the wrong key differs at its start.
const QString wrongKey = QStringLiteral("RxT4mP9sLk2Vw-velmora-key");

const QString GermanLetter =
    QStringLiteral("Sehr geehrte Frau Müller,\n\n"
                   "anbei die Übersicht der Maßnahmen für das nächste Quartal. Die Größe des\n"
                   "Budgets ändert sich nicht; Rückfragen gern an mich.\n\n"
                   "Mit freundlichen Grüßen\nJörg Weiß\n");

QByteArray utf16(const QString &text, bool bigEndian)
{
    QByteArray bytes = bigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes.append(bigEndian ? high : low);
        bytes.append(bigEndian ? low : high);
    }
    return bytes;
}

// A log of more than one sample, with colour codes and a few stray NULs, in
// which the sample's last byte starts a two-byte character.
QByteArray longLog()
{
    QByteArray log;
    for (int line = 0; log.size() < 8191 - 100; ++line)
        log += "2024-03-0" + QByteArray::number(line % 9 + 1) +
               " \x1b[32mINFO\x1b[0m Anfrage verarbeitet: Größe " + QByteArray::number(line) +
               (line % 50 == 7 ? QByteArray(2, '\0') : QByteArray()) + "\n";
    log += QByteArray(8191 - log.size(), 'x');
    return log + "\xC3\xA4 und weiter\n" + QByteArray(5000, 'y') + '\n';
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
    // Real files through an encryption and a decryption: with the right key
    // every one reads as text; with a wrong key every one but the empty file
    // (which stays empty) is caught.
    void textFilesAfterDecryption_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");

        QTest::newRow("UTF-8 with umlauts") << "Brief.txt" << GermanLetter.toUtf8();
        QTest::newRow("UTF-8 with a byte-order mark, xml")
            << "daten.xml"
            << "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ort>Köln</ort>\n" +
                   QByteArray();
        QTest::newRow("Windows-1252 German text")
            << "brief.txt"
            << QByteArray("Sehr geehrte Frau M\xFCller,\r\nanbei die \xDC"
                          "bersicht der Ma\xDFnahmen f\xFCr 2024 \x84vorl\xE4ufig\x93"
                          ", Kosten 12 \x80.\r\nMit freundlichen Gr\xFC\xDF"
                          "en\r\n");
        QTest::newRow("Windows-1252 csv") << "Tabelle.CSV"
                                          << QByteArray("Name;Stra\xDF"
                                                        "e;Ort\r\nM\xFCller;Hauptstr. 1;K\xF6ln\r\n"
                                                        "Wei\xDF;Am Bach 3;M\xFCnchen\r\n");
        QTest::newRow("UTF-16 little endian")
            << "notiz.txt" << utf16(GermanLetter + QStringLiteral("東京 €\r\n"), false);
        QTest::newRow("UTF-16 big endian") << "liste.ini" << utf16(GermanLetter, true);
        QTest::newRow("empty") << "leer.txt" << QByteArray();
        QTest::newRow("one line, no line break")
            << "zeile.md" << QByteArray("Eine einzige Zeile ohne Umbruch am Ende");
        QTest::newRow("json") << "config.json"
                              << QByteArray("{\n  \"name\": \"Jörg\",\n  \"count\": 3\n}\n");
        QTest::newRow("html") << "index.html"
                              << QByteArray("<!DOCTYPE html>\n<html lang=\"de\"><body>\n"
                                            "<p>Grüße &amp; mehr</p>\n</body></html>\n");
        QTest::newRow("C++ source")
            << "main.cpp"
            << QByteArray("#include <cstdio>\n\nint main()\n{\n\tstd::puts(\"hi\");\n}\n");
        QTest::newRow("python with emoji")
            << "tool.py"
            << QByteArray("# -*- coding: utf-8 -*-\nprint(\"fertig \xF0\x9F\x8E\x89\")\n");
        QTest::newRow("shell script") << "run.sh" << QByteArray("#!/bin/sh\nset -e\nexec \"$@\"\n");
        QTest::newRow("yaml") << "ci.yaml" << QByteArray("jobs:\n  build:\n    runs-on: linux\n");
        QTest::newRow("LaTeX with a form feed")
            << "paper.tex" << QByteArray("\\section{Einleitung}\n\fText.\n");
        QTest::newRow("old DOS code page, sparse letters outside Windows-1252")
            << "START.BAT"
            << QByteArray("@echo off\r\nrem Startet das Programm f\x81r alle Benutzer\r\n"
                          "rem Bitte nicht \x84ndern, sonst m\x81ssen die Pfade neu gesetzt\r\n"
                          "rem werden. Siehe Handbuch Seite 12 ff.\r\n"
                          "call prog.exe\r\n");
        QTest::newRow("log longer than the sample, colour codes, stray NULs")
            << "server.log" << longLog();
    }

    void textFilesAfterDecryption()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        for (const QString &key : {rightKey, wrongKey}) {
            QTemporaryDir folder;
            QVERIFY(folder.isValid());
            const QString plain = folder.filePath(name);
            QVERIFY(TestFiles::write(plain, content));
            const FileWorkOutcome encrypted = FileCipher::encryptFile(plain, rightKey);
            QVERIFY2(encrypted.ok, qPrintable(encrypted.reason));
            const FileWorkOutcome decrypted = FileCipher::decryptFile(encrypted.result, key);
            QVERIFY2(decrypted.ok, qPrintable(decrypted.reason));

            const bool caught = key == wrongKey && !content.isEmpty();
            QCOMPARE(ResultTypeCheck::resultFitsName(plain, name),
                     caught ? ContentFit::DoesNotFit : ContentFit::Fits);
        }
    }

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
