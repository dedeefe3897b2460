#include "WidgetPart.h"
#include "WindowParts.h"
#include "access/gui/DecoyLogWindow.h"
#include "access/gui/PasswordPrompt.h"
#include "access/gui/ResetConfirmDialog.h"
#include "keys/ApplicationTextKey.h"
#include "platform/ProgramInfo.h"
#include "platform/gui/DesktopServices.h"
#include "settings/SettingsValues.h"
#include "widgets/MessageBox.h"
#include "windows/AboutDialog.h"
#include "windows/DashboardWindow.h"
#include "windows/EncryptWindow.h"
#include "windows/ProgramWindows.h"
#include "windows/SecureDeleteWindow.h"
#include "windows/SettingsWindow.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>

Q_DECLARE_METATYPE(Language)

namespace {

// What a screen reader user can act on: each must have a name, and each but
// a menu entry (reached with the arrow keys inside its menu) the focus.
bool interactive(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::ButtonDropDown:
    case QAccessible::ButtonMenu:
    case QAccessible::EditableText:
    case QAccessible::List:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::Link:
    case QAccessible::MenuItem:
        return true;
    default:
        return false;
    }
}

QString describe(QAccessibleInterface *node)
{
    const QObject *object = node->object();
    return QStringLiteral("%1 \"%2\" (role 0x%3)")
        .arg(object != nullptr ? QString::fromLatin1(object->metaObject()->className())
                               : QStringLiteral("entry"),
             object != nullptr ? object->objectName() : node->text(QAccessible::Name))
        .arg(int(node->role()), 0, 16);
}

// Walks the accessibility tree below node as a screen reader gets it; what
// is not on screen is left out, with everything inside it. Adds the object
// names of the controls met to seen.
void walk(QAccessibleInterface *node, QStringList &faults, QStringList &seen)
{
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface *child = node->child(i);
        if (child == nullptr || child->state().invisible)
            continue;
        const QAccessible::Role role = child->role();
        const bool unnamed = child->text(QAccessible::Name).trimmed().isEmpty();
        if (interactive(role)) {
            seen << (child->object() != nullptr ? child->object()->objectName() : QString());
            if (unnamed)
                faults << describe(child) + QStringLiteral(": no name");
            if (role != QAccessible::MenuItem && !child->state().focusable)
                faults << describe(child) + QStringLiteral(": cannot take the focus");
        } else if (role == QAccessible::Graphic && unnamed) {
            faults << describe(child) + QStringLiteral(": a picture without a name");
        }
        walk(child, faults, seen);
    }
}

QStringList faultsIn(QWidget *window, QStringList *seen = nullptr)
{
    QStringList faults;
    QStringList met;
    if (window == nullptr)
        return {QStringLiteral("no window")};
    walk(QAccessible::queryAccessibleInterface(window), faults, met);
    if (met.isEmpty())
        faults << QStringLiteral("no control met at all");
    if (seen != nullptr)
        *seen = met;
    return faults;
}

QString nameOf(const QWidget *window, const QString &objectName)
{
    auto *widget = window->findChild<QWidget *>(objectName);
    if (widget == nullptr)
        return QStringLiteral("<no part %1>").arg(objectName);
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void walkFindsWhatAScreenReaderMisses();
    void everyControlIsNamedAndFocusable_data();
    void everyControlIsNamedAndFocusable();
    void namesFollowALanguageChange();

private:
    // The program as it starts, the dashboard on screen.
    void startProgram(ProgramWindows &windows, Language language);

    QScopedPointer<QTemporaryDir> m_home;
    SettingsValues m_shared;
};

void TestAccessibility::init()
{
    m_home.reset(new QTemporaryDir);
    QVERIFY(m_home->isValid());
    const QString program = m_home->filePath(QStringLiteral("program"));
    QVERIFY(QDir().mkpath(program) && QDir().mkpath(m_home->filePath(QStringLiteral("tmp"))));
    qputenv("XDG_CONFIG_HOME", m_home->filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("TMPDIR", m_home->filePath(QStringLiteral("tmp")).toLocal8Bit());
    ProgramInfo::setProgramFolderForTesting(program);
    m_shared = SettingsValues{};
    MessageBox::clearHistory();
    // The reminder at start-up (no password set) answers itself.
    MessageBox::setAutoAnswer(true);
    DesktopServices::clearHistory();
    DesktopServices::setRecording(true);
}

void TestAccessibility::cleanup()
{
    MessageBox::setAutoAnswer(false);
    MessageBox::clearHistory();
}

void TestAccessibility::startProgram(ProgramWindows &windows, Language language)
{
    ProgramInfo::setSystemLanguageNameForTesting(
        language == Language::German ? QStringLiteral("Deutsch") : QStringLiteral("English"));
    windows.dashboard().show();
    QVERIFY(QTest::qWaitForWindowExposed(&windows.dashboard()));
    QCOMPARE(windows.dashboard().language(), language);
}

void TestAccessibility::walkFindsWhatAScreenReaderMisses()
{
    QWidget window;
    auto *picture = new QToolButton(&window);
    picture->setIcon(QIcon(QPixmap(16, 16)));
    picture->setObjectName(QStringLiteral("picture"));
    auto *field = new QLineEdit(&window);
    field->setObjectName(QStringLiteral("field"));
    auto *unreachable = new QPushButton(QStringLiteral("Go"), &window);
    unreachable->setObjectName(QStringLiteral("unreachable"));
    unreachable->setFocusPolicy(Qt::NoFocus);
    auto *image = new QLabel(&window);
    image->setPixmap(QPixmap(16, 16));
    image->setObjectName(QStringLiteral("image"));
    auto *hidden = new QLineEdit(&window);
    hidden->hide();
    auto *named = new QLineEdit(&window);
    auto *caption = new QLabel(QStringLiteral("Name:"), &window);
    caption->setBuddy(named);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QStringList faults = faultsIn(&window);
    for (QString &fault : faults)
        fault = fault.section(QLatin1Char('"'), 1, 1) + fault.section(QLatin1Char(':'), -1);
    QCOMPARE(faults,
             (QStringList{"picture no name", "field no name", "unreachable cannot take the focus",
                          "image a picture without a name"}));
}

void TestAccessibility::everyControlIsNamedAndFocusable_data()
{
    // Each window in each language, and a few names it must give: the
    // title-bar buttons, picture-only buttons, fields named by their caption.
    QTest::addColumn<QString>("window");
    QTest::addColumn<Language>("language");
    QTest::addColumn<QStringList>("names"); // objectName=name
    const Language de = Language::German;
    const Language en = Language::English;
    QTest::newRow("dashboard, German")
        << "dashboard" << de
        << QStringList{"PanelImage=Menü", "PanelMini=Minimieren", "PanelClose=Schliessen",
                       "SpeedButton1=Verschlüsseln", "Banner=Velmora2 im Web"};
    QTest::newRow("dashboard, English")
        << "dashboard" << en
        << QStringList{"PanelImage=Menu", "PanelMini=Minimise", "PanelClose=Close",
                       "SpeedButton2=Secure Delete"};
    QTest::newRow("icon menu") << "menu" << en << QStringList{};
    QTest::newRow("encrypt, German")
        << "encrypt" << de
        << QStringList{"ToolButton1=Verschlüsseln", "SpeedButton1=Dateien auswählen",
                       "ListBox1=Dateien", "SpeedButtonFolder=Ordner hinzufügen"};
    QTest::newRow("encrypt, English")
        << "encrypt" << en
        << QStringList{"ToolButton2=Decrypt files", "Edit4=Folder", "SpeedButtonFolder=Add folder"};
    QTest::newRow("encrypt after a folder run, German")
        << "encrypt, folder run" << de << QStringList{"ButtonDetails=Details"};
    QTest::newRow("secure delete, German")
        << "secure delete" << de
        << QStringList{"ToolButton6=Dateien löschen", "Edit1=Anzahl Überschreibungen",
                       "SpeedButtonFolder=Ordner hinzufügen"};
    QTest::newRow("secure delete, English")
        << "secure delete" << en
        << QStringList{"ToolButton11=Cancel delete operation", "SpeedButtonFolder=Add folder"};
    QTest::newRow("settings, German")
        << "settings" << de
        << QStringList{"ToolButton6=Neues Passwort anlegen", "Edit1=Pers. Schlüssel:"};
    QTest::newRow("settings, English")
        << "settings" << en
        << QStringList{"MaskEdit1=Password:", "EditBackup=Backup:", "ButtonKey=Generate new key"};
    QTest::newRow("about") << "about" << de << QStringList{"ProgramIcon=Velmora2"};
    QTest::newRow("password prompt, German")
        << "password prompt" << de
        << QStringList{"MaskEdit1=Passwort eingeben:", "ButtonView=Passwort anzeieg/verbergen"};
    QTest::newRow("password prompt, English")
        << "password prompt" << en
        << QStringList{"MaskEdit1=Enter password:", "SpeedButton3=Keylogger info"};
    QTest::newRow("reset confirmation")
        << "reset confirmation" << en << QStringList{"BitBtn1=Yes", "BitBtn2=No"};
    QTest::newRow("decoy log") << "decoy log" << en << QStringList{"Memo1=Send to Keylogger"};
    QTest::newRow("message box") << "message box" << de << QStringList{};
}

void TestAccessibility::everyControlIsNamedAndFocusable()
{
    QFETCH(QString, window);
    QFETCH(Language, language);
    QFETCH(QStringList, names);
    ProgramWindows windows;
    startProgram(windows, language);
    DashboardWindow &main = windows.dashboard();

    QStringList faults{QStringLiteral("not looked at")};
    QStringList wrongNames;
    const auto look = [&](QWidget *shown) {
        QStringList seen;
        faults = faultsIn(shown, &seen);
        for (const QString &pair : std::as_const(names)) {
            const QString objectName = pair.section(QLatin1Char('='), 0, 0);
            const QString expected = pair.section(QLatin1Char('='), 1);
            const QString name = nameOf(shown, objectName);
            if (name != expected)
                wrongNames
                    << QStringLiteral("%1: \"%2\", not \"%3\"").arg(objectName, name, expected);
            // A control on screen is met on the walk (pictures are not controls).
            const auto *widget = shown->findChild<QWidget *>(objectName);
            if (widget != nullptr && widget->isVisible() && !seen.contains(objectName) &&
                !qobject_cast<const QLabel *>(widget))
                wrongNames << objectName + QStringLiteral(": not met on the walk");
        }
    };
    // A modal window is looked at while it waits for its answer, then closed.
    const auto lookAtModal = [&](const std::function<void()> &openModal) {
        QTimer::singleShot(0, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            look(modal);
            if (modal != nullptr)
                QTest::keyClick(modal, Qt::Key_Escape);
        });
        openModal();
    };

    if (window == QLatin1String("dashboard")) {
        look(&main);
    } else if (window == QLatin1String("menu")) {
        auto *menu = part<QMenu>(&main, DashboardParts::Menu);
        menu->popup(main.menuPosition());
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        look(menu);
        menu->hide();
    } else if (window == QLatin1String("encrypt")) {
        windows.encryptWindow().openWith(EncryptSession{main.startup().values().personalKey,
                                                        language, QByteArray(ApplicationTextKey),
                                                        main.startup().places().dataFolder});
        look(&windows.encryptWindow());
    } else if (window == QLatin1String("encrypt, folder run")) {
        // A run over a folder with a file it skips: the details are at hand.
        const QString folder = m_home->filePath(QStringLiteral("folder"));
        QVERIFY(QDir().mkpath(folder));
        QFile skipped(folder + QStringLiteral("/old.enc"));
        QVERIFY(skipped.open(QIODevice::WriteOnly) && skipped.write("x") == 1);
        skipped.close();
        EncryptWindow &encrypt = windows.encryptWindow();
        encrypt.openWith(EncryptSession{main.startup().values().personalKey, language,
                                        QByteArray(ApplicationTextKey),
                                        main.startup().places().dataFolder});
        encrypt.listFiles({folder});
        QSignalSpy finished(&encrypt, &EncryptWindow::runFinished);
        part<QToolButton>(&encrypt, EncryptParts::Encrypt)->click();
        QVERIFY(!finished.isEmpty() || finished.wait(20000));
        QVERIFY(part<QWidget>(&encrypt, EncryptParts::Details)->isVisible());
        look(&encrypt);
    } else if (window == QLatin1String("secure delete")) {
        windows.secureDeleteWindow().open(SecureDeleteSession{language, {}});
        look(&windows.secureDeleteWindow());
    } else if (window == QLatin1String("settings")) {
        windows.settingsWindow().open(SettingsSession{main.startup().places().settingsFile,
                                                      QByteArray(ApplicationTextKey), language,
                                                      &m_shared});
        look(&windows.settingsWindow());
        windows.settingsWindow().reject();
    } else if (window == QLatin1String("about")) {
        lookAtModal(
            [&] { windows.aboutDialog().showAbout(language, QStringLiteral("2.1"), &main); });
    } else if (window == QLatin1String("password prompt")) {
        PasswordPrompt &prompt = windows.passwordPrompt();
        prompt.openForPassword(QStringLiteral("geheim"), language);
        QVERIFY(QTest::qWaitForWindowExposed(&prompt));
        look(&prompt);
        prompt.reject();
    } else if (window == QLatin1String("reset confirmation")) {
        lookAtModal([&] { windows.resetConfirmDialog().confirmReset(language); });
    } else if (window == QLatin1String("decoy log")) {
        windows.decoyLogWindow().showLog(QStringLiteral("aXq7"), 300);
        QVERIFY(QTest::qWaitForWindowExposed(&windows.decoyLogWindow()));
        look(&windows.decoyLogWindow());
        windows.decoyLogWindow().clearAndClose();
    } else if (window == QLatin1String("message box")) {
        MessageBox::setAutoAnswer(false);
        lookAtModal([&] {
            MessageBox::show(&main, Message::dialog(MessageIcon::Question, QStringLiteral("?"),
                                                    MessageButtons::YesNo)
                                        .asDestructive());
        });
    } else {
        QFAIL("unknown window");
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    QVERIFY2(wrongNames.isEmpty(), qPrintable(wrongNames.join(QLatin1Char('\n'))));
}

void TestAccessibility::namesFollowALanguageChange()
{
    // The settings window retranslates while it is open; the dashboard when
    // it closes.
    ProgramWindows windows;
    startProgram(windows, Language::German);
    DashboardWindow &main = windows.dashboard();
    SettingsWindow &settings = windows.settingsWindow();
    settings.open(SettingsSession{main.startup().places().settingsFile,
                                  QByteArray(ApplicationTextKey), Language::German, &m_shared});
    QCOMPARE(nameOf(&settings, QStringLiteral("ToolButton1")), QStringLiteral("Passwort löschen"));
    QCOMPARE(nameOf(&settings, QStringLiteral("Edit3")), QStringLiteral("Datenpfad:"));

    part<QRadioButton>(&settings, SettingsParts::English)->click();
    QCOMPARE(nameOf(&settings, QStringLiteral("ToolButton1")), QStringLiteral("Delete password"));
    QCOMPARE(nameOf(&settings, QStringLiteral("Edit3")), QStringLiteral("Data Path:"));
    QCOMPARE(nameOf(&settings, QStringLiteral("ButtonKey")), QStringLiteral("Generate new key"));

    // Saved and closed: the dashboard speaks English now.
    MessageBox::setNextAnswers({MessageAnswer::Yes});
    part<QPushButton>(&settings, SettingsParts::Save)->click();
    QTRY_COMPARE(main.language(), Language::English);
    QCOMPARE(nameOf(&main, QStringLiteral("PanelClose")), QStringLiteral("Close"));
    QCOMPARE(nameOf(&main, QStringLiteral("SpeedButton3")), QStringLiteral("Settings"));
}

QTEST_MAIN(TestAccessibility)
#include "TestAccessibility.moc"
