#include "CliCommand.h"
#include "CliTestRun.h"
#include "FullDisk.h"
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

// The coded bytes of a settings file whose line 2 is key.
QByteArray settingsWithKey(const QString &key)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("velmora.ini");
    SettingsFile::writeLines(path, appKey, {"", " ", key, "1", "", " ", " ", " ", "false", "", ""});
    return TestFiles::read(path);
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
        QVERIFY(SettingsFile::writeLines(dataFolder() + "velmora.ini", appKey,
                                         {"digest", " ", QStringLiteral("K\u00E9y"), "1"}));
        const CliRun run = runCommand({"settings"});
        QCOMPARE(run.code, 0);
        const QStringList lines = run.out.split(QLatin1Char('\n'));
        QCOMPARE(lines.mid(0, 4),
                 (QStringList{"0: digest", "1:  ", QStringLiteral("2: K\u00E9y"), "3: 1"}));
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

    void settingsRefusesWhatIsNoRegularFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("named pipe") << "fifo" << QStringLiteral("not a regular file");
        QTest::newRow("link") << "link" << QStringLiteral("symbolic link");
    }

    // Returns at once: a pipe is not waited on.
    void settingsRefusesWhatIsNoRegularFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath("velmora.ini");
        QVERIFY(SettingsFile::writeLines(dir.filePath("real.ini"), appKey, {"digest", " ", "key"}));
        if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            QVERIFY(QFile::link(dir.filePath("real.ini"), path));
        const CliRun run = runCommand({"settings", "--file", path});
        QCOMPARE(run.code, 2);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QCOMPARE(SettingsFile::readLines(dir.filePath("real.ini"), appKey)->value(2),
                 QStringLiteral("key"));
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
        QCOMPARE(QDir(backup.path())
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
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
        const QByteArray settings = settingsWithKey(QStringLiteral("restored key"));
        TestFiles::write(backup.filePath("velmora.ini"), settings);
        TestFiles::write(backup.filePath(".hidden"), "no");
        QDir(backup.path()).mkdir("sub");

        const CliRun run = runCommand({"restore", backup.path()});
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, QStringLiteral("1 files restored.\n"));
        QCOMPARE(TestFiles::read(dataFolder() + "velmora.ini"), settings);
        QVERIFY(!QFileInfo::exists(dataFolder() + ".hidden"));
#if !defined(Q_OS_WIN)
        struct stat info
        {
        };
        QCOMPARE(::stat(QFile::encodeName(dataFolder()).constData(), &info), 0);
        QCOMPARE(int(info.st_mode & 07777), 0700);
#endif
    }

    void restoreKeepsTheFilesItReplaces()
    {
        QDir().mkpath(dataFolder());
        const QByteArray current = settingsWithKey(QStringLiteral("current key"));
        TestFiles::write(dataFolder() + "velmora.ini", current);
        QTemporaryDir backup;
        TestFiles::write(backup.filePath("velmora.ini"),
                         settingsWithKey(QStringLiteral("older key")));

        const CliRun run = runCommand({"restore", backup.path()});
        QCOMPARE(run.code, 0);
        const QStringList kept = QDir(dataFolder()).entryList({"before-restore-*"}, QDir::Dirs);
        QCOMPARE(kept.size(), 1);
        QCOMPARE(TestFiles::read(dataFolder() + kept.first() + "/velmora.ini"), current);
        QVERIFY(run.out.contains(QStringLiteral("The previous files are kept in: ") + dataFolder() +
                                 kept.first()));
    }

    void restoreRefusesABackupWithoutAKey_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("message");
        QTest::newRow("no key line") << "no key" << QStringLiteral("holds no personal key");
        QTest::newRow("settings file is a named pipe")
            << "fifo" << QStringLiteral("not a regular file");
    }

    void restoreRefusesABackupWithoutAKey()
    {
        QFETCH(QString, source);
        QFETCH(QString, message);
        QDir().mkpath(dataFolder());
        const QByteArray current = settingsWithKey(QStringLiteral("current key"));
        TestFiles::write(dataFolder() + "velmora.ini", current);
        QTemporaryDir backup;
        if (source == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(backup.filePath("velmora.ini")).constData(), 0600),
                     0);
        else
            QVERIFY(
                SettingsFile::writeLines(backup.filePath("velmora.ini"), appKey, {"digest", " "}));
        TestFiles::write(backup.filePath("other.dat"), "other");

        const CliRun run = runCommand({"restore", backup.path()});
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains(message) &&
                     run.err.contains(QStringLiteral("Nothing was restored.")),
                 qPrintable(run.err));
        QCOMPARE(TestFiles::read(dataFolder() + "velmora.ini"), current);
        QVERIFY(!QFileInfo::exists(dataFolder() + "other.dat"));
    }

    void anOpenDataFolderIsRefused_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("backup") << "backup";
        QTest::newRow("restore") << "restore";
    }

    void anOpenDataFolderIsRefused()
    {
        QFETCH(QString, command);
        QDir().mkpath(dataFolder());
        const QByteArray current = settingsWithKey(QStringLiteral("current key"));
        TestFiles::write(dataFolder() + "velmora.ini", current);
        QCOMPARE(::chmod(QFile::encodeName(dataFolder()).constData(), 0777), 0);
        QTemporaryDir backup;
        TestFiles::write(backup.filePath("velmora.ini"),
                         settingsWithKey(QStringLiteral("older key")));

        const CliRun run = runCommand({command, backup.path()});
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains(QStringLiteral("The data folder cannot be used")),
                 qPrintable(run.err));
        QCOMPARE(TestFiles::read(dataFolder() + "velmora.ini"), current);
        QCOMPARE(TestFiles::read(backup.filePath("velmora.ini")),
                 settingsWithKey(QStringLiteral("older key")));
    }

    void backupOntoAFullDiskSaysSo()
    {
        FullDisk disk;
        if (!disk.isReady())
            QSKIP(qPrintable(disk.reason()));
        QDir().mkpath(dataFolder());
        TestFiles::write(dataFolder() + "velmora.ini",
                         settingsWithKey(QStringLiteral("current key")));
        const CliRun run = runCommand({"backup", disk.path()});
        QCOMPARE(run.code, 1);
        QCOMPARE(run.out, QStringLiteral("0 file(s) saved.\n"));
        QVERIFY2(run.err.contains(QStringLiteral("velmora.ini: No space left on device")),
                 qPrintable(run.err));
        QVERIFY(!run.err.contains(QStringLiteral("Unknown error")));
        QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"filler"});
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
