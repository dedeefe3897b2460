#include "WidgetPart.h"
#include "WindowParts.h"
#include "keys/ApplicationTextKey.h"
#include "platform/ProgramInfo.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsValues.h"
#include "widgets/FlatButton.h"
#include "widgets/MessageBox.h"
#include "windows/DashboardWindow.h"
#include "windows/EncryptWindow.h"
#include "windows/ProgramWindows.h"
#include "windows/RequestQueue.h"
#include "windows/SecureDeleteWindow.h"
#include "windows/SettingsWindow.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(StartupCheckResult)
Q_DECLARE_METATYPE(ToolRequest::Tool)

namespace {

const QByteArray Key(ApplicationTextKey);
constexpr int AFewRetries = 4 * RequestQueue::RetryMilliseconds;

QStringList entries(const QWidget *window, const char *listName)
{
    const auto *list = part<QListWidget>(window, listName);
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

} // namespace

// What starts of the program ask for waits until the dashboard can show it:
// past the password, with no modal window in the way. Then the tool window
// opens with the files listed.
class TestRequestQueue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void waitsForThePassword_data();
    void waitsForThePassword();
    void waitsForAModalWindow_data();
    void waitsForAModalWindow();
    void aRequestWhoseStartWentIsDropped();

private:
    QString file(const char *name) const { return m_home->filePath(QString::fromLatin1(name)); }
    void writeSettings(const QString &password);

    std::unique_ptr<QTemporaryDir> m_home;
};

void TestRequestQueue::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    QVERIFY(QDir().mkpath(m_home->filePath(QStringLiteral("program"))));
    QVERIFY(QDir().mkpath(m_home->filePath(QStringLiteral("tmp"))));
    qputenv("XDG_CONFIG_HOME", m_home->filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("TMPDIR", m_home->filePath(QStringLiteral("tmp")).toLocal8Bit());
    ProgramInfo::setProgramFolderForTesting(m_home->filePath(QStringLiteral("program")));
    ProgramInfo::setSystemLanguageNameForTesting(QStringLiteral("English"));
    for (const char *name : {"a.txt", "b.txt"}) {
        QFile plain(file(name));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.write("text\n");
    }
    MessageBox::clearHistory();
    MessageBox::setAutoAnswer(true);
}

void TestRequestQueue::cleanup()
{
    MessageBox::setAutoAnswer(false);
    MessageBox::clearHistory();
    m_home.reset();
}

void TestRequestQueue::writeSettings(const QString &password)
{
    QStringList lines(13, QStringLiteral(" "));
    lines[SettingsLine::Password] = password;
    lines[SettingsLine::PersonalKey] = QStringLiteral("Abcdefghijklm%!+oKarnwyb");
    lines[SettingsLine::Language] = QStringLiteral("1");
    QVERIFY(QDir().mkpath(m_home->filePath(QStringLiteral("config/velmora"))));
    QVERIFY(SettingsFile::writeLines(m_home->filePath(QStringLiteral("config/velmora/velmora.ini")),
                                     Key, lines));
}

void TestRequestQueue::waitsForThePassword_data()
{
    QTest::addColumn<StartupCheckResult>("outcome");
    QTest::addColumn<bool>("shown");
    QTest::newRow("password given") << StartupCheckResult::Accepted << true;
    QTest::newRow("password reset") << StartupCheckResult::Reset << true;
    QTest::newRow("password not given") << StartupCheckResult::Failed << false;
}

// Requests that come during the prompt wait for it, and go in their order;
// when the password is not given, none is shown and none is answered.
void TestRequestQueue::waitsForThePassword()
{
    QFETCH(StartupCheckResult, outcome);
    QFETCH(bool, shown);
    writeSettings(QStringLiteral("0123456789abcdef0123456789abcdef"));
    ProgramWindows windows;
    DashboardWindow &main = windows.dashboard();
    RequestQueue queue(main);
    QStringList taken;
    queue.add(ToolRequest{ToolRequest::Tool::Encrypt, {file("a.txt")}}, nullptr,
              [&] { taken << "encrypt"; });
    bool waitedDuringPrompt = false;
    QObject secondStart;
    main.setPasswordCheck([&](PasswordPrompt &, const QString &, Language) {
        queue.add(ToolRequest{ToolRequest::Tool::SecureDelete, {file("b.txt")}}, &secondStart,
                  [&] { taken << "shred"; });
        QTest::qWait(AFewRetries);
        waitedDuringPrompt =
            taken.isEmpty() && queue.waiting() == 2 && !windows.encryptWindow().isVisible();
        return outcome;
    });
    main.show();
    QVERIFY(waitedDuringPrompt);

    if (!shown) {
        QVERIFY(main.startupFailed());
        QTest::qWait(AFewRetries);
        QVERIFY(taken.isEmpty());
        QVERIFY(!windows.encryptWindow().isVisible());
        QVERIFY(!windows.secureDeleteWindow().isVisible());
        return;
    }
    QTRY_COMPARE(taken, (QStringList{"encrypt", "shred"}));
    QCOMPARE(queue.waiting(), 0);
    QVERIFY(windows.encryptWindow().isVisible());
    QCOMPARE(entries(&windows.encryptWindow(), EncryptParts::FileList), QStringList{"a.txt"});
    QVERIFY(windows.secureDeleteWindow().isVisible());
    QCOMPARE(entries(&windows.secureDeleteWindow(), SecureDeleteParts::FileList),
             QStringList{"b.txt"});
    windows.secureDeleteWindow().close();
}

void TestRequestQueue::waitsForAModalWindow_data()
{
    using Tool = ToolRequest::Tool;
    QTest::addColumn<QString>("blocker"); // the dashboard button that opens it
    QTest::addColumn<Tool>("tool");
    QTest::addColumn<bool>("atOnce");
    QTest::newRow("the settings window holds an encrypt request")
        << DashboardParts::Settings << Tool::Encrypt << false;
    QTest::newRow("the settings window holds a secure delete request")
        << DashboardParts::Settings << Tool::SecureDelete << false;
    QTest::newRow("the secure delete window holds an encrypt request")
        << DashboardParts::SecureDelete << Tool::Encrypt << false;
    QTest::newRow("the secure delete window takes its own at once")
        << DashboardParts::SecureDelete << Tool::SecureDelete << true;
    QTest::newRow("a bare start only brings the dashboard forward")
        << DashboardParts::Settings << Tool::Dashboard << true;
}

void TestRequestQueue::waitsForAModalWindow()
{
    QFETCH(QString, blocker);
    QFETCH(ToolRequest::Tool, tool);
    QFETCH(bool, atOnce);
    ProgramWindows windows;
    DashboardWindow &main = windows.dashboard();
    main.show(); // no password: the reminder, answered
    QVERIFY(main.startupPassed());
    part<FlatButton>(&main, qPrintable(blocker))->click();
    QWidget *modal = QApplication::activeModalWidget();
    QVERIFY(modal != nullptr);

    RequestQueue queue(main);
    bool taken = false;
    const QStringList files =
        tool == ToolRequest::Tool::Dashboard ? QStringList() : QStringList{file("a.txt")};
    queue.add(ToolRequest{tool, files}, nullptr, [&] { taken = true; });
    QTest::qWait(AFewRetries);
    QCOMPARE(taken, atOnce);
    QCOMPARE(QApplication::activeModalWidget(), modal);
    if (!atOnce) {
        modal->close();
        QTRY_VERIFY(taken);
    }
    if (tool == ToolRequest::Tool::Encrypt) {
        QVERIFY(windows.encryptWindow().isVisible());
        QCOMPARE(entries(&windows.encryptWindow(), EncryptParts::FileList), QStringList{"a.txt"});
    } else if (tool == ToolRequest::Tool::SecureDelete) {
        QVERIFY(windows.secureDeleteWindow().isVisible());
        QCOMPARE(entries(&windows.secureDeleteWindow(), SecureDeleteParts::FileList),
                 QStringList{"a.txt"});
        windows.secureDeleteWindow().close();
    }
    if (QWidget *left = QApplication::activeModalWidget())
        left->close();
}

// A later start that ended before its request could be shown (killed while
// it waited) asks for nothing any more.
void TestRequestQueue::aRequestWhoseStartWentIsDropped()
{
    ProgramWindows windows;
    DashboardWindow &main = windows.dashboard();
    main.show();
    part<FlatButton>(&main, DashboardParts::Settings)->click();
    RequestQueue queue(main);
    auto secondStart = std::make_unique<QObject>();
    bool taken = false;
    queue.add(ToolRequest{ToolRequest::Tool::Encrypt, {file("a.txt")}}, secondStart.get(),
              [&] { taken = true; });
    secondStart.reset();
    windows.settingsWindow().close();
    QTest::qWait(AFewRetries);
    QVERIFY(!taken);
    QCOMPARE(queue.waiting(), 0);
    QVERIFY(!windows.encryptWindow().isVisible());
}

QTEST_MAIN(TestRequestQueue)
#include "TestRequestQueue.moc"
