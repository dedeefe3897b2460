#include "keys/ApplicationTextKey.h"
#include "keys/PersonalKey.h"
#include "platform/AtomicFile.h"
#include "platform/ProgramInfo.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsValues.h"
#include "startup/StartupSequence.h"

#include "FixedRandom.h"
#include "ScriptedPrompter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(StartupState)
Q_DECLARE_METATYPE(Language)

namespace {

const QByteArray appKey(ApplicationTextKey);
const QString Digest = QStringLiteral("0123456789abcdef0123456789abcdef");

QStringList settingsWith(const QString &password, const QString &key, const QString &language)
{
    QStringList lines(13, QStringLiteral(" "));
    lines[SettingsLine::Password] = password;
    lines[SettingsLine::PersonalKey] = key;
    lines[SettingsLine::Language] = language;
    lines[SettingsLine::CarriedValue] = QStringLiteral("carried");
    return lines;
}

} // namespace

// The start-up steps that need no window, run against a private home.
class TestStartupSequence : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_home.reset(new QTemporaryDir);
        QVERIFY(m_home->isValid());
        QVERIFY(QDir().mkpath(m_home->filePath(QStringLiteral("tmp"))));
        qputenv("XDG_CONFIG_HOME", m_home->filePath(QStringLiteral("config")).toLocal8Bit());
        qputenv("TMPDIR", m_home->filePath(QStringLiteral("tmp")).toLocal8Bit());
        ProgramInfo::setProgramFolderForTesting(m_home->filePath(QStringLiteral("program")));
        ProgramInfo::setSystemLanguageNameForTesting(QStringLiteral("English"));
    }

    void firstStartMakesFolderAndKeyAndRemindsOfThePassword_data()
    {
        QTest::addColumn<QString>("systemLanguage");
        QTest::addColumn<Language>("language");
        QTest::newRow("German system") << "Deutsch (Deutschland)" << Language::German;
        QTest::newRow("English system") << "English" << Language::English;
        QTest::newRow("'Deutsch' is case-sensitive") << "deutsch" << Language::English;
    }

    void firstStartMakesFolderAndKeyAndRemindsOfThePassword()
    {
        QFETCH(QString, systemLanguage);
        QFETCH(Language, language);
        ProgramInfo::setSystemLanguageNameForTesting(systemLanguage);
        QVERIFY(!QFileInfo::exists(dataFolder()));

        StartupSequence startup(appKey);
        ScriptedPrompter prompter;
        QCOMPARE(startup.run(prompter), StartupState::ReminderDue);

        QVERIFY(QFileInfo(dataFolder()).isDir());
        QCOMPARE(QFileInfo(dataFolder()).permissions() &
                     (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                 QFileDevice::Permissions());
        QCOMPARE(startup.places().settingsFile, settingsFile());
        QVERIFY(startup.keyGenerated());
        QCOMPARE(startup.language(), language);
        const QStringList lines =
            SettingsFile::readLines(settingsFile(), appKey).value_or(QStringList());
        QVERIFY(lines.size() >= 13);
        QCOMPARE(lines.at(SettingsLine::PersonalKey), startup.values().personalKey);
        QCOMPARE(lines.at(SettingsLine::PersonalKey).size(), 24);
        QVERIFY(lines.at(SettingsLine::PersonalKey).endsWith(QString::fromLatin1(UserKeyTail)));
        QCOMPARE(lines.at(SettingsLine::Language), QString::number(storedLanguage(language)));
        QVERIFY(prompter.messages.isEmpty());
        QCOMPARE(StartupSequence::reminderText(language),
                 language == Language::German
                     ? QStringLiteral("Bitte legen Sie zuerst ein Passwort an (Einstellungen)!")
                     : QStringLiteral("Please create a password first (settings)!"));
    }

    void storedPasswordDecidesTheNextStep_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("acceptedBefore");
        QTest::addColumn<StartupState>("state");
        QTest::newRow("no password") << " " << QString() << StartupState::ReminderDue;
        QTest::newRow("password set") << Digest << QString() << StartupState::PasswordRequired;
        QTest::newRow("accepted earlier in the run")
            << Digest << Digest << StartupState::PasswordAccepted;
        QTest::newRow("another one accepted earlier")
            << Digest << QStringLiteral("x") << StartupState::PasswordRequired;
    }

    void storedPasswordDecidesTheNextStep()
    {
        QFETCH(QString, password);
        QFETCH(QString, acceptedBefore);
        QFETCH(StartupState, state);
        writeSettings(settingsWith(password, QStringLiteral("Abcdefghijklm%!+oKarnwyb"),
                                   QStringLiteral("0")));
        StartupSequence startup(appKey);
        startup.sharedValues().acceptedPassword = acceptedBefore;
        ScriptedPrompter prompter;
        QCOMPARE(startup.run(prompter), state);
        QVERIFY(!startup.keyGenerated());
        QCOMPARE(startup.values().personalKey, QStringLiteral("Abcdefghijklm%!+oKarnwyb"));
        QCOMPARE(startup.language(), Language::German);
    }

    void acceptedAndResetPasswords()
    {
        writeSettings(settingsWith(Digest, QStringLiteral("key"), QStringLiteral("1")));
        StartupSequence startup(appKey);
        ScriptedPrompter prompter;
        QCOMPARE(startup.run(prompter), StartupState::PasswordRequired);
        startup.passwordAccepted();
        QCOMPARE(startup.sharedValues().acceptedPassword, Digest);

        const QByteArray before = fileBytes();
        startup.passwordReset();
        QVERIFY(startup.values().storedPassword.isEmpty());
        QVERIFY(startup.sharedValues().acceptedPassword.isEmpty());
        QCOMPARE(fileBytes(), before); // the file keeps the digest: the next start asks again
        QVERIFY(startup.saveSettings(prompter));
        QCOMPARE(SettingsFile::readLines(settingsFile(), appKey)->at(SettingsLine::Password),
                 Digest);
    }

    void languageLineOverridesTheSystem_data()
    {
        QTest::addColumn<QString>("systemLanguage");
        QTest::addColumn<QString>("line");
        QTest::addColumn<Language>("language");
        QTest::newRow("1 on a German system") << "Deutsch"
                                              << "1" << Language::English;
        QTest::newRow("0 on an English system") << "English"
                                                << "0" << Language::German;
        QTest::newRow("blank keeps the system's") << "Deutsch"
                                                  << "  " << Language::German;
        QTest::newRow("letters are English") << "Deutsch"
                                             << "de" << Language::English;
        QTest::newRow("-1 is English") << "Deutsch"
                                       << "-1" << Language::English;
    }

    void languageLineOverridesTheSystem()
    {
        QFETCH(QString, systemLanguage);
        QFETCH(QString, line);
        QFETCH(Language, language);
        ProgramInfo::setSystemLanguageNameForTesting(systemLanguage);
        writeSettings(settingsWith(QStringLiteral(" "), QStringLiteral("key"), line));
        StartupSequence startup(appKey);
        ScriptedPrompter prompter;
        startup.run(prompter);
        QCOMPARE(startup.language(), language);
    }

    void unreadableSettingsAreLeftAlone()
    {
        // A folder in the settings file's place cannot be read.
        QVERIFY(QDir().mkpath(settingsFile()));
        StartupSequence startup(appKey);
        ScriptedPrompter prompter;
        QCOMPARE(startup.run(prompter), StartupState::SettingsUnreadable);
        QVERIFY(!startup.error().isEmpty());
        QVERIFY(!startup.keyGenerated());
        QVERIFY(!startup.saveSettings(prompter));
        QVERIFY(QFileInfo(settingsFile()).isDir());
    }

    void dataFolderThatCannotBeMade()
    {
        QFile blocker(m_home->filePath(QStringLiteral("config")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        StartupSequence startup(appKey);
        ScriptedPrompter prompter;
        QCOMPARE(startup.run(prompter), StartupState::DataFolderFailed);
        QVERIFY2(startup.error().startsWith(QStringLiteral("The data folder cannot be used")),
                 qPrintable(startup.error()));
        QCOMPARE(startup.language(), Language::English);
    }

    // A first key that cannot be stored stops the start: used anyway, every
    // file encrypted with it would be lost at the next start.
    void keyThatCannotBeStoredStopsTheStart()
    {
        QVERIFY(QDir().mkpath(dataFolder()));
        StartupSequence startup(appKey);
        ScriptedPrompter prompter;
        {
            AtomicFile::FailAfterForTesting fullDisk(10);
            QCOMPARE(startup.run(prompter), StartupState::SettingsNotWritten);
        }
        QVERIFY(startup.error().startsWith(QStringLiteral("Cannot write file")));
        QCOMPARE(prompter.texts(),
                 QStringList{QStringLiteral("Access denied! Could not save INI file!")});
        QVERIFY(!QFileInfo::exists(settingsFile()));
    }

    // A key from a broken random source could be guessed: none is made, and
    // nothing is written.
    void keyThatCannotBeMadeStopsTheStart()
    {
        StartupSequence startup(appKey);
        startup.setRandomSource(FixedRandom::failing(QStringLiteral("entropy gone")));
        ScriptedPrompter prompter;
        QCOMPARE(startup.run(prompter), StartupState::KeyNotMade);
        QCOMPARE(startup.error(),
                 QStringLiteral("The system's random source failed (entropy gone): no new key "
                                "was made."));
        QVERIFY(!startup.keyGenerated());
        QVERIFY(startup.values().personalKey.isEmpty());
        QVERIFY(!QFileInfo::exists(settingsFile()));
    }

    void settingsWithoutAKey_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("keyMade");
        // The file's decoded final line break follows line 1: no key line.
        QTest::newRow("ends after line 1") << QStringList{Digest, " "} << false;
        QTest::newRow("ends after line 0") << QStringList{Digest} << false;
        QTest::newRow("blank key line") << QStringList{Digest, " ", " "} << true;
    }

    // A file that ends before its key line is left as it is: a new key in
    // it would stand in for the lost one without a word, and encrypting is
    // refused (by the dashboard) until a key is restored. A blank key line
    // gets a new key, as at the first start. The password is asked for in
    // both cases.
    void settingsWithoutAKey()
    {
        QFETCH(QStringList, lines);
        QFETCH(bool, keyMade);
        writeSettings(lines);
        const QByteArray before = fileBytes();
        StartupSequence startup(appKey);
        ScriptedPrompter prompter;
        QCOMPARE(startup.run(prompter), StartupState::PasswordRequired);
        QCOMPARE(startup.keyGenerated(), keyMade);
        QCOMPARE(startup.values().keyLineMissing, !keyMade);
        QCOMPARE(startup.values().personalKey.size(), keyMade ? 24 : 0);
        QVERIFY(startup.saveSettings(prompter));
        if (keyMade) {
            QCOMPARE(SettingsFile::readLines(settingsFile(), appKey)->at(SettingsLine::PersonalKey),
                     startup.values().personalKey);
        } else {
            QCOMPARE(fileBytes(), before);
        }
        QVERIFY(prompter.messages.isEmpty());
    }

    void placesOfTheRun()
    {
        StartupSequence startup(appKey);
        ScriptedPrompter prompter;
        startup.run(prompter);
        const StartupPlaces &places = startup.places();
        QCOMPARE(places.programFolder, ProgramInfo::programFolder());
        QVERIFY(places.dataFolder.endsWith(QStringLiteral("velmora/")));
        QCOMPARE(QFileInfo(places.probeFile).fileName(),
                 ProgramInfo::replaceExtension(places.programFileName, QStringLiteral(".dat")));
        QVERIFY(places.checkerPath.startsWith(places.programFolder));
    }

private:
    QString dataFolder() const { return m_home->filePath(QStringLiteral("config/velmora")); }
    QString settingsFile() const { return dataFolder() + QStringLiteral("/velmora.ini"); }
    void writeSettings(const QStringList &lines)
    {
        QVERIFY(QDir().mkpath(dataFolder()));
        QVERIFY(SettingsFile::writeLines(settingsFile(), appKey, lines));
    }
    QByteArray fileBytes() const
    {
        QFile file(settingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QScopedPointer<QTemporaryDir> m_home;
};

QTEST_GUILESS_MAIN(TestStartupSequence)
#include "TestStartupSequence.moc"
