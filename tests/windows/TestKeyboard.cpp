#include "TestFiles.h"

#include "WidgetPart.h"
#include "WindowParts.h"
#include "access/PasswordCheck.h"
#include "access/gui/PasswordPrompt.h"
#include "keys/ApplicationTextKey.h"
#include "platform/ProgramInfo.h"
#include "platform/gui/DesktopServices.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsValues.h"
#include "widgets/FileDialog.h"
#include "widgets/FlatButton.h"
#include "widgets/MessageBox.h"
#include "widgets/TitleBarPanel.h"
#include "windows/DashboardWindow.h"
#include "windows/EncryptWindow.h"
#include "windows/ProgramWindows.h"
#include "windows/SecureDeleteWindow.h"
#include "windows/SettingsWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QByteArray Key(ApplicationTextKey);
const QString StoredKey = QStringLiteral("Abcdefghijklm%!+oKarnwyb");

// Answers every real message box that opens, as a user who only presses
// Enter would: with the box's default button. Records what each box asked
// and which button that was.
class EnterOnEveryBox
{
public:
    EnterOnEveryBox()
    {
        MessageBox::setAutoAnswer(false);
        MessageBox::clearHistory();
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible() || box == m_answered)
                return;
            m_answered = box;
            texts << box->text();
            defaults << (box->defaultButton() != nullptr ? box->defaultButton()->text()
                                                         : QString());
            QWidget *focused = box->focusWidget() != nullptr ? box->focusWidget() : box;
            QTest::keyClick(focused, Qt::Key_Return);
        });
        m_timer.start();
    }

    QStringList texts;
    QStringList defaults;

private:
    QTimer m_timer;
    QPointer<QMessageBox> m_answered;
};

// Puts the keyboard on widget in its (active) window.
bool focusOn(QWidget *widget)
{
    QWidget *window = widget->window();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        return false;
    widget->setFocus(Qt::TabFocusReason);
    return widget->hasFocus();
}

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();
    void enterInThePasswordFieldIsStillOk();
    void iconMenuOpensFromTheKeyboard_data();
    void iconMenuOpensFromTheKeyboard();
    void tabReachesTheTitleBarButtons();
    void enterOnADestructiveQuestionChangesNothing_data();
    void enterOnADestructiveQuestionChangesNothing();

private:
    QString dataFolder() const { return m_home->filePath(QStringLiteral("config/velmora/")); }
    QString iniPath() const { return dataFolder() + QStringLiteral("velmora.ini"); }
    QString backupFolder() const { return m_home->filePath(QStringLiteral("backup")); }
    // A settings file with a password, a key, English, and a backup folder.
    QStringList settingsLines() const;
    void startProgram(ProgramWindows &windows);

    QScopedPointer<QTemporaryDir> m_home;
    SettingsValues m_shared;
};

void TestKeyboard::init()
{
    m_home.reset(new QTemporaryDir);
    QVERIFY(m_home->isValid());
    const QString program = m_home->filePath(QStringLiteral("program"));
    QVERIFY(QDir().mkpath(program) && QDir().mkpath(m_home->filePath(QStringLiteral("tmp"))));
    QVERIFY(QDir().mkpath(dataFolder()) && QDir().mkpath(backupFolder()));
    qputenv("XDG_CONFIG_HOME", m_home->filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("TMPDIR", m_home->filePath(QStringLiteral("tmp")).toLocal8Bit());
    ProgramInfo::setProgramFolderForTesting(program);
    ProgramInfo::setSystemLanguageNameForTesting(QStringLiteral("English"));
    m_shared = SettingsValues{};
    MessageBox::clearHistory();
    MessageBox::setAutoAnswer(true);
    FileDialog::clearHistory();
    DesktopServices::clearHistory();
    DesktopServices::setRecording(true);
}

void TestKeyboard::cleanup()
{
    MessageBox::setAutoAnswer(false);
    MessageBox::clearHistory();
    FileDialog::clearHistory();
}

QStringList TestKeyboard::settingsLines() const
{
    QStringList lines(13, QStringLiteral(" "));
    lines[SettingsLine::Password] = PasswordCheck::storedForm(QStringLiteral("geheim"));
    lines[SettingsLine::PersonalKey] = StoredKey;
    lines[SettingsLine::Language] = QStringLiteral("1");
    lines[SettingsLine::BackupFolder] = backupFolder();
    return lines;
}

// Without a settings file: the reminder, then the dashboard in English.
void TestKeyboard::startProgram(ProgramWindows &windows)
{
    windows.dashboard().show();
    QVERIFY(QTest::qWaitForWindowExposed(&windows.dashboard()));
    MessageBox::clearHistory();
}

void TestKeyboard::enterPressesTheFocusedButton_data()
{
    // A button of each kind in the windows, and a field of the same window
    // in which Enter must press nothing.
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("field");
    QTest::newRow("dashboard tool button") << "dashboard" << DashboardParts::Encrypt << "";
    QTest::newRow("title-bar minimise") << "dashboard" << DashboardParts::Minimise << "";
    QTest::newRow("title-bar close") << "dashboard" << DashboardParts::Close << "";
    QTest::newRow("encrypt window's picture button")
        << "encrypt" << EncryptParts::ClearList << EncryptParts::FolderField;
    QTest::newRow("secure delete close, no default button")
        << "secure delete" << SecureDeleteParts::Close << SecureDeleteParts::CountField;
    QTest::newRow("settings close, no default button")
        << "settings" << SettingsParts::Close << SettingsParts::BackupField;
    QTest::newRow("password prompt cancel")
        << "password prompt" << PasswordPromptParts::Cancel << "";
    QTest::newRow("password prompt picture button")
        << "password prompt" << PasswordPromptParts::ShowPassword << "";
}

void TestKeyboard::enterPressesTheFocusedButton()
{
    QFETCH(QString, window);
    QFETCH(QString, button);
    QFETCH(QString, field);
    ProgramWindows windows;
    startProgram(windows);
    DashboardWindow &main = windows.dashboard();
    QWidget *shown = &main;
    if (window == QLatin1String("encrypt")) {
        windows.encryptWindow().openWith(
            EncryptSession{main.startup().values().personalKey, Language::English, Key, QString()});
        shown = &windows.encryptWindow();
    } else if (window == QLatin1String("secure delete")) {
        windows.secureDeleteWindow().open(SecureDeleteSession{Language::English, {}});
        shown = &windows.secureDeleteWindow();
    } else if (window == QLatin1String("settings")) {
        windows.settingsWindow().open(SettingsSession{main.startup().places().settingsFile, Key,
                                                      Language::English, &m_shared});
        shown = &windows.settingsWindow();
    } else if (window == QLatin1String("password prompt")) {
        windows.passwordPrompt().openForPassword(QStringLiteral("geheim"), Language::English);
        shown = &windows.passwordPrompt();
    }
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    auto *target = part<QAbstractButton>(shown, button.toLatin1().constData());
    QSignalSpy pressed(target, &QAbstractButton::clicked);

    if (!field.isEmpty()) {
        auto *entry = part<QLineEdit>(shown, field.toLatin1().constData());
        QVERIFY(focusOn(entry));
        QTest::keyClick(entry, Qt::Key_Return);
        QCOMPARE(pressed.count(), 0);
        QVERIFY(shown->isVisible());
    }
    QVERIFY(focusOn(target));
    QTest::keyClick(target, Qt::Key_Return);
    QCOMPARE(pressed.count(), 1);
    if (window == QLatin1String("password prompt")) {
        // Not the prompt's Ok: nothing was entered as a password.
        QCOMPARE(windows.passwordPrompt().wrongEntries(), 0);
        windows.passwordPrompt().reject();
    }
}

void TestKeyboard::enterInThePasswordFieldIsStillOk()
{
    ProgramWindows windows;
    startProgram(windows);
    PasswordPrompt &prompt = windows.passwordPrompt();
    QSignalSpy answered(&prompt, &PasswordPrompt::answered);
    prompt.openForPassword(PasswordCheck::storedForm(QStringLiteral("geheim")), Language::English);
    QVERIFY(QTest::qWaitForWindowExposed(&prompt));
    auto *field = part<QLineEdit>(&prompt, PasswordPromptParts::PasswordField);
    QVERIFY(focusOn(field));
    QTest::keyClicks(field, QStringLiteral("geheim"));
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(answered.count(), 1);
    QCOMPARE(prompt.answer().password, PasswordCheck::storedForm(QStringLiteral("geheim")));
}

void TestKeyboard::iconMenuOpensFromTheKeyboard_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("focused"); // none: the window itself
    QTest::newRow("F10") << int(Qt::Key_F10) << "";
    QTest::newRow("menu key") << int(Qt::Key_Menu) << "";
    QTest::newRow("F10 on a tool button") << int(Qt::Key_F10) << DashboardParts::SecureDelete;
    QTest::newRow("menu key on a tool button") << int(Qt::Key_Menu) << DashboardParts::Encrypt;
    QTest::newRow("Enter on the icon") << int(Qt::Key_Return) << DashboardParts::IconPanel;
    QTest::newRow("Space on the icon") << int(Qt::Key_Space) << DashboardParts::IconPanel;
}

void TestKeyboard::iconMenuOpensFromTheKeyboard()
{
    QFETCH(int, key);
    QFETCH(QString, focused);
    ProgramWindows windows;
    startProgram(windows);
    DashboardWindow &main = windows.dashboard();
    auto *menu = part<QMenu>(&main, DashboardParts::Menu);
    QWidget *target =
        focused.isEmpty() ? &main : part<QWidget>(&main, focused.toLatin1().constData());
    QVERIFY(focusOn(target));
    QTest::keyClick(target, Qt::Key(key));
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(menu->pos(), main.menuPosition());
    // The key opened the menu and nothing else.
    QVERIFY(!windows.secureDeleteWindow().isVisible());
    QVERIFY(!windows.encryptWindow().isVisible());
    // Its entries are then chosen with the arrow keys: Down, Down, Enter is "Info".
    menu->hide();
}

void TestKeyboard::tabReachesTheTitleBarButtons()
{
    // The dashboard opens with the keyboard on its first tool; Tab goes
    // through the tools and on to the title bar (the English layout has no
    // banner).
    ProgramWindows windows;
    startProgram(windows);
    DashboardWindow &main = windows.dashboard();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    QVERIFY(QApplication::focusWidget() != nullptr);
    QStringList reached{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(reached, (QStringList{DashboardParts::Encrypt, DashboardParts::SecureDelete,
                                   DashboardParts::Settings, DashboardParts::IconPanel,
                                   DashboardParts::Minimise, DashboardParts::Close,
                                   DashboardParts::Encrypt}));
}

void TestKeyboard::enterOnADestructiveQuestionChangesNothing_data()
{
    QTest::addColumn<QString>("question");
    QTest::newRow("secure delete") << "secure delete";
    QTest::newRow("new personal key") << "new key";
    QTest::newRow("restore the data folder") << "restore";
    QTest::newRow("delete the password") << "delete password";
}

void TestKeyboard::enterOnADestructiveQuestionChangesNothing()
{
    QFETCH(QString, question);
    QVERIFY(SettingsFile::writeLines(iniPath(), Key, settingsLines()));
    // The backup holds other settings: a restore would replace the file.
    QStringList other = settingsLines();
    other[SettingsLine::PersonalKey] = QStringLiteral("Backupkey0000%!+oKarnwyb");
    QVERIFY(SettingsFile::writeLines(backupFolder() + QStringLiteral("/velmora.ini"), Key, other));
    const QByteArray settingsBefore = TestFiles::read(iniPath());
    const QString doomed = m_home->filePath(QStringLiteral("doomed.txt"));
    QVERIFY(TestFiles::write(doomed, "keep me"));

    ProgramWindows windows;
    windows.dashboard().setPasswordCheck(
        [](PasswordPrompt &, const QString &, Language) { return StartupCheckResult::Accepted; });
    startProgram(windows);
    SettingsWindow &settings = windows.settingsWindow();
    if (question == QLatin1String("secure delete")) {
        SecureDeleteWindow &window = windows.secureDeleteWindow();
        window.open(SecureDeleteSession{Language::English, {}});
        window.listFiles({doomed});
        QSignalSpy finished(&window, &SecureDeleteWindow::runFinished);
        EnterOnEveryBox user;
        part<FlatButton>(&window, SecureDeleteParts::StartShredding)->click();
        QVERIFY(finished.count() > 0 || finished.wait(20000));
        QCOMPARE(user.texts.value(0),
                 QStringLiteral("1 file(s) selected. Really delete these file(s)?"));
        QCOMPARE(user.defaults.value(0), QStringLiteral("&Nein"));
        QCOMPARE(part<QListWidget>(&window, SecureDeleteParts::FileList)->count(), 1);
        window.close();
    } else {
        settings.open(SettingsSession{iniPath(), Key, Language::English, &m_shared});
        QVERIFY(QTest::qWaitForWindowExposed(&settings));
        EnterOnEveryBox user;
        if (question == QLatin1String("new key")) {
            QTest::keyClick(&settings, Qt::Key_F11);
            part<FlatButton>(&settings, SettingsParts::NewKey)->click();
            QCOMPARE(part<QLineEdit>(&settings, SettingsParts::KeyField)->text(), StoredKey);
            QCOMPARE(user.defaults.value(0), QStringLiteral("&No"));
        } else if (question == QLatin1String("restore")) {
            part<FlatButton>(&settings, SettingsParts::RestoreData)->click();
            QCOMPARE(user.texts.value(0), QStringLiteral("Restore data now?"));
            QCOMPARE(user.defaults.value(0), QStringLiteral("Cancel"));
        } else {
            part<FlatButton>(&settings, SettingsParts::DeletePassword)->click();
            QCOMPARE(user.texts.value(0), QStringLiteral("Delete password?"));
            QCOMPARE(user.defaults.value(0), QStringLiteral("&No"));
            QVERIFY(!part<QLineEdit>(&settings, SettingsParts::PasswordField)->text().isEmpty());
        }
        QCOMPARE(user.texts.size(), 1);
        settings.reject();
    }
    QCOMPARE(TestFiles::read(doomed), QByteArray("keep me"));
    QCOMPARE(TestFiles::read(iniPath()), settingsBefore);
}

QTEST_MAIN(TestKeyboard)
#include "TestKeyboard.moc"
