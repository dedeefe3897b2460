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
#include "widgets/FlatButton.h"
#include "widgets/MessageBox.h"
#include "windows/DashboardWindow.h"
#include "windows/ProgramWindows.h"
#include "windows/SettingsWindow.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

const QByteArray Key(ApplicationTextKey);
const QString DashboardKey = QStringLiteral("Dashboardkey0%!+oKarnwyb");
const QString BackupKey = QStringLiteral("Backupkey0000%!+oKarnwyb");
const QString NoPasswordWarning = QStringLiteral("Please create a password first (settings)!");

// Runs `act` once `window` is on screen; the polling stops before it runs,
// so `act` may open further modal windows.
void whenShown(QWidget *window, const std::function<void()> &act)
{
    auto *poll = new QTimer(window);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, window, [poll, window, act] {
        if (!window->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        act();
    });
    poll->start();
}

} // namespace

// The settings window as the dashboard opens it, and what the dashboard and
// the next start of the program make of what it saved.
class TestSettingsThroughDashboard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void dashboardTakesWhatTheWindowLeaves_data();
    void dashboardTakesWhatTheWindowLeaves();
    void setPasswordThenNextStartAsksForIt();
    void deletePasswordThenNextStartWarns();

private:
    QString dataFolder() const { return m_home->filePath(QStringLiteral("config/velmora/")); }
    QString iniPath() const { return dataFolder() + QStringLiteral("velmora.ini"); }
    QString backupFolder() const { return m_home->filePath(QStringLiteral("backup")); }
    void writeSettings(const QString &password, const QString &key, const QString &language) const;
    QStringList readSettings() const
    {
        return SettingsFile::readLines(iniPath(), Key).value_or(QStringList());
    }
    // A new run of the program: nothing accepted yet.
    void start(ProgramWindows &windows) const;
    // Opens the settings window from the dashboard and lets `user` work in it.
    void inSettings(ProgramWindows &windows,
                    const std::function<void(SettingsWindow &)> &user) const;

    QScopedPointer<QTemporaryDir> m_home;
};

void TestSettingsThroughDashboard::init()
{
    m_home.reset(new QTemporaryDir);
    QVERIFY(m_home->isValid());
    const QString program = m_home->filePath(QStringLiteral("program"));
    QVERIFY(QDir().mkpath(program));
    QVERIFY(QDir().mkpath(m_home->filePath(QStringLiteral("tmp"))));
    QVERIFY(QDir().mkpath(dataFolder()));
    QVERIFY(QDir().mkpath(backupFolder()));
    qputenv("XDG_CONFIG_HOME", m_home->filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("TMPDIR", m_home->filePath(QStringLiteral("tmp")).toLocal8Bit());
    ProgramInfo::setProgramFolderForTesting(program);
    ProgramInfo::setSystemLanguageNameForTesting(QStringLiteral("Deutsch (Deutschland)"));
    MessageBox::clearHistory();
    MessageBox::setAutoAnswer(true);
    DesktopServices::clearHistory();
    DesktopServices::setRecording(true);
}

void TestSettingsThroughDashboard::cleanup()
{
    MessageBox::setAutoAnswer(false);
    MessageBox::clearHistory();
}

void TestSettingsThroughDashboard::writeSettings(const QString &password, const QString &key,
                                                 const QString &language) const
{
    QStringList lines(13, QStringLiteral(" "));
    lines[SettingsLine::Password] = password;
    lines[SettingsLine::PersonalKey] = key;
    lines[SettingsLine::Language] = language;
    lines[SettingsLine::DataPath] = dataFolder();
    lines[SettingsLine::FalseMarker] = QStringLiteral("false");
    lines[SettingsLine::BackupFolder] = backupFolder();
    lines[SettingsLine::CarriedValue] = QStringLiteral("carried");
    QVERIFY(SettingsFile::writeLines(iniPath(), Key, lines));
}

void TestSettingsThroughDashboard::start(ProgramWindows &windows) const
{
    windows.dashboard().show();
    QVERIFY(QTest::qWaitForWindowExposed(&windows.dashboard()));
}

void TestSettingsThroughDashboard::inSettings(
    ProgramWindows &windows, const std::function<void(SettingsWindow &)> &user) const
{
    SettingsWindow &settings = windows.settingsWindow();
    QTest::mouseClick(part<FlatButton>(&windows.dashboard(), DashboardParts::Settings),
                      Qt::LeftButton);
    QVERIFY(settings.isVisible());
    QVERIFY(settings.isModal());
    user(settings);
    if (settings.isVisible()) // a failed check in `user` must not leave it open
        settings.reject();
    QVERIFY(!settings.isVisible());
}

void TestSettingsThroughDashboard::dashboardTakesWhatTheWindowLeaves_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("key");

    QTest::newRow("English chosen and saved")
        << "english save" << QStringList() << 1 << DashboardKey;
    QTest::newRow("English chosen, closed, not saved")
        << "english close no" << QStringList{QStringLiteral("Save settings now?")} << 0
        << DashboardKey;
    QTest::newRow("data restored, closed: key and language at once")
        << "restore"
        << QStringList{QStringLiteral("Daten jetzt wiederherstellen?"),
                       QStringLiteral("1 Dateien wiederhergestellt.")}
        << 1 << BackupKey;
}

void TestSettingsThroughDashboard::dashboardTakesWhatTheWindowLeaves()
{
    QFETCH(QString, user);
    QFETCH(QStringList, asked);
    QFETCH(int, language);
    QFETCH(QString, key);

    // The backup holds the English language and another key.
    writeSettings(QStringLiteral(" "), BackupKey, QStringLiteral("1"));
    QVERIFY(QFile::copy(iniPath(), backupFolder() + QStringLiteral("/velmora.ini")));
    writeSettings(QStringLiteral(" "), DashboardKey, QStringLiteral("0"));

    ProgramWindows windows;
    start(windows);
    DashboardWindow &main = windows.dashboard();
    QCOMPARE(main.height(), DashboardWindow::GermanHeight);
    MessageBox::clearHistory();

    inSettings(windows, [&](SettingsWindow &settings) {
        QCOMPARE(settings.windowTitle(), QStringLiteral("Optionen"));
        QCOMPARE(part<QLineEdit>(&settings, SettingsParts::KeyField)->text(), DashboardKey);
        if (user.startsWith(QLatin1String("english"))) {
            QTest::mouseClick(part<QRadioButton>(&settings, SettingsParts::English),
                              Qt::LeftButton);
            QCOMPARE(settings.windowTitle(), QStringLiteral("Options"));
            QCOMPARE(part<FlatButton>(&main, DashboardParts::Encrypt)->text(),
                     QStringLiteral("Verschlüsseln")); // not yet
        } else {
            part<FlatButton>(&settings, SettingsParts::RestoreData)->click();
        }
        if (user.endsWith(QLatin1String("save"))) {
            part<QPushButton>(&settings, SettingsParts::Save)->click();
        } else {
            MessageBox::setNextAnswers({MessageAnswer::No});
            part<QPushButton>(&settings, SettingsParts::Close)->click();
        }
    });

    // First lines only: the restore's report goes on with where the replaced
    // files are kept.
    QStringList shownFirstLines;
    for (const QString &text : MessageBox::shownTexts())
        shownFirstLines.append(text.section(QLatin1Char('\n'), 0, 0));
    QCOMPARE(shownFirstLines, asked);
    QCOMPARE(main.language(), languageFromStored(language));
    QCOMPARE(main.startup().values().personalKey, key);
    QCOMPARE(main.height(),
             language == 1 ? DashboardWindow::EnglishHeight : DashboardWindow::GermanHeight);
    QCOMPARE(part<FlatButton>(&main, DashboardParts::Encrypt)->text(),
             language == 1 ? QStringLiteral("Encrypt") : QStringLiteral("Verschlüsseln"));
    QCOMPARE(part<FlatButton>(&main, DashboardParts::Settings)->text(),
             language == 1 ? QStringLiteral("Settings") : QStringLiteral("Einstellungen"));
    main.close();
    QCOMPARE(readSettings().value(SettingsLine::Language), QString::number(language));
}

void TestSettingsThroughDashboard::setPasswordThenNextStartAsksForIt()
{
    writeSettings(QStringLiteral(" "), DashboardKey, QStringLiteral("1"));
    {
        ProgramWindows windows;
        start(windows);
        QCOMPARE(MessageBox::shownTexts(), QStringList{NoPasswordWarning});
        MessageBox::clearHistory();
        inSettings(windows, [&](SettingsWindow &settings) {
            PasswordPrompt &prompt = windows.passwordPrompt();
            whenShown(&prompt, [&prompt] {
                // Asked for a new password: no reset link.
                QVERIFY(part<FlatButton>(&prompt, PasswordPromptParts::ForgotPassword)->isHidden());
                QTest::keyClicks(part<QLineEdit>(&prompt, PasswordPromptParts::PasswordField),
                                 QStringLiteral(" geheim "));
                part<FlatButton>(&prompt, PasswordPromptParts::Ok)->click();
            });
            part<FlatButton>(&settings, SettingsParts::SetPassword)
                ->click(); // saves and closes after "Save settings now?"
            QVERIFY(!settings.isVisible());
        });
        QCOMPARE(MessageBox::shownTexts(), QStringList{QStringLiteral("Save settings now?")});
        QCOMPARE(readSettings().value(SettingsLine::Password),
                 PasswordCheck::storedForm(QStringLiteral("geheim")));
        QCOMPARE(windows.dashboard().startup().sharedValues().acceptedPassword,
                 QString()); // emptied on close
        windows.dashboard().close();
    }

    // The next start asks for the password, and takes it.
    MessageBox::clearHistory();
    ProgramWindows next;
    bool asked = false;
    PasswordPrompt &prompt = next.passwordPrompt();
    whenShown(&prompt, [&] {
        asked = true;
        // Asked for the stored password: the reset is offered.
        QVERIFY(!part<FlatButton>(&prompt, PasswordPromptParts::ForgotPassword)->isHidden());
        QTest::keyClicks(part<QLineEdit>(&prompt, PasswordPromptParts::PasswordField),
                         QStringLiteral("geheim"));
        part<FlatButton>(&prompt, PasswordPromptParts::Ok)->click();
    });
    start(next);
    QVERIFY(asked);
    QVERIFY(!next.dashboard().startupFailed());
    QVERIFY(MessageBox::shownMessages().isEmpty());
    QCOMPARE(next.dashboard().startup().sharedValues().acceptedPassword,
             PasswordCheck::storedForm(QStringLiteral("geheim")));
    next.dashboard().close();
}

void TestSettingsThroughDashboard::deletePasswordThenNextStartWarns()
{
    const QString digest = PasswordCheck::storedForm(QStringLiteral("geheim"));
    writeSettings(digest, DashboardKey, QStringLiteral("0"));
    {
        ProgramWindows windows;
        int checks = 0;
        windows.dashboard().setPasswordCheck(
            [&checks](PasswordPrompt &, const QString &, Language) {
                ++checks;
                return StartupCheckResult::Accepted;
            });
        start(windows);
        QCOMPARE(checks, 1);
        QCOMPARE(windows.dashboard().startup().sharedValues().acceptedPassword, digest);
        inSettings(windows, [&](SettingsWindow &settings) {
            QCOMPARE(part<QLineEdit>(&settings, SettingsParts::PasswordField)->text(), digest);
            MessageBox::setNextAnswers({MessageAnswer::Yes});
            part<FlatButton>(&settings, SettingsParts::DeletePassword)->click(); // saves and closes
        });
        const Message question = MessageBox::shownMessages().value(0);
        QCOMPARE(question.text, QStringLiteral("Passwort wirklich löschen?"));
        QCOMPARE(question.caption, QStringLiteral("Velmora2"));
        QCOMPARE(readSettings().value(SettingsLine::Password), QString());
        windows.dashboard().close();
    }

    MessageBox::clearHistory();
    ProgramWindows next;
    int checks = 0;
    next.dashboard().setPasswordCheck([&checks](PasswordPrompt &, const QString &, Language) {
        ++checks;
        return StartupCheckResult::Failed;
    });
    start(next);
    QCOMPARE(checks, 0);
    QVERIFY(!next.dashboard().startupFailed());
    QCOMPARE(
        MessageBox::shownTexts(),
        QStringList{QStringLiteral("Bitte legen Sie zuerst ein Passwort an (Einstellungen)!")});
    next.dashboard().close();
}

QTEST_MAIN(TestSettingsThroughDashboard)
#include "TestSettingsThroughDashboard.moc"
