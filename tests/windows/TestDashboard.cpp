#include "WidgetPart.h"
#include "WindowParts.h"
#include "core/TextTrim.h"
#include "keys/ApplicationTextKey.h"
#include "keys/PersonalKey.h"
#include "platform/AtomicFile.h"
#include "platform/ProgramInfo.h"
#include "platform/gui/DesktopServices.h"
#include "platform/gui/HelpFile.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsValues.h"
#include "widgets/FlatButton.h"
#include "widgets/LinkLabel.h"
#include "widgets/MessageBox.h"
#include "widgets/TitleBarPanel.h"
#include "windows/AboutDialog.h"
#include "windows/DashboardWindow.h"
#include "windows/EncryptWindow.h"
#include "windows/ProgramWindows.h"
#include "windows/SettingsWindow.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(StartupCheckResult)
Q_DECLARE_METATYPE(Language)

namespace {

const QByteArray Key(ApplicationTextKey);

const QString WarningGerman =
    QStringLiteral("Bitte legen Sie zuerst ein Passwort an (Einstellungen)!");
const QString WarningEnglish = QStringLiteral("Please create a password first (settings)!");

// Thirteen lines, each telling its number, with a password, a key and a
// language as given.
QStringList numberedLines(const QString &password, const QString &language)
{
    QStringList lines;
    for (int i = 0; i < 13; ++i)
        lines << QStringLiteral("line %1").arg(i);
    lines[SettingsLine::Password] = password;
    lines[SettingsLine::PersonalKey] = QStringLiteral("Abcdefghijklm%!+oKarnwyb");
    lines[SettingsLine::Language] = language;
    lines[SettingsLine::DataPath] = QStringLiteral(" ");
    lines[SettingsLine::CarriedValue] = QStringLiteral("carried");
    return lines;
}

} // namespace

class TestDashboard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void firstStartCreatesFolderKeyAndWarns_data();
    void firstStartCreatesFolderKeyAndWarns();
    void languageLineDecidesLayoutAndTexts_data();
    void languageLineDecidesLayoutAndTexts();
    void closingKeepsEveryLineButKeyLanguageAndCarried();
    void closingOnAFullDiskReportsAndStillEnds();
    void passwordOutcome_data();
    void passwordOutcome();
    void fakeCheckerAnnouncesNewerVersionOnce_data();
    void fakeCheckerAnnouncesNewerVersionOnce();
    void unusableVersionFileGoesToTheErrorReport();
    void encryptNeedsPersonalKey();
    void settingsFileWithoutKeyLineIsNoKey();
    void settingsWindowChangesLanguageAtOnce();
    void iconMenuAboutAndWebSite();
    void bannerAndHelp();
    void helpPageBesideProgramOrInstalled();
    void unreadableSettingsFileIsLeftAlone();
    void dataFolderThatCannotBeMadeStopsTheStart();
    void titleBarPanelsLightUp();
    void titleBarDragsWithAnyButton_data();
    void titleBarDragsWithAnyButton();

private:
    QString iniPath() const
    {
        return m_home->filePath(QStringLiteral("config/velmora/velmora.ini"));
    }
    QString dataFolder() const { return m_home->filePath(QStringLiteral("config/velmora")); }
    QString programFolder() const { return m_home->filePath(QStringLiteral("program")); }
    QString probeFile() const;
    void writeSettings(const QStringList &lines);
    QStringList readSettings() const;
    void startDashboard(ProgramWindows &windows);
    void setKeyLineAndReload(ProgramWindows &windows, const QString &key);

    QScopedPointer<QTemporaryDir> m_home;
};

void TestDashboard::init()
{
    m_home.reset(new QTemporaryDir);
    QVERIFY(m_home->isValid());
    QVERIFY(QDir().mkpath(programFolder()));
    QVERIFY(QDir().mkpath(m_home->filePath(QStringLiteral("tmp"))));
    qputenv("XDG_CONFIG_HOME", m_home->filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("TMPDIR", m_home->filePath(QStringLiteral("tmp")).toLocal8Bit());
    ProgramInfo::setProgramFolderForTesting(programFolder());
    ProgramInfo::setSystemLanguageNameForTesting(QStringLiteral("English"));
    MessageBox::clearHistory();
    MessageBox::setAutoAnswer(true);
    DesktopServices::clearHistory();
    DesktopServices::setRecording(true);
}

void TestDashboard::cleanup()
{
    MessageBox::setAutoAnswer(false);
    MessageBox::clearHistory();
}

QString TestDashboard::probeFile() const
{
    return m_home->filePath(QStringLiteral("tmp/")) +
           ProgramInfo::replaceExtension(ProgramInfo::programFileName(), QStringLiteral(".dat"));
}

void TestDashboard::writeSettings(const QStringList &lines)
{
    QVERIFY(QDir().mkpath(dataFolder()));
    QVERIFY(SettingsFile::writeLines(iniPath(), Key, lines));
}

QStringList TestDashboard::readSettings() const
{
    return SettingsFile::readLines(iniPath(), Key).value_or(QStringList());
}

void TestDashboard::startDashboard(ProgramWindows &windows)
{
    windows.dashboard().show();
    QVERIFY(QTest::qWaitForWindowExposed(&windows.dashboard()));
}

void TestDashboard::firstStartCreatesFolderKeyAndWarns_data()
{
    QTest::addColumn<QString>("systemLanguage");
    QTest::addColumn<QString>("languageLine");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<int>("height");
    QTest::newRow("German system") << "Deutsch"
                                   << "0" << WarningGerman << 305;
    QTest::newRow("English system") << "English"
                                    << "1" << WarningEnglish << 245;
    QTest::newRow("'Deutsch' is case-sensitive") << "deutsch"
                                                 << "1" << WarningEnglish << 245;
    QTest::newRow("Swiss German name") << "Schweizer Deutsch"
                                       << "0" << WarningGerman << 305;
}

void TestDashboard::firstStartCreatesFolderKeyAndWarns()
{
    QFETCH(QString, systemLanguage);
    QFETCH(QString, languageLine);
    QFETCH(QString, warning);
    QFETCH(int, height);
    ProgramInfo::setSystemLanguageNameForTesting(systemLanguage);
    QVERIFY(!QFileInfo::exists(dataFolder()));

    ProgramWindows windows;
    startDashboard(windows);
    DashboardWindow &main = windows.dashboard();

    QVERIFY(QFileInfo(dataFolder()).isDir());
    QCOMPARE(QFileInfo(dataFolder()).permissions() & (QFile::ReadGroup | QFile::ReadOther),
             QFileDevice::Permissions());
    const QStringList lines = readSettings();
    QVERIFY(lines.size() >= 13);
    QCOMPARE(lines.at(SettingsLine::PersonalKey).size(), 24);
    QVERIFY(lines.at(SettingsLine::PersonalKey).endsWith(QString::fromLatin1(UserKeyTail)));
    QCOMPARE(lines.at(SettingsLine::Language), languageLine);
    QCOMPARE(main.startup().values().personalKey, lines.at(SettingsLine::PersonalKey));

    const QList<Message> shown = MessageBox::shownMessages();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().caption, QStringLiteral("Velmora"));
    QCOMPARE(shown.first().text, warning);
    QCOMPARE(shown.first().icon, MessageIcon::Warning);
    QCOMPARE(shown.first().buttons, MessageButtons::Ok);

    // Without a password there is no look for updates.
    QVERIFY(!main.updateProbe().timer().isActive());
    QVERIFY(DesktopServices::startedPrograms().isEmpty());
    QCOMPARE(main.height(), height);
    QCOMPARE(main.width(), 445);
}

void TestDashboard::languageLineDecidesLayoutAndTexts_data()
{
    QTest::addColumn<QString>("systemLanguage");
    QTest::addColumn<QString>("languageLine");
    QTest::addColumn<Language>("language");
    QTest::addColumn<QString>("encryptCaption");
    QTest::addColumn<int>("height");
    QTest::newRow("1 on a German system") << "Deutsch"
                                          << "1" << Language::English << "Encrypt" << 245;
    QTest::newRow("0 on an English system") << "English"
                                            << "0" << Language::German << "Verschlüsseln" << 305;
    QTest::newRow("blank keeps the system's") << "Deutsch"
                                              << "  " << Language::German << "Verschlüsseln" << 305;
    QTest::newRow("not a number is English") << "Deutsch"
                                             << "de" << Language::English << "Encrypt" << 245;
    // Any number but 0 is English, in the texts and in the layout alike.
    QTest::newRow("-1 is English") << "English"
                                   << "-1" << Language::English << "Encrypt" << 245;
    QTest::newRow("2 is English") << "Deutsch"
                                  << "2" << Language::English << "Encrypt" << 245;
}

void TestDashboard::languageLineDecidesLayoutAndTexts()
{
    QFETCH(QString, systemLanguage);
    QFETCH(QString, languageLine);
    QFETCH(Language, language);
    QFETCH(QString, encryptCaption);
    QFETCH(int, height);
    ProgramInfo::setSystemLanguageNameForTesting(systemLanguage);
    writeSettings(numberedLines(QStringLiteral(" "), languageLine));

    ProgramWindows windows;
    startDashboard(windows);
    DashboardWindow &main = windows.dashboard();
    QCOMPARE(main.language(), language);
    QCOMPARE(part<FlatButton>(&main, DashboardParts::Encrypt)->text(), encryptCaption);
    const bool german = language == Language::German;
    QCOMPARE(part<FlatButton>(&main, DashboardParts::SecureDelete)->text(),
             german ? QStringLiteral("Sicheres Löschen") : QStringLiteral("Secure Delete"));
    QCOMPARE(part<FlatButton>(&main, DashboardParts::Settings)->text(),
             german ? QStringLiteral("Einstellungen") : QStringLiteral("Settings"));
    QCOMPARE(part<QAction>(&main, DashboardParts::QuitEntry)->text(),
             german ? QStringLiteral("Beenden") : QStringLiteral("Quit"));
    QCOMPARE(main.height(), height);
    QCOMPARE(part<LinkLabel>(&main, DashboardParts::Banner)->isVisible(), height == 305);
    QCOMPARE(QFileInfo(HelpFile::applicationHelpFile()).fileName(),
             german ? QStringLiteral("velmorade.html") : QStringLiteral("velmora.html"));
    QCOMPARE(MessageBox::shownTexts(), QStringList{german ? WarningGerman : WarningEnglish});
    QCOMPARE(main.windowTitle(), QStringLiteral("Velmora2"));
}

void TestDashboard::closingKeepsEveryLineButKeyLanguageAndCarried()
{
    writeSettings(numberedLines(QStringLiteral(" "), QStringLiteral("1")));
    ProgramWindows windows;
    startDashboard(windows);
    DashboardWindow &main = windows.dashboard();

    // While the program runs, another writer (the settings window) changes
    // lines of its own and also the key line; closing writes back what the
    // dashboard holds for 2, 3 and 10 and keeps the rest as the file has it.
    QStringList changed = readSettings();
    changed[SettingsLine::BackupFolder] = QStringLiteral("/backup/here");
    changed[SettingsLine::Password] = QStringLiteral("0123456789abcdef0123456789abcdef");
    changed[SettingsLine::PersonalKey] = QStringLiteral("changed elsewhere");
    changed[SettingsLine::CarriedValue] = QStringLiteral("changed elsewhere");
    QVERIFY(SettingsFile::writeLines(iniPath(), Key, changed));
    QFile probe(probeFile());
    QVERIFY(probe.open(QIODevice::WriteOnly));
    probe.close();

    QSignalSpy ends(&main, &DashboardWindow::programEnds);
    QVERIFY(main.close());
    QCOMPARE(ends.count(), 1);
    const QStringList after = readSettings();
    QVERIFY(after.size() >= changed.size());
    for (int i = 0; i < changed.size(); ++i) {
        if (i == SettingsLine::PersonalKey || i == SettingsLine::Language ||
            i == SettingsLine::CarriedValue)
            continue;
        QCOMPARE(after.at(i), changed.at(i));
    }
    QCOMPARE(after.at(SettingsLine::PersonalKey), QStringLiteral("Abcdefghijklm%!+oKarnwyb"));
    QCOMPARE(after.at(SettingsLine::Language), QStringLiteral("1"));
    QCOMPARE(after.at(SettingsLine::CarriedValue), QStringLiteral("carried"));
    QVERIFY(!QFile::exists(probeFile()));
}

void TestDashboard::closingOnAFullDiskReportsAndStillEnds()
{
    writeSettings(numberedLines(QStringLiteral(" "), QStringLiteral("1")));
    ProgramWindows windows;
    startDashboard(windows);
    DashboardWindow &main = windows.dashboard();
    QFile file(iniPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    MessageBox::clearHistory();
    MessageBox::setAutoAnswer(true);

    QSignalSpy ends(&main, &DashboardWindow::programEnds);
    {
        AtomicFile::FailAfterForTesting fullDisk(10);
        QVERIFY(main.close());
    }
    const QList<Message> shown = MessageBox::shownMessages();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().style, MessageStyle::Dialog);
    QCOMPARE(shown.first().caption, QStringLiteral("Fehler"));
    QCOMPARE(shown.first().text, QStringLiteral("Access denied! Could not save INI file!"));
    QCOMPARE(ends.count(), 1);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before); // the old file is whole
}

void TestDashboard::passwordOutcome_data()
{
    QTest::addColumn<StartupCheckResult>("outcome");
    QTest::newRow("accepted") << StartupCheckResult::Accepted;
    QTest::newRow("reset") << StartupCheckResult::Reset;
    QTest::newRow("failed") << StartupCheckResult::Failed;
}

void TestDashboard::passwordOutcome()
{
    QFETCH(StartupCheckResult, outcome);
    const QString digest = QStringLiteral("0123456789abcdef0123456789abcdef");
    writeSettings(numberedLines(digest, QStringLiteral("1")));
    QFile before(iniPath());
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray bytesBefore = before.readAll();
    before.close();

    ProgramWindows windows;
    DashboardWindow &main = windows.dashboard();
    QStringList asked;
    main.setPasswordCheck([&](PasswordPrompt &, const QString &stored, Language language) {
        asked << stored << QString::number(storedLanguage(language));
        return outcome;
    });
    QSignalSpy rejected(&main, &DashboardWindow::startupRejected);
    main.show();

    QCOMPARE(asked, (QStringList{digest, QStringLiteral("1")}));
    QVERIFY(MessageBox::shownMessages().isEmpty()); // no "create a password" box
    switch (outcome) {
    case StartupCheckResult::Accepted:
    case StartupCheckResult::Reset: {
        const QString expected = outcome == StartupCheckResult::Accepted ? digest : QString();
        QCOMPARE(main.startup().sharedValues().acceptedPassword, expected);
        QCOMPARE(main.startup().values().storedPassword, expected);
        QCOMPARE(rejected.count(), 0);
        QVERIFY(main.updateProbe().timer().isActive());
        const QList<QStringList> started = DesktopServices::startedPrograms();
        QCOMPARE(started.size(), 1);
        QCOMPARE(started.first(), (QStringList{programFolder() + QStringLiteral("/checkup"),
                                               ProgramInfo::programFileName()}));
        main.close();
        // The password line stays as it was, also after a reset.
        QCOMPARE(readSettings().at(SettingsLine::Password), digest);
        break;
    }
    case StartupCheckResult::Failed: {
        QCOMPARE(rejected.count(), 1);
        QVERIFY(main.startupFailed());
        QVERIFY(main.testAttribute(Qt::WA_DontShowOnScreen));
        QVERIFY(!main.updateProbe().timer().isActive());
        QVERIFY(DesktopServices::startedPrograms().isEmpty());
        QSignalSpy ends(&main, &DashboardWindow::programEnds);
        main.close();
        QCOMPARE(ends.count(), 0);
        QFile after(iniPath());
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), bytesBefore);
        QVERIFY(main.startup().sharedValues().acceptedPassword.isEmpty());
        break;
    }
    }
}

void TestDashboard::fakeCheckerAnnouncesNewerVersionOnce_data()
{
    QTest::addColumn<QString>("languageLine");
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QString>("site");
    QTest::newRow("German") << "0"
                            << "Eine neue Version Ihres Programms ist verfügbar."
                            << "https://www.velmora.example/de";
    QTest::newRow("English") << "1"
                             << "An update of your software is now available"
                             << "https://www.velmora.example/en";
}

void TestDashboard::fakeCheckerAnnouncesNewerVersionOnce()
{
    QFETCH(QString, languageLine);
    QFETCH(QString, notice);
    QFETCH(QString, site);
    writeSettings(numberedLines(QStringLiteral("0123456789abcdef0123456789abcdef"), languageLine));
    // The checker next to the program writes the probe file named after the
    // program file it is given, in the temporary folder.
    const QString checker = programFolder() + QStringLiteral("/checkup");
    QFile script(checker);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '99.0.0.0\\r\\n' > \"$TMPDIR/${1%.*}.dat\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    ProgramWindows windows;
    DashboardWindow &main = windows.dashboard();
    main.setPasswordCheck(
        [](PasswordPrompt &, const QString &, Language) { return StartupCheckResult::Accepted; });
    main.show();
    QTRY_VERIFY(QFile::exists(probeFile()));
    main.updateProbe().timer().setInterval(10);
    QTRY_VERIFY(!main.updateProbe().timer().isActive());
    QTest::qWait(50);

    const QList<Message> shown = MessageBox::shownMessages();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().caption, QStringLiteral("Updater"));
    QCOMPARE(shown.first().text, notice);
    QCOMPARE(shown.first().icon, MessageIcon::Information);
    QCOMPARE(DesktopServices::openedUrls(), QList<QUrl>{QUrl(site)});
    QCOMPARE(main.updateProbe().tickCount(), 1);
    main.close();
    QVERIFY(!QFile::exists(probeFile()));
}

void TestDashboard::unusableVersionFileGoesToTheErrorReport()
{
    writeSettings(
        numberedLines(QStringLiteral("0123456789abcdef0123456789abcdef"), QStringLiteral("1")));
    ProgramWindows windows;
    DashboardWindow &main = windows.dashboard();
    main.setPasswordCheck(
        [](PasswordPrompt &, const QString &, Language) { return StartupCheckResult::Accepted; });
    main.show();
    QFile probe(probeFile());
    QVERIFY(probe.open(QIODevice::WriteOnly));
    probe.write("new version!\r\n");
    probe.close();
    main.updateProbe().timer().setInterval(10);
    QTRY_VERIFY(!main.updateProbe().timer().isActive());
    const QList<Message> shown = MessageBox::shownMessages();
    QCOMPARE(shown.size(), 3); // once per look
    QCOMPARE(shown.first().caption, QStringLiteral("Velmora2"));
    QCOMPARE(shown.first().text, QStringLiteral("'new version!' is not a valid integer value"));
    QVERIFY(DesktopServices::openedUrls().isEmpty());
}

void TestDashboard::encryptNeedsPersonalKey()
{
    writeSettings(numberedLines(QStringLiteral(" "), QStringLiteral("0")));
    ProgramWindows windows;
    startDashboard(windows);
    DashboardWindow &main = windows.dashboard();
    MessageBox::clearHistory();
    MessageBox::setAutoAnswer(true);

    // The key line turns blank while the program runs; the dashboard reads
    // the file again when the settings window closes.
    setKeyLineAndReload(windows, QStringLiteral("   "));
    QTest::mouseClick(part<FlatButton>(&main, DashboardParts::Encrypt), Qt::LeftButton);
    const QList<Message> shown = MessageBox::shownMessages();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().style, MessageStyle::Dialog);
    QCOMPARE(shown.first().caption, QStringLiteral("Fehler"));
    QCOMPARE(shown.first().text,
             QStringLiteral("Bitte legen Sie zuerst einen persönlichen Schlüssel an!"));
    QVERIFY(!windows.encryptWindow().isVisible());

    setKeyLineAndReload(windows, QStringLiteral("  Abcdefghijklm%!+oKarnwyb "));
    QTest::mouseClick(part<FlatButton>(&main, DashboardParts::Encrypt), Qt::LeftButton);
    EncryptWindow &tool = windows.encryptWindow();
    QVERIFY(tool.isVisible()); // modeless: the dashboard goes on
    QCOMPARE(tool.session().personalKey, QStringLiteral("Abcdefghijklm%!+oKarnwyb"));
    QCOMPARE(tool.currentKey(), QStringLiteral("Abcdefghijklm%!+oKarnwyb"));
    QCOMPARE(tool.session().textKey, QByteArray("oFuxnkwcazpgE"));
    QCOMPARE(tool.session().language, Language::German);
    tool.hide();
}

// The decoded final line break of a file that ends after line 1 is no key:
// encrypting is refused with the file named, and the file stays as it is.
void TestDashboard::settingsFileWithoutKeyLineIsNoKey()
{
    writeSettings({QStringLiteral(" "), QStringLiteral(" ")});
    QFile file(iniPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    ProgramWindows windows;
    startDashboard(windows);
    DashboardWindow &main = windows.dashboard();
    QVERIFY(main.startup().values().personalKey.isEmpty());
    MessageBox::clearHistory();

    QTest::mouseClick(part<FlatButton>(&main, DashboardParts::Encrypt), Qt::LeftButton);
    const QList<Message> shown = MessageBox::shownMessages();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().caption, QStringLiteral("Fehler"));
    QCOMPARE(shown.first().text,
             QStringLiteral("The settings file \"%1\" ends before its key line and holds no "
                            "personal key. Restore your key from a key file in the settings.")
                 .arg(QDir::toNativeSeparators(iniPath())));
    QVERIFY(!windows.encryptWindow().isVisible());

    main.close();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

void TestDashboard::setKeyLineAndReload(ProgramWindows &windows, const QString &key)
{
    QStringList lines = readSettings();
    QVERIFY(lines.size() > SettingsLine::PersonalKey);
    lines[SettingsLine::PersonalKey] = key;
    QVERIFY(SettingsFile::writeLines(iniPath(), Key, lines));
    QTest::mouseClick(part<FlatButton>(&windows.dashboard(), DashboardParts::Settings),
                      Qt::LeftButton);
    QTRY_VERIFY(windows.settingsWindow().isVisible());
    windows.settingsWindow().close();
    QCOMPARE(windows.dashboard().startup().values().personalKey, TextTrim::trimmed(key));
}

void TestDashboard::settingsWindowChangesLanguageAtOnce()
{
    writeSettings(numberedLines(QStringLiteral(" "), QStringLiteral("0")));
    ProgramWindows windows;
    startDashboard(windows);
    DashboardWindow &main = windows.dashboard();
    QCOMPARE(main.height(), 305);

    SettingsWindow &settings = windows.settingsWindow();
    QTest::mouseClick(part<FlatButton>(&main, DashboardParts::Settings), Qt::LeftButton);
    QVERIFY(settings.isVisible());
    QVERIFY(settings.isModal());
    // What the dashboard handed over: the settings file (its folder is the
    // data path shown), the text key (the stored key is read back) and the
    // language.
    QCOMPARE(QDir::fromNativeSeparators(
                 part<QLineEdit>(&settings, SettingsParts::DataPathField)->text()),
             dataFolder() + QLatin1Char('/'));
    QCOMPARE(part<QLineEdit>(&settings, SettingsParts::KeyField)->text(),
             QStringLiteral("Abcdefghijklm%!+oKarnwyb"));
    QCOMPARE(settings.language(), Language::German);

    // What the settings window does when English is chosen and saved.
    QStringList lines = readSettings();
    QVERIFY(lines.size() > SettingsLine::Language);
    lines[SettingsLine::Language] = QStringLiteral("1");
    QVERIFY(SettingsFile::writeLines(iniPath(), Key, lines));
    settings.reject();

    QCOMPARE(main.language(), Language::English);
    QCOMPARE(part<FlatButton>(&main, DashboardParts::Encrypt)->text(), QStringLiteral("Encrypt"));
    QCOMPARE(main.height(), 245);
    QVERIFY(!part<LinkLabel>(&main, DashboardParts::Banner)->isVisible());
    QCOMPARE(QFileInfo(HelpFile::applicationHelpFile()).fileName(), QStringLiteral("velmora.html"));
}

void TestDashboard::iconMenuAboutAndWebSite()
{
    writeSettings(numberedLines(QStringLiteral(" "), QStringLiteral("0")));
    ProgramWindows windows;
    startDashboard(windows);
    DashboardWindow &main = windows.dashboard();

    QTest::mouseClick(part<TitleBarPanel>(&main, DashboardParts::IconPanel), Qt::LeftButton, {},
                      QPoint(17, 17));
    QTRY_VERIFY(part<QMenu>(&main, DashboardParts::Menu)->isVisible());
    QCOMPARE(part<QMenu>(&main, DashboardParts::Menu)->pos(),
             main.frameGeometry().topLeft() + QPoint(10, 40));
    QStringList entries;
    for (const QAction *action : part<QMenu>(&main, DashboardParts::Menu)->actions())
        entries << (action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(entries, (QStringList{"Updates", "-", "Info", "Beenden"}));
    part<QMenu>(&main, DashboardParts::Menu)->hide();

    part<QAction>(&main, DashboardParts::UpdatesEntry)->trigger();
    QCOMPARE(DesktopServices::openedUrls(), QList<QUrl>{QUrl("https://www.velmora.example/de")});

    AboutDialog &about = windows.aboutDialog();
    QString title;
    QString version;
    QPoint aboutCentre;
    QTimer::singleShot(0, &about, [&] {
        title = about.windowTitle();
        version = part<QLabel>(&about, AboutParts::Version)->text();
        aboutCentre = about.frameGeometry().center();
        part<FlatButton>(&about, AboutParts::Close)->click();
    });
    part<QAction>(&main, DashboardParts::InfoEntry)->trigger();
    QCOMPARE(title, QStringLiteral("Über..."));
    QCOMPARE(version, ProgramInfo::version());
    QCOMPARE(version, QStringLiteral(VELMORA_VERSION_TEXT));
    // Centred over the dashboard.
    const QPoint offset = aboutCentre - main.frameGeometry().center();
    QVERIFY2(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1,
             qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
    QVERIFY(!about.isVisible());

    QSignalSpy ends(&main, &DashboardWindow::programEnds);
    part<QAction>(&main, DashboardParts::QuitEntry)->trigger();
    QCOMPARE(ends.count(), 1);
    QVERIFY(!main.isVisible());
}

void TestDashboard::bannerAndHelp()
{
    ProgramInfo::setSystemLanguageNameForTesting(QStringLiteral("Deutsch"));
    QFile page(programFolder() + QStringLiteral("/velmorade.html"));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.close();
    ProgramWindows windows;
    startDashboard(windows);
    DashboardWindow &main = windows.dashboard();
    QCOMPARE(part<LinkLabel>(&main, DashboardParts::Banner)->cursor().shape(),
             Qt::PointingHandCursor);
    QTest::mouseClick(part<LinkLabel>(&main, DashboardParts::Banner), Qt::LeftButton);
    QTest::keyClick(&main, Qt::Key_F1);
    const QList<QUrl> opened = DesktopServices::openedUrls();
    QCOMPARE(opened.size(), 2);
    QCOMPARE(opened.at(0).scheme(), QStringLiteral("https"));
    QCOMPARE(opened.at(1).fileName(), QStringLiteral("velmorade.html"));
    QCOMPARE(opened.at(1).fragment(), QStringLiteral("context-0"));
}

void TestDashboard::helpPageBesideProgramOrInstalled()
{
    const QString bin = m_home->filePath(QStringLiteral("prefix/bin/"));
    const QString share = m_home->filePath(QStringLiteral("prefix/share/velmora2/"));
    QVERIFY(QDir().mkpath(bin) && QDir().mkpath(share));
    // Nothing anywhere: the page beside the program is named (and F1 opens nothing).
    QCOMPARE(HelpFile::pageFor(bin, 1), bin + QStringLiteral("velmora.html"));
    HelpFile::setApplicationHelpFile(HelpFile::pageFor(bin, 1));
    QVERIFY(!HelpFile::showContext(40));
    // Installed: in the shared data folder.
    for (const QString &name : {QStringLiteral("velmora.html"), QStringLiteral("velmorade.html")}) {
        QFile page(share + name);
        QVERIFY(page.open(QIODevice::WriteOnly));
    }
    QCOMPARE(HelpFile::pageFor(bin, 1), share + QStringLiteral("velmora.html"));
    QCOMPARE(HelpFile::pageFor(bin, 0), share + QStringLiteral("velmorade.html"));
    HelpFile::setApplicationHelpFile(HelpFile::pageFor(bin, 0));
    QVERIFY(HelpFile::showContext(60));
    QCOMPARE(DesktopServices::openedUrls().last().fragment(), QStringLiteral("context-60"));
    // Beside the program wins (the build folder).
    QFile beside(bin + QStringLiteral("velmora.html"));
    QVERIFY(beside.open(QIODevice::WriteOnly));
    QCOMPARE(HelpFile::pageFor(bin, 1), bin + QStringLiteral("velmora.html"));
}

void TestDashboard::unreadableSettingsFileIsLeftAlone()
{
    // A settings file in a state that cannot be read (here: a folder in its
    // place): reported, nothing generated, nothing written over it.
    QVERIFY(QDir().mkpath(iniPath()));
    ProgramWindows windows;
    startDashboard(windows);
    DashboardWindow &main = windows.dashboard();
    const QList<Message> shown = MessageBox::shownMessages();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().caption, QStringLiteral("Velmora2"));
    QVERIFY(main.startup().values().personalKey.isEmpty());
    main.close();
    QCOMPARE(MessageBox::shownMessages().size(), 1);
    QVERIFY(QFileInfo(iniPath()).isDir());
}

void TestDashboard::dataFolderThatCannotBeMadeStopsTheStart()
{
    // The configuration folder is a file: the data folder cannot be made.
    QFile blocker(m_home->filePath(QStringLiteral("config")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ProgramWindows windows;
    startDashboard(windows);
    DashboardWindow &main = windows.dashboard();
    const QStringList texts = MessageBox::shownTexts();
    QCOMPARE(texts.size(), 1);
    QVERIFY2(texts.first().startsWith(QStringLiteral("The data folder cannot be used")),
             qPrintable(texts.first()));
    QVERIFY(!main.updateProbe().timer().isActive());
    QCOMPARE(part<FlatButton>(&main, DashboardParts::Encrypt)->text(),
             QStringLiteral("Encrypt")); // still a usable window
    main.close();
    QCOMPARE(MessageBox::shownMessages().size(), 1);
}

void TestDashboard::titleBarPanelsLightUp()
{
    ProgramWindows windows;
    startDashboard(windows);
    DashboardWindow &main = windows.dashboard();
    const QColor bar(103, 95, 137);
    const struct
    {
        TitleBarPanel *panel;
        QColor hover;
    } panels[] = {
        {part<TitleBarPanel>(&main, DashboardParts::Close), QColor(196, 0, 98)},
        {part<TitleBarPanel>(&main, DashboardParts::Minimise), QColor(138, 119, 142)},
        {part<TitleBarPanel>(&main, DashboardParts::IconPanel), QColor(138, 119, 142)},
    };
    for (const auto &entry : panels) {
        QCOMPARE(entry.panel->currentColor(), bar);
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(entry.panel, &enter);
        QCOMPARE(entry.panel->currentColor(), entry.hover);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(entry.panel, &leave);
        QCOMPARE(entry.panel->currentColor(), bar);
    }
    QSignalSpy ends(&main, &DashboardWindow::programEnds);
    QTest::mouseClick(part<TitleBarPanel>(&main, DashboardParts::Close), Qt::LeftButton, {},
                      QPoint(15, 17));
    QCOMPARE(ends.count(), 1);
}

void TestDashboard::titleBarDragsWithAnyButton_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("onTitleText");
    QTest::newRow("left on the bar") << Qt::LeftButton << false;
    QTest::newRow("right on the title text") << Qt::RightButton << true;
    QTest::newRow("middle on the bar") << Qt::MiddleButton << false;
}

void TestDashboard::titleBarDragsWithAnyButton()
{
    // Without a window manager that moves windows (as here), the window
    // follows the mouse itself.
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, onTitleText);
    ProgramWindows windows;
    startDashboard(windows);
    DashboardWindow &main = windows.dashboard();
    const QPoint before = main.pos();
    const QPoint grip = onTitleText
                            ? part<QLabel>(&main, DashboardParts::Title)->geometry().center()
                            : QPoint(60, 10);
    QTest::mousePress(part<QWidget>(&main, DashboardParts::TitleBar), button, {}, grip);
    QMouseEvent move(
        QEvent::MouseMove, QPointF(grip + QPoint(40, 25)),
        QPointF(part<QWidget>(&main, DashboardParts::TitleBar)->mapToGlobal(grip) + QPoint(40, 25)),
        button, button, Qt::NoModifier);
    QApplication::sendEvent(part<QWidget>(&main, DashboardParts::TitleBar), &move);
    QTest::mouseRelease(part<QWidget>(&main, DashboardParts::TitleBar), button, {},
                        grip + QPoint(40, 25));
    QCOMPARE(main.pos(), before + QPoint(40, 25));

    // Let go, the window no longer follows the pointer.
    QMouseEvent after(
        QEvent::MouseMove, QPointF(grip + QPoint(90, 60)),
        QPointF(part<QWidget>(&main, DashboardParts::TitleBar)->mapToGlobal(grip) + QPoint(90, 60)),
        Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(part<QWidget>(&main, DashboardParts::TitleBar), &after);
    QCOMPARE(main.pos(), before + QPoint(40, 25));
}

QTEST_MAIN(TestDashboard)
#include "TestDashboard.moc"
