#include "keys/ApplicationTextKey.h"
#include "platform/AtomicFile.h"
#include "settings/DashboardSettings.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsWindowValues.h"

#include "ScriptedPrompter.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray appKey(ApplicationTextKey);

struct Fixture
{
    QTemporaryDir dir;
    QString ini = dir.filePath("velmora.ini");
    DashboardSettings values;
    SettingsValues shared;
    ScriptedPrompter prompter;

    Fixture() { shared.dataFolder = dir.path() + QLatin1Char('/'); }

    QStringList lines() const
    {
        return SettingsFile::readLines(ini, appKey).value_or(QStringList{"<unreadable>"});
    }
};

} // namespace

class TestDashboardSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstSaveWritesTwelveLines()
    {
        Fixture f;
        f.values.personalKey = QStringLiteral("abc%!+oKarnwyb ");
        f.values.language = Language::German;
        f.values.carriedValue = QStringLiteral("c");
        QVERIFY(saveDashboardSettings(f.ini, appKey, f.values, f.prompter));
        const QStringList lines = f.lines();
        QCOMPARE(lines.size(), 13);
        QCOMPARE(lines.mid(0, 12), (QStringList{" ", " ", "abc%!+oKarnwyb", "0", " ", " ", " ", " ",
                                                " ", " ", "c", " "}));
    }

    void saveChangesOnlyItsOwnLines()
    {
        Fixture f;
        SettingsValues windowValues;
        windowValues.acceptedPassword = QStringLiteral("digest");
        windowValues.carriedValue = QStringLiteral("carried");
        SettingsWindowFields fields;
        fields.keyField = QStringLiteral("old key");
        fields.dataPathField = f.dir.path();
        fields.backupField = QStringLiteral("/backup");
        QVERIFY(saveWindowSettings(f.ini, appKey, windowValues, fields, f.prompter));
        const QStringList before = f.lines();

        f.values.personalKey = QStringLiteral("new key");
        f.values.language = Language::English;
        f.values.carriedValue = QStringLiteral("carried");
        QVERIFY(saveDashboardSettings(f.ini, appKey, f.values, f.prompter));
        const QStringList after = f.lines();
        QCOMPARE(after.size(), before.size() + 1);
        for (int i = 0; i < before.size(); ++i) {
            if (i == 2)
                QCOMPARE(after.at(i), QStringLiteral("new key"));
            else if (i == 3)
                QCOMPARE(after.at(i), QStringLiteral("1"));
            else
                QCOMPARE(after.at(i), before.at(i));
        }
    }

    void loadReadsTheDashboardsValues()
    {
        Fixture f;
        QTemporaryDir dataPath;
        QVERIFY(SettingsFile::writeLines(f.ini, appKey,
                                         {" digest ", "reserved", " key ", "0", dataPath.path(), "",
                                          "", "", "false", "", " carried "}));
        QCOMPARE(f.values.load(f.ini, appKey,
                               languageOfSystem(QStringLiteral("English (United States)")),
                               f.shared),
                 SettingsReading::Status::Read);
        QCOMPARE(f.values.storedPassword, QStringLiteral("digest"));
        QCOMPARE(f.values.personalKey, QStringLiteral("key"));
        QCOMPARE(f.values.carriedValue, QStringLiteral("carried"));
        QCOMPARE(f.values.language, Language::German);
        QCOMPARE(f.shared.dataPath, dataPath.path());
    }

    void languageFromTheSystemAndLine3_data()
    {
        QTest::addColumn<QString>("systemLanguage");
        QTest::addColumn<QString>("line3");
        QTest::addColumn<int>("language");
        QTest::newRow("German system, blank line")
            << QStringLiteral("Deutsch (Deutschland)") << QStringLiteral(" ") << 0;
        QTest::newRow("other system, blank line")
            << QStringLiteral("English") << QStringLiteral("") << 1;
        QTest::newRow("lower-case deutsch is not German")
            << QStringLiteral("deutsch") << QStringLiteral(" ") << 1;
        QTest::newRow("line 1 overrides German")
            << QStringLiteral("Deutsch") << QStringLiteral("1") << 1;
        QTest::newRow("line 0 overrides English")
            << QStringLiteral("English") << QStringLiteral("0") << 0;
        QTest::newRow("leading blank") << QStringLiteral("English") << QStringLiteral(" 0") << 0;
        QTest::newRow("not a number gives English")
            << QStringLiteral("Deutsch") << QStringLiteral("de") << 1;
        QTest::newRow("any other number is English")
            << QStringLiteral("Deutsch") << QStringLiteral("-1") << 1;
    }

    void languageFromTheSystemAndLine3()
    {
        QFETCH(QString, systemLanguage);
        QFETCH(QString, line3);
        QFETCH(int, language);
        Fixture f;
        QStringList lines(11, QStringLiteral(" "));
        lines[3] = line3;
        QVERIFY(SettingsFile::writeLines(f.ini, appKey, lines));
        QCOMPARE(f.values.load(f.ini, appKey, languageOfSystem(systemLanguage), f.shared),
                 SettingsReading::Status::Read);
        QCOMPARE(f.values.language, languageFromStored(language));
    }

    void missingFileSetsOnlyTheLanguage()
    {
        Fixture f;
        f.values.personalKey = QStringLiteral("kept");
        QCOMPARE(
            f.values.load(f.ini, appKey, languageOfSystem(QStringLiteral("Deutsch")), f.shared),
            SettingsReading::Status::NoFile);
        QCOMPARE(f.values.language, Language::German);
        QCOMPARE(f.values.personalKey, QStringLiteral("kept"));
    }

    void shortFileSetsWhatItHolds()
    {
        Fixture f;
        QVERIFY(
            SettingsFile::writeLines(f.ini, appKey, {"digest", "", "key"})); // 4 lines read back
        f.values.carriedValue = QStringLiteral("kept");
        f.shared.dataPath = QStringLiteral("kept");
        QCOMPARE(
            f.values.load(f.ini, appKey, languageOfSystem(QStringLiteral("Deutsch")), f.shared),
            SettingsReading::Status::Read);
        QCOMPARE(f.values.storedPassword, QStringLiteral("digest"));
        QCOMPARE(f.values.personalKey, QStringLiteral("key"));
        // Reading stops at line 4: the rest keep their values, the language
        // stays the system's although line 3 holds two stray characters.
        QCOMPARE(f.shared.dataPath, QStringLiteral("kept"));
        QCOMPARE(f.values.carriedValue, QStringLiteral("kept"));
        QCOMPARE(f.values.language, Language::German);
    }

    void unreadableFileIsReportedAndNotReplaced()
    {
        Fixture f;
        QVERIFY(QDir(f.dir.path()).mkdir("velmora.ini"));
        QString error;
        QCOMPARE(f.values.load(f.ini, appKey, languageOfSystem(QStringLiteral("English")), f.shared,
                               &error),
                 SettingsReading::Status::Unreadable);
        QVERIFY(!error.isEmpty());
        QVERIFY(!saveDashboardSettings(f.ini, appKey, f.values, f.prompter));
        QVERIFY(QFileInfo(f.ini).isDir());
    }

    void failedSaveShowsTheErrorAndKeepsTheFile()
    {
        Fixture f;
        f.values.personalKey = QStringLiteral("old");
        QVERIFY(saveDashboardSettings(f.ini, appKey, f.values, f.prompter));
        const QByteArray before = TestFiles::read(f.ini);
        f.values.personalKey = QStringLiteral("new");
        {
            const AtomicFile::FailAfterForTesting diskFull(10);
            QVERIFY(!saveDashboardSettings(f.ini, appKey, f.values, f.prompter));
        }
        QCOMPARE(TestFiles::read(f.ini), before);
        QCOMPARE(
            f.prompter.messages,
            QList<Message>{Message::dialog(
                MessageIcon::Error, QStringLiteral("Access denied! Could not save INI file!"))});
    }
};

QTEST_GUILESS_MAIN(TestDashboardSettings)
#include "TestDashboardSettings.moc"
