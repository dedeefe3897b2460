#include "TestFiles.h"

#include "filecipher/FileCipher.h"
#include "filecipher/ResultTypeCheck.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <future>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    QStringEncoder encoder(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE,
                           QStringConverter::Flag::WriteBom);
    return encoder.encode(text);
}

// A log of more than the 8 KiB looked at, with colour codes and a few stray
// NULs, in which the last byte looked at starts a two-byte character.
QByteArray longLog()
{
    QByteArray log;
    for (int line = 0; log.size() < contentHeadSize - 101; ++line)
        log += "2024-03-0" + QByteArray::number(line % 9 + 1) +
               " \x1b[32mINFO\x1b[0m Anfrage verarbeitet: Größe " + QByteArray::number(line) +
               (line % 50 == 7 ? QByteArray(2, '\0') : QByteArray()) + "\n";
    log += QByteArray(contentHeadSize - 1 - log.size(), 'x');
    return log + "\xC3\xA4 und weiter\n" + QByteArray(5000, 'y') + '\n';
}

} // namespace

// The wrong-key check of the compatible format, on real files that went
// through an encryption and a decryption with the right or a wrong key.
class TestResultTypeCheck : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void afterDecryption_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("decryptKey");
        QTest::addColumn<ContentFit>("expected");
        QTest::newRow("pdf, right key")
            << "report.pdf" << TestFiles::pdfContent() << rightKey << ContentFit::Fits;
        QTest::newRow("pdf, wrong key")
            << "report.pdf" << TestFiles::pdfContent() << wrongKey << ContentFit::DoesNotFit;
        QTest::newRow("png, right key")
            << "picture.PNG" << TestFiles::pngContent() << rightKey << ContentFit::Fits;
        QTest::newRow("png, wrong key")
            << "picture.PNG" << TestFiles::pngContent() << wrongKey << ContentFit::DoesNotFit;
        QTest::newRow("no type, wrong key") << "notes.xyz123" << QByteArray("just a few words\n")
                                            << wrongKey << ContentFit::Unknown;

        // Text of many kinds and encodings. A wrong key is caught on every one
        // but the empty file, which stays empty.
        const auto text = [](const char *what, const QString &name, const QByteArray &content) {
            QTest::addRow("%s, right key", what) << name << content << rightKey << ContentFit::Fits;
            if (!content.isEmpty())
                QTest::addRow("%s, wrong key", what)
                    << name << content << wrongKey << ContentFit::DoesNotFit;
        };
        text("UTF-8 with umlauts", "Brief.txt", GermanLetter.toUtf8());
        text("UTF-8 with a byte-order mark, xml", "daten.xml",
             QByteArray(
                 "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ort>Köln</ort>\n"));
        text("Windows-1252 German text", "brief.txt",
             QByteArray("Sehr geehrte Frau M\xFCller,\r\nanbei die \xDC"
                        "bersicht der Ma\xDFnahmen f\xFCr 2024 \x84vorl\xE4ufig\x93"
                        ", Kosten 12 \x80.\r\nMit freundlichen Gr\xFC\xDF"
                        "en\r\n"));
        text("Windows-1252 csv", "Tabelle.CSV",
             QByteArray("Name;Stra\xDF"
                        "e;Ort\r\nM\xFCller;Hauptstr. 1;K\xF6ln\r\n"
                        "Wei\xDF;Am Bach 3;M\xFCnchen\r\n"));
        text("UTF-16 little endian", "notiz.txt",
             utf16(GermanLetter + QStringLiteral("東京 €\r\n"), false));
        text("UTF-16 big endian", "liste.ini", utf16(GermanLetter, true));
        text("empty", "leer.txt", QByteArray());
        text("one line, no line break", "zeile.md",
             QByteArray("Eine einzige Zeile ohne Umbruch am Ende"));
        text("json", "config.json", QByteArray("{\n  \"name\": \"Jörg\",\n  \"count\": 3\n}\n"));
        text("html", "index.html",
             QByteArray("<!DOCTYPE html>\n<html lang=\"de\"><body>\n"
                        "<p>Grüße &amp; mehr</p>\n</body></html>\n"));
        text("C++ source", "main.cpp",
             QByteArray("#include <cstdio>\n\nint main()\n{\n\tstd::puts(\"hi\");\n}\n"));
        text("python with emoji", "tool.py",
             QByteArray("# -*- coding: utf-8 -*-\nprint(\"fertig \xF0\x9F\x8E\x89\")\n"));
        text("shell script", "run.sh", QByteArray("#!/bin/sh\nset -e\nexec \"$@\"\n"));
        text("yaml", "ci.yaml", QByteArray("jobs:\n  build:\n    runs-on: linux\n"));
        text("LaTeX with a form feed", "paper.tex", QByteArray("\\section{Einleitung}\n\fText.\n"));
        text("old DOS code page, sparse letters outside Windows-1252", "START.BAT",
             QByteArray("@echo off\r\nrem Startet das Programm f\x81r alle Benutzer\r\n"
                        "rem Bitte nicht \x84ndern, sonst m\x81ssen die Pfade neu gesetzt\r\n"
                        "rem werden. Siehe Handbuch Seite 12 ff.\r\n"
                        "call prog.exe\r\n"));
        text("log longer than the part looked at, colour codes, stray NULs", "server.log",
             longLog());
    }

    void afterDecryption()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, decryptKey);
        QFETCH(ContentFit, expected);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString plain = folder.filePath(name);
        QVERIFY(TestFiles::write(plain, content));

        const FileWorkOutcome encrypted = FileCipher::encryptFile(plain, rightKey);
        QVERIFY2(encrypted.ok, qPrintable(encrypted.reason));
        const FileWorkOutcome decrypted = FileCipher::decryptFile(encrypted.result, decryptKey);
        QVERIFY2(decrypted.ok, qPrintable(decrypted.reason));
        QCOMPARE(decrypted.result, plain);

        QCOMPARE(ResultTypeCheck::resultFitsName(plain, name), expected);
    }

    // The result may still sit under a temporary name: only the final name's
    // suffix decides what the bytes must look like.
    void temporaryNameJudgedByTheFinalName()
    {
        const QString temporary = m_dir.filePath("report.pdf.3f2a.part");
        QVERIFY(TestFiles::write(temporary, TestFiles::pdfContent()));
        QCOMPARE(ResultTypeCheck::resultFitsName(temporary, m_dir.filePath("report.pdf")),
                 ContentFit::Fits);
        QCOMPARE(ResultTypeCheck::resultFitsName(temporary, "Bilanz.png"), ContentFit::DoesNotFit);
    }

    // Anything but a regular file is not read: no answer, and no waiting.
    void unreadableResultsAreUnknown()
    {
        const QString target = m_dir.filePath("real.pdf");
        QVERIFY(TestFiles::write(target, "not a pdf at all"));
        QVERIFY(QFile::link(target, m_dir.filePath("link.pdf")));
        QCOMPARE(ResultTypeCheck::resultFitsName(m_dir.filePath("link.pdf"), "link.pdf"),
                 ContentFit::Unknown);
        QCOMPARE(ResultTypeCheck::resultFitsName(m_dir.filePath("absent.pdf"), "absent.pdf"),
                 ContentFit::Unknown);

        const QByteArray fifo = QFile::encodeName(m_dir.filePath("pipe.pdf"));
        QVERIFY(::mkfifo(fifo.constData(), 0600) == 0);
        std::future<ContentFit> answer = std::async(std::launch::async, [&] {
            return ResultTypeCheck::resultFitsName(QFile::decodeName(fifo), "pipe.pdf");
        });
        if (answer.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
            const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
            QFAIL("reading a pipe blocked");
        }
        QCOMPARE(answer.get(), ContentFit::Unknown);
    }
};

QTEST_GUILESS_MAIN(TestResultTypeCheck)
#include "TestResultTypeCheck.moc"
