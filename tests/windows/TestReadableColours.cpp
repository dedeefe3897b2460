#include "TestFiles.h"
#include "TextContrast.h"

#include "WidgetPart.h"
#include "WindowParts.h"
#include "access/PasswordCheck.h"
#include "access/gui/DecoyLogWindow.h"
#include "access/gui/PasswordPrompt.h"
#include "access/gui/ResetConfirmDialog.h"
#include "keys/ApplicationTextKey.h"
#include "platform/ProgramInfo.h"
#include "platform/gui/DesktopServices.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsValues.h"
#include "widgets/MessageBox.h"
#include "windows/AboutDialog.h"
#include "windows/DashboardWindow.h"
#include "windows/EncryptWindow.h"
#include "windows/ProgramWindows.h"
#include "windows/SecureDeleteWindow.h"
#include "windows/SettingsWindow.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

const QByteArray Key(ApplicationTextKey);
constexpr double LeastContrast = 4.5;

// A dark scheme as desktop palette tools set it: light grey text on dark
// grey, for windows, fields and buttons alike.
QPalette darkPalette()
{
    const QColor window(53, 53, 53);
    const QColor text(211, 211, 211);
    QPalette dark(text, window, QColor(80, 80, 80), QColor(35, 35, 35), QColor(48, 48, 48), text,
                  Qt::white, QColor(42, 42, 42), window);
    dark.setColor(QPalette::AlternateBase, QColor(66, 66, 66));
    dark.setColor(QPalette::ToolTipBase, window);
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::PlaceholderText, QColor(138, 138, 138));
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(QPalette::Disabled, role, QColor(128, 128, 128));
    return dark;
}

} // namespace

class TestReadableColours : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void everyTextStandsOutFromWhatIsBehindIt_data();
    void everyTextStandsOutFromWhatIsBehindIt();

private:
    using Check = std::function<void(QWidget *)>;
    void withWindow(const QString &name, const Check &check);
    QStringList someFiles() const;

    QScopedPointer<QTemporaryDir> m_home;
    SettingsValues m_shared;
};

void TestReadableColours::initTestCase()
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

void TestReadableColours::init()
{
    m_home.reset(new QTemporaryDir);
    QVERIFY(m_home->isValid());
    QVERIFY(QDir().mkpath(m_home->filePath(QStringLiteral("program"))));
    qputenv("XDG_CONFIG_HOME", m_home->filePath(QStringLiteral("config")).toLocal8Bit());
    ProgramInfo::setProgramFolderForTesting(m_home->filePath(QStringLiteral("program")));
    ProgramInfo::setSystemLanguageNameForTesting(QStringLiteral("English"));
    m_shared = SettingsValues{};
    MessageBox::clearHistory();
    MessageBox::setAutoAnswer(true);
    DesktopServices::setRecording(true);
}

void TestReadableColours::cleanup()
{
    MessageBox::setAutoAnswer(false);
    MessageBox::clearHistory();
    QApplication::setPalette(QApplication::style()->standardPalette());
}

QStringList TestReadableColours::someFiles() const
{
    QStringList paths;
    for (const char *name : {"report.odt", "holiday.jpg", "notes.txt"}) {
        paths.append(m_home->filePath(QString::fromLatin1(name)));
        TestFiles::write(paths.last(), "some content");
    }
    return paths;
}

// Opens the named window as the program does, with texts in every kind of
// control it has (list entries among them, one selected), and runs the
// check on it while it is on screen.
void TestReadableColours::withWindow(const QString &name, const Check &check)
{
    const auto whenShown = [&check](QWidget *window) {
        QVERIFY(QTest::qWaitForWindowExposed(window));
        check(window);
    };
    const auto selectFirst = [](QWidget *window, const char *listName) {
        auto *list = part<QListWidget>(window, listName);
        QVERIFY(list->count() > 0);
        list->item(0)->setSelected(true);
    };

    if (name == QLatin1String("dashboard")) {
        ProgramWindows windows;
        windows.dashboard().show();
        whenShown(&windows.dashboard());
    } else if (name == QLatin1String("encrypt")) {
        EncryptWindow window;
        window.openWith(EncryptSession{QStringLiteral("Abcdefghijklm%!+oKarnwyb"),
                                       Language::English, Key, QString()});
        window.listFiles(someFiles());
        selectFirst(&window, EncryptParts::FileList);
        // The text a run leaves.
        part<QLabel>(&window, EncryptParts::ResultLabel)
            ->setText(QStringLiteral("3 file(s) encrypted"));
        whenShown(&window);
    } else if (name == QLatin1String("secure delete")) {
        SecureDeleteWindow window;
        window.open(SecureDeleteSession{Language::English, {}});
        window.listFiles(someFiles());
        selectFirst(&window, SecureDeleteParts::FileList);
        part<QLabel>(&window, SecureDeleteParts::ResultLabel)
            ->setText(QStringLiteral("3 file(s) deleted"));
        whenShown(&window);
        window.close();
    } else if (name == QLatin1String("settings")) {
        const QString dataFolder = m_home->filePath(QStringLiteral("velmora/"));
        QVERIFY(QDir().mkpath(dataFolder));
        QStringList lines(13, QStringLiteral(" "));
        lines[SettingsLine::Password] = PasswordCheck::storedForm(QStringLiteral("geheim"));
        lines[SettingsLine::PersonalKey] = QStringLiteral("Abcdefghijklm%!+oKarnwyb");
        lines[SettingsLine::Language] = QStringLiteral("1");
        lines[SettingsLine::DataPath] = m_home->path();
        lines[SettingsLine::BackupFolder] = m_home->path();
        QVERIFY(SettingsFile::writeLines(dataFolder + QStringLiteral("velmora.ini"), Key, lines));
        m_shared.acceptedPassword = lines[SettingsLine::Password];
        SettingsWindow window;
        window.open(SettingsSession{dataFolder + QStringLiteral("velmora.ini"), Key,
                                    Language::English, &m_shared});
        whenShown(&window);
        window.close();
    } else if (name == QLatin1String("about")) {
        AboutDialog box;
        part<QLabel>(&box, AboutParts::Version)->setText(QStringLiteral("2.1.0.0"));
        box.show();
        whenShown(&box);
    } else if (name == QLatin1String("password prompt")) {
        PasswordPrompt prompt;
        prompt.openForPassword(PasswordCheck::storedForm(QStringLiteral("geheim")),
                               Language::English);
        whenShown(&prompt);
        prompt.reject();
    } else if (name == QLatin1String("reset confirmation")) {
        ResetConfirmDialog dialog;
        dialog.setLanguage(Language::English);
        dialog.show();
        whenShown(&dialog);
    } else if (name == QLatin1String("decoy log")) {
        DecoyLogWindow log;
        log.showLog(QStringLiteral("k3 Q 9 x f7 L"), 100);
        whenShown(&log);
    } else if (name == QLatin1String("message box")) {
        // A real box, read while it waits for an answer.
        MessageBox::setAutoAnswer(false);
        QTimer::singleShot(0, this, [&whenShown] {
            QWidget *box = QApplication::activeModalWidget();
            QVERIFY(box != nullptr);
            whenShown(box);
            box->close();
        });
        MessageBox::show(nullptr, Message::box(QStringLiteral("Velmora2"),
                                               QStringLiteral("Save settings now?"),
                                               MessageIcon::Question, MessageButtons::YesNo));
    } else {
        QFAIL(qPrintable(QStringLiteral("no window ") + name));
    }
}

void TestReadableColours::everyTextStandsOutFromWhatIsBehindIt_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("dark");
    for (const char *window :
         {"dashboard", "encrypt", "secure delete", "settings", "about", "password prompt",
          "reset confirmation", "decoy log", "message box"}) {
        QTest::addRow("%s, light palette", window) << QString::fromLatin1(window) << false;
        QTest::addRow("%s, dark palette", window) << QString::fromLatin1(window) << true;
    }
}

void TestReadableColours::everyTextStandsOutFromWhatIsBehindIt()
{
    QFETCH(QString, window);
    QFETCH(bool, dark);
    QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());

    QStringList unreadable;
    int texts = 0;
    withWindow(window, [&](QWidget *shown) {
        for (const TextContrast::Reading &reading : TextContrast::readWindow(shown)) {
            ++texts;
            if (reading.ratio < LeastContrast)
                unreadable.append(
                    QStringLiteral("%1: %2 on %3, %4:1")
                        .arg(reading.where, reading.text.name(), reading.background.name())
                        .arg(reading.ratio, 0, 'f', 2));
        }
    });
    QVERIFY2(texts > 0, "no text was read");
    QVERIFY2(unreadable.isEmpty(), qPrintable(unreadable.join(QStringLiteral("\n"))));
}

QTEST_MAIN(TestReadableColours)
#include "TestReadableColours.moc"
