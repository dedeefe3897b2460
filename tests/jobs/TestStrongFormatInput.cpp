#include "AgeTool.h"
#include "RecordingObserver.h"
#include "ScriptedPrompter.h"
#include "TestFiles.h"
#include "TestKitVector.h"

#include "age/AgeArmor.h"
#include "filecipher/AgeFileCipher.h"
#include "filecipher/FileCipher.h"
#include "filecipher/FileRefusalTexts.h"
#include "jobs/EncryptJob.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

// Files to decrypt that are, or were, of the strong format: the public test
// kit, the standard tool's text form, damaged and cut-off files. Each one is
// opened by the strong format's reader or refused with its reason, the
// encrypted file kept as it was; none is ever turned into garbage by the
// compatible format's reader, which takes every file without a marker.
// Files of the compatible format that start a little like the strong one
// stay with their own reader.

Q_DECLARE_METATYPE(FileFailure)
Q_DECLARE_METATYPE(Language)

namespace {

constexpr int QuickWorkFactor = 10;
const QString Key = QStringLiteral("Kx9-key text of the sender");

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// A decrypt of one file, the companion's way (no questions, go on after a
// failure, a result that does not fit its name refused), or the window's.
struct Decrypt
{
    QTemporaryDir dir;
    QString key = Key;
    EncryptJobOptions options;
    RecordingObserver observer;
    ScriptedPrompter prompter;
    EncryptJobSummary summary;

    Decrypt()
    {
        options.direction = CipherDirection::Decrypt;
        options.markedEncrypted = true;
        options.afterFailure = AfterFailure::GoOn;
        options.unfitResult = UnfitResult::Refuse;
    }

    QString path(const QString &name) const { return dir.filePath(name); }

    FileReport run(const QString &name, const QByteArray &content)
    {
        if (!TestFiles::write(path(name), content))
            return {};
        EncryptJob job(key, {path(name)}, options, observer, prompter);
        summary = job.run();
        return observer.reports.value(0);
    }
};

// A small file of the strong format, made here with a quick work factor.
QByteArray strongFile(const QByteArray &plain)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("plain");
    if (!TestFiles::write(path, plain))
        return {};
    const FileWorkOutcome outcome = AgeFileCipher::encryptFile(path, Key, {}, QuickWorkFactor);
    return outcome.ok ? TestFiles::read(outcome.result) : QByteArray();
}

QByteArray sha256Hex(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

bool isStrongFormatRefusal(const QString &reason)
{
    for (const FileFailure failure :
         {FileFailure::WrongKeyOrDamaged, FileFailure::StrongFormatDamaged,
          FileFailure::StrongFormatVersion, FileFailure::NotForKeyText,
          FileFailure::WorkFactorTooHigh}) {
        if (reason.startsWith(FileRefusalTexts::text(failure, Language::English)))
            return true;
    }
    return false;
}

} // namespace

class TestStrongFormatInput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void testKitVectors_data()
    {
        QTest::addColumn<QString>("name");
        const QStringList names = TestKitVector::names();
        QVERIFY(names.size() >= 80);
        for (const QString &name : names)
            QTest::newRow(qPrintable(name)) << name;
    }

    // Each vector as "vector.enc": those that succeed with their passphrase
    // give their plaintext; every other one is refused by the strong
    // format's reader with its reason, and the file stays as it was.
    void testKitVectors()
    {
        QFETCH(QString, name);
        const TestKitVector vector = TestKitVector::read(name);
        Decrypt run;
        run.key = vector.passphrase.isEmpty() ? QStringLiteral("password")
                                              : QString::fromUtf8(vector.passphrase);
        const FileReport report = run.run("vector.enc", vector.file);

        if (vector.file.isEmpty()) {
            // An empty file is what the compatible format makes of an empty
            // one; decrypting it gives an empty file again, nothing is lost.
            QCOMPARE(report.outcome, FileOutcome::Done);
            QCOMPARE(filesIn(run.dir.path()), QStringList{"vector"});
            QVERIFY(TestFiles::read(run.path("vector")).isEmpty());
        } else if (vector.expect == "success" && !vector.passphrase.isEmpty()) {
            QCOMPARE(report.outcome, FileOutcome::Done);
            QCOMPARE(filesIn(run.dir.path()), QStringList{"vector"});
            QCOMPARE(sha256Hex(TestFiles::read(run.path("vector"))), vector.payloadHash);
        } else {
            QCOMPARE(report.outcome, FileOutcome::Failed);
            QVERIFY2(isStrongFormatRefusal(report.reason), qPrintable(report.reason));
            QCOMPARE(filesIn(run.dir.path()), QStringList{"vector.enc"});
            QCOMPARE(TestFiles::read(run.path("vector.enc")), vector.file);
        }
    }

    // Damage that a file of the strong format meets on its way: line ends
    // changed in transfer, a cut, a changed byte, another version, a text
    // form broken or of another kind.
    void damagedFilesAreRefusedAndKept_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<FileFailure>("expected");
        const QByteArray good = strongFile(TestFiles::randomBytes(1000, 4));
        const qsizetype headerEnd = good.indexOf("\n--- ") + 48;
        QByteArray crlf = good.first(headerEnd);
        crlf.replace("\n", "\r\n");
        QByteArray changedLine = good;
        changedLine[7] = 'X';
        const QByteArray armored = age::armored(good);

        QTest::newRow("header with CR LF line ends")
            << QByteArray(crlf + good.sliced(headerEnd)) << FileFailure::StrongFormatDamaged;
        QTest::newRow("a byte of the first line changed")
            << changedLine << FileFailure::StrongFormatDamaged;
        QTest::newRow("cut to 8 bytes") << good.first(8) << FileFailure::StrongFormatDamaged;
        QTest::newRow("cut to the first line")
            << good.first(21) << FileFailure::StrongFormatDamaged;
        QTest::newRow("cut inside the header")
            << good.first(60) << FileFailure::StrongFormatDamaged;
        QTest::newRow("cut inside the payload")
            << good.chopped(100) << FileFailure::WrongKeyOrDamaged;
        QTest::newRow("another version")
            << QByteArray(good).replace("org/v1\n", "org/v2\n") << FileFailure::StrongFormatVersion;
        QTest::newRow("work factor above the highest")
            << QByteArray(good).replace(" 10\n", " 23\n") << FileFailure::WorkFactorTooHigh;
        QTest::newRow("text form cut before its end line")
            << armored.first(armored.indexOf("-----END")) << FileFailure::StrongFormatDamaged;
        QTest::newRow("text form cut to its begin line")
            << armored.first(20) << FileFailure::StrongFormatDamaged;
        QTest::newRow("text form with a label in lower case")
            << QByteArray(armored).replace("AGE ENCRYPTED", "age encrypted")
            << FileFailure::StrongFormatDamaged;
        QTest::newRow("text form of another kind")
            << QByteArray("-----BEGIN PGP MESSAGE-----\n\nhQEMA+x\n-----END PGP MESSAGE-----\n")
            << FileFailure::StrongFormatDamaged;
    }

    void damagedFilesAreRefusedAndKept()
    {
        QFETCH(QByteArray, content);
        QFETCH(FileFailure, expected);
        QVERIFY(content.size() > 0);
        Decrypt run;
        const FileReport report = run.run("notes.txt.enc", content);
        QCOMPARE(report.outcome, FileOutcome::Failed);
        QVERIFY2(report.reason.startsWith(FileRefusalTexts::text(expected, Language::English)),
                 qPrintable(report.reason));
        QCOMPARE(filesIn(run.dir.path()), QStringList{"notes.txt.enc"});
        QCOMPARE(TestFiles::read(run.path("notes.txt.enc")), content);
    }

    // The window's way: the file's error, then why, in the window's language.
    void refusalsSayWhyInBothLanguages_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<Language>("language");
        QTest::addColumn<QString>("words");
        const QByteArray good = strongFile("text");
        const QByteArray tooHigh = QByteArray(good).replace(" 10\n", " 23\n");
        const QByteArray damaged = good.first(30);
        const QByteArray version = QByteArray(good).replace("org/v1\n", "org/v7\n");
        const QByteArray publicKey = TestKitVector::read("x25519").file;

        QTest::newRow("work factor, English")
            << tooHigh << Language::English << "made with a work factor too high to open here";
        QTest::newRow("work factor, German")
            << tooHigh << Language::German
            << "mit einem Arbeitsfaktor erstellt, der zu hoch ist, um sie hier zu öffnen";
        QTest::newRow("damaged, English")
            << damaged << Language::English << "damaged or incomplete file in the strong format";
        QTest::newRow("damaged, German") << damaged << Language::German
                                         << "beschädigte oder unvollständige Datei im starken "
                                            "Format";
        QTest::newRow("version, English")
            << version << Language::English
            << "made with a version of the strong format that cannot be opened here";
        QTest::newRow("version, German") << version << Language::German
                                         << "mit einer Version des starken Formats erstellt, die "
                                            "hier nicht geöffnet werden kann";
        QTest::newRow("public key, English")
            << publicKey << Language::English
            << "encrypted for a public key, not with a key text; it cannot be opened here";
        QTest::newRow("public key, German")
            << publicKey << Language::German
            << "für einen öffentlichen Schlüssel verschlüsselt, nicht mit einem Schlüsseltext; "
               "sie kann hier nicht geöffnet werden";
    }

    void refusalsSayWhyInBothLanguages()
    {
        QFETCH(QByteArray, content);
        QFETCH(Language, language);
        QFETCH(QString, words);
        Decrypt run;
        run.options.afterFailure = AfterFailure::Ask;
        run.options.language = language;
        run.prompter.queueAnswers({MessageAnswer::Ok, MessageAnswer::Ok, MessageAnswer::No});
        const FileReport report = run.run("letter.enc", content);
        QCOMPARE(report.outcome, FileOutcome::Failed);
        QCOMPARE(run.prompter.messages.size(), 3);
        QCOMPARE(run.prompter.messages.at(1), Message::box("Decrypt", words, MessageIcon::Warning));
        QCOMPARE(filesIn(run.dir.path()), QStringList{"letter.enc"});
        QCOMPARE(TestFiles::read(run.path("letter.enc")), content);
    }

    // Encrypted files of the compatible format are RC4 output. One that
    // happens to start with a few bytes of the strong format's first line,
    // or with dashes, is still decrypted as what it is: encrypting the
    // result again with the same key gives the file back.
    void compatibleFilesStayCompatible_data()
    {
        QTest::addColumn<QByteArray>("content");
        const QByteArray random = TestFiles::randomBytes(5000, 12);
        QTest::newRow("a single a") << QByteArray("a");
        QTest::newRow("seven bytes of the first line") << QByteArray("age-enc");
        QTest::newRow("its first bytes, then random") << QByteArray("age-" + random);
        QTest::newRow("dashes, then random") << QByteArray("-----" + random);
        QTest::newRow("random") << random;
    }

    void compatibleFilesStayCompatible()
    {
        QFETCH(QByteArray, content);
        Decrypt run;
        const FileReport report = run.run("data.enc", content);
        QCOMPARE(report.outcome, FileOutcome::Done);
        QCOMPARE(filesIn(run.dir.path()), QStringList{"data"});
        const FileWorkOutcome again = FileCipher::encryptFile(run.path("data"), Key);
        QVERIFY2(again.ok, qPrintable(again.reason));
        QCOMPARE(TestFiles::read(run.path("data.enc")), content);
    }

    // The standard tool's text form ("age -a -p"), as it writes it and with
    // its line ends changed to CR LF on the way.
    void standardToolTextForm_data()
    {
        QTest::addColumn<bool>("crlf");
        QTest::newRow("as written") << false;
        QTest::newRow("CR LF line ends") << true;
    }

    void standardToolTextForm()
    {
        QFETCH(bool, crlf);
        if (!AgeTool::isAvailable())
            QSKIP("the standard tool or python3 is missing");
        QTemporaryDir toolDir;
        const QByteArray plain = TestFiles::randomBytes(100000, 21);
        QVERIFY(TestFiles::write(toolDir.filePath("plain"), plain));
        QString output;
        QVERIFY2(
            AgeTool::run(Key.toUtf8(),
                         {"-a", "-p", "-o", toolDir.filePath("out"), toolDir.filePath("plain")},
                         toolDir.path(), output),
            qPrintable(output));
        QByteArray text = TestFiles::read(toolDir.filePath("out"));
        QVERIFY(text.startsWith("-----BEGIN AGE ENCRYPTED FILE-----\n"));
        if (crlf)
            text.replace("\n", "\r\n");

        Decrypt run;
        const FileReport report = run.run("photo.jpg.enc", text);
        QVERIFY2(report.outcome == FileOutcome::Done, qPrintable(report.reason));
        QCOMPARE(filesIn(run.dir.path()), QStringList{"photo.jpg"});
        QCOMPARE(TestFiles::read(run.path("photo.jpg")), plain);
        QCOMPARE(run.observer.lastDone, quint64(text.size()));
    }

    // At a high work factor (1 GiB) the key derivation takes seconds;
    // cancelling the job meanwhile ends it within moments, the file kept.
    void cancelDuringTheKeyDerivation()
    {
        const QByteArray content = QByteArray(strongFile("text")).replace(" 10\n", " 20\n");
        Decrypt run;
        QVERIFY(TestFiles::write(run.path("slow.enc"), content));
        EncryptJob job(run.key, {run.path("slow.enc")}, run.options, run.observer, run.prompter);
        QElapsedTimer clock;
        std::atomic<qint64> cancelledAt{-1};
        clock.start();
        std::thread canceller([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            cancelledAt = clock.elapsed();
            job.cancel();
        });
        const EncryptJobSummary summary = job.run();
        const qint64 returnedAt = clock.elapsed();
        canceller.join();

        QVERIFY(cancelledAt >= 0);
        QVERIFY2(returnedAt - cancelledAt < 1000,
                 qPrintable(QString::number(returnedAt - cancelledAt) + " ms"));
        QVERIFY(summary.stoppedEarly);
        QCOMPARE(run.observer.outcomes(), QList<FileOutcome>{FileOutcome::Cancelled});
        QCOMPARE(filesIn(run.dir.path()), QStringList{"slow.enc"});
        QCOMPARE(TestFiles::read(run.path("slow.enc")), content);
    }
};

QTEST_GUILESS_MAIN(TestStrongFormatInput)
#include "TestStrongFormatInput.moc"
