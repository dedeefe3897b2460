#include "RecordingKeyInjector.h"

#include "FixedRandom.h"

#include "WidgetPart.h"
#include "WindowParts.h"
#include "access/gui/DecoyLogWindow.h"
#include "access/gui/PasswordPrompt.h"
#include "access/gui/ResetConfirmDialog.h"
#include "platform/keyboard/UnshiftedKey.h"
#include "widgets/FlatButton.h"
#include "widgets/MessageBox.h"
#include "widgets/RoundedPanel.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {
// MD5OfText("geheim") and of "abc", as RFC 1321 gives them.
const QString digestOfGeheim = QStringLiteral("e8636ea013e682faf61f56ce1cb1ab5c");
const QString digestOfAbc = QStringLiteral("900150983cd24fb0d6963f7d28e17f72");
} // namespace

class TestPasswordPrompt : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void protectionOffGivesNoDecoys();
    void eachCharacterGetsFourToSevenDecoys();
    void keysWithoutDecoys_data();
    void keysWithoutDecoys();
    void loggedCharacter_data();
    void loggedCharacter();
    void shiftLetGoBeforeTheLetter();
    void decoysComeFromTheRandomSource();
    void failingRandomSourceSwitchesTheProtectionOff();
    void decoyFieldLiesBeneathTheOkPanel();
    void keyMemWindowFollowsTheLogAndOkClosesIt();

    void checkMode_data();
    void checkMode();
    void enterActsAsOk();
    void newPasswordMode_data();
    void newPasswordMode();
    void fourthWrongEntryClosesThePrompt();
    void cancelKeepsNothing();
    void resetConfirmation_data();
    void resetConfirmation();
    void escapeDoesNotCloseAndF1AsksForHelp();
    void eyeButtonShowsAndHidesThePassword();
    void texts_data();
    void texts();

private:
    void showPrompt(bool checkMode, const QString &checkPass = QString(), int lang = 0);
    void type(const QString &text);
    void typeKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    std::unique_ptr<PasswordPrompt> prompt;
    RecordingKeyInjector::Record record;
};

void TestPasswordPrompt::init()
{
    record = {};
    prompt = std::make_unique<PasswordPrompt>();
    prompt->setKeyInjector(std::make_unique<RecordingKeyInjector>(record));
    MessageBox::clearHistory();
    MessageBox::setAutoAnswer(true);
}

void TestPasswordPrompt::cleanup()
{
    prompt.reset();
    MessageBox::setAutoAnswer(false);
    MessageBox::setNextAnswers({});
}

void TestPasswordPrompt::showPrompt(bool checkMode, const QString &checkPass, int lang)
{
    if (checkMode)
        prompt->openForPassword(checkPass, languageFromStored(lang));
    else
        prompt->openForNewPassword(languageFromStored(lang));
    QVERIFY(QTest::qWaitForWindowActive(prompt.get()));
    QCOMPARE(prompt->focusWidget(),
             part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField));
}

void TestPasswordPrompt::type(const QString &text)
{
    for (const QChar c : text)
        QTest::keyClick(part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField),
                        c.toLatin1());
}

void TestPasswordPrompt::typeKey(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField), key,
                    modifiers);
}

void TestPasswordPrompt::protectionOffGivesNoDecoys()
{
    showPrompt(true, digestOfGeheim);
    QVERIFY(!part<QCheckBox>(prompt.get(), PasswordPromptParts::Protection)
                 ->isChecked()); // off when the program starts
    type(QStringLiteral("geheim"));
    QCOMPARE(part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField)->text(),
             QStringLiteral("geheim"));
    QVERIFY(prompt->decoyLog().isEmpty());
    QVERIFY(
        part<QPlainTextEdit>(prompt.get(), PasswordPromptParts::DecoyLog)->toPlainText().isEmpty());
    QVERIFY(record.sent.isEmpty());
    QVERIFY(part<QLineEdit>(prompt.get(), PasswordPromptParts::DecoyField)->text().isEmpty());
}

void TestPasswordPrompt::eachCharacterGetsFourToSevenDecoys()
{
    showPrompt(true, digestOfGeheim);
    part<QCheckBox>(prompt.get(), PasswordPromptParts::Protection)->setChecked(true);
    const QString typed = QStringLiteral("ge1m9z");
    QString expectedDecoyField;
    for (const QChar c : typed) {
        const qsizetype logBefore = prompt->decoyLog().size();
        const qsizetype sentBefore = record.sent.size();
        type(QString(c));
        const QString added = prompt->decoyLog().mid(logBefore);
        const QString decoys = record.sent.mid(sentBefore);
        QVERIFY2(decoys.size() >= 4 && decoys.size() <= 7, qPrintable(decoys));
        QCOMPARE(added, QString(c) + decoys);
        for (const QChar decoy : decoys) {
            QVERIFY(decoy >= u'!' && decoy <= u'z');
            expectedDecoyField.append(UnshiftedKey::of(decoy));
        }
        QCOMPARE(prompt->focusWidget(),
                 part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField));
    }
    QCOMPARE(part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField)->text(),
             typed); // no decoy reached the password
    QCOMPARE(part<QLineEdit>(prompt.get(), PasswordPromptParts::DecoyField)->text(),
             expectedDecoyField);
    QCOMPARE(part<QPlainTextEdit>(prompt.get(), PasswordPromptParts::DecoyLog)->toPlainText(),
             prompt->decoyLog());
    QVERIFY(record.allToTarget);
    QVERIFY(record.targetHadFocus); // every decoy went to the decoy field while it had the focus

    // The protection keeps its state when the prompt is shown again.
    prompt->hide();
    showPrompt(true, digestOfGeheim);
    QVERIFY(part<QCheckBox>(prompt.get(), PasswordPromptParts::Protection)->isChecked());
    QVERIFY(prompt->decoyLog().isEmpty());
}

void TestPasswordPrompt::keysWithoutDecoys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << int(Qt::NoModifier);
    QTest::newRow("tab") << int(Qt::Key_Tab) << int(Qt::NoModifier);
    QTest::newRow("ctrl + a") << int(Qt::Key_A) << int(Qt::ControlModifier);
    QTest::newRow("ctrl + shift + v")
        << int(Qt::Key_V) << int(Qt::ControlModifier | Qt::ShiftModifier);
    QTest::newRow("left arrow") << int(Qt::Key_Left) << int(Qt::NoModifier);
}

void TestPasswordPrompt::keysWithoutDecoys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    showPrompt(true, digestOfGeheim);
    part<QCheckBox>(prompt.get(), PasswordPromptParts::Protection)->setChecked(true);
    part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField)
        ->setText(QStringLiteral("ab"));
    typeKey(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QVERIFY2(record.sent.isEmpty(), qPrintable(record.sent));
    QVERIFY(prompt->decoyLog().isEmpty());
}

void TestPasswordPrompt::loggedCharacter_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("logged");
    QTest::newRow("a") << int(Qt::Key_A) << int(Qt::NoModifier) << "a";
    QTest::newRow("shift + a") << int(Qt::Key_A) << int(Qt::ShiftModifier) << "A";
    QTest::newRow("5") << int(Qt::Key_5) << int(Qt::NoModifier) << "5";
    QTest::newRow("space") << int(Qt::Key_Space) << int(Qt::NoModifier) << " ";
}

void TestPasswordPrompt::loggedCharacter()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, logged);
    showPrompt(true, digestOfGeheim);
    part<QCheckBox>(prompt.get(), PasswordPromptParts::Protection)->setChecked(true);
    typeKey(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(prompt->decoyLog().left(1), logged);
    QCOMPARE(prompt->decoyLog().mid(1), record.sent);
}

void TestPasswordPrompt::shiftLetGoBeforeTheLetter()
{
    showPrompt(true, digestOfGeheim);
    part<QCheckBox>(prompt.get(), PasswordPromptParts::Protection)->setChecked(true);
    QTest::keyPress(part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField),
                    Qt::Key_Shift);
    QTest::keyPress(part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField), 'G',
                    Qt::ShiftModifier);
    QTest::keyRelease(part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField),
                      Qt::Key_Shift);
    QVERIFY(record.sent.isEmpty()); // the Shift key is no character
    QTest::keyRelease(part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField), 'G');
    QCOMPARE(part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField)->text(),
             QStringLiteral("G"));
    QCOMPARE(prompt->decoyLog(), QStringLiteral("g") + record.sent);
    QVERIFY(record.sent.size() >= 4);
}

void TestPasswordPrompt::decoysComeFromTheRandomSource()
{
    // Count 4 + 1, then "!" + 0, 25, 64, 89, 1.
    prompt->setRandomSource(FixedRandom::numbers({1, 0, 25, 64, 89, 1}));
    showPrompt(true, digestOfGeheim);
    part<QCheckBox>(prompt.get(), PasswordPromptParts::Protection)->setChecked(true);
    type(QStringLiteral("g"));
    QCOMPARE(record.sent, QStringLiteral("!:az\""));
    QCOMPARE(prompt->decoyLog(), QStringLiteral("g!:az\""));
    QVERIFY(MessageBox::shownTexts().isEmpty());
}

// Without decoys the prompt must not look protected.
void TestPasswordPrompt::failingRandomSourceSwitchesTheProtectionOff()
{
    prompt->setRandomSource(FixedRandom::failing(QStringLiteral("entropy gone")));
    showPrompt(true, digestOfGeheim, 1);
    auto *protection = part<QCheckBox>(prompt.get(), PasswordPromptParts::Protection);
    protection->setChecked(true);
    type(QStringLiteral("ge"));
    QVERIFY(record.sent.isEmpty());
    QVERIFY(!protection->isChecked());
    QCOMPARE(MessageBox::shownTexts(),
             QStringList{QStringLiteral("The system's random source failed: no decoys can be "
                                        "made. The protection against keylogger is switched "
                                        "off.")});
    QCOMPARE(part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField)->text(),
             QStringLiteral("ge"));
}

void TestPasswordPrompt::decoyFieldLiesBeneathTheOkPanel()
{
    showPrompt(true, digestOfGeheim);
    QVERIFY(part<QLineEdit>(prompt.get(), PasswordPromptParts::DecoyField)->isVisible());
    QVERIFY(
        part<RoundedPanel>(prompt.get(), PasswordPromptParts::OkPanel)
            ->geometry()
            .contains(part<QLineEdit>(prompt.get(), PasswordPromptParts::DecoyField)->geometry()));
    // Whatever point of the decoy field one looks at, the Ok panel is on top.
    const QRect field = part<QLineEdit>(prompt.get(), PasswordPromptParts::DecoyField)->geometry();
    for (const QPoint point : {field.topLeft(), field.center(), field.bottomRight()}) {
        QWidget *seen = prompt->childAt(point);
        QVERIFY(seen == part<RoundedPanel>(prompt.get(), PasswordPromptParts::OkPanel) ||
                part<RoundedPanel>(prompt.get(), PasswordPromptParts::OkPanel)->isAncestorOf(seen));
    }
    QVERIFY(part<QLineEdit>(prompt.get(), PasswordPromptParts::DecoyField)->focusPolicy() !=
            Qt::NoFocus);
    QVERIFY(!part<QPlainTextEdit>(prompt.get(), PasswordPromptParts::DecoyLog)->isVisible());
}

void TestPasswordPrompt::keyMemWindowFollowsTheLogAndOkClosesIt()
{
    showPrompt(true, digestOfGeheim);
    part<QCheckBox>(prompt.get(), PasswordPromptParts::Protection)->setChecked(true);
    type(QStringLiteral("ab"));

    part<FlatButton>(prompt.get(), PasswordPromptParts::ShowDecoyLog)->click();
    DecoyLogWindow *keyMem = prompt->decoyLogWindow();
    QVERIFY(keyMem->isVisible());
    QCOMPARE(keyMem->windowTitle(), QStringLiteral("Send to Keylogger"));
    // 10 pixels between the frames of the two windows, the log centred like
    // the prompt.
    QCOMPARE(keyMem->frameGeometry().top(), prompt->frameGeometry().bottom() + 1 + 10);
    QCOMPARE(keyMem->frameGeometry().left(), prompt->frameGeometry().left());
    QCOMPARE(keyMem->log(), prompt->decoyLog());

    type(QStringLiteral("c")); // every key release refreshes the open window
    QCOMPARE(keyMem->log(), prompt->decoyLog());
    QVERIFY(prompt->decoyLog().startsWith(u'a'));

    part<FlatButton>(prompt.get(), PasswordPromptParts::Ok)
        ->click(); // "abc" is wrong: the prompt stays
    QVERIFY(prompt->isVisible());
    QVERIFY(!keyMem->isVisible());
    QVERIFY(prompt->decoyLog().isEmpty());
    QVERIFY(
        part<QPlainTextEdit>(prompt.get(), PasswordPromptParts::DecoyLog)->toPlainText().isEmpty());
    QVERIFY(part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField)->text().isEmpty());
    QCOMPARE(prompt->focusWidget(),
             part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField));
}

void TestPasswordPrompt::checkMode_data()
{
    QTest::addColumn<QString>("checkPass");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("digest: right") << digestOfGeheim << "geheim" << true;
    QTest::newRow("digest: blanks around") << digestOfGeheim << "  geheim " << true;
    QTest::newRow("digest: wrong case") << digestOfGeheim << "Geheim" << false;
    QTest::newRow("digest: typing the digest") << digestOfGeheim << digestOfGeheim << false;
    QTest::newRow("digest: empty") << digestOfGeheim << "" << false;
    QTest::newRow("plain text: right") << "geheim"
                                       << "geheim" << true;
    QTest::newRow("plain text: its digest") << "geheim" << digestOfGeheim << false;
}

void TestPasswordPrompt::checkMode()
{
    QFETCH(QString, checkPass);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    showPrompt(true, checkPass);
    part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField)->setText(typed);
    part<FlatButton>(prompt.get(), PasswordPromptParts::Ok)->click();
    QCOMPARE(prompt->isVisible(), !accepted);
    QCOMPARE(prompt->answer().password, accepted ? checkPass : QString());
    if (accepted) {
        QVERIFY(MessageBox::shownMessages().isEmpty());
    } else {
        QCOMPARE(MessageBox::shownTexts(), QStringList{QStringLiteral("Falsches Passwort!")});
        QCOMPARE(MessageBox::shownMessages().first().icon, MessageIcon::Error);
        QVERIFY(
            part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField)->text().isEmpty());
    }
}

void TestPasswordPrompt::enterActsAsOk()
{
    showPrompt(true, digestOfAbc);
    part<QCheckBox>(prompt.get(), PasswordPromptParts::Protection)->setChecked(true);
    type(QStringLiteral("abc"));
    typeKey(Qt::Key_Return);
    QVERIFY(!prompt->isVisible());
    QCOMPARE(prompt->answer().password, digestOfAbc);
    QVERIFY(prompt->decoyLog().isEmpty());
}

void TestPasswordPrompt::newPasswordMode_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pwd");
    QTest::addColumn<bool>("error");
    QTest::newRow("text is handed back trimmed, not digested") << " neu 1 "
                                                               << "neu 1" << false;
    QTest::newRow("empty entry") << ""
                                 << "" << true;
    QTest::newRow("blanks only") << "   "
                                 << "" << true;
}

void TestPasswordPrompt::newPasswordMode()
{
    QFETCH(QString, typed);
    QFETCH(QString, pwd);
    QFETCH(bool, error);
    showPrompt(false, QString(), 1);
    part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField)->setText(typed);
    part<FlatButton>(prompt.get(), PasswordPromptParts::Ok)->click();
    QVERIFY(!prompt->isVisible()); // closes even after the error
    QCOMPARE(prompt->answer().password, pwd);
    QCOMPARE(MessageBox::shownTexts(),
             error ? QStringList{QStringLiteral("Invalid password!")} : QStringList());
    QVERIFY(part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField)->text().isEmpty());
}

void TestPasswordPrompt::fourthWrongEntryClosesThePrompt()
{
    showPrompt(true, digestOfGeheim);
    for (int entry = 1; entry <= 3; ++entry) {
        part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField)
            ->setText(QStringLiteral("falsch"));
        part<FlatButton>(prompt.get(), PasswordPromptParts::Ok)->click();
        QVERIFY(prompt->isVisible());
        QCOMPARE(MessageBox::shownMessages().size(), entry);
    }
    part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField)
        ->setText(QStringLiteral("falsch"));
    part<FlatButton>(prompt.get(), PasswordPromptParts::Ok)->click();
    QVERIFY(!prompt->isVisible());
    QCOMPARE(MessageBox::shownMessages().size(), 3); // closed instead of a fourth error
    QVERIFY(prompt->answer().password.isEmpty());
    QVERIFY(!prompt->answer().reset);

    // A new showing starts counting afresh, and the right password still works.
    showPrompt(true, digestOfGeheim);
    part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField)
        ->setText(QStringLiteral("falsch"));
    part<FlatButton>(prompt.get(), PasswordPromptParts::Ok)->click();
    QVERIFY(prompt->isVisible());
    QCOMPARE(prompt->wrongEntries(), 1);
    part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField)
        ->setText(QStringLiteral("geheim"));
    part<FlatButton>(prompt.get(), PasswordPromptParts::Ok)->click();
    QVERIFY(!prompt->isVisible());
    QCOMPARE(prompt->answer().password, digestOfGeheim);
}

void TestPasswordPrompt::cancelKeepsNothing()
{
    showPrompt(true, digestOfGeheim);
    part<QCheckBox>(prompt.get(), PasswordPromptParts::Protection)->setChecked(true);
    type(QStringLiteral("geh"));
    part<FlatButton>(prompt.get(), PasswordPromptParts::ShowDecoyLog)->click();
    part<FlatButton>(prompt.get(), PasswordPromptParts::Cancel)->click();
    QVERIFY(!prompt->isVisible());
    QVERIFY(!prompt->decoyLogWindow()->isVisible());
    QVERIFY(prompt->answer().password.isEmpty());
    // Neither the entry nor the log keeps the typed characters after closing.
    QVERIFY(part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField)->text().isEmpty());
    QVERIFY(prompt->decoyLog().isEmpty());
    QVERIFY(
        part<QPlainTextEdit>(prompt.get(), PasswordPromptParts::DecoyLog)->toPlainText().isEmpty());
    QVERIFY(prompt->decoyLogWindow()->log().isEmpty());
}

void TestPasswordPrompt::resetConfirmation_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<int>("lang");
    QTest::newRow("Nein") << false << 0;
    QTest::newRow("Yes") << true << 1;
}

void TestPasswordPrompt::resetConfirmation()
{
    QFETCH(bool, yes);
    QFETCH(int, lang);
    showPrompt(true, digestOfGeheim, lang);
    part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField)
        ->setText(QStringLiteral("ge"));
    ResetConfirmDialog *info = prompt->resetConfirmDialog();
    bool answered = false;
    QTimer::singleShot(0, info, [&] {
        QVERIFY(info->isVisible());
        QVERIFY(!info->confirmed()); // cleared when shown
        QCOMPARE(part<QLabel>(info, ResetConfirmParts::Question)->text(),
                 lang == 0 ? QStringLiteral("Jetzt fortfahren?") : QStringLiteral("Continue?"));
        QVERIFY(part<QPushButton>(info, ResetConfirmParts::Yes)->isDefault());
        (yes ? part<QPushButton>(info, ResetConfirmParts::Yes)
             : part<QPushButton>(info, ResetConfirmParts::No))
            ->click();
        answered = true;
    });
    part<FlatButton>(prompt.get(), PasswordPromptParts::ForgotPassword)->click();
    QVERIFY(answered);
    QCOMPARE(info->confirmed(), yes);
    QCOMPARE(prompt->answer().reset, yes);
    QCOMPARE(prompt->isVisible(), !yes);
    if (!yes)
        QCOMPARE(part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField)->text(),
                 QStringLiteral("ge")); // unchanged
    QVERIFY(prompt->answer().password.isEmpty());
}

void TestPasswordPrompt::escapeDoesNotCloseAndF1AsksForHelp()
{
    showPrompt(true, digestOfGeheim);
    QSignalSpy help(prompt.get(), &PasswordPrompt::helpRequested);
    typeKey(Qt::Key_Escape);
    QVERIFY(prompt->isVisible());
    typeKey(Qt::Key_F1);
    QCOMPARE(help.size(), 1);
    QCOMPARE(help.first().first().toInt(), 60);
}

void TestPasswordPrompt::eyeButtonShowsAndHidesThePassword()
{
    showPrompt(true, digestOfGeheim);
    QCOMPARE(part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField)->echoMode(),
             QLineEdit::Password);
    part<FlatButton>(prompt.get(), PasswordPromptParts::ShowPassword)->click();
    QCOMPARE(part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField)->echoMode(),
             QLineEdit::Normal);
    part<FlatButton>(prompt.get(), PasswordPromptParts::ShowPassword)->click();
    QCOMPARE(part<QLineEdit>(prompt.get(), PasswordPromptParts::PasswordField)->echoMode(),
             QLineEdit::Password);
}

void TestPasswordPrompt::texts_data()
{
    QTest::addColumn<int>("lang");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("German") << 0
                            << QStringList{"Passwort eingeben:",
                                           "Passwort anzeieg/verbergen",
                                           "Schutz gegen Keylogger einschalten",
                                           "Abbrechen",
                                           "Passwort vergessen?",
                                           "Falsches Passwort!",
                                           "Passwort zurücksetzen",
                                           "Ja",
                                           "Nein"};
    QTest::newRow("English") << 1
                             << QStringList{"Enter password:",
                                            "View/Hide password",
                                            "Enable protection against keylogger",
                                            "Cancel",
                                            "Forgot password?",
                                            "Invalid password!",
                                            "Reset password",
                                            "Yes",
                                            "No"};
    QTest::newRow("any other value is English") << 7 << QStringList{"Enter password:"};
}

void TestPasswordPrompt::texts()
{
    QFETCH(int, lang);
    QFETCH(QStringList, expected);
    showPrompt(true, digestOfGeheim, lang);
    ResetConfirmDialog *info = prompt->resetConfirmDialog();
    info->setLanguage(languageFromStored(lang));
    const QStringList actual{
        part<QLabel>(prompt.get(), PasswordPromptParts::Caption)->text(),
        part<FlatButton>(prompt.get(), PasswordPromptParts::ShowPassword)->hint(),
        part<QCheckBox>(prompt.get(), PasswordPromptParts::Protection)->text(),
        part<FlatButton>(prompt.get(), PasswordPromptParts::Cancel)->text(),
        part<FlatButton>(prompt.get(), PasswordPromptParts::ForgotPassword)->text(),
        prompt->errorText(),
        info->windowTitle(),
        part<QPushButton>(info, ResetConfirmParts::Yes)->text(),
        part<QPushButton>(info, ResetConfirmParts::No)->text()};
    QCOMPARE(actual.mid(0, expected.size()), expected);
    QCOMPARE(prompt->windowTitle(), QStringLiteral("Anti-KeyLogin"));
    QCOMPARE(part<FlatButton>(prompt.get(), PasswordPromptParts::Ok)->text(), QStringLiteral("Ok"));
    QCOMPARE(part<FlatButton>(prompt.get(), PasswordPromptParts::ShowDecoyLog)->hint(),
             QStringLiteral("Keylogger info"));
    // Decoys stay inside the program here, and the protection box says so.
    QVERIFY(!prompt->keyInjector().reachesSystemInput());
    QVERIFY(part<QCheckBox>(prompt.get(), PasswordPromptParts::Protection)
                ->toolTip()
                .contains(lang == 0 ? QStringLiteral("programmintern")
                                    : QStringLiteral("inside the program")));
}

QTEST_MAIN(TestPasswordPrompt)
#include "TestPasswordPrompt.moc"
