#include "CliTestRun.h"
#include "CliCommand.h"
#include "TestFiles.h"

#include "keys/ApplicationTextKey.h"
#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#if !defined(Q_OS_WIN)
#include <sys/stat.h>
#endif

namespace {

const QByteArray appKey(ApplicationTextKey);

CliRun runCommand(const QStringList &args)
{
    return runCliInProcess(args);
}

} // namespace

class TestCliSettings : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_config;
    QString dataFolder() const { return m_config->path() + QStringLiteral("/velmora/"); }

private Q_SLOTS:
    // A fresh, empty XDG_CONFIG_HOME for every test.
    void init()
    {
        m_config = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config->path()));
    }

    void settingsPrintsNumberedLines()
    {
        QDir().mkpath(dataFolder());
        QVERIFY(WriteSettingsLines(dataFolder() + "velmora.ini", appKey,
                                   {"digest", " ", QStringLiteral("K\u00E9y"), "1"}));
        const CliRun run = runCommand({"settings"});
        QCOMPARE(run.code, 0);
        const QStringList lines = run.out.split(QLatin1Char('\n'));
        QCOMPARE(lines.mid(0, 4), (QStringList{"0: digest", "1:  ", QStringLiteral("2: K\u00E9y"), "3: 1"}));
        QVERIFY(lines.at(4).startsWith(QStringLiteral("4: "))); // the decoded final line break
        QCOMPARE(lines.at(4).size(), 5);
        QCOMPARE(lines.size(), 6);

        const CliRun other = runCommand({"settings", "--file", dataFolder() + "velmora.ini"});
        QCOMPARE(other.out, run.out);
    }

    void settingsWithoutAFile()
    {
        const CliRun run = runCommand({"settings"});
        QCOMPARE(run.code, 2);
        QVERIFY(run.err.contains(QStringLiteral("no settings file")));
        QCOMPARE(runCommand({"settings", "--file"}).code, 2);
    }

    void backupCopiesTheDataFolderFiles()
    {
        QDir().mkpath(dataFolder() + "sub");
        TestFiles::write(dataFolder() + "velmora.ini", "settings");
        TestFiles::write(dataFolder() + "other.dat", "other");
        TestFiles::write(dataFolder() + ".hidden", "hidden");
        QTemporaryDir backup;
        TestFiles::write(backup.filePath("velmora.ini"), "older copy");

        const CliRun run = runCommand({"backup", backup.path()});
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, QStringLiteral("2 file(s) saved.\n"));
        QCOMPARE(QDir(backup.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
                 (QStringList{"other.dat", "velmora.ini"}));
        QCOMPARE(TestFiles::read(backup.filePath("velmora.ini")), QByteArray("settings"));
    }

    void backupReportsFailures()
    {
        QDir().mkpath(dataFolder());
        TestFiles::write(dataFolder() + "a.dat", "a");
        TestFiles::write(dataFolder() + "b.dat", "b");
        QTemporaryDir backup;
        QDir(backup.path()).mkdir("b.dat"); // the copy of b.dat cannot be made

        const CliRun run = runCommand({"backup", backup.path()});
        QCOMPARE(run.code, 1);
        QCOMPARE(run.out, QStringLiteral("1 file(s) saved.\n"));
        QVERIFY(run.err.contains(QStringLiteral("b.dat")));

        const CliRun missing = runCommand({"backup", backup.filePath("missing")});
        QCOMPARE(missing.code, 2);
        QVERIFY(missing.err.contains(QStringLiteral("does not exist")));
    }

    void restoreCreatesTheDataFolderAndCopiesBack()
    {
        QTemporaryDir backup;
        TestFiles::write(backup.filePath("velmora.ini"), "restored");
        TestFiles::write(backup.filePath(".hidden"), "no");
        QDir(backup.path()).mkdir("sub");

        const CliRun run = runCommand({"restore", backup.path()});
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, QStringLiteral("1 files restored.\n"));
        QCOMPARE(TestFiles::read(dataFolder() + "velmora.ini"), QByteArray("restored"));
        QVERIFY(!QFileInfo::exists(dataFolder() + ".hidden"));
#if !defined(Q_OS_WIN)
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(dataFolder()).constData(), &info), 0);
        QCOMPARE(int(info.st_mode & 07777), 0700);
#endif
    }

    void restoreFromAnEmptyOrMissingFolder()
    {
        QTemporaryDir backup;
        const CliRun empty = runCommand({"restore", backup.path()});
        QCOMPARE(empty.code, 1);
        QVERIFY(empty.err.contains(QStringLiteral("No files")));
        const CliRun missing = runCommand({"restore", backup.filePath("missing")});
        QCOMPARE(missing.code, 2);
        QCOMPARE(runCommand({"restore"}).code, 2);
    }
};

QTEST_GUILESS_MAIN(TestCliSettings)
#include "TestCliSettings.moc"
