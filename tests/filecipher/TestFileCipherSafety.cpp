#include "FullDisk.h"
#include "TestFiles.h"
#include "filecipher/FileCipher.h"
#include "filecipher/FileRefusalTexts.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

const QString Key = QStringLiteral("safety key text");

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Every entry of a folder with what it holds: the bytes of a regular file,
// the target of a link, or its kind. Equal snapshots: nothing the user had
// was changed, created or deleted.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> result;
    for (const QString &name : entriesOf(folder)) {
        const QString path = folder + QLatin1Char('/') + name;
        struct stat info
        {
        };
        if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
            continue;
        if (S_ISLNK(info.st_mode))
            result[name] = "link to " + QFile::encodeName(QFile::symLinkTarget(path));
        else if (S_ISREG(info.st_mode))
            result[name] = TestFiles::read(path);
        else
            result[name] = "special " + QByteArray::number(info.st_mode & S_IFMT);
    }
    return result;
}

QByteArray encrypted(const QByteArray &plain)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("x");
    TestFiles::write(path, plain);
    FileCipher::encryptFile(path, Key);
    return TestFiles::read(path + ".enc");
}

QByteArray cliPath()
{
    return QFile::encodeName(QStringLiteral(VELMORA_BIN_DIR "/velmora2-cli"));
}

} // namespace

class TestFileCipherSafety : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath("config")));
        qputenv("TMPDIR", QFile::encodeName(m_home.path()));
    }

    // Each situation planted in a folder of its own; the run must either
    // succeed with the user's other files as they were, or be refused with
    // nothing created or deleted.
    void plantedNames_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<bool>("decrypting");
        QTest::addColumn<int>("failure");
        const auto row = [](const char *name, bool decrypting, FileFailure failure) {
            QTest::newRow(name) << QString::fromLatin1(name) << decrypting << int(failure);
        };
        row("old intermediate name is the user's file", false, FileFailure::None);
        row("leftover temporary name", false, FileFailure::None);
        row("input is a link", false, FileFailure::IsLink);
        row("input has a second name", false, FileFailure::MultipleNames);
        row("input is a pipe", false, FileFailure::NotRegularFile);
        row("input is a folder", false, FileFailure::IsFolder);
        row("result name is a link", false, FileFailure::None);
        row("result name is a folder", false, FileFailure::ResultNameBlocked);
        row("result name is a pipe", false, FileFailure::ResultNameBlocked);
        row("decrypt: result name is a link", true, FileFailure::None);
        row("decrypt: input has a second name", true, FileFailure::MultipleNames);
        row("decrypt: input is a link", true, FileFailure::IsLink);
        row("decrypt: name without .enc", true, FileFailure::NotEncryptedName);
    }

    void plantedNames()
    {
        QFETCH(QString, situation);
        QFETCH(bool, decrypting);
        QFETCH(int, failure);
        QTemporaryDir dir;
        const QString folder = dir.path();
        const QByteArray plain = TestFiles::randomBytes(70000, 7);
        const QString input = dir.filePath(decrypting ? "a.txt.enc" : "a.txt");
        const QString output = dir.filePath(decrypting ? "a.txt" : "a.txt.enc");
        const QByteArray inputBytes = decrypting ? encrypted(plain) : plain;
        QVERIFY(TestFiles::write(dir.filePath("victim"), "the user's other file"));
        const QByteArray victimPath = QFile::encodeName(dir.filePath("victim"));

        if (situation.contains("input is a link")) {
            QVERIFY(TestFiles::write(dir.filePath("target"), inputBytes));
            QVERIFY(QFile::link(dir.filePath("target"), input));
        } else if (situation.contains("input is a pipe")) {
            QCOMPARE(::mkfifo(QFile::encodeName(input).constData(), 0600), 0);
        } else if (situation.contains("input is a folder")) {
            QVERIFY(QDir().mkdir(input));
        } else if (situation.contains("name without .enc")) {
            QVERIFY(TestFiles::write(dir.filePath("a.txt"), inputBytes));
        } else {
            QVERIFY(TestFiles::write(input, inputBytes));
        }
        if (situation.contains("second name"))
            QCOMPARE(::link(QFile::encodeName(input).constData(),
                            QFile::encodeName(dir.filePath("other name")).constData()),
                     0);
        if (situation.contains("old intermediate"))
            QVERIFY(TestFiles::write(input + ".ec", "the user's own .ec file"));
        if (situation.contains("leftover temporary"))
            QVERIFY(QFile::link(dir.filePath("victim"),
                                dir.filePath(".a.txt.enc.abcdef.velmora-part")));
        if (situation.contains("result name is a link"))
            QVERIFY(QFile::link(dir.filePath("victim"), output));
        if (situation.contains("result name is a folder"))
            QVERIFY(QDir().mkdir(output));
        if (situation.contains("result name is a pipe"))
            QCOMPARE(::mkfifo(QFile::encodeName(output).constData(), 0600), 0);
        const QMap<QString, QByteArray> before = snapshot(folder);

        const QString path =
            situation.contains("name without .enc") ? dir.filePath("a.txt") : input;
        const FileWorkOutcome outcome =
            decrypting ? FileCipher::decryptFile(path, Key) : FileCipher::encryptFile(path, Key);

        QCOMPARE(int(outcome.failure), failure);
        QMap<QString, QByteArray> expected = before;
        if (outcome.ok) {
            expected.remove(QFileInfo(input).fileName());
            expected[QFileInfo(output).fileName()] = decrypting ? plain : encrypted(plain);
        } else {
            QVERIFY(!outcome.reason.isEmpty());
            QCOMPARE(outcome.reason,
                     FileRefusalTexts::reason(outcome.failure, Language::English, outcome.detail));
        }
        QCOMPARE(snapshot(folder), expected);
    }

    // A pipe or device as input is refused at once, never waited on.
    void specialInputDoesNotBlock_data()
    {
        QTest::addColumn<bool>("device");
        QTest::newRow("pipe") << false;
        QTest::newRow("device node") << true;
    }

    void specialInputDoesNotBlock()
    {
        QFETCH(bool, device);
        QTemporaryDir dir;
        const QByteArray path = QFile::encodeName(dir.filePath("special"));
        if (device) {
            if (::mknod(path.constData(), S_IFCHR | 0600, makedev(1, 3)) != 0)
                QSKIP("this user may not create device nodes");
        } else {
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        }
        QElapsedTimer clock;
        clock.start();
        const FileWorkOutcome outcome = FileCipher::encryptFile(dir.filePath("special"), Key);
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(outcome.failure, FileFailure::NotRegularFile);
        QCOMPARE(entriesOf(dir.path()), QStringList{"special"});
    }

    // A file that another writer changes while it is encrypted keeps the
    // writer's bytes; no result and no temporary file remain.
    void changedDuringRun_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("appended") << "append";
        QTest::newRow("rewritten in place") << "rewrite";
        QTest::newRow("cut") << "cut";
        QTest::newRow("replaced by rename") << "rename";
    }

    void changedDuringRun()
    {
        QFETCH(QString, change);
        QTemporaryDir dir;
        const QString path = dir.filePath("big.bin");
        const QByteArray plain = TestFiles::randomBytes(12 << 20, 3);
        QVERIFY(TestFiles::write(path, plain));
        QByteArray expected;
        bool changed = false;
        const ByteProgress hook = [&](quint64 done, quint64) {
            if (changed || done < (4u << 20))
                return;
            changed = true;
            QFile file(path);
            if (change == "append") {
                QVERIFY(file.open(QIODevice::Append));
                file.write("appended");
                expected = plain + "appended";
            } else if (change == "rewrite") {
                QVERIFY(file.open(QIODevice::ReadWrite));
                file.seek(10 << 20);
                file.write("XXXX");
                expected = plain;
                expected.replace(10 << 20, 4, "XXXX");
            } else if (change == "cut") {
                QVERIFY(file.resize(1000));
                expected = plain.left(1000);
            } else {
                expected = "a new version";
                QVERIFY(TestFiles::write(dir.filePath("new"), expected));
                QVERIFY(::rename(QFile::encodeName(dir.filePath("new")).constData(),
                                 QFile::encodeName(path).constData()) == 0);
            }
        };
        const FileWorkOutcome outcome = FileCipher::encryptFile(path, Key, hook);
        QVERIFY(changed);
        QCOMPARE(outcome.failure, FileFailure::ChangedWhileEncrypted);
        QCOMPARE(entriesOf(dir.path()), QStringList{"big.bin"});
        QVERIFY(TestFiles::read(path) == expected);
    }

    // Progress counts up to the file's length through both layers.
    void progressIsMonotonic()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("p.bin");
        const QByteArray plain = TestFiles::randomBytes((5 << 20) + 17, 5);
        QVERIFY(TestFiles::write(path, plain));
        quint64 last = 0;
        bool monotonic = true;
        quint64 lastTotal = 0;
        const ByteProgress progress = [&](quint64 done, quint64 total) {
            monotonic = monotonic && done >= last && done <= total;
            last = done;
            lastTotal = total;
        };
        QVERIFY(FileCipher::encryptFile(path, Key, progress).ok);
        QVERIFY(monotonic);
        QCOMPARE(last, quint64(plain.size()));
        QCOMPARE(lastTotal, quint64(plain.size()));
    }

    // The decrypt backup is a second name of the encrypted file: it does not
    // make the decrypt refuse the file, it survives the decrypt, skips the
    // user's own files of the backup names and goes again without trace.
    void decryptBackup()
    {
        QTemporaryDir dir;
        const QByteArray plain("backed up bytes");
        const QString path = dir.filePath("r.doc.enc");
        QVERIFY(TestFiles::write(path, encrypted(plain)));
        QVERIFY(TestFiles::write(dir.filePath("bakr.doc.enc"), "the user's own bak file"));
        QVERIFY(QFile::link(dir.filePath("elsewhere"), dir.filePath("bak1r.doc.enc")));

        const QString backup = FileCipher::makeDecryptBackup(path);
        QCOMPARE(backup, dir.filePath("bak2r.doc.enc"));
        QCOMPARE(TestFiles::read(backup), encrypted(plain));
        QVERIFY(FileCipher::restoreDecryptBackup(backup, path));
        QVERIFY(FileCipher::decryptFile(path, Key).ok);
        QCOMPARE(TestFiles::read(dir.filePath("r.doc")), plain);
        QCOMPARE(TestFiles::read(backup), encrypted(plain));

        QVERIFY(FileCipher::restoreDecryptBackup(backup, path));
        QCOMPARE(TestFiles::read(path), encrypted(plain));
        FileCipher::removeDecryptBackup(backup);
        FileCipher::removeDecryptBackup(dir.filePath("bakr.doc.enc")); // not ours: stays
        QCOMPARE(entriesOf(dir.path()),
                 (QStringList{"bak1r.doc.enc", "bakr.doc.enc", "r.doc", "r.doc.enc"}));
        QCOMPARE(TestFiles::read(dir.filePath("bakr.doc.enc")),
                 QByteArray("the user's own bak file"));
    }

    // A second process that wants the file, or the name the run produces,
    // while this process works on it is refused; both versions survive.
    void secondProcessIsRefused_data()
    {
        QTest::addColumn<bool>("decryptingHere");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("target");
        QTest::newRow("encrypt, then encrypt of the same file") << false << "encrypt"
                                                                << "a.txt";
        QTest::newRow("encrypt, then decrypt of the result") << false << "decrypt"
                                                             << "a.txt.enc";
        QTest::newRow("decrypt, then encrypt of the result") << true << "encrypt"
                                                             << "a.txt";
        QTest::newRow("decrypt, then decrypt of the same file") << true << "decrypt"
                                                                << "a.txt.enc";
    }

    void secondProcessIsRefused()
    {
        QFETCH(bool, decryptingHere);
        QFETCH(QString, command);
        QFETCH(QString, target);
        if (!QFile::exists(QFile::decodeName(cliPath())))
            QSKIP("velmora2-cli is not built");
        QTemporaryDir dir;
        const QByteArray plain = TestFiles::randomBytes(6 << 20, 11);
        const QByteArray other("the other version");
        // Both names exist: the run's input and an older file of its result's name.
        QVERIFY(TestFiles::write(dir.filePath("a.txt"), decryptingHere ? other : plain));
        QVERIFY(TestFiles::write(dir.filePath("a.txt.enc"),
                                 decryptingHere ? encrypted(plain) : encrypted(other)));
        int code = -2;
        QString message;
        bool asked = false;
        const ByteProgress hook = [&](quint64 done, quint64) {
            if (asked || done == 0)
                return;
            asked = true;
            QProcess cli;
            cli.start(QFile::decodeName(cliPath()), {command, "--key-stdin", dir.filePath(target)});
            cli.write(Key.toUtf8() + "\n");
            cli.closeWriteChannel();
            QVERIFY(cli.waitForFinished(30000));
            code = cli.exitCode();
            message = QString::fromUtf8(cli.readAllStandardError());
        };
        const QString input = dir.filePath(decryptingHere ? "a.txt.enc" : "a.txt");
        const FileWorkOutcome outcome = decryptingHere ? FileCipher::decryptFile(input, Key, hook)
                                                       : FileCipher::encryptFile(input, Key, hook);
        QVERIFY(asked);
        QVERIFY2(code != 0, qPrintable(message));
        QVERIFY2(message.contains("is in use by another run"), qPrintable(message));
        QVERIFY(outcome.ok);
        const QString result = dir.filePath(decryptingHere ? "a.txt" : "a.txt.enc");
        QCOMPARE(entriesOf(dir.path()), QStringList{QFileInfo(result).fileName()});
        QCOMPARE(TestFiles::read(result), decryptingHere ? plain : encrypted(plain));
    }

    // Two command-line runs on one file at once: whatever the timing, the
    // plain bytes come back through the results.
    void twoProcessesAtOnce()
    {
        if (!QFile::exists(QFile::decodeName(cliPath())))
            QSKIP("velmora2-cli is not built");
        QTemporaryDir dir;
        const QByteArray plain = TestFiles::randomBytes(8 << 20, 13);
        QVERIFY(TestFiles::write(dir.filePath("a.txt"), plain));
        QProcess first;
        QProcess second;
        for (QProcess *cli : {&first, &second}) {
            cli->start(QFile::decodeName(cliPath()),
                       {"encrypt", "--key-stdin", dir.filePath("a.txt")});
            cli->write(Key.toUtf8() + "\n");
            cli->closeWriteChannel();
        }
        QVERIFY(first.waitForFinished(60000));
        QVERIFY(second.waitForFinished(60000));
        QVERIFY(first.exitCode() == 0 || second.exitCode() == 0);
        QCOMPARE(entriesOf(dir.path()), QStringList{"a.txt.enc"});
        // Exactly one of them encrypted: the other found the file in use or gone.
        QVERIFY(first.exitCode() != 0 || second.exitCode() != 0);
        QVERIFY(FileCipher::decryptFile(dir.filePath("a.txt.enc"), Key).ok);
        QCOMPARE(TestFiles::read(dir.filePath("a.txt")), plain);
    }

    // A full disk: the original stays as it was and nothing is left behind.
    void fullDisk()
    {
        SmallFileSystem small("4m");
        if (!small.isMounted())
            QSKIP(qPrintable(small.reason()));
        const QString path = small.path() + QStringLiteral("/a.txt");
        const QByteArray plain = TestFiles::randomBytes(3 << 20, 17);
        QVERIFY(TestFiles::write(path, plain));
        const FileWorkOutcome outcome = FileCipher::encryptFile(path, Key);
        const QStringList left = entriesOf(small.path());
        const QByteArray after = TestFiles::read(path);
        QCOMPARE(outcome.failure, FileFailure::WriteFailed);
        QVERIFY2(outcome.reason.contains("No space left"), qPrintable(outcome.reason));
        QCOMPARE(left, QStringList{"a.txt"});
        QVERIFY(after == plain);
    }

    // The German words exist for every failure.
    void germanTexts()
    {
        for (int kind = int(FileFailure::NotFound); kind <= int(FileFailure::CryptoFailed);
             ++kind) {
            const auto failure = FileFailure(kind);
            QVERIFY(!FileRefusalTexts::text(failure, Language::German).isEmpty());
            QVERIFY(FileRefusalTexts::text(failure, Language::German) !=
                    FileRefusalTexts::text(failure, Language::English));
        }
        QCOMPARE(FileRefusalTexts::text(FileFailure::InUse, Language::German),
                 QStringLiteral("wird gerade von einem anderen Lauf verwendet"));
    }
};

QTEST_GUILESS_MAIN(TestFileCipherSafety)
#include "TestFileCipherSafety.moc"
