#include "RecordingObserver.h"
#include "ScriptedPrompter.h"
#include "TestFiles.h"
#include "cipher/Rc4.h"
#include "cipher/Sha1.h"
#include "cipher/Sha256.h"
#include "filecipher/LayerChain.h"
#include "jobs/EncryptJob.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

Q_DECLARE_METATYPE(AfterFailure)
Q_DECLARE_METATYPE(UnfitResult)
Q_DECLARE_METATYPE(MessageAnswer)
Q_DECLARE_METATYPE(Language)
Q_DECLARE_METATYPE(FileFormat)

namespace {

// The box after a failed file names the kind of failure.
const QString NameTakenText =
    QStringLiteral("Name taken! The name of the result belongs to another file or a folder!");
const QString NotEncryptedNameText =
    QStringLiteral("File refused! Only files whose name ends in \".enc\" are decrypted!");

// Both layers in memory through the stream operations: the reference the
// file work must agree with.
QByteArray twoLayers(const QString &key, const QByteArray &data, bool sha1First)
{
    QByteArray bytes = data;
    for (const bool useSha1 : {sha1First, !sha1First}) {
        Rc4 cipher;
        if (useSha1)
            cipher.InitStr(key, hashClass<Sha1>);
        else
            cipher.InitStr(key, hashClass<Sha256>);
        QBuffer in(&bytes);
        in.open(QIODevice::ReadOnly);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        cipher.EncryptStream(in, out, static_cast<quint64>(bytes.size()));
        bytes = out.data();
    }
    return bytes;
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

const QString DefaultKey = QStringLiteral("key text");

// One job over paths in a folder, as the window starts it.
struct JobRun
{
    QString key = DefaultKey;
    EncryptJobOptions options;
    RecordingObserver observer;
    ScriptedPrompter prompter;
    EncryptJobSummary summary;

    EncryptJobSummary run(CipherDirection direction, const QStringList &paths)
    {
        options.direction = direction;
        EncryptJob job(key, paths, options, observer, prompter);
        summary = job.run();
        return summary;
    }
    EncryptJobSummary encrypt(const QStringList &paths)
    {
        return run(CipherDirection::Encrypt, paths);
    }
    EncryptJobSummary decrypt(const QStringList &paths)
    {
        options.markedEncrypted = true;
        return run(CipherDirection::Decrypt, paths);
    }
};

// A low work factor keeps the strong format's key derivation quick; a
// decrypt reads the factor from the file.
constexpr int QuickWorkFactor = 10;
const QByteArray AgeHeader("age-encryption.org/v1\n");

// Only the first half of a key text reaches the compatible format's hash, so
// the wrong key differs at its start.
const QString RightKey = QStringLiteral("Kx9-right-key-of-the-sender");
const QString WrongKey = QStringLiteral("Zq2-right-key-of-the-sender");

QStringList pathsIn(const QTemporaryDir &dir, const QStringList &names)
{
    QStringList paths;
    for (const QString &name : names)
        paths.append(dir.filePath(name));
    return paths;
}

} // namespace

class TestEncryptJob : public QObject
{
    Q_OBJECT

private slots:
    // The fixture was written by an independent generator (Python's hashlib
    // and a ten-line RC4); our files must match it byte for byte.
    void independentFixture()
    {
        QTemporaryDir dir;
        const QByteArray plain = TestFiles::read(TestFiles::fixture("cipher/fixture.bin"));
        const QByteArray encrypted = TestFiles::read(TestFiles::fixture("cipher/fixture.bin.enc"));
        QVERIFY(!plain.isEmpty());
        QVERIFY(TestFiles::write(dir.filePath("fixture.bin"), plain));
        JobRun job;
        job.key = QString::fromUtf8(TestFiles::read(TestFiles::fixture("cipher/fixture.key")));

        QCOMPARE(job.encrypt({dir.filePath("fixture.bin")}).done, 1);
        QCOMPARE(filesIn(dir.path()), QStringList{"fixture.bin.enc"});
        QCOMPARE(TestFiles::read(dir.filePath("fixture.bin.enc")), encrypted);
        QCOMPARE(job.observer.reports.last().result, dir.filePath("fixture.bin.enc"));

        QCOMPARE(job.decrypt({dir.filePath("fixture.bin.enc")}).done, 1);
        QCOMPARE(filesIn(dir.path()), QStringList{"fixture.bin"});
        QCOMPARE(TestFiles::read(dir.filePath("fixture.bin")), plain);
        QCOMPARE(job.observer.reports.last().result, dir.filePath("fixture.bin"));
        QVERIFY(job.prompter.messages.isEmpty());
    }

    // Sizes around the chunk and block borders, both ways.
    void roundTrip_data()
    {
        QTest::addColumn<int>("size");
        for (const int size : {0, 1, 8192, 8193, (1 << 20) + 1, 3 * (1 << 20) + 5})
            QTest::newRow(qPrintable(QString::number(size))) << size;
    }

    void roundTrip()
    {
        QFETCH(int, size);
        QTemporaryDir dir;
        const QByteArray plain = TestFiles::randomBytes(size, static_cast<quint32>(size) + 1);
        QVERIFY(TestFiles::write(dir.filePath("a.dat"), plain));
        JobRun job;

        const EncryptJobSummary encrypted = job.encrypt({dir.filePath("a.dat")});
        QVERIFY(encrypted.started);
        QCOMPARE(encrypted.done, 1);
        QVERIFY(!encrypted.stoppedEarly);
        QCOMPARE(filesIn(dir.path()), QStringList{"a.dat.enc"});
        QCOMPARE(TestFiles::read(dir.filePath("a.dat.enc")), twoLayers(job.key, plain, false));
        QCOMPARE(job.observer.started, QList<int>{0});
        QCOMPARE(job.observer.startedPaths, QStringList{dir.filePath("a.dat")});
        QCOMPARE(job.observer.outcomes(), QList<FileOutcome>{FileOutcome::Done});
        QCOMPARE(job.observer.reports.first().path, dir.filePath("a.dat"));
        QCOMPARE(job.observer.reports.first().result, dir.filePath("a.dat.enc"));
        QCOMPARE(job.observer.lastDone, quint64(size));

        QCOMPARE(job.decrypt({dir.filePath("a.dat.enc")}).done, 1);
        QCOMPARE(filesIn(dir.path()), QStringList{"a.dat"});
        QCOMPARE(TestFiles::read(dir.filePath("a.dat")), plain);
        QVERIFY(job.prompter.messages.isEmpty());
    }

    // Only the end of the file name changes.
    void names_data()
    {
        QTest::addColumn<QString>("subfolder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("encryptedName");
        QTest::newRow(".enc inside the name") << ""
                                              << "x.encoded.txt"
                                              << "x.encoded.txt.enc";
        QTest::newRow(".ec inside the name") << ""
                                             << "y.ec.doc"
                                             << "y.ec.doc.enc";
        QTest::newRow("folder named .enc") << "store.enc"
                                           << "z.txt"
                                           << "z.txt.enc";
        QTest::newRow("no extension") << ""
                                      << "README"
                                      << "README.enc";
    }

    void names()
    {
        QFETCH(QString, subfolder);
        QFETCH(QString, name);
        QFETCH(QString, encryptedName);
        QTemporaryDir dir;
        const QString folder = subfolder.isEmpty() ? dir.path() : dir.filePath(subfolder);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(TestFiles::write(folder + "/" + name, "content"));
        JobRun job;
        job.encrypt({folder + "/" + name});
        QCOMPARE(filesIn(folder), QStringList{encryptedName});
        QCOMPARE(job.observer.reports.last().result, folder + "/" + encryptedName);
        job.decrypt({folder + "/" + encryptedName});
        QCOMPARE(filesIn(folder), QStringList{name});
        QCOMPARE(TestFiles::read(folder + "/" + name), QByteArray("content"));
        QVERIFY(QFileInfo(folder).isDir());
    }

    void upperCaseSuffixAndExistingOutput()
    {
        QTemporaryDir dir;
        JobRun job;
        const QByteArray plain("secret bytes");
        QVERIFY(TestFiles::write(dir.filePath("B.TXT.ENC"), twoLayers(job.key, plain, false)));
        QVERIFY(TestFiles::write(dir.filePath("B.TXT"), "an older file of the output's name"));
        QCOMPARE(job.decrypt({dir.filePath("B.TXT.ENC")}).done, 1);
        QCOMPARE(filesIn(dir.path()), QStringList{"B.TXT"});
        QCOMPARE(TestFiles::read(dir.filePath("B.TXT")), plain);

        QVERIFY(TestFiles::write(dir.filePath("B.TXT.enc"), "an older encrypted file"));
        QCOMPARE(job.encrypt({dir.filePath("B.TXT")}).done, 1);
        QCOMPARE(TestFiles::read(dir.filePath("B.TXT.enc")), twoLayers(job.key, plain, false));
    }

    // A private file stays private when encrypted or decrypted.
    void resultKeepsThePermissions()
    {
        QTemporaryDir dir;
        const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        const QFileDevice::Permissions groupAndOthers =
            QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther |
            QFileDevice::WriteOther;
        QVERIFY(TestFiles::write(dir.filePath("p.txt"), "private"));
        QVERIFY(QFile::setPermissions(dir.filePath("p.txt"), ownerOnly));
        JobRun job;
        QCOMPARE(job.encrypt({dir.filePath("p.txt")}).done, 1);
        QCOMPARE(QFile::permissions(dir.filePath("p.txt.enc")) & groupAndOthers,
                 QFileDevice::Permissions());
        QCOMPARE(job.decrypt({dir.filePath("p.txt.enc")}).done, 1);
        QCOMPARE(QFile::permissions(dir.filePath("p.txt")) & groupAndOthers,
                 QFileDevice::Permissions());
    }

    // A file whose layers fail: its error box names the file, then the
    // access box and the run's own message; the original stays, nothing half
    // written is left behind, the entry keeps its name.
    void encryptFailures_data()
    {
        QTest::addColumn<QString>("blockedName"); // a folder where the layer writes
        QTest::addColumn<QString>("layerInput");
        QTest::newRow("output cannot be created") << "a.txt.enc"
                                                  << "a.txt";
    }

    void encryptFailures()
    {
        QFETCH(QString, blockedName);
        QFETCH(QString, layerInput);
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(dir.filePath("a.txt"), "plain"));
        QVERIFY(TestFiles::write(dir.filePath("b.txt"), "second"));
        QVERIFY(QDir(dir.path()).mkdir(blockedName));
        JobRun job;
        const EncryptJobSummary summary = job.encrypt(pathsIn(dir, {"a.txt", "b.txt"}));

        QCOMPARE(job.prompter.messages,
                 (QList<Message>{
                     Message::dialog(MessageIcon::Error,
                                     "Error encrypting file: " + dir.filePath(layerInput)),
                     Message::box("Encrypt", NameTakenText, MessageIcon::Warning),
                     Message::box("Encrypt", "Error encrypting file!", MessageIcon::Error)}));
        QCOMPARE(TestFiles::read(dir.filePath("a.txt")), QByteArray("plain"));
        QCOMPARE(filesIn(dir.path()), (QStringList{"a.txt", blockedName, "b.txt.enc"}));
        QCOMPARE(job.observer.outcomes(),
                 (QList<FileOutcome>{FileOutcome::Failed, FileOutcome::Done}));
        QCOMPARE(job.observer.reports.first().result, dir.filePath("a.txt"));
        QVERIFY(!job.observer.reports.first().reason.isEmpty());
        QCOMPARE(summary.done, 1);
        QCOMPARE(summary.failed, 1);
        QVERIFY(!summary.stoppedEarly);
    }

    void readOnlyFolder()
    {
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(dir.filePath("a.txt"), "plain"));
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const bool writable = TestFiles::write(dir.filePath("probe"), "x");
        if (writable) {
            QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner);
            QSKIP("this user writes into read-only folders (root)");
        }
        JobRun job;
        QCOMPARE(job.encrypt({dir.filePath("a.txt")}).failed, 1);
        QCOMPARE(job.prompter.texts().first(), "Error encrypting file: " + dir.filePath("a.txt"));
        QCOMPARE(filesIn(dir.path()), QStringList{"a.txt"});
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
    }

    // Decrypting: a refused name, a failing layer; No goes on, Yes ends the
    // run with the backup copy put back and kept.
    void decryptFailures_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("blockedName");
        QTest::addColumn<QString>("layerInput");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("heading");
        QTest::newRow("name without .enc, go on") << "a.txt"
                                                  << ""
                                                  << "a.txt" << false << NotEncryptedNameText;
        QTest::newRow("name is only .enc, cancel") << ".enc"
                                                   << ""
                                                   << ".enc" << true << NotEncryptedNameText;
        QTest::newRow("output cannot be created, go on") << "a.txt.enc"
                                                         << "a.txt"
                                                         << "a.txt.enc" << false << NameTakenText;
        QTest::newRow("output cannot be created, cancel") << "a.txt.enc"
                                                          << "a.txt"
                                                          << "a.txt.enc" << true << NameTakenText;
    }

    void decryptFailures()
    {
        QFETCH(QString, entry);
        QFETCH(QString, blockedName);
        QFETCH(QString, layerInput);
        QFETCH(bool, cancel);
        QFETCH(QString, heading);
        QTemporaryDir dir;
        const QByteArray content("encrypted bytes");
        QVERIFY(TestFiles::write(dir.filePath(entry), content));
        QVERIFY(TestFiles::write(dir.filePath("c.enc"), twoLayers("key text", "third", false)));
        if (!blockedName.isEmpty())
            QVERIFY(QDir(dir.path()).mkdir(blockedName));
        JobRun job;
        job.prompter.queueAnswers({MessageAnswer::Ok, MessageAnswer::Ok,
                                   cancel ? MessageAnswer::Yes : MessageAnswer::No});
        const EncryptJobSummary summary = job.decrypt(pathsIn(dir, {entry, "c.enc"}));

        QCOMPARE(job.prompter.messages,
                 (QList<Message>{Message::dialog(MessageIcon::Error, "Error decrypting file: " +
                                                                         dir.filePath(layerInput)),
                                 Message::box("Decrypt", heading, MessageIcon::Warning),
                                 Message::box("Decrypt", "Error decrypting file! Cancel operation?",
                                              MessageIcon::Error, MessageButtons::YesNo)}));
        QCOMPARE(TestFiles::read(dir.filePath(entry)), content);
        QStringList expected{entry};
        if (!blockedName.isEmpty())
            expected.append(blockedName);
        if (cancel) {
            expected << "bak" + entry << "c.enc";
            QCOMPARE(job.observer.outcomes(),
                     (QList<FileOutcome>{FileOutcome::Failed, FileOutcome::Cancelled}));
            QCOMPARE(summary.done, 0);
            QVERIFY(summary.stoppedEarly);
            QVERIFY(summary.stoppedAfterFailure);
        } else {
            expected << "c";
            QCOMPARE(job.observer.outcomes(),
                     (QList<FileOutcome>{FileOutcome::Failed, FileOutcome::Done}));
            QCOMPARE(summary.done, 1);
            QVERIFY(!summary.stoppedEarly);
        }
        expected.sort();
        QCOMPARE(filesIn(dir.path()), expected);
        QCOMPARE(job.observer.reports.first().result, dir.filePath(entry));
    }

    // Without questions (the command line): a failed file is reported and
    // the next one goes on; no backup copy is taken.
    void goingOnAfterFailures()
    {
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(dir.filePath("plain.txt"), "not encrypted"));
        QVERIFY(TestFiles::write(dir.filePath("good.enc"), twoLayers("key text", "good", false)));
        JobRun job;
        job.options.afterFailure = AfterFailure::GoOn;
        const EncryptJobSummary summary =
            job.decrypt(pathsIn(dir, {"plain.txt", "missing.enc", "good.enc"}));
        QCOMPARE(job.prompter.texts(),
                 (QStringList{"Error decrypting file: " + dir.filePath("plain.txt"),
                              NotEncryptedNameText}));
        QCOMPARE(
            job.observer.outcomes(),
            (QList<FileOutcome>{FileOutcome::Failed, FileOutcome::Skipped, FileOutcome::Done}));
        QVERIFY(job.observer.reports[0].reason.contains("does not end in \".enc\""));
        QCOMPARE(job.observer.reports[1].reason, QStringLiteral("no such file"));
        QCOMPARE(summary.done, 1);
        QCOMPARE(summary.failed, 1);
        QCOMPARE(filesIn(dir.path()), (QStringList{"good", "plain.txt"}));
        QCOMPARE(TestFiles::read(dir.filePath("good")), QByteArray("good"));
    }

    void everyFileIsReportedInOrder_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("2") << 2;
        QTest::newRow("8") << 8;
    }

    void everyFileIsReportedInOrder()
    {
        QFETCH(int, count);
        QTemporaryDir dir;
        QStringList names;
        QList<int> indices;
        for (int k = 0; k < count; ++k) {
            names.append(QString::number(k));
            indices.append(k);
            QVERIFY(TestFiles::write(dir.filePath(names.last()), "x"));
        }
        JobRun job;
        QCOMPARE(job.encrypt(pathsIn(dir, names)).done, count);
        QCOMPARE(job.observer.started, indices);
        QCOMPARE(job.observer.reports.size(), count);
        for (int k = 0; k < count; ++k)
            QCOMPARE(job.observer.reports[k].index, k);
    }

    void vanishedFilesAreSkippedSilently()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("a folder"));
        JobRun job;
        job.options.language = Language::German;
        const EncryptJobSummary summary =
            job.encrypt(pathsIn(dir, {"gone.txt", "also gone.txt", "a folder"}));
        QVERIFY(summary.started);
        QCOMPARE(summary.done, 0);
        QCOMPARE(summary.failed, 0);
        QCOMPARE(
            job.observer.outcomes(),
            (QList<FileOutcome>{FileOutcome::Skipped, FileOutcome::Skipped, FileOutcome::Skipped}));
        QCOMPARE(job.observer.reports[2].reason, QStringLiteral("is a folder"));
        QVERIFY(job.prompter.messages.isEmpty());
        QVERIFY(job.observer.started.isEmpty());
    }

    // No to the question before a run changes nothing.
    void answeringNoChangesNothing_data()
    {
        QTest::addColumn<bool>("decrypting");
        QTest::addColumn<Language>("language");
        QTest::addColumn<Message>("question");
        QTest::newRow("encrypt, English")
            << false << Language::English
            << Message::box("Encrypt", "File(s) possibly already encrypted. Continue anyway?",
                            MessageIcon::Warning, MessageButtons::YesNo);
        QTest::newRow("decrypt, German")
            << true << Language::German
            << Message::box("Decrypt", "Sind Sie sicher, dass diese Daten verschlüsselt sind?",
                            MessageIcon::Warning, MessageButtons::YesNo);
    }

    void answeringNoChangesNothing()
    {
        QFETCH(bool, decrypting);
        QFETCH(Language, language);
        QFETCH(Message, question);
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(dir.filePath("a.enc"), "bytes"));
        JobRun job;
        job.options.markedEncrypted = !decrypting;
        job.options.language = language;
        job.prompter.queueAnswers({MessageAnswer::No});
        const EncryptJobSummary summary =
            job.run(decrypting ? CipherDirection::Decrypt : CipherDirection::Encrypt,
                    {dir.filePath("a.enc")});
        QCOMPARE(job.prompter.messages, QList<Message>{question});
        QVERIFY(!summary.started);
        QVERIFY(job.observer.reports.isEmpty());
        QCOMPARE(filesIn(dir.path()), QStringList{"a.enc"});
    }

    // cancel() lets the file in work finish and stops before the next one,
    // from the job's own thread or another.
    void cancelStopsAtTheNextFile_data()
    {
        QTest::addColumn<bool>("fromAnotherThread");
        QTest::newRow("same thread") << false;
        QTest::newRow("another thread") << true;
    }

    void cancelStopsAtTheNextFile()
    {
        QFETCH(bool, fromAnotherThread);
        QTemporaryDir dir;
        const QByteArray plain = TestFiles::randomBytes(1 << 20, 5);
        for (const char *name : {"a", "b", "c"})
            QVERIFY(TestFiles::write(dir.filePath(name), plain));
        JobRun job;
        job.options.direction = CipherDirection::Encrypt;
        EncryptJob encryptJob(job.key, pathsIn(dir, {"a", "b", "c"}), job.options, job.observer,
                              job.prompter);
        job.observer.onFileDone = [&](const FileReport &) {
            if (fromAnotherThread)
                std::thread([&] { encryptJob.cancel(); }).join();
            else
                encryptJob.cancel();
        };
        const EncryptJobSummary summary = encryptJob.run();
        QVERIFY(summary.stoppedEarly);
        QVERIFY(!summary.stoppedAfterFailure);
        QCOMPARE(summary.done, 1);
        QCOMPARE(job.observer.outcomes(),
                 (QList<FileOutcome>{FileOutcome::Done, FileOutcome::Cancelled,
                                     FileOutcome::Cancelled}));
        QCOMPARE(filesIn(dir.path()), (QStringList{"a.enc", "b", "c"}));
        QCOMPARE(TestFiles::read(dir.filePath("a.enc")), twoLayers(job.key, plain, false));
        QCOMPARE(TestFiles::read(dir.filePath("b")), plain);
    }

    // The strong format: written when asked for, read whatever the option.
    void strongFormatRoundTrip()
    {
        QTemporaryDir dir;
        const QByteArray plain = TestFiles::randomBytes(200000, 21);
        QVERIFY(TestFiles::write(dir.filePath("a.bin"), plain));
        JobRun job;
        job.options.format = FileFormat::Age;
        job.options.ageWorkFactor = QuickWorkFactor;

        QCOMPARE(job.encrypt({dir.filePath("a.bin")}).done, 1);
        QCOMPARE(filesIn(dir.path()), QStringList{"a.bin.enc"});
        QVERIFY(TestFiles::read(dir.filePath("a.bin.enc")).startsWith(AgeHeader));
        QCOMPARE(job.observer.reports.last().result, dir.filePath("a.bin.enc"));

        job.options.format = FileFormat::Compatible; // decrypting follows the file
        QCOMPARE(job.decrypt({dir.filePath("a.bin.enc")}).done, 1);
        QCOMPARE(filesIn(dir.path()), QStringList{"a.bin"});
        QCOMPARE(TestFiles::read(dir.filePath("a.bin")), plain);
        QVERIFY(job.prompter.messages.isEmpty());
    }

    // A wrong key on a strong-format file: the file stays as it was, no
    // result, and the words in the run's language through the usual
    // messages (the window) or the report (the command line).
    void strongFormatWrongKey_data()
    {
        QTest::addColumn<AfterFailure>("afterFailure");
        QTest::addColumn<Language>("language");
        QTest::addColumn<QString>("words");
        QTest::newRow("window, English")
            << AfterFailure::Ask << Language::English << "wrong key or damaged file";
        QTest::newRow("window, German")
            << AfterFailure::Ask << Language::German << "falscher Schlüssel oder beschädigte Datei";
        QTest::newRow("command line")
            << AfterFailure::GoOn << Language::English << "wrong key or damaged file";
    }

    void strongFormatWrongKey()
    {
        QFETCH(AfterFailure, afterFailure);
        QFETCH(Language, language);
        QFETCH(QString, words);
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(dir.filePath("a.pdf"), TestFiles::pdfContent()));
        JobRun sender;
        sender.key = RightKey;
        sender.options.format = FileFormat::Age;
        sender.options.ageWorkFactor = QuickWorkFactor;
        QCOMPARE(sender.encrypt({dir.filePath("a.pdf")}).done, 1);
        const QByteArray encrypted = TestFiles::read(dir.filePath("a.pdf.enc"));

        JobRun job;
        job.key = WrongKey;
        job.options.afterFailure = afterFailure;
        job.options.language = language;
        job.prompter.queueAnswers({MessageAnswer::Ok, MessageAnswer::Ok, MessageAnswer::No});
        const EncryptJobSummary summary = job.decrypt({dir.filePath("a.pdf.enc")});

        QCOMPARE(summary.failed, 1);
        QCOMPARE(job.observer.outcomes(), QList<FileOutcome>{FileOutcome::Failed});
        QVERIFY2(job.observer.reports.first().reason.startsWith("wrong key or damaged file"),
                 qPrintable(job.observer.reports.first().reason));
        QCOMPARE(filesIn(dir.path()), QStringList{"a.pdf.enc"});
        QCOMPARE(TestFiles::read(dir.filePath("a.pdf.enc")), encrypted);
        if (afterFailure == AfterFailure::Ask) {
            QCOMPARE(job.prompter.messages.size(), 3);
            QCOMPARE(job.prompter.messages.at(1),
                     Message::box("Decrypt", words, MessageIcon::Warning));
        }
    }

    // Quitting stops inside a large strong-format file; the file stays.
    void cancelStopsInsideAStrongFormatFile()
    {
        QTemporaryDir dir;
        const QByteArray plain = TestFiles::randomBytes(16 << 20, 9);
        for (const char *name : {"big", "next"})
            QVERIFY(TestFiles::write(dir.filePath(name), plain));
        JobRun job;
        job.options.direction = CipherDirection::Encrypt;
        job.options.format = FileFormat::Age;
        job.options.ageWorkFactor = QuickWorkFactor;
        EncryptJob encryptJob(job.key, pathsIn(dir, {"big", "next"}), job.options, job.observer,
                              job.prompter);
        quint64 doneWhenCancelled = 0;
        job.observer.onBytesDone = [&](quint64 done) {
            if (done > 0 && doneWhenCancelled == 0) {
                doneWhenCancelled = done;
                encryptJob.cancel();
            }
        };
        const EncryptJobSummary summary = encryptJob.run();

        QVERIFY(doneWhenCancelled < quint64(plain.size()));
        QVERIFY(job.observer.lastDone < quint64(plain.size()));
        QVERIFY(summary.stoppedEarly);
        QVERIFY(!summary.stoppedAfterFailure);
        QCOMPARE(summary.done, 0);
        QCOMPARE(job.observer.outcomes(),
                 (QList<FileOutcome>{FileOutcome::Cancelled, FileOutcome::Cancelled}));
        QCOMPARE(filesIn(dir.path()), (QStringList{"big", "next"}));
        QCOMPARE(TestFiles::read(dir.filePath("big")), plain);
        QVERIFY(job.prompter.messages.isEmpty());
    }

    // A stop signal of the command line stops inside the file in work in
    // either format: it stays as it was, no result and no part file remain,
    // and the files after it are not started.
    void stopNowAbandonsTheFileInWork_data()
    {
        QTest::addColumn<FileFormat>("format");
        QTest::addColumn<bool>("decrypting");
        QTest::newRow("compatible, encrypt") << FileFormat::Compatible << false;
        QTest::newRow("compatible, decrypt") << FileFormat::Compatible << true;
        QTest::newRow("strong, encrypt") << FileFormat::Age << false;
        QTest::newRow("strong, decrypt") << FileFormat::Age << true;
    }

    void stopNowAbandonsTheFileInWork()
    {
        QFETCH(FileFormat, format);
        QFETCH(bool, decrypting);
        QTemporaryDir dir;
        const QByteArray plain = TestFiles::randomBytes(16 << 20, 9);
        for (const char *name : {"big", "next"})
            QVERIFY(TestFiles::write(dir.filePath(name), plain));
        QStringList names{"big", "next"};
        if (decrypting) {
            JobRun sender;
            sender.options.format = format;
            sender.options.ageWorkFactor = QuickWorkFactor;
            QCOMPARE(sender.encrypt(pathsIn(dir, names)).done, 2);
            names = QStringList{"big.enc", "next.enc"};
        }
        QMap<QString, QByteArray> before;
        for (const QString &name : names)
            before[name] = TestFiles::read(dir.filePath(name));

        JobRun job;
        job.options.direction = decrypting ? CipherDirection::Decrypt : CipherDirection::Encrypt;
        job.options.markedEncrypted = decrypting;
        job.options.afterFailure = AfterFailure::GoOn;
        job.options.format = format;
        job.options.ageWorkFactor = QuickWorkFactor;
        bool stop = false;
        job.options.stopNow = [&stop] { return stop; };
        job.observer.onBytesDone = [&](quint64 done) {
            if (done > 0)
                stop = true;
        };
        EncryptJob stopped(job.key, pathsIn(dir, names), job.options, job.observer, job.prompter);
        const EncryptJobSummary summary = stopped.run();

        QVERIFY(stop);
        QVERIFY(job.observer.lastDone < quint64(plain.size()));
        QVERIFY(summary.stoppedEarly);
        QCOMPARE(summary.done, 0);
        QCOMPARE(job.observer.outcomes(),
                 (QList<FileOutcome>{FileOutcome::Cancelled, FileOutcome::Cancelled}));
        QCOMPARE(filesIn(dir.path()), names);
        for (const QString &name : names)
            QVERIFY(TestFiles::read(dir.filePath(name)) == before.value(name));
        QVERIFY(job.prompter.messages.isEmpty());
    }

    // What a killed run left beside the files is overwritten and removed
    // before the first file of each folder, and a message says so, in the
    // run's language; a folder without leftovers gets no message.
    void leftoversOfAnEarlierRunAreRemoved_data()
    {
        QTest::addColumn<Language>("language");
        QTest::addColumn<QString>("words");
        QTest::newRow("English") << Language::English
                                 << "An earlier run that was interrupted left 1 part file(s) in "
                                    "%1. They were overwritten once and removed: %2";
        QTest::newRow("German") << Language::German
                                << "Ein früherer, unterbrochener Lauf hat 1 Teildatei(en) in %1 "
                                   "hinterlassen. Sie wurden einmal überschrieben und entfernt: %2";
    }

    void leftoversOfAnEarlierRunAreRemoved()
    {
        QFETCH(Language, language);
        QFETCH(QString, words);
        QTemporaryDir dir;
        for (const char *folder : {"first", "second", "clean"})
            QVERIFY(QDir(dir.path()).mkdir(QLatin1String(folder)));
        const QString leftover = QStringLiteral(".a.txt.k3x9q0.velmora-part");
        QVERIFY(TestFiles::write(dir.filePath("first/" + leftover), "plain text decrypted so far"));
        QVERIFY(TestFiles::write(dir.filePath("second/" + leftover), "more plain text"));
        const QStringList files{"first/a.txt", "first/b.txt", "second/c.txt", "clean/d.txt"};
        for (const QString &file : files)
            QVERIFY(TestFiles::write(dir.filePath(file), "content"));

        JobRun job;
        job.options.language = language;
        QCOMPARE(job.encrypt(pathsIn(dir, files)).done, 4);

        QCOMPARE(job.prompter.messages.size(), 2);
        for (const char *folder : {"first", "second"}) {
            const QString text =
                words.arg(QDir::toNativeSeparators(dir.filePath(folder)), leftover);
            QVERIFY2(job.prompter.messages.contains(
                         Message::box("Encrypt", text, MessageIcon::Information)),
                     qPrintable(job.prompter.texts().join('\n')));
        }
        QCOMPARE(filesIn(dir.filePath("first")), (QStringList{"a.txt.enc", "b.txt.enc"}));
        QCOMPARE(filesIn(dir.filePath("second")), QStringList{"c.txt.enc"});
        QCOMPARE(filesIn(dir.filePath("clean")), QStringList{"d.txt.enc"});
    }

    // The compatible format with a wrong key: a result that does not look
    // like its name is kept only when the user says so (the window) or
    // --force says so (the command line).
    void compatibleWrongKeyCheck_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<UnfitResult>("unfitResult");
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<bool>("kept");
        const QHash<QByteArray, QByteArray> contents = {
            {"paper.pdf", TestFiles::pdfContent()},
            {"image.png", TestFiles::pngContent()},
            {"notes.txt", "Einkaufsliste\n- Äpfel\n- Brötchen\n- Käse\n"},
            {"Tabelle.csv", "Name;Ort\r\nM\xFCller;K\xF6ln\r\nWei\xDF;M\xFCnchen\r\n"},
        };
        for (const char *name : {"paper.pdf", "image.png", "notes.txt", "Tabelle.csv"}) {
            const QByteArray content = contents.value(name);
            const auto row = [&](const char *how) -> QTestData & {
                return QTest::addRow("%s, %s", name, how) << QString::fromLatin1(name) << content;
            };
            row("window, No") << UnfitResult::Ask << MessageAnswer::No << false;
            row("window, Yes") << UnfitResult::Ask << MessageAnswer::Yes << true;
            row("command line") << UnfitResult::Refuse << MessageAnswer::Ok << false;
            row("command line, forced") << UnfitResult::Keep << MessageAnswer::Ok << true;
        }
    }

    void compatibleWrongKeyCheck()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(UnfitResult, unfitResult);
        QFETCH(MessageAnswer, answer);
        QFETCH(bool, kept);
        QTemporaryDir dir;
        const QString encryptedName = name + ".enc";
        const QByteArray encrypted = twoLayers(RightKey, content, false);
        QVERIFY(TestFiles::write(dir.filePath(encryptedName), encrypted));
        JobRun job;
        job.key = WrongKey;
        job.options.unfitResult = unfitResult;
        job.options.afterFailure =
            unfitResult == UnfitResult::Ask ? AfterFailure::Ask : AfterFailure::GoOn;
        job.prompter.queueAnswers({answer});
        const EncryptJobSummary summary = job.decrypt({dir.filePath(encryptedName)});

        const QString doesNotFit = dir.filePath(name) + ": the key does not seem to fit";
        if (unfitResult == UnfitResult::Ask) {
            QCOMPARE(
                job.prompter.messages,
                QList<Message>{Message::box("Decrypt", doesNotFit + ".\nKeep the result anyway?",
                                            MessageIcon::Warning, MessageButtons::YesNo)});
        } else if (unfitResult == UnfitResult::Keep) {
            QCOMPARE(job.prompter.messages,
                     QList<Message>{Message::box("Decrypt", doesNotFit, MessageIcon::Warning)});
        } else {
            QVERIFY(job.prompter.messages.isEmpty());
        }
        if (kept) {
            QCOMPARE(summary.done, 1);
            QCOMPARE(filesIn(dir.path()), QStringList{name});
            QCOMPARE(TestFiles::read(dir.filePath(name)), twoLayers(WrongKey, encrypted, true));
            QVERIFY(TestFiles::read(dir.filePath(name)) != content);
        } else {
            QCOMPARE(summary.failed, 1);
            QVERIFY(!summary.stoppedEarly);
            QCOMPARE(job.observer.outcomes(), QList<FileOutcome>{FileOutcome::Failed});
            QVERIFY(job.observer.reports.first().reason.contains("the key does not seem to fit"));
            QCOMPARE(filesIn(dir.path()), QStringList{encryptedName});
            QCOMPARE(TestFiles::read(dir.filePath(encryptedName)), encrypted);
        }
    }

    // The right key, or a name whose type has no signature: no question.
    void compatibleCheckStaysQuiet_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("key");
        QTest::newRow("pdf, right key") << "paper.pdf" << TestFiles::pdfContent() << RightKey;
        QTest::newRow("png, right key") << "image.png" << TestFiles::pngContent() << RightKey;
        QTest::newRow("text, right key") << "notes.txt" << QByteArray("Grüße\n") << RightKey;
        QTest::newRow("unknown type, wrong key")
            << "notes.xyz123" << TestFiles::pdfContent() << WrongKey;
    }

    void compatibleCheckStaysQuiet()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, key);
        QTemporaryDir dir;
        const QByteArray encrypted = twoLayers(RightKey, content, false);
        QVERIFY(TestFiles::write(dir.filePath(name + ".enc"), encrypted));
        JobRun job;
        job.key = key;
        QCOMPARE(job.decrypt({dir.filePath(name + ".enc")}).done, 1);
        QVERIFY(job.prompter.messages.isEmpty());
        QCOMPARE(TestFiles::read(dir.filePath(name)), twoLayers(key, encrypted, true));
    }

    // One layer of the chain alone; a read error names the layer's input.
    void singleLayer()
    {
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(dir.filePath("in"), "layer input"));
        QVERIFY(
            runLayerChain(DefaultKey, {LayerStep{dir.filePath("in"), dir.filePath("out"), true}})
                .ok);
        Rc4 cipher;
        cipher.InitStr(DefaultKey, hashClass<Sha1>);
        QByteArray expected("layer input");
        cipher.Encrypt(expected.constData(), expected.data(),
                       static_cast<quint32>(expected.size()));
        QCOMPARE(TestFiles::read(dir.filePath("out")), expected);

        if (QFile::exists("/proc/self/mem")) {
            const FileWorkOutcome outcome = runLayerChain(
                DefaultKey, {LayerStep{"/proc/self/mem", dir.filePath("mem.out"), false}});
            QVERIFY(!outcome.ok);
            QCOMPARE(outcome.failedInput, QStringLiteral("/proc/self/mem"));
            QVERIFY(!outcome.reason.isEmpty());
            QCOMPARE(filesIn(dir.path()), (QStringList{"in", "out"}));
        }
    }
};

QTEST_GUILESS_MAIN(TestEncryptJob)
#include "TestEncryptJob.moc"
