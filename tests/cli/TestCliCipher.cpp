#include "CliCommand.h"
#include "CliTestRun.h"
#include "RecordLockHolder.h"
#include "TestFiles.h"
#include "age/AgeArmor.h"
#include "platform/DataFolder.h"
#include "settings/FormatChoice.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

CliRun runCommand(const QStringList &args, const QString &input = QString(), bool terminal = false)
{
    return runCliInProcess(args, input, false, terminal);
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

const QByteArray AgeHeader("age-encryption.org/v1\n");

// The format chosen for new files in the settings of this test's data folder.
void storeFormatChoice(FileFormat format)
{
    QVERIFY(QDir().mkpath(DataFolder::path()));
    QVERIFY(FormatChoice::save(DataFolder::path(), format));
}

} // namespace

class TestCliCipher : public QObject
{
    Q_OBJECT

private slots:
    void encryptThenDecrypt()
    {
        QTemporaryDir dir;
        const QByteArray first = TestFiles::randomBytes(20000, 3);
        QVERIFY(TestFiles::write(dir.filePath("a.dat"), first));
        QVERIFY(TestFiles::write(dir.filePath("b c.doc"), "second file"));

        CliRun run =
            runCommand({"encrypt", "--key-stdin", dir.filePath("a.dat"), dir.filePath("b c.doc")},
                       "Schlüssel\n");
        QCOMPARE(run.code, 0);
        QCOMPARE(run.err, QString());
        QCOMPARE(filesIn(dir.path()), (QStringList{"a.dat.enc", "b c.doc.enc"}));

        run = runCommand(
            {"decrypt", "--key-stdin", dir.filePath("a.dat.enc"), dir.filePath("b c.doc.enc")},
            "Schlüssel\r\n");
        QCOMPARE(run.code, 0);
        QCOMPARE(filesIn(dir.path()), (QStringList{"a.dat", "b c.doc"}));
        QCOMPARE(TestFiles::read(dir.filePath("a.dat")), first);
    }

    void cleanup() { QFile::remove(DataFolder::path() + FormatChoice::fileName()); }

    // The format of new files: the option, else the stored choice, else the
    // compatible format of the same length; decrypting reads either.
    void formatOfNewFiles_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("storedAge");
        QTest::addColumn<bool>("age");
        QTest::newRow("nothing chosen") << QStringList{} << false << false;
        QTest::newRow("--format age") << QStringList{"--format", "age"} << false << true;
        QTest::newRow("--format=age") << QStringList{"--format=age"} << false << true;
        QTest::newRow("stored choice") << QStringList{} << true << true;
        QTest::newRow("--format legacy over the stored choice")
            << QStringList{"--format", "legacy"} << true << false;
        QTest::newRow("--format=compatible") << QStringList{"--format=compatible"} << true << false;
    }

    void formatOfNewFiles()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, storedAge);
        QFETCH(bool, age);
        if (storedAge)
            storeFormatChoice(FileFormat::Age);
        QTemporaryDir dir;
        const QByteArray plain = TestFiles::randomBytes(30000, 4);
        QVERIFY(TestFiles::write(dir.filePath("a.bin"), plain));

        CliRun run = runCommand(QStringList{"encrypt", "--key-stdin"} + options +
                                    QStringList{dir.filePath("a.bin")},
                                "Schlüssel\n");
        QCOMPARE(run.code, 0);
        QCOMPARE(filesIn(dir.path()), QStringList{"a.bin.enc"});
        const QByteArray encrypted = TestFiles::read(dir.filePath("a.bin.enc"));
        QCOMPARE(encrypted.startsWith(AgeHeader), age);
        QCOMPARE(encrypted.size() == plain.size(), !age);

        run = runCommand({"decrypt", "--key-stdin", dir.filePath("a.bin.enc")}, "Schlüssel\n");
        QCOMPARE(run.code, 0);
        QCOMPARE(filesIn(dir.path()), QStringList{"a.bin"});
        QCOMPARE(TestFiles::read(dir.filePath("a.bin")), plain);
    }

    // --shred-original hands each original to the secure delete engine once
    // its result is in place; only the option does, never the encrypt
    // window's stored choice. An original held by another program's record
    // lock cannot be overwritten: it stays, named, beside its complete
    // result, and the exit code says not all was done. Without the option
    // the same original is simply deleted.
    void shredOriginal_data()
    {
        QTest::addColumn<bool>("option");
        QTest::addColumn<bool>("storedChoice");
        QTest::newRow("--shred-original") << true << false;
        QTest::newRow("stored choice only") << false << true;
    }

    void shredOriginal()
    {
        QFETCH(bool, option);
        QFETCH(bool, storedChoice);
        if (storedChoice) {
            QVERIFY(QDir().mkpath(DataFolder::path()));
            QVERIFY(FormatChoice::saveOverwriteOriginals(DataFolder::path(), true));
        }
        QTemporaryDir dir;
        const QByteArray plain = TestFiles::randomBytes(20000, 8);
        QVERIFY(TestFiles::write(dir.filePath("free.bin"), plain));
        QVERIFY(TestFiles::write(dir.filePath("held.bin"), plain));
        const RecordLockHolder lock(dir.filePath("held.bin"));
        QVERIFY(lock.locked());

        QStringList args{"encrypt", "--key-stdin"};
        if (option)
            args << "--shred-original";
        const CliRun run = runCommand(
            args + QStringList{dir.filePath("free.bin"), dir.filePath("held.bin")}, "Schlüssel\n");
        if (!option) {
            QCOMPARE(run.code, 0);
            QCOMPARE(filesIn(dir.path()), (QStringList{"free.bin.enc", "held.bin.enc"}));
            return;
        }
        QCOMPARE(run.code, 1);
        QCOMPARE(filesIn(dir.path()), (QStringList{"free.bin.enc", "held.bin", "held.bin.enc"}));
        QCOMPARE(TestFiles::read(dir.filePath("held.bin")), plain);
        QVERIFY2(run.err.contains("1 original(s) could not be overwritten in full:\n" +
                                  dir.filePath("held.bin") +
                                  ": cannot open: in use by another program; the original is "
                                  "still there, unchanged"),
                 qPrintable(run.err));
        QCOMPARE(TestFiles::read(dir.filePath("held.bin.enc")),
                 TestFiles::read(dir.filePath("free.bin.enc")));
    }

    // A wrong key on a strong-format file: refused, the file untouched.
    void wrongKeyOnAStrongFormatFile()
    {
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(dir.filePath("a.txt"), "some text"));
        QCOMPARE(runCommand({"encrypt", "--key-stdin", "--format", "age", dir.filePath("a.txt")},
                            "right\n")
                     .code,
                 0);
        const QByteArray encrypted = TestFiles::read(dir.filePath("a.txt.enc"));

        for (const QStringList &options : {QStringList{}, QStringList{"--force"}}) {
            const CliRun run = runCommand(QStringList{"decrypt", "--key-stdin"} + options +
                                              QStringList{dir.filePath("a.txt.enc")},
                                          "wrong\n");
            QCOMPARE(run.code, 1);
            QVERIFY2(run.err.contains("velmora2-cli: " + dir.filePath("a.txt.enc") +
                                      ": wrong key or damaged file"),
                     qPrintable(run.err));
            QCOMPARE(filesIn(dir.path()), QStringList{"a.txt.enc"});
            QCOMPARE(TestFiles::read(dir.filePath("a.txt.enc")), encrypted);
        }
    }

    // A strong-format file in its text form opens; one cut off in its first
    // line is refused with its reason and kept, never decrypted as the
    // compatible format.
    void textFormAndCutOffStrongFormatFiles()
    {
        QTemporaryDir dir;
        const QByteArray plain = TestFiles::randomBytes(5000, 6);
        QVERIFY(TestFiles::write(dir.filePath("a.bin"), plain));
        QCOMPARE(runCommand({"encrypt", "--key-stdin", "--format", "age", dir.filePath("a.bin")},
                            "right\n")
                     .code,
                 0);
        const QByteArray encrypted = TestFiles::read(dir.filePath("a.bin.enc"));
        QVERIFY(TestFiles::write(dir.filePath("text.bin.enc"), age::armored(encrypted)));
        QVERIFY(TestFiles::write(dir.filePath("cut.bin.enc"), encrypted.first(20)));
        QVERIFY(QFile::remove(dir.filePath("a.bin.enc")));

        const CliRun run = runCommand(
            {"decrypt", "--key-stdin", dir.filePath("text.bin.enc"), dir.filePath("cut.bin.enc")},
            "right\n");
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains("velmora2-cli: " + dir.filePath("cut.bin.enc") +
                                  ": damaged or incomplete file in the strong format\n"),
                 qPrintable(run.err));
        QVERIFY(!run.err.contains("text.bin"));
        QCOMPARE(filesIn(dir.path()), (QStringList{"cut.bin.enc", "text.bin"}));
        QCOMPARE(TestFiles::read(dir.filePath("text.bin")), plain);
        QCOMPARE(TestFiles::read(dir.filePath("cut.bin.enc")), encrypted.first(20));
    }

    // The compatible format with a wrong key: a result that does not look
    // like its name is refused unless --force keeps it.
    void wrongKeyOnACompatibleFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("pdf") << "paper.pdf" << TestFiles::pdfContent();
        QTest::newRow("UTF-8 text") << "notes.txt" << QByteArray("Grüße aus Köln\nZeile zwei\n");
        QTest::newRow("Windows-1252 csv")
            << "Tabelle.csv" << QByteArray("Name;Ort\r\nM\xFCller;K\xF6ln\r\n");
        QTest::newRow("source file") << "main.c" << QByteArray("int main(void) { return 0; }\n");
    }

    void wrongKeyOnACompatibleFile()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString encryptedPath = dir.filePath(name + ".enc");
        QVERIFY(TestFiles::write(dir.filePath(name), content));
        QCOMPARE(runCommand({"encrypt", "--key-stdin", "--format", "legacy", dir.filePath(name)},
                            "Kx9-right-key\n")
                     .code,
                 0);
        const QByteArray encrypted = TestFiles::read(encryptedPath);

        CliRun run = runCommand({"decrypt", "--key-stdin", encryptedPath}, "Zq2-right-key\n");
        QCOMPARE(run.code, 1);
        QVERIFY2(
            run.err.contains("velmora2-cli: " + encryptedPath + ": the key does not seem to fit"),
            qPrintable(run.err));
        QCOMPARE(filesIn(dir.path()), QStringList{name + ".enc"});
        QCOMPARE(TestFiles::read(encryptedPath), encrypted);

        run = runCommand({"decrypt", "--key-stdin", "--force", encryptedPath}, "Zq2-right-key\n");
        QCOMPARE(run.code, 0);
        QVERIFY2(run.err.contains("the key does not seem to fit"), qPrintable(run.err));
        QCOMPARE(filesIn(dir.path()), QStringList{name});
        QCOMPARE(TestFiles::read(dir.filePath(name)).size(), content.size());
        QVERIFY(TestFiles::read(dir.filePath(name)) != content);

        // The right key afterwards: no word, the text back.
        QVERIFY(TestFiles::write(encryptedPath, encrypted));
        QVERIFY(QFile::remove(dir.filePath(name)));
        run = runCommand({"decrypt", "--key-stdin", encryptedPath}, "Kx9-right-key\n");
        QCOMPARE(run.code, 0);
        QCOMPARE(run.err, QString());
        QCOMPARE(TestFiles::read(dir.filePath(name)), content);
    }

    // The fixture of the independent generator decrypts with its key.
    void decryptsTheFixture()
    {
        QTemporaryDir dir;
        QVERIFY(
            QFile::copy(TestFiles::fixture("cipher/fixture.bin.enc"), dir.filePath("f.bin.enc")));
        const QString key =
            QString::fromUtf8(TestFiles::read(TestFiles::fixture("cipher/fixture.key")));
        const CliRun run =
            runCommand({"decrypt", "--key-stdin", dir.filePath("f.bin.enc")}, key + "\n");
        QCOMPARE(run.code, 0);
        QCOMPARE(TestFiles::read(dir.filePath("f.bin")),
                 TestFiles::read(TestFiles::fixture("cipher/fixture.bin")));
    }

    // A failing file gets the window's messages and the system's reason; the
    // others go on, and the exit code is 1.
    void failuresLeaveTheOriginal()
    {
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(dir.filePath("plain.txt"), "not encrypted"));
        QVERIFY(TestFiles::write(dir.filePath("good.enc"), "abc"));
        const CliRun run = runCommand({"decrypt", "--key-stdin", dir.filePath("plain.txt"),
                                       dir.filePath("missing.enc"), dir.filePath("good.enc")},
                                      "k\n");
        QCOMPARE(run.code, 1);
        QVERIFY(
            run.err.contains("velmora2-cli: Error decrypting file: " + dir.filePath("plain.txt")));
        QVERIFY(run.err.contains(
            "File refused! Only files whose name ends in \".enc\" are decrypted!"));
        QVERIFY(run.err.contains("does not end in \".enc\""));
        QVERIFY(run.err.contains(dir.filePath("missing.enc") + ": no such file"));
        QCOMPARE(filesIn(dir.path()), (QStringList{"good", "plain.txt"}));
        QCOMPARE(TestFiles::read(dir.filePath("plain.txt")), QByteArray("not encrypted"));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("message");
        QTest::newRow("no key source") << QStringList{"encrypt", "x"} << ""
                                       << "no key given";
        QTest::newRow("no key on stdin") << QStringList{"encrypt", "--key-stdin", "x"} << ""
                                         << "no key text on standard input";
        QTest::newRow("no file") << QStringList{"decrypt", "--key-stdin"} << "k\n"
                                 << "no file given";
        QTest::newRow("unknown option")
            << QStringList{"encrypt", "--key-stdin", "--key", "k", "x"} << "k\n"
            << "unknown option \"--key\"";
        QTest::newRow("unknown format")
            << QStringList{"encrypt", "--key-stdin", "--format", "rot13", "x"} << "k\n"
            << "unknown format \"rot13\"";
        QTest::newRow("format without a word")
            << QStringList{"encrypt", "--key-stdin", "--format"} << "k\n"
            << "--format needs a FORMAT";
        QTest::newRow("format when decrypting")
            << QStringList{"decrypt", "--key-stdin", "--format=age", "x.enc"} << "k\n"
            << "unknown option \"--format=age\"";
        QTest::newRow("force when encrypting")
            << QStringList{"encrypt", "--key-stdin", "--force", "x"} << "k\n"
            << "unknown option \"--force\"";
        QTest::newRow("shred-original when decrypting")
            << QStringList{"decrypt", "--key-stdin", "--shred-original", "x.enc"} << "k\n"
            << "unknown option \"--shred-original\"";
        QTest::newRow("cross-file-systems without -r")
            << QStringList{"encrypt", "--key-stdin", "--cross-file-systems", "x"} << "k\n"
            << "--cross-file-systems only applies to folders, with -r";
        QTest::newRow("md5 without input") << QStringList{"md5"} << ""
                                           << "no text on standard input";
        QTest::newRow("version with an argument") << QStringList{"version", "x"} << ""
                                                  << "takes no arguments";
    }

    void usageErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, input);
        QFETCH(QString, message);
        const CliRun run = runCommand(args, input);
        QCOMPARE(run.code, 2);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
    }

    void md5_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("digest");
        QTest::newRow("abc") << "abc\n"
                             << "900150983cd24fb0d6963f7d28e17f72\n";
        QTest::newRow("empty line") << "\n"
                                    << "d41d8cd98f00b204e9800998ecf8427e\n";
        QTest::newRow("umlaut in the code page") << "ä\r\n"
                                                 << "c15bcc5577f9fade4b4a3256190a59b0\n";
        // The settings window stores the digest of the trimmed password.
        QTest::newRow("blanks and controls at both ends") << " \t\x01"
                                                             "abc \x1f\r\n"
                                                          << "900150983cd24fb0d6963f7d28e17f72\n";
        QTest::newRow("inner blank kept") << "  a b  \n"
                                          << "0cc9cd4dd26c5137b675a0d819cb9ab0\n";
        QTest::newRow("only blanks") << " \t \n"
                                     << "d41d8cd98f00b204e9800998ecf8427e\n";
    }

    void md5()
    {
        QFETCH(QString, input);
        QFETCH(QString, digest);
        const CliRun run = runCommand({"md5"}, input);
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, digest);
    }

    void versionAndHelp()
    {
        CliRun run = runCommand({"version"});
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, QStringLiteral(VELMORA_VERSION_TEXT "\n"));
        QVERIFY(QRegularExpression("^\\d+\\.\\d+\\.\\d+\\.\\d+\\n$").match(run.out).hasMatch());
        run = runCommand({"encrypt", "--help"});
        QCOMPARE(run.code, 0);
        QVERIFY(run.out.contains("--key-stdin"));
    }

    // Big files show their progress on a terminal, and only there.
    void progressOnATerminal()
    {
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(dir.filePath("big.bin"), QByteArray(64 * 1024 * 1024, 'b')));
        QVERIFY(TestFiles::write(dir.filePath("small.bin"), QByteArray(1000, 's')));
        CliRun run = runCommand(
            {"encrypt", "--key-stdin", dir.filePath("big.bin"), dir.filePath("small.bin")}, "k\n",
            true);
        QCOMPARE(run.code, 0);
        QVERIFY2(run.err.startsWith("\rbig.bin: 0%"), qPrintable(run.err));
        QVERIFY2(run.err.endsWith("\rbig.bin: 100%\n"), qPrintable(run.err));
        QVERIFY(!run.err.contains("small.bin"));
        run = runCommand({"decrypt", "--key-stdin", dir.filePath("big.bin.enc")}, "k\n", false);
        QCOMPARE(run.code, 0);
        QCOMPARE(run.err, QString());
    }

    // The real program: the key through a pipe, the exit code of a process.
    void childProcess()
    {
        const QString program = QStringLiteral(VELMORA_BIN_DIR "/velmora2-cli");
        if (!QFile::exists(program))
            QSKIP("velmora2-cli is not built");
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(dir.filePath("n.txt"), "note"));
        QProcess process;
        process.start(program, {"encrypt", "--key-stdin", dir.filePath("n.txt")});
        QVERIFY(process.waitForStarted());
        process.write("pass phrase\n");
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(filesIn(dir.path()), QStringList{"n.txt.enc"});
        QVERIFY(TestFiles::read(dir.filePath("n.txt.enc")) != QByteArray("note"));
    }
};

QTEST_GUILESS_MAIN(TestCliCipher)
#include "TestCliCipher.moc"
