#include "TestFiles.h"
#include "TextFit.h"

#include "WidgetPart.h"
#include "WindowParts.h"
#include "access/PasswordCheck.h"
#include "keys/ApplicationTextKey.h"
#include "keys/KeyFile.h"
#include "keys/PersonalKey.h"
#include "platform/AnsiCodePage.h"
#include "platform/gui/DesktopServices.h"
#include "platform/gui/HelpFile.h"
#include "settings/FormatChoice.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsValues.h"
#include "widgets/FileDialog.h"
#include "widgets/FlatButton.h"
#include "widgets/MessageBox.h"
#include "windows/SettingsTexts.h"
#include "windows/SettingsWindow.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray Key(ApplicationTextKey);
const QString StoredKey = QStringLiteral("Abcdefghijklm%!+oKarnwyb");
const QString SaveNowGerman = QStringLiteral("Einstellungen jetzt speichern?");

} // namespace

class TestSettingsWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void openingFillsTheFieldsFromTheFile();
    void openingWithMissingFileKeepsPasswordAndBackup();
    void languageChoiceChangesEveryTextAtOnce_data();
    void languageChoiceChangesEveryTextAtOnce();
    void closeAsksOnlyAfterAChange_data();
    void closeAsksOnlyAfterAChange();
    void saveStoresTheWindowsLinesAndCloses();
    void saveWithoutFileWritesElevenLines();
    void unwritableFileReportsAndStillCloses();
    void f11AndReopeningHideTheNewKeyButton();
    void newKey_data();
    void newKey();
    void exportThenRestoreGivesBackTheSameKey();
    void restoreKeyAnswers_data();
    void restoreKeyAnswers();
    void restoreKeyFailures();
    void backupIntoFolderWithOlderCopies();
    void backupWithEmptyFieldWarnsAndOffersTheChooser();
    void chooseBackupFolder_data();
    void chooseBackupFolder();
    void restoreDataThenClose_data();
    void restoreDataThenClose();
    void fileManagerAndHelpOpenWhereTheyShould();
    void restoreKeepsTheChosenBackupFolder();
    void captionsShareOneSize_data();
    void captionsShareOneSize();
    void maskedKeyShowsFromItsFirstCharacter();
    void keyFieldShowsTheWholeKey_data();
    void keyFieldShowsTheWholeKey();
    void reopeningKeepsThePlace();
    void formatChoiceIsStoredOnItsOwn();

private:
    QString dataFolder() const { return m_dir->filePath(QStringLiteral("velmora/")); }
    QString iniPath() const { return dataFolder() + QStringLiteral("velmora.ini"); }
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QStringList lines(const QString &language = QStringLiteral("0")) const;
    void writeSettings(const QStringList &settings) const;
    QStringList readSettings() const;
    void open(SettingsWindow &window, int language = 0);

    QScopedPointer<QTemporaryDir> m_dir;
    // The values the start-up shares with the window for the run.
    SettingsValues m_shared;
};

void TestSettingsWindow::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir().mkpath(dataFolder()));
    QVERIFY(QDir().mkpath(path(QStringLiteral("backup"))));
    m_shared = SettingsValues{};
    MessageBox::clearHistory();
    MessageBox::setAutoAnswer(true);
    FileDialog::clearHistory();
    FileDialog::setNextResults({});
    DesktopServices::clearHistory();
    DesktopServices::setRecording(true);
}

void TestSettingsWindow::cleanup()
{
    MessageBox::setAutoAnswer(false);
    MessageBox::clearHistory();
    FileDialog::setNextResults({});
    FileDialog::clearHistory();
}

// A file as the program writes it: a digest, a key, a language, the data
// path, a backup folder and a carried value.
QStringList TestSettingsWindow::lines(const QString &language) const
{
    QStringList settings(13, QStringLiteral(" "));
    settings[SettingsLine::Password] = PasswordCheck::storedForm(QStringLiteral("geheim"));
    settings[SettingsLine::Reserved1] = QStringLiteral("reserved 1");
    settings[SettingsLine::PersonalKey] = StoredKey;
    settings[SettingsLine::Language] = language;
    settings[SettingsLine::DataPath] = m_dir->path();
    settings[5] = QStringLiteral("reserved 5");
    settings[SettingsLine::FalseMarker] = QStringLiteral("false");
    settings[SettingsLine::BackupFolder] = path(QStringLiteral("backup"));
    settings[SettingsLine::CarriedValue] = QStringLiteral("carried");
    settings[12] = QStringLiteral("twelve");
    return settings;
}

void TestSettingsWindow::writeSettings(const QStringList &settings) const
{
    QVERIFY(SettingsFile::writeLines(iniPath(), Key, settings));
}

QStringList TestSettingsWindow::readSettings() const
{
    return SettingsFile::readLines(iniPath(), Key).value_or(QStringList());
}

// What the dashboard does to open the window.
void TestSettingsWindow::open(SettingsWindow &window, int language)
{
    window.open(SettingsSession{iniPath(), Key, languageFromStored(language), &m_shared});
}

void TestSettingsWindow::openingFillsTheFieldsFromTheFile()
{
    writeSettings(lines(QStringLiteral("1")));
    m_shared.acceptedPassword = PasswordCheck::storedForm(QStringLiteral("geheim"));
    SettingsWindow window;
    open(window, 0); // the file's language wins over the one handed over

    QVERIFY(!window.hasUnsavedChanges());
    QCOMPARE(part<QLineEdit>(&window, SettingsParts::PasswordField)->text(),
             PasswordCheck::storedForm(QStringLiteral("geheim")));
    QVERIFY(part<QLineEdit>(&window, SettingsParts::PasswordField)->isReadOnly());
    QCOMPARE(part<QLineEdit>(&window, SettingsParts::KeyField)->text(), StoredKey);
    QVERIFY(part<QLineEdit>(&window, SettingsParts::KeyField)->isReadOnly());
    QCOMPARE(part<QLineEdit>(&window, SettingsParts::KeyField)->echoMode(), QLineEdit::Password);
    QVERIFY(part<FlatButton>(&window, SettingsParts::NewKey)->isHidden());
    QCOMPARE(part<QLineEdit>(&window, SettingsParts::DataPathField)->text(), m_dir->path());
    QCOMPARE(part<QLineEdit>(&window, SettingsParts::BackupField)->text(),
             path(QStringLiteral("backup")));
    QCOMPARE(window.language(), Language::English);
    QVERIFY(part<QRadioButton>(&window, SettingsParts::English)->isChecked());
    QCOMPARE(window.windowTitle(), QStringLiteral("Options"));
    QCOMPARE(window.size(), QSize(431, 326));
    QCOMPARE(m_shared.dataFolder, dataFolder());
    QCOMPARE(m_shared.personalKey, StoredKey);
    QCOMPARE(m_shared.carriedValue, QStringLiteral("carried"));
    QVERIFY(MessageBox::shownMessages().isEmpty());
}

void TestSettingsWindow::openingWithMissingFileKeepsPasswordAndBackup()
{
    writeSettings(lines());
    SettingsWindow window;
    open(window);
    const QString digest = part<QLineEdit>(&window, SettingsParts::PasswordField)->text();
    QVERIFY(!digest.isEmpty());
    part<QPushButton>(&window, SettingsParts::Close)->click();
    QVERIFY(!window.isVisible());

    QVERIFY(QFile::remove(iniPath()));
    open(window);
    QVERIFY(window.isVisible());
    QCOMPARE(part<QLineEdit>(&window, SettingsParts::DataPathField)->text(), dataFolder());
    QCOMPARE(part<QLineEdit>(&window, SettingsParts::KeyField)->text(), QString());
    QCOMPARE(part<QLineEdit>(&window, SettingsParts::PasswordField)->text(), digest);
    QCOMPARE(part<QLineEdit>(&window, SettingsParts::BackupField)->text(),
             path(QStringLiteral("backup")));
    QVERIFY(!window.hasUnsavedChanges());
    QVERIFY(MessageBox::shownMessages().isEmpty());
    part<QPushButton>(&window, SettingsParts::Close)->click();
    QVERIFY(!QFile::exists(iniPath())); // closing unchanged writes nothing
}

void TestSettingsWindow::languageChoiceChangesEveryTextAtOnce_data()
{
    QTest::addColumn<QString>("fileLanguage");
    QTest::addColumn<int>("chosen");
    QTest::newRow("German to English") << "0" << 1;
    QTest::newRow("English to German") << "1" << 0;
}

void TestSettingsWindow::languageChoiceChangesEveryTextAtOnce()
{
    QFETCH(QString, fileLanguage);
    QFETCH(int, chosen);
    writeSettings(lines(fileLanguage));
    SettingsWindow window;
    open(window, 1 - chosen);

    // A click on the language already chosen is no change.
    QTest::mouseClick(chosen == 0 ? part<QRadioButton>(&window, SettingsParts::English)
                                  : part<QRadioButton>(&window, SettingsParts::German),
                      Qt::LeftButton);
    QVERIFY(!window.hasUnsavedChanges());
    QTest::mouseClick(chosen == 0 ? part<QRadioButton>(&window, SettingsParts::German)
                                  : part<QRadioButton>(&window, SettingsParts::English),
                      Qt::LeftButton);
    QCOMPARE(window.language(), languageFromStored(chosen));
    QVERIFY(window.hasUnsavedChanges());

    const bool german = chosen == 0;
    const auto pick = [german](const char *de, const char *en) {
        return QString::fromUtf8(german ? de : en);
    };
    QCOMPARE(window.windowTitle(), pick("Optionen", "Options"));
    QCOMPARE(part<QLabel>(&window, SettingsParts::PasswordCaption)->text(),
             pick("Passwort:", "Password:"));
    QCOMPARE(part<QLabel>(&window, SettingsParts::DataPathCaption)->text(),
             pick("Datenpfad:", "Data Path:"));
    QCOMPARE(part<QLabel>(&window, SettingsParts::KeyCaption)->text(),
             pick("Pers. Schlüssel:", "Personal Key:"));
    QCOMPARE(part<QPushButton>(&window, SettingsParts::Save)->text(), pick("Speichern", "Save"));
    QCOMPARE(part<QPushButton>(&window, SettingsParts::Close)->text(), pick("Schliessen", "Close"));
    QCOMPARE(part<FlatButton>(&window, SettingsParts::SetPassword)->hint(),
             pick("Neues Passwort anlegen", "Create new password"));
    QCOMPARE(part<FlatButton>(&window, SettingsParts::DeletePassword)->hint(),
             pick("Passwort löschen", "Delete password"));
    QCOMPARE(part<FlatButton>(&window, SettingsParts::Backup)->hint(),
             pick("Dateien sichern", "Backup files"));
    QCOMPARE(part<FlatButton>(&window, SettingsParts::RestoreData)->hint(),
             pick("Daten aus Backup wiederherstellen", "Restore data"));
    QCOMPARE(part<FlatButton>(&window, SettingsParts::RestoreKey)->hint(),
             pick("Persönlichen Schlüssel aus Datei wiederherstellen",
                  "Restore personal key from file"));
    QCOMPARE(
        part<FlatButton>(&window, SettingsParts::ShowDataFolder)->hint(),
        pick("Verzeichnis im Windows Explorer anzeigen", "Show directory in Windows Explorer"));
    QCOMPARE(part<FlatButton>(&window, SettingsParts::ChooseBackupFolder)->hint(),
             pick("Backupverzeichnis auswählen", "Select backup folder"));
    QCOMPARE(part<FlatButton>(&window, SettingsParts::ExportKey)->hint(),
             pick("Persönlichen Schlüssel sichern/exportieren", "Backup personal key"));
    QCOMPARE(part<FlatButton>(&window, SettingsParts::NewKey)->hint(),
             pick("Neuen Schlüssel generieren", "Restore personal key from file"));
    QCOMPARE(part<QGroupBox>(&window, SettingsParts::FormatGroup)->title(),
             pick("Format neuer Dateien", "Format for new files"));
    QCOMPARE(part<QRadioButton>(&window, SettingsParts::CompatibleFormat)->text(),
             pick("kompatibel", "compatible"));
    QCOMPARE(part<QRadioButton>(&window, SettingsParts::AgeFormat)->text(),
             pick("stark (age)", "strong (age)"));
    // The same in both languages.
    QCOMPARE(part<QLabel>(&window, SettingsParts::BackupCaption)->text(),
             QStringLiteral("Backup:"));
    QCOMPARE(part<QLabel>(&window, SettingsParts::DigestCaption)->text(), QStringLiteral("MD5"));
    QCOMPARE(part<QGroupBox>(&window, SettingsParts::LanguageGroup)->title(),
             QStringLiteral("Language"));
    QCOMPARE(part<QRadioButton>(&window, SettingsParts::German)->text(), QStringLiteral("German"));
    QCOMPARE(part<QRadioButton>(&window, SettingsParts::English)->text(),
             QStringLiteral("English"));
    QCOMPARE(part<FlatButton>(&window, SettingsParts::MaskKey)->hint(),
             QStringLiteral("Switch password char"));
    QCOMPARE(part<QLineEdit>(&window, SettingsParts::BackupField)->toolTip(),
             QStringLiteral("Letzte Sicherung"));

    // Closing asks in the chosen language; No keeps the file as it was.
    const QByteArray before = TestFiles::read(iniPath());
    MessageBox::setNextAnswers({MessageAnswer::No});
    part<QPushButton>(&window, SettingsParts::Close)->click();
    QVERIFY(!window.isVisible());
    QCOMPARE(MessageBox::shownMessages().size(), 1);
    const Message question = MessageBox::shownMessages().constFirst();
    QCOMPARE(question.text, pick("Einstellungen jetzt speichern?", "Save settings now?"));
    QCOMPARE(question.caption, QStringLiteral("Velmora2"));
    QCOMPARE(question.buttons, MessageButtons::YesNo);
    QCOMPARE(question.icon, MessageIcon::Question);
    QCOMPARE(TestFiles::read(iniPath()), before);
}

void TestSettingsWindow::closeAsksOnlyAfterAChange_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<MessageAnswer>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QString>("storedBackup");

    QTest::newRow("nothing changed") << "" << MessageAnswer::Yes << false << "backup";
    QTest::newRow("backup field typed, Yes") << "backup" << MessageAnswer::Yes << true << "backup2";
    QTest::newRow("backup field typed, No") << "backup" << MessageAnswer::No << true << "backup";
    QTest::newRow("data path typed, Yes") << "data path" << MessageAnswer::Yes << true << "backup";
}

void TestSettingsWindow::closeAsksOnlyAfterAChange()
{
    QFETCH(QString, change);
    QFETCH(MessageAnswer, answer);
    QFETCH(bool, asked);
    QFETCH(QString, storedBackup);

    writeSettings(lines());
    m_shared.acceptedPassword = QStringLiteral("accepted");
    SettingsWindow window;
    open(window);
    if (change == QLatin1String("backup")) {
        part<QLineEdit>(&window, SettingsParts::BackupField)->setFocus();
        part<QLineEdit>(&window, SettingsParts::BackupField)->end(false);
        QTest::keyClicks(part<QLineEdit>(&window, SettingsParts::BackupField), QStringLiteral("2"));
    } else if (change == QLatin1String("data path")) {
        part<QLineEdit>(&window, SettingsParts::DataPathField)->end(false);
        QTest::keyClicks(part<QLineEdit>(&window, SettingsParts::DataPathField),
                         QStringLiteral("x"));
    }
    QCOMPARE(window.hasUnsavedChanges(), asked);

    const QByteArray before = TestFiles::read(iniPath());
    MessageBox::setNextAnswers({answer});
    part<QPushButton>(&window, SettingsParts::Close)->click();
    QVERIFY(!window.isVisible());
    QCOMPARE(MessageBox::shownTexts(), asked ? QStringList{SaveNowGerman} : QStringList{});
    QCOMPARE(readSettings().value(SettingsLine::BackupFolder), path(storedBackup));
    if (!asked || answer == MessageAnswer::No)
        QCOMPARE(TestFiles::read(iniPath()), before);
    // Closing always forgets the accepted password.
    QCOMPARE(m_shared.acceptedPassword, QString());
}

void TestSettingsWindow::saveStoresTheWindowsLinesAndCloses()
{
    writeSettings(lines());
    SettingsWindow window;
    open(window);
    const QString typedPath = path(QStringLiteral("backup")) + QStringLiteral(" ");
    part<QLineEdit>(&window, SettingsParts::DataPathField)->selectAll();
    QTest::keyClicks(part<QLineEdit>(&window, SettingsParts::DataPathField), typedPath);
    QTest::mouseClick(part<QRadioButton>(&window, SettingsParts::English), Qt::LeftButton);
    part<QPushButton>(&window, SettingsParts::Save)->click();

    QVERIFY(!window.isVisible());
    QVERIFY(MessageBox::shownMessages().isEmpty()); // saved: closing asks nothing
    const QStringList stored = readSettings();
    QCOMPARE(stored.value(SettingsLine::DataPath),
             path(QStringLiteral("backup"))); // no trailing blank
    QCOMPARE(stored.value(SettingsLine::Language), QStringLiteral("1"));
    QCOMPARE(stored.value(SettingsLine::Password),
             PasswordCheck::storedForm(QStringLiteral("geheim")));
    QCOMPARE(stored.value(SettingsLine::PersonalKey), StoredKey);
    QCOMPARE(stored.value(SettingsLine::CarriedValue), QStringLiteral("carried"));
    // Lines the window does not own survive.
    QCOMPARE(stored.value(SettingsLine::Reserved1), QStringLiteral("reserved 1"));
    QCOMPARE(stored.value(5), QStringLiteral("reserved 5"));
    QCOMPARE(stored.value(12), QStringLiteral("twelve"));
    // The save read the file back before closing.
    QCOMPARE(m_shared.dataPath, path(QStringLiteral("backup")));
    QCOMPARE(m_shared.acceptedPassword, QString()); // emptied on close
}

void TestSettingsWindow::saveWithoutFileWritesElevenLines()
{
    SettingsWindow window;
    m_shared.acceptedPassword = QStringLiteral("0123456789abcdef0123456789abcdef");
    open(window, 1);
    QCOMPARE(part<QLineEdit>(&window, SettingsParts::DataPathField)->text(), dataFolder());
    part<QPushButton>(&window, SettingsParts::Save)->click();

    const QStringList stored = readSettings();
    QCOMPARE(stored.size(), 12); // eleven lines and the one that decoding adds
    QCOMPARE(stored.at(SettingsLine::Password), QStringLiteral("0123456789abcdef0123456789abcdef"));
    QCOMPARE(stored.at(SettingsLine::Reserved1), QStringLiteral(" "));
    QCOMPARE(stored.at(SettingsLine::PersonalKey), QString());
    QCOMPARE(stored.at(SettingsLine::Language), QStringLiteral("1"));
    QCOMPARE(stored.at(SettingsLine::DataPath), dataFolder());
    QCOMPARE(stored.at(SettingsLine::FalseMarker), QStringLiteral("false"));
}

void TestSettingsWindow::unwritableFileReportsAndStillCloses()
{
    if (QFileInfo(QDir::rootPath()).isWritable())
        QSKIP("running as a user who may write everywhere");
    writeSettings(lines());
    const QByteArray before = TestFiles::read(iniPath());
    QFile::setPermissions(dataFolder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    SettingsWindow window;
    open(window);
    QTest::mouseClick(part<QRadioButton>(&window, SettingsParts::English), Qt::LeftButton);
    part<QPushButton>(&window, SettingsParts::Save)->click();
    QFile::setPermissions(dataFolder(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QVERIFY(!window.isVisible());
    QCOMPARE(
        MessageBox::shownTexts(),
        QStringList{QStringLiteral("Fehler beim Speichern der INI-Datei! Zugriff verweigert.")});
    QCOMPARE(TestFiles::read(iniPath()), before);
}

void TestSettingsWindow::f11AndReopeningHideTheNewKeyButton()
{
    writeSettings(lines());
    SettingsWindow window;
    open(window);
    QVERIFY(part<FlatButton>(&window, SettingsParts::NewKey)->isHidden());
    QTest::keyClick(part<QLineEdit>(&window, SettingsParts::DataPathField), Qt::Key_F11);
    QVERIFY(!part<FlatButton>(&window, SettingsParts::NewKey)->isHidden());
    QTest::keyClick(part<QLineEdit>(&window, SettingsParts::DataPathField), Qt::Key_F11);
    QVERIFY(part<FlatButton>(&window, SettingsParts::NewKey)->isHidden());

    // The mask switch shows the key and hides it again.
    part<FlatButton>(&window, SettingsParts::MaskKey)->click();
    QCOMPARE(part<QLineEdit>(&window, SettingsParts::KeyField)->echoMode(), QLineEdit::Normal);
    part<FlatButton>(&window, SettingsParts::MaskKey)->click();
    QCOMPARE(part<QLineEdit>(&window, SettingsParts::KeyField)->echoMode(), QLineEdit::Password);

    // Reopening hides the button and masks the key again.
    QTest::keyClick(&window, Qt::Key_F11);
    part<FlatButton>(&window, SettingsParts::MaskKey)->click();
    part<QPushButton>(&window, SettingsParts::Close)->click();
    open(window);
    QVERIFY(part<FlatButton>(&window, SettingsParts::NewKey)->isHidden());
    QCOMPARE(part<QLineEdit>(&window, SettingsParts::KeyField)->echoMode(), QLineEdit::Password);
    QVERIFY(!window.hasUnsavedChanges()); // neither key marks the data as changed
}

void TestSettingsWindow::newKey_data()
{
    QTest::addColumn<MessageAnswer>("answer");
    QTest::addColumn<bool>("save");
    QTest::newRow("No changes nothing") << MessageAnswer::No << false;
    QTest::newRow("Yes, then Close, discards the key") << MessageAnswer::Yes << false;
    QTest::newRow("Yes, then Save, stores the key") << MessageAnswer::Yes << true;
}

void TestSettingsWindow::newKey()
{
    QFETCH(MessageAnswer, answer);
    QFETCH(bool, save);
    writeSettings(lines(QStringLiteral("1")));
    SettingsWindow window;
    open(window, 1);
    QTest::keyClick(&window, Qt::Key_F11);
    MessageBox::setNextAnswers({answer});
    part<FlatButton>(&window, SettingsParts::NewKey)->click();

    const Message question = MessageBox::shownMessages().value(0);
    QCOMPARE(question.caption, QStringLiteral("Velmora"));
    QCOMPARE(question.buttons, MessageButtons::YesNo);
    QCOMPARE(question.text, QStringLiteral("Alredy encrypted files can not be decrypted by a new "
                                           "encryption key. Backup your existing key. Continue?"));
    const QString shown = part<QLineEdit>(&window, SettingsParts::KeyField)->text();
    if (answer == MessageAnswer::No) {
        QCOMPARE(shown, StoredKey);
        QCOMPARE(part<QLineEdit>(&window, SettingsParts::KeyField)->echoMode(),
                 QLineEdit::Password);
    } else {
        QCOMPARE(shown.size(), 24);
        QVERIFY(shown.endsWith(QLatin1String(UserKeyTail)));
        QVERIFY(shown != StoredKey);
        QCOMPARE(part<QLineEdit>(&window, SettingsParts::KeyField)->echoMode(), QLineEdit::Normal);
    }
    QVERIFY(!window.hasUnsavedChanges());

    MessageBox::clearHistory();
    (save ? part<QPushButton>(&window, SettingsParts::Save)
          : part<QPushButton>(&window, SettingsParts::Close))
        ->click();
    QVERIFY(MessageBox::shownMessages().isEmpty()); // the new key asks nothing on close
    // A character outside the code page is stored as "?"; the stored key is
    // the one in force.
    const QString stored = AnsiCodePage::toUnicode(AnsiCodePage::fromUnicode(shown));
    QCOMPARE(readSettings().value(SettingsLine::PersonalKey), save ? stored : StoredKey);
}

void TestSettingsWindow::exportThenRestoreGivesBackTheSameKey()
{
    writeSettings(lines());
    SettingsWindow window;
    open(window);
    const QString keyFile = path(QStringLiteral("spare.key"));
    FileDialog::setNextResult({keyFile});
    part<FlatButton>(&window, SettingsParts::ExportKey)->click();

    const FileDialogRequest request = FileDialog::requests().value(0);
    QCOMPARE(request.kind, FileDialogRequest::Kind::SaveFile);
    QCOMPARE(request.directory, m_dir->path()); // DataPath
    QCOMPARE(request.filter, QStringLiteral("All|*.*|Key|*.key|Ini|*.ini"));
    QCOMPARE(request.selectedFilter, QStringLiteral("Key|*.key"));
    QVERIFY(request.fileName.endsWith(QLatin1String(".key")));
    // The whole file is the coded key: one byte per character, no line break.
    QCOMPARE(TestFiles::read(keyFile).size(), StoredKey.size());
    QCOMPARE(ReadKeyFile(keyFile, Key).value_or(QStringList()), QStringList{StoredKey});

    // Another key comes into force, then the spare copy is restored.
    part<QPushButton>(&window, SettingsParts::Close)->click();
    QStringList other = lines();
    other[SettingsLine::PersonalKey] = QStringLiteral("Zyxwvutsrqpon%!+oKarnwyb");
    writeSettings(other);
    open(window);
    QCOMPARE(part<QLineEdit>(&window, SettingsParts::KeyField)->text(),
             other[SettingsLine::PersonalKey]);

    FileDialog::clearHistory();
    FileDialog::setNextResult({keyFile});
    MessageBox::setNextAnswers({MessageAnswer::Yes});
    part<FlatButton>(&window, SettingsParts::RestoreKey)->click();

    const FileDialogRequest openRequest = FileDialog::requests().value(0);
    QCOMPARE(openRequest.kind, FileDialogRequest::Kind::OpenFile);
    QCOMPARE(openRequest.directory, m_dir->path());
    QCOMPARE(openRequest.filter, QStringLiteral("All|*.*|Key|*.key"));
    QCOMPARE(openRequest.selectedFilter, QStringLiteral("Key|*.key"));
    QCOMPARE(MessageBox::shownTexts(), QStringList{SaveNowGerman});
    QCOMPARE(part<QLineEdit>(&window, SettingsParts::KeyField)->text(), StoredKey);
    QCOMPARE(readSettings().value(SettingsLine::PersonalKey), StoredKey);
    QVERIFY(window.isVisible()); // restoring the key does not close the window
}

void TestSettingsWindow::restoreKeyAnswers_data()
{
    QTest::addColumn<QStringList>("keyFileLines");
    QTest::addColumn<QList<MessageAnswer>>("answers");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("stored");

    const QString restored = QStringLiteral("Restored key");
    QTest::newRow("key line and file names, Yes")
        << QStringList{QStringLiteral("  Restored key "), QStringLiteral("a.txt"),
                       QStringLiteral("b.txt")}
        << QList<MessageAnswer>{MessageAnswer::Yes} << restored << restored;
    QTest::newRow("No: shown, stored at the next save only")
        << QStringList{restored} << QList<MessageAnswer>{MessageAnswer::No} << restored
        << StoredKey;
    QTest::newRow("blank key line changes nothing, asks nothing")
        << QStringList{QStringLiteral("   "), QStringLiteral("a.txt")} << QList<MessageAnswer>{}
        << StoredKey << StoredKey;
}

void TestSettingsWindow::restoreKeyAnswers()
{
    QFETCH(QStringList, keyFileLines);
    QFETCH(QList<MessageAnswer>, answers);
    QFETCH(QString, shown);
    QFETCH(QString, stored);

    writeSettings(lines());
    const QString keyFile = path(QStringLiteral("restore.key"));
    QVERIFY(WriteKeyFile(keyFile, Key, keyFileLines));
    SettingsWindow window;
    open(window);
    FileDialog::setNextResult({keyFile});
    MessageBox::setNextAnswers(answers);
    part<FlatButton>(&window, SettingsParts::RestoreKey)->click();

    QCOMPARE(MessageBox::shownMessages().size(), answers.size());
    QCOMPARE(part<QLineEdit>(&window, SettingsParts::KeyField)->text(), shown);
    QCOMPARE(readSettings().value(SettingsLine::PersonalKey), stored);
    QVERIFY(!window.hasUnsavedChanges());
    MessageBox::clearHistory();
    part<QPushButton>(&window, SettingsParts::Close)->click();
    QVERIFY(MessageBox::shownMessages().isEmpty());
    QCOMPARE(readSettings().value(SettingsLine::PersonalKey), stored);
}

void TestSettingsWindow::restoreKeyFailures()
{
    writeSettings(lines());
    SettingsWindow window;
    open(window);

    // Cancelled dialog: nothing.
    FileDialog::setNextResult({});
    part<FlatButton>(&window, SettingsParts::RestoreKey)->click();
    // A file that cannot be read: the error is reported, the key stays.
    FileDialog::setNextResult({path(QStringLiteral("missing.key"))});
    part<FlatButton>(&window, SettingsParts::RestoreKey)->click();
    QCOMPARE(MessageBox::shownMessages().size(), 1);
    QCOMPARE(MessageBox::shownMessages().constFirst().icon, MessageIcon::Error);
    QCOMPARE(part<QLineEdit>(&window, SettingsParts::KeyField)->text(), StoredKey);
    QCOMPARE(m_shared.personalKey, StoredKey);

    // An export into a folder that does not exist is reported too.
    MessageBox::clearHistory();
    MessageBox::setAutoAnswer(true);
    FileDialog::setNextResult({path(QStringLiteral("no/such/folder/x.key"))});
    part<FlatButton>(&window, SettingsParts::ExportKey)->click();
    QCOMPARE(MessageBox::shownMessages().size(), 1);
    QCOMPARE(MessageBox::shownMessages().constFirst().icon, MessageIcon::Error);
    QVERIFY(window.isVisible());
}

void TestSettingsWindow::backupIntoFolderWithOlderCopies()
{
    writeSettings(lines());
    QVERIFY(TestFiles::write(dataFolder() + QStringLiteral("notes.txt"), "new notes"));
    QVERIFY(TestFiles::write(dataFolder() + QStringLiteral(".hidden"), "hidden"));
    QVERIFY(QDir().mkpath(dataFolder() + QStringLiteral("sub")));
    const QString backup = path(QStringLiteral("backup"));
    QVERIFY(TestFiles::write(backup + QStringLiteral("/notes.txt"), "old notes"));
    QVERIFY(TestFiles::write(backup + QStringLiteral("/velmora.ini"), "old settings"));

    SettingsWindow window;
    open(window);
    part<FlatButton>(&window, SettingsParts::Backup)->click();
    part<FlatButton>(&window, SettingsParts::Backup)
        ->click(); // twice in one opening: each run reports its own count

    QCOMPARE(
        MessageBox::shownTexts(),
        (QStringList{QStringLiteral("Starte Datenbackup nach: ") + backup,
                     QStringLiteral("2 Datei(en) gesichert."),
                     QStringLiteral("Starte Datenbackup nach: ") + backup + QStringLiteral("/"),
                     QStringLiteral("2 Datei(en) gesichert.")}));
    QCOMPARE(TestFiles::read(backup + QStringLiteral("/notes.txt")), QByteArray("new notes"));
    QCOMPARE(TestFiles::read(backup + QStringLiteral("/velmora.ini")), TestFiles::read(iniPath()));
    QVERIFY(!QFile::exists(backup + QStringLiteral("/.hidden")));
    QVERIFY(!QFile::exists(backup + QStringLiteral("/sub")));
    // The field now ends with a delimiter: a change, offered on closing.
    QCOMPARE(part<QLineEdit>(&window, SettingsParts::BackupField)->text(),
             backup + QStringLiteral("/"));
    QVERIFY(window.hasUnsavedChanges());
    MessageBox::clearHistory();
    MessageBox::setNextAnswers({MessageAnswer::Yes});
    part<QPushButton>(&window, SettingsParts::Close)->click();
    QCOMPARE(MessageBox::shownTexts(), QStringList{SaveNowGerman});
    QCOMPARE(readSettings().value(SettingsLine::BackupFolder), backup + QStringLiteral("/"));
}

void TestSettingsWindow::backupWithEmptyFieldWarnsAndOffersTheChooser()
{
    QStringList settings = lines(QStringLiteral("1"));
    settings[SettingsLine::BackupFolder] = QStringLiteral(" ");
    writeSettings(settings);
    SettingsWindow window;
    open(window, 1);
    FileDialog::setNextResult({}); // the chooser is cancelled
    part<FlatButton>(&window, SettingsParts::Backup)->click();

    QCOMPARE(MessageBox::shownTexts(),
             QStringList{QStringLiteral("Select the target directory first!")});
    QCOMPARE(MessageBox::shownMessages().constFirst().icon, MessageIcon::Warning);
    QCOMPARE(FileDialog::requests().size(), 1);
    QCOMPARE(FileDialog::requests().constFirst().kind, FileDialogRequest::Kind::Folder);
    QCOMPARE(QDir(path(QStringLiteral("backup"))).entryList(QDir::Files), QStringList());
    QVERIFY(!window.hasUnsavedChanges());
}

void TestSettingsWindow::chooseBackupFolder_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QList<MessageAnswer>>("answers");
    QTest::addColumn<bool>("taken");

    QTest::newRow("the folder already set asks nothing")
        << "backup" << QList<MessageAnswer>{} << false;
    QTest::newRow("cancelled chooser") << "" << QList<MessageAnswer>{} << false;
    QTest::newRow("new folder, OK") << "other" << QList<MessageAnswer>{MessageAnswer::Ok} << true;
    QTest::newRow("new folder, Cancel")
        << "other" << QList<MessageAnswer>{MessageAnswer::Cancel} << false;
}

void TestSettingsWindow::chooseBackupFolder()
{
    QFETCH(QString, chosen);
    QFETCH(QList<MessageAnswer>, answers);
    QFETCH(bool, taken);

    writeSettings(lines(QStringLiteral("1")));
    SettingsWindow window;
    open(window, 1);
    const QString folder = chosen.isEmpty() ? QString() : path(chosen);
    FileDialog::setNextResult(folder.isEmpty() ? QStringList() : QStringList{folder});
    MessageBox::setNextAnswers(answers);
    part<FlatButton>(&window, SettingsParts::ChooseBackupFolder)->click();

    QCOMPARE(FileDialog::requests().value(0).directory, path(QStringLiteral("backup")));
    QCOMPARE(MessageBox::shownTexts(),
             answers.isEmpty() ? QStringList() : QStringList{QStringLiteral("Resume new path?")});
    QCOMPARE(part<QLineEdit>(&window, SettingsParts::BackupField)->text(),
             taken ? folder : path(QStringLiteral("backup")));
    QCOMPARE(window.hasUnsavedChanges(), taken);
}

void TestSettingsWindow::restoreDataThenClose_data()
{
    QTest::addColumn<QString>("closeWith");
    QTest::newRow("Close without other changes") << "close";
    QTest::newRow("Save after an edit") << "save";
}

void TestSettingsWindow::restoreDataThenClose()
{
    // The backup holds another key and the English language.
    QStringList saved = lines(QStringLiteral("1"));
    saved[SettingsLine::PersonalKey] = QStringLiteral("Backupkey0000%!+oKarnwyb");
    writeSettings(saved);
    const QString backup = path(QStringLiteral("backup"));
    QVERIFY(QFile::copy(iniPath(), backup + QStringLiteral("/velmora.ini")));
    writeSettings(lines(QStringLiteral("0")));

    SettingsWindow window;
    open(window);
    part<FlatButton>(&window, SettingsParts::RestoreData)->click();
    const QStringList shown = MessageBox::shownTexts();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.at(0), QStringLiteral("Daten jetzt wiederherstellen?"));
    // The count, then where the replaced files are kept.
    QVERIFY(shown.at(1).startsWith(
        QStringLiteral("1 Dateien wiederhergestellt.\nDie bisherigen Dateien liegen in: ")));
    // The window shows what was restored, and restoring is no change of its
    // own: closing asks nothing.
    QCOMPARE(part<QLineEdit>(&window, SettingsParts::KeyField)->text(),
             saved[SettingsLine::PersonalKey]);
    QCOMPARE(window.language(), Language::English);
    QVERIFY(part<QRadioButton>(&window, SettingsParts::English)->isChecked());
    QVERIFY(!window.hasUnsavedChanges());
    MessageBox::clearHistory();
    QFETCH(QString, closeWith);
    if (closeWith == QLatin1String("save")) {
        part<QLineEdit>(&window, SettingsParts::BackupField)->setFocus();
        QTest::keyClicks(part<QLineEdit>(&window, SettingsParts::BackupField), QStringLiteral("/"));
        part<QPushButton>(&window, SettingsParts::Save)->click();
    } else {
        part<QPushButton>(&window, SettingsParts::Close)->click();
    }
    QVERIFY(MessageBox::shownMessages().isEmpty());
    // A save after the restore keeps the restored key and language.
    QCOMPARE(readSettings().value(SettingsLine::PersonalKey), saved[SettingsLine::PersonalKey]);
    QCOMPARE(readSettings().value(SettingsLine::Language), QStringLiteral("1"));
}

void TestSettingsWindow::fileManagerAndHelpOpenWhereTheyShould()
{
    writeSettings(lines());
    const QString help = path(QStringLiteral("velmorade.html"));
    QVERIFY(TestFiles::write(help, "<html></html>"));
    HelpFile::setApplicationHelpFile(help);
    SettingsWindow window;
    open(window);

    part<QLineEdit>(&window, SettingsParts::DataPathField)
        ->setText(QStringLiteral("  ") + path(QStringLiteral("backup")) + QStringLiteral(" "));
    part<FlatButton>(&window, SettingsParts::ShowDataFolder)->click();
    QTest::keyClick(part<QLineEdit>(&window, SettingsParts::BackupField), Qt::Key_F1);
    QCOMPARE(DesktopServices::openedUrls(),
             (QList<QUrl>{QUrl::fromLocalFile(path(QStringLiteral("backup"))),
                          HelpFile::contextUrl(help, 40)}));
    HelpFile::setApplicationHelpFile(QString());
}

void TestSettingsWindow::restoreKeepsTheChosenBackupFolder()
{
    // Neither the current settings nor the backed-up ones name a backup
    // folder: the user chooses one and restores from it.
    QStringList saved = lines();
    saved[SettingsLine::BackupFolder] = QStringLiteral(" ");
    writeSettings(saved);
    const QString backup = path(QStringLiteral("backup"));
    QVERIFY(QFile::copy(iniPath(), backup + QStringLiteral("/velmora.ini")));

    SettingsWindow window;
    open(window);
    FileDialog::setNextResults({QStringList{backup}});
    part<FlatButton>(&window, SettingsParts::ChooseBackupFolder)->click();
    QCOMPARE(part<QLineEdit>(&window, SettingsParts::BackupField)->text(), backup);
    part<FlatButton>(&window, SettingsParts::RestoreData)->click();
    QVERIFY(MessageBox::shownTexts().last().startsWith(
        QStringLiteral("1 Dateien wiederhergestellt.\n")));
    QCOMPARE(part<QLineEdit>(&window, SettingsParts::BackupField)->text(), backup);
    QVERIFY(window.hasUnsavedChanges());

    MessageBox::clearHistory();
    MessageBox::setNextAnswers({MessageAnswer::Yes});
    part<QPushButton>(&window, SettingsParts::Close)->click();
    QCOMPARE(MessageBox::shownTexts(), QStringList{SaveNowGerman});
    QCOMPARE(readSettings().value(SettingsLine::BackupFolder), backup);
}

void TestSettingsWindow::captionsShareOneSize_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow("German") << 0;
    QTest::newRow("English") << 1;
}

void TestSettingsWindow::captionsShareOneSize()
{
    QFETCH(int, language);
    writeSettings(lines(QString::number(language)));
    SettingsWindow window;
    open(window, language);
    QSet<int> sizes;
    for (const char *name : {SettingsParts::PasswordCaption, SettingsParts::KeyCaption,
                             SettingsParts::BackupCaption, SettingsParts::DataPathCaption}) {
        QLabel *caption = part<QLabel>(&window, name);
        sizes.insert(caption->font().pixelSize());
        QVERIFY2(caption->fontMetrics().horizontalAdvance(caption->text()) <= caption->width(),
                 qPrintable(caption->text()));
    }
    QCOMPARE(sizes.size(), 1);
}

void TestSettingsWindow::maskedKeyShowsFromItsFirstCharacter()
{
    writeSettings(lines());
    SettingsWindow window;
    open(window);
    QLineEdit *key = part<QLineEdit>(&window, SettingsParts::KeyField);
    QCOMPARE(key->echoMode(), QLineEdit::Password);
    QCOMPARE(key->cursorPosition(), 0);
    part<FlatButton>(&window, SettingsParts::MaskKey)->click();
    QCOMPARE(key->cursorPosition(), 0);
}

void TestSettingsWindow::keyFieldShowsTheWholeKey_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<bool>("widest");
    for (const int language : {0, 1}) {
        const char *name = language == 0 ? "German" : "English";
        QTest::addRow("%s, stored key", name) << language << false;
        QTest::addRow("%s, widest key", name) << language << true;
    }
}

// Masked or shown, the last character of the personal key is not cut at the
// field's edge; also for a key of the widest characters the generator draws.
void TestSettingsWindow::keyFieldShowsTheWholeKey()
{
    QFETCH(int, language);
    QFETCH(bool, widest);
    QString key = StoredKey;
    if (widest) {
        const QFontMetrics metrics(SettingsWindow().font());
        QChar widestCharacter;
        for (char16_t code = 33; code <= 231; ++code) {
            if (QChar(code).isPrint() &&
                metrics.horizontalAdvance(QChar(code)) > metrics.horizontalAdvance(widestCharacter))
                widestCharacter = QChar(code);
        }
        key = QString(13, widestCharacter) + QLatin1String(UserKeyTail);
    }
    QStringList settings = lines(QString::number(language));
    settings[SettingsLine::PersonalKey] = key;
    writeSettings(settings);
    SettingsWindow window;
    open(window, language);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QLineEdit *field = part<QLineEdit>(&window, SettingsParts::KeyField);
    QCOMPARE(field->text(), key);

    QCOMPARE(field->echoMode(), QLineEdit::Password);
    QVERIFY2(TextFit::showsWhole(field), "masked key cut");
    part<FlatButton>(&window, SettingsParts::MaskKey)->click();
    QCOMPARE(field->echoMode(), QLineEdit::Normal);
    QVERIFY2(TextFit::showsWhole(field), qPrintable(QStringLiteral("shown key cut: ") + key));
    QCOMPARE(field->cursorPosition(), 0);
}

void TestSettingsWindow::reopeningKeepsThePlace()
{
    writeSettings(lines());
    SettingsWindow window;
    open(window);
    const QPoint first = window.pos();
    for (int opening = 2; opening <= 3; ++opening) {
        part<QPushButton>(&window, SettingsParts::Close)->click();
        open(window);
        QCOMPARE(window.pos(), first);
    }
    part<QPushButton>(&window, SettingsParts::Close)->click();
}

// The format for new files goes into its own owner-only file as soon as it
// is chosen; the settings file is not touched, and closing asks nothing.
void TestSettingsWindow::formatChoiceIsStoredOnItsOwn()
{
    writeSettings(lines());
    const QByteArray before = TestFiles::read(iniPath());
    const QString formatFile = dataFolder() + FormatChoice::fileName();
    {
        SettingsWindow window;
        open(window);
        QVERIFY(part<QRadioButton>(&window, SettingsParts::CompatibleFormat)->isChecked());
        QTest::mouseClick(part<QRadioButton>(&window, SettingsParts::AgeFormat), Qt::LeftButton);
        QCOMPARE(FormatChoice::load(dataFolder()), FileFormat::Age);
        QVERIFY(TestFiles::read(formatFile).contains("age"));
        QCOMPARE(QFile::permissions(formatFile), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                     QFileDevice::ReadUser |
                                                     QFileDevice::WriteUser);
        QVERIFY(!window.hasUnsavedChanges());
        part<QPushButton>(&window, SettingsParts::Close)->click();
        QVERIFY(!window.isVisible());
        QVERIFY(MessageBox::shownMessages().isEmpty());
    }
    QCOMPARE(TestFiles::read(iniPath()), before);

    SettingsWindow window;
    open(window);
    QVERIFY(part<QRadioButton>(&window, SettingsParts::AgeFormat)->isChecked());
    QTest::mouseClick(part<QRadioButton>(&window, SettingsParts::CompatibleFormat), Qt::LeftButton);
    QCOMPARE(FormatChoice::load(dataFolder()), FileFormat::Compatible);
    part<QPushButton>(&window, SettingsParts::Close)->click();
    QCOMPARE(TestFiles::read(iniPath()), before);
}

QTEST_MAIN(TestSettingsWindow)
#include "TestSettingsWindow.moc"
