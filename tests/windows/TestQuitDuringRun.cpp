#include "TestFiles.h"

#include "filecipher/FileCipher.h"
#include "keys/ApplicationTextKey.h"
#include "platform/ProgramInfo.h"
#include "platform/StopSignalNotifier.h"
#include "platform/gui/DesktopServices.h"
#include "settings/SettingsFile.h"
#include "widgets/FileDialog.h"
#include "widgets/FlatButton.h"
#include "widgets/GradientProgressBar.h"
#include "widgets/MessageBox.h"
#include "windows/DashboardWindow.h"
#include "windows/EncryptWindow.h"
#include "windows/ProgramWindows.h"

#include "WidgetPart.h"
#include "WindowParts.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <unistd.h>

namespace {

const QString PersonalKey = QStringLiteral("Abcdefghijklm%!+oKarnwyb");
constexpr int FileCount = 4;
constexpr int MebibytesPerFile = 64;

QByteArray fileContent(int number)
{
    return TestFiles::randomBytes(1 << 20, static_cast<quint32>(number) + 11)
        .repeated(MebibytesPerFile);
}

} // namespace

// Ending the program while the encrypt window works through a list: the run
// stops after the file in work, the dashboard stays until it has, and then
// the program ends; each file is either as it was or completely encrypted.
class TestQuitDuringRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void quittingStopsTheRunAndEnds_data();
    void quittingStopsTheRunAndEnds();
    void quittingWithoutARunEndsAtOnce();

private:
    QString filePath(int number) const
    {
        return m_home->filePath(QStringLiteral("files/f%1.bin").arg(number));
    }
    void startProgram(ProgramWindows &windows);

    std::unique_ptr<QTemporaryDir> m_home;
};

void TestQuitDuringRun::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    for (const char *folder : {"program", "tmp", "files", "config/velmora"})
        QVERIFY(QDir().mkpath(m_home->filePath(QLatin1String(folder))));
    qputenv("HOME", m_home->path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_home->filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("TMPDIR", m_home->filePath(QStringLiteral("tmp")).toLocal8Bit());
    ProgramInfo::setProgramFolderForTesting(m_home->filePath(QStringLiteral("program")));
    ProgramInfo::setSystemLanguageNameForTesting(QStringLiteral("English"));
    MessageBox::clearHistory();
    MessageBox::setAutoAnswer(true);
    DesktopServices::setRecording(true);

    QStringList lines;
    for (int i = 0; i < 13; ++i)
        lines << QStringLiteral("line %1").arg(i);
    lines[SettingsLine::Password] = QStringLiteral(" ");
    lines[SettingsLine::PersonalKey] = PersonalKey;
    lines[SettingsLine::Language] = QStringLiteral("1");
    lines[SettingsLine::DataPath] = QStringLiteral(" ");
    QVERIFY(SettingsFile::writeLines(m_home->filePath(QStringLiteral("config/velmora/velmora.ini")),
                                     QByteArray(ApplicationTextKey), lines));
}

void TestQuitDuringRun::cleanup()
{
    MessageBox::setAutoAnswer(false);
    FileDialog::setNextResults({});
    DesktopServices::setRecording(false);
    m_home.reset();
}

void TestQuitDuringRun::startProgram(ProgramWindows &windows)
{
    windows.dashboard().show();
    QVERIFY(QTest::qWaitForWindowExposed(&windows.dashboard()));
}

void TestQuitDuringRun::quittingStopsTheRunAndEnds_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("window closed") << "window closed";
    QTest::newRow("menu Quit") << "menu Quit";
    // A logout or shutdown: the program's own wiring of the stop signals.
    QTest::newRow("SIGTERM") << "SIGTERM";
}

void TestQuitDuringRun::quittingStopsTheRunAndEnds()
{
    QFETCH(QString, how);
    QStringList chosen;
    for (int number = 0; number < FileCount; ++number) {
        QVERIFY(TestFiles::write(filePath(number), fileContent(number)));
        chosen << filePath(number);
    }
    ProgramWindows windows;
    startProgram(windows);
    DashboardWindow &dashboard = windows.dashboard();
    QSignalSpy programEnds(&dashboard, &DashboardWindow::programEnds);
    const StopSignalNotifier stopSignals;
    connect(&stopSignals, &StopSignalNotifier::stopRequested, &dashboard, &QWidget::close);

    QTest::mouseClick(part<FlatButton>(&dashboard, DashboardParts::Encrypt), Qt::LeftButton);
    EncryptWindow &tool = windows.encryptWindow();
    QVERIFY(tool.isVisible());
    FileDialog::setNextResult(chosen);
    QTest::mouseClick(part<FlatButton>(&tool, EncryptParts::SelectFiles), Qt::LeftButton);
    QSignalSpy stopped(&tool, &EncryptWindow::stopped);
    QTest::mouseClick(part<FlatButton>(&tool, EncryptParts::Encrypt), Qt::LeftButton);
    QVERIFY(tool.runActive());

    // Quit once the bar moves within the first file.
    const auto *bar = part<GradientProgressBar>(&tool, EncryptParts::ProgressBar);
    QTRY_VERIFY_WITH_TIMEOUT(bar->percent() > 0, 30000);
    if (how == QLatin1String("menu Quit")) {
        part<QAction>(&dashboard, DashboardParts::QuitEntry)->trigger();
    } else if (how == QLatin1String("SIGTERM")) {
        QCOMPARE(::kill(::getpid(), SIGTERM), 0);
        QTRY_COMPARE(part<QLabel>(&tool, EncryptParts::ResultLabel)->text(),
                     QStringLiteral("Stopping..."));
    } else {
        dashboard.close();
    }
    // Meanwhile both windows stay and the encrypt window says it stops.
    QVERIFY(dashboard.isVisible());
    QVERIFY(tool.isVisible());
    QCOMPARE(part<QLabel>(&tool, EncryptParts::ResultLabel)->text(), QStringLiteral("Stopping..."));
    QVERIFY(programEnds.isEmpty());

    QVERIFY(programEnds.wait(60000));
    QCOMPARE(stopped.size(), 1);
    QCOMPARE(programEnds.size(), 1);
    QVERIFY(!tool.runActive());
    QVERIFY(!dashboard.isVisible());

    // Each file as it was or completely encrypted; the run did stop early.
    int encrypted = 0;
    for (int number = 0; number < FileCount; ++number) {
        const QString plain = filePath(number);
        const QString result = plain + QStringLiteral(".enc");
        QVERIFY(QFileInfo::exists(plain) != QFileInfo::exists(result));
        if (QFileInfo::exists(plain)) {
            QVERIFY(TestFiles::read(plain) == fileContent(number));
            continue;
        }
        ++encrypted;
        const QString copy = m_home->filePath(QStringLiteral("tmp/check.enc"));
        QVERIFY(QFile::copy(result, copy));
        QVERIFY(FileCipher::decryptFile(copy, PersonalKey).ok);
        QVERIFY(TestFiles::read(m_home->filePath(QStringLiteral("tmp/check"))) ==
                fileContent(number));
        QVERIFY(QFile::remove(m_home->filePath(QStringLiteral("tmp/check"))));
    }
    QVERIFY(encrypted >= 1);
    QVERIFY2(encrypted < FileCount, "the run did not stop early");
    // Nothing else: no part file of the file that was in work.
    QCOMPARE(QDir(m_home->filePath(QStringLiteral("files")))
                 .entryList(QDir::Files | QDir::Hidden | QDir::System)
                 .size(),
             FileCount);
}

void TestQuitDuringRun::quittingWithoutARunEndsAtOnce()
{
    ProgramWindows windows;
    startProgram(windows);
    DashboardWindow &dashboard = windows.dashboard();
    QSignalSpy programEnds(&dashboard, &DashboardWindow::programEnds);
    QVERIFY(!windows.encryptWindow().stopForQuit());
    dashboard.close();
    QCOMPARE(programEnds.size(), 1);
    QVERIFY(!dashboard.isVisible());
}

QTEST_MAIN(TestQuitDuringRun)
#include "TestQuitDuringRun.moc"
