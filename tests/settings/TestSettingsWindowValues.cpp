#include "keys/ApplicationTextKey.h"
#include "platform/AtomicFile.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsWindowValues.h"

#include "ScriptedPrompter.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray appKey(ApplicationTextKey);

// A data folder with its settings file path and the shared values as the
// settings window sets them up when it opens.
struct Fixture
{
    QTemporaryDir dir;
    QString ini = dir.filePath("velmora.ini");
    SettingsValues values;
    SettingsWindowFields fields;
    ScriptedPrompter prompter;

    Fixture()
    {
        values.dataFolder = dir.path() + QLatin1Char('/');
        values.dataPath = values.dataFolder;
        fields.dataPathField = values.dataPath;
    }

    QStringList lines() const
    {
        return SettingsFile::readLines(ini, appKey).value_or(QStringList{"<unreadable>"});
    }
};

} // namespace

class TestSettingsWindowValues : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstSaveWritesElevenLines()
    {
        Fixture f;
        f.values.acceptedPassword = QStringLiteral("0cc175b9c0f1b6a831c399e269772661");
        f.values.carriedValue = QStringLiteral("carried  ");
        f.fields.keyField = QStringLiteral("  my key \t");
        f.fields.language = Language::English;
        f.fields.dataPathField = f.dir.path() + QStringLiteral("  ");
        f.fields.backupField = QStringLiteral(" /backup ");
        f.fields.dataChanged = true;

        QVERIFY(saveWindowSettings(f.ini, appKey, f.values, f.fields, f.prompter));
        QVERIFY(!f.fields.dataChanged);
        QVERIFY(f.prompter.messages.isEmpty());
        const QStringList lines = f.lines();
        QCOMPARE(lines.size(), 12); // 11 and the decoded final line break
        QCOMPARE(lines.mid(0, 11),
                 (QStringList{"0cc175b9c0f1b6a831c399e269772661", " ", "my key", "1", f.dir.path(),
                              " ", " ", " ", "false", "/backup", "carried"}));
        QCOMPARE(lines.at(11).size(), 2);
    }

    void saveKeepsOtherLinesAndPadsShortFiles_data()
    {
        QTest::addColumn<int>("existingLines");
        QTest::addColumn<int>("expectedLines");
        // Read back, a file has one line more than was written.
        QTest::newRow("3 (4) lines padded to 13") << 3 << 13;
        QTest::newRow("9 (10) lines padded to 13") << 9 << 13;
        QTest::newRow("10 (11) lines not padded") << 10 << 11;
        QTest::newRow("15 (16) lines kept") << 15 << 16;
    }

    void saveKeepsOtherLinesAndPadsShortFiles()
    {
        QFETCH(int, existingLines);
        QFETCH(int, expectedLines);
        Fixture f;
        QStringList existing;
        for (int i = 0; i < existingLines; ++i)
            existing.append(QStringLiteral("old %1").arg(i));
        QVERIFY(SettingsFile::writeLines(f.ini, appKey, existing));
        const int readBack = existingLines + 1; // with the decoded final line break

        QVERIFY(saveWindowSettings(f.ini, appKey, f.values, f.fields, f.prompter));
        const QStringList lines = f.lines();
        QCOMPARE(lines.size(), qMax(readBack, expectedLines) + 1);
        for (const int kept : {1, 5, 6, 7, 11, 12, 13, 14}) {
            if (kept < existingLines)
                QCOMPARE(lines.at(kept), existing.at(kept));
        }
        QCOMPARE(lines.at(8), QStringLiteral("false"));
        if (readBack <= 10)
            QCOMPARE(lines.at(12), QStringLiteral(" "));
    }

    void loadReadsWhatSaveWrote()
    {
        Fixture f;
        QTemporaryDir dataPath;
        f.values.acceptedPassword = QStringLiteral("digest");
        f.values.carriedValue = QStringLiteral("carried");
        f.fields.keyField = QStringLiteral("K\u00E9y!%+");
        f.fields.language = Language::German;
        f.fields.dataPathField = dataPath.path();
        f.fields.backupField = QStringLiteral("/some/backup/");
        QVERIFY(saveWindowSettings(f.ini, appKey, f.values, f.fields, f.prompter));

        SettingsValues values;
        values.dataFolder = f.values.dataFolder;
        SettingsWindowFields fields;
        fields.language = Language::English;
        QCOMPARE(fields.load(f.ini, appKey, values), SettingsReading::Status::Read);
        QCOMPARE(values.acceptedPassword, QStringLiteral("digest"));
        QCOMPARE(fields.passwordField, QStringLiteral("digest"));
        QCOMPARE(values.personalKey, QStringLiteral("K\u00E9y!%+"));
        QCOMPARE(fields.keyField, values.personalKey);
        QCOMPARE(fields.language, Language::German);
        QCOMPARE(values.dataPath, dataPath.path());
        QCOMPARE(fields.dataPathField, dataPath.path());
        QCOMPARE(fields.backupField, QStringLiteral("/some/backup/"));
        QCOMPARE(values.carriedValue, QStringLiteral("carried"));
    }

    void languageLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("language");
        QTest::newRow("0") << QStringLiteral("0") << 0;
        QTest::newRow("blank then 0") << QStringLiteral(" 0") << 0;
        QTest::newRow("1") << QStringLiteral("1") << 1;
        QTest::newRow("letters") << QStringLiteral("de") << 1;
        QTest::newRow("blank") << QStringLiteral(" ") << 1;
        QTest::newRow("negative") << QStringLiteral("-7") << -7;
        QTest::newRow("too large for 32 bits") << QStringLiteral("2147483648") << 1;
        QTest::newRow("digit and letter") << QStringLiteral("0x") << 1;
    }

    void languageLine()
    {
        QFETCH(QString, line);
        QFETCH(int, language);
        Fixture f;
        QVERIFY(SettingsFile::writeLines(f.ini, appKey, {"", "", "", line}));
        QCOMPARE(f.fields.load(f.ini, appKey, f.values), SettingsReading::Status::Read);
        QCOMPARE(f.fields.language, languageFromStored(language));
    }

    void dataPathThatNamesNoFolderGivesTheDataFolder_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("deleted folder") << QStringLiteral("/no/such/folder/anywhere");
        QTest::newRow("empty") << QString();
        QTest::newRow("blank") << QStringLiteral(" ");
        QTest::newRow("a file") << QStringLiteral("<file>");
    }

    void dataPathThatNamesNoFolderGivesTheDataFolder()
    {
        QFETCH(QString, line);
        Fixture f;
        if (line == QLatin1String("<file>")) {
            line = f.dir.filePath("plain.txt");
            QVERIFY(TestFiles::write(line, "x"));
        }
        QVERIFY(SettingsFile::writeLines(f.ini, appKey,
                                         {"", "", "", "1", line, "", "", "", "", "", ""}));
        f.values.dataPath = QStringLiteral("previous");
        QCOMPARE(f.fields.load(f.ini, appKey, f.values), SettingsReading::Status::Read);
        QCOMPARE(f.values.dataPath, f.values.dataFolder);
        QCOMPARE(f.fields.dataPathField, f.values.dataFolder);
    }

    void shortFileStopsSilentlyAtTheFirstMissingLine()
    {
        Fixture f;
        // Written by hand without the final line break, so no extra line.
        const QByteArray plain = "pw\r\n\r\nkey";
        QByteArray coded;
        for (qsizetype i = 0; i < plain.size(); ++i)
            coded.append(char(plain.at(i) + appKey.at(i % appKey.size())));
        QVERIFY(TestFiles::write(f.ini, coded));

        f.fields.language = Language::German;
        f.fields.backupField = QStringLiteral("kept backup");
        f.values.carriedValue = QStringLiteral("kept carried");
        f.values.dataPath = QStringLiteral("kept path");
        QCOMPARE(f.fields.load(f.ini, appKey, f.values), SettingsReading::Status::Read);
        QCOMPARE(f.values.acceptedPassword, QStringLiteral("pw"));
        QCOMPARE(f.values.personalKey, QStringLiteral("key"));
        QCOMPARE(f.fields.language, Language::German);
        QCOMPARE(f.fields.backupField, QStringLiteral("kept backup"));
        QCOMPARE(f.values.carriedValue, QStringLiteral("kept carried"));
        QCOMPARE(f.values.dataPath, QStringLiteral("kept path"));
        QVERIFY(f.prompter.messages.isEmpty());
    }

    void missingFileChangesNothing()
    {
        Fixture f;
        f.values.acceptedPassword = QStringLiteral("kept");
        f.fields.backupField = QStringLiteral("kept");
        QCOMPARE(f.fields.load(f.ini, appKey, f.values), SettingsReading::Status::NoFile);
        QCOMPARE(f.values.acceptedPassword, QStringLiteral("kept"));
        QCOMPARE(f.fields.backupField, QStringLiteral("kept"));
    }

    void failedSaveShowsTheErrorAndKeepsTheFile()
    {
        Fixture f;
        QVERIFY(SettingsFile::writeLines(f.ini, appKey, {"digest", "", "key"}));
        const QByteArray before = TestFiles::read(f.ini);
        {
            const AtomicFile::FailAfterForTesting diskFull(0);
            QVERIFY(!saveWindowSettings(f.ini, appKey, f.values, f.fields, f.prompter));
        }
        QCOMPARE(TestFiles::read(f.ini), before);
        QCOMPARE(f.prompter.messages.size(), 1);
        QCOMPARE(f.prompter.messages.first(),
                 Message::dialog(
                     MessageIcon::Error,
                     QStringLiteral("Fehler beim Speichern der INI-Datei! Zugriff verweigert.")));
    }

    void unreadableFileIsNotReplaced()
    {
        Fixture f;
        QVERIFY(QDir(f.dir.path()).mkdir("velmora.ini")); // exists, cannot be read as a file
        QString error;
        QCOMPARE(f.fields.load(f.ini, appKey, f.values, &error),
                 SettingsReading::Status::Unreadable);
        QVERIFY(!error.isEmpty());
        QVERIFY(!saveWindowSettings(f.ini, appKey, f.values, f.fields, f.prompter));
        QVERIFY(QFileInfo(f.ini).isDir());
        QCOMPARE(f.prompter.messages.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSettingsWindowValues)
#include "TestSettingsWindowValues.moc"
