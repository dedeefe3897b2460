#include "RawNames.h"
#include "RecordingObserver.h"
#include "ScriptedPrompter.h"
#include "TestFiles.h"
#include "jobs/EncryptJob.h"
#include "jobs/ShredJob.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(CipherDirection)
Q_DECLARE_METATYPE(Language)

namespace {

const QString AccessDenied =
    QStringLiteral("Access denied! You do not have the required rights for this operation!");
const QString FileRefused =
    QStringLiteral("File refused! Only regular files of one name are encrypted or decrypted!");

// Puts the case's files in the folder and returns the path the job gets.
QString plant(const QString &setup, const RawNames::TemporaryFolder &dir)
{
    QString entry = dir.filePath(QStringLiteral("entry"));
    TestFiles::write(dir.filePath(QStringLiteral("target")), "the user's file");
    if (setup == QLatin1String("link")) {
        QFile::link(dir.filePath(QStringLiteral("target")), entry);
        return entry;
    }
    if (setup == QLatin1String("name too long")) {
        QString name = dir.filePath(QString(252, QLatin1Char('a')));
        TestFiles::write(name, "a name of 252 bytes");
        return name;
    }
    if (setup == QLatin1String("may stand for another")) {
        const QByteArray root = RawNames::bytesOf(dir.path()) + '/';
        RawNames::write(root + RawNames::NotUtf8, "the user's file");
        RawNames::write(root + RawNames::Twin, "another file");
        return dir.filePath(QString::fromUtf8(RawNames::Twin));
    }
    TestFiles::write(entry, "plain");
    if (setup == QLatin1String("hard link"))
        ::link(QFile::encodeName(entry).constData(),
               QFile::encodeName(dir.filePath(QStringLiteral("other"))).constData());
    else if (setup == QLatin1String("folder at the result"))
        QDir(dir.path()).mkdir(QStringLiteral("entry.enc"));
    else if (setup == QLatin1String("unreadable"))
        ::chmod(QFile::encodeName(entry).constData(), 0);
    else if (setup == QLatin1String("read-only folder"))
        ::chmod(QFile::encodeName(dir.path()).constData(), 0500);
    return entry;
}

bool needsUnprivilegedUser(const QString &setup)
{
    return setup == QLatin1String("unreadable") || setup == QLatin1String("read-only folder");
}

} // namespace

class TestJobRefusals : public QObject
{
    Q_OBJECT

private slots:
    // After the layer error, the box says why in the words of the failure's
    // kind: "Access denied!" only where the system denied access; the
    // report's reason adds the system's words only for a real system error.
    void failureHeadings_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<CipherDirection>("direction");
        QTest::addColumn<Language>("language");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<bool>("systemWords");
        const auto encrypt = CipherDirection::Encrypt;
        QTest::newRow("link") << "link" << encrypt << Language::English << FileRefused << false;
        QTest::newRow("link, German")
            << "link" << encrypt << Language::German
            << QString::fromUtf8("Datei abgelehnt! Nur gewöhnliche Dateien mit einem einzigen "
                                 "Namen werden ver- oder entschlüsselt!")
            << false;
        QTest::newRow("hard link")
            << "hard link" << encrypt << Language::English << FileRefused << false;
        QTest::newRow("folder at the result")
            << "folder at the result" << encrypt << Language::English
            << "Name taken! The name of the result belongs to another file or a folder!" << false;
        QTest::newRow("name too long")
            << "name too long" << encrypt << Language::English
            << "Name too long! The name of the result is longer than the file system allows!"
            << true;
        QTest::newRow("name without .enc")
            << "plain" << CipherDirection::Decrypt << Language::English
            << "File refused! Only files whose name ends in \".enc\" are decrypted!" << false;
        QTest::newRow("name that may stand for another")
            << "may stand for another" << encrypt << Language::English
            << "Name not usable! The file name is not valid UTF-8 or may stand for another file!"
            << false;
        QTest::newRow("unreadable file")
            << "unreadable" << encrypt << Language::English << AccessDenied << true;
        QTest::newRow("read-only folder")
            << "read-only folder" << encrypt << Language::English << AccessDenied << true;
    }

    void failureHeadings()
    {
        QFETCH(QString, setup);
        QFETCH(CipherDirection, direction);
        QFETCH(Language, language);
        QFETCH(QString, heading);
        QFETCH(bool, systemWords);
        if (needsUnprivilegedUser(setup) && ::geteuid() == 0)
            QSKIP("root is not refused here (the unprivileged run has the case)");
        RawNames::TemporaryFolder dir;
        const QString path = plant(setup, dir);
        const QByteArray folder = RawNames::bytesOf(dir.path());
        const auto before = RawNames::snapshot(folder);

        EncryptJobOptions options;
        options.direction = direction;
        options.markedEncrypted = direction == CipherDirection::Decrypt;
        options.afterFailure = AfterFailure::GoOn;
        options.language = language;
        RecordingObserver observer;
        ScriptedPrompter prompter;
        EncryptJob job(QStringLiteral("key text"), {path}, options, observer, prompter);
        const EncryptJobSummary summary = job.run();
        ::chmod(folder.constData(), 0700);

        QCOMPARE(summary.failed, 1);
        QCOMPARE(prompter.messages.size(), 2);
        const QString caption = direction == CipherDirection::Decrypt ? QStringLiteral("Decrypt")
                                                                      : QStringLiteral("Encrypt");
        QCOMPARE(prompter.messages.at(1), Message::box(caption, heading, MessageIcon::Warning));
        QCOMPARE(observer.reports.size(), 1);
        const QString reason = observer.reports.first().reason;
        QVERIFY2(!reason.contains(QLatin1String("Success")), qPrintable(reason));
        QVERIFY2(systemWords == reason.endsWith(QLatin1Char(')')), qPrintable(reason));
        QCOMPARE(RawNames::snapshot(folder), before);
    }

    // A name that came as text and may stand for one that is not UTF-8
    // ("\uFFFD.txt" beside "\xFF.txt") is refused by every job before
    // anything is read, written, copied or removed: the file the text names
    // is another one, and the user's file cannot be reached through it.
    void nameThatMayStandForAnotherIsNotTouched_data()
    {
        QTest::addColumn<QString>("job");
        QTest::addColumn<bool>("withTwin");
        QTest::addColumn<bool>("windowQuestions"); // AfterFailure::Ask (backup copy on decrypt)
        QTest::newRow("encrypt, twin beside it") << "encrypt" << true << false;
        QTest::newRow("encrypt, no twin") << "encrypt" << false << false;
        QTest::newRow("decrypt as the window does") << "decrypt" << true << true;
        QTest::newRow("decrypt as the companion does") << "decrypt" << true << false;
        QTest::newRow("secure delete, twin beside it") << "shred" << true << false;
        QTest::newRow("secure delete, no twin") << "shred" << false << false;
    }

    void nameThatMayStandForAnotherIsNotTouched()
    {
        QFETCH(QString, job);
        QFETCH(bool, withTwin);
        QFETCH(bool, windowQuestions);
        RawNames::TemporaryFolder dir;
        const QByteArray root = RawNames::bytesOf(dir.path()) + '/';
        const QByteArray suffix = job == QLatin1String("decrypt") ? ".enc" : "";
        QVERIFY(RawNames::write(root + RawNames::NotUtf8 + suffix, "the user's file"));
        if (withTwin)
            QVERIFY(RawNames::write(root + RawNames::Twin + suffix, "another file, empty or not"));
        const QString path = dir.filePath(QString::fromUtf8(RawNames::Twin + suffix));
        const auto before = RawNames::snapshot(root);

        RecordingObserver observer;
        ScriptedPrompter prompter;
        if (job == QLatin1String("shred")) {
            ShredJob shred({path}, 1, Language::English, prompter, observer);
            const ShredJobResult result = shred.run();
            QCOMPARE(result.done, 0);
            QCOMPARE(result.notDeleted(), 1);
            QCOMPARE(prompter.texts().last(),
                     QStringLiteral("1 file(s) not deleted: their names are not valid UTF-8 or may "
                                    "stand for other files. Please rename them first."));
        } else {
            EncryptJobOptions options;
            options.direction = job == QLatin1String("decrypt") ? CipherDirection::Decrypt
                                                                : CipherDirection::Encrypt;
            options.markedEncrypted = options.direction == CipherDirection::Decrypt;
            options.afterFailure = windowQuestions ? AfterFailure::Ask : AfterFailure::GoOn;
            EncryptJob encrypt(QStringLiteral("key text"), {path}, options, observer, prompter);
            QCOMPARE(encrypt.run().failed, 1);
        }
        QCOMPARE(observer.outcomes(), QList<FileOutcome>{FileOutcome::Failed});
        QVERIFY2(observer.reports.first().reason.contains(QLatin1String("not valid UTF-8")),
                 qPrintable(observer.reports.first().reason));
        QCOMPARE(RawNames::snapshot(root), before);
    }
};

QTEST_GUILESS_MAIN(TestJobRefusals)
#include "TestJobRefusals.moc"
