#include "RecordingKeyInjector.h"

#include "access/UnshiftedKey.h"
#include "access/gui/ResetConfirmDialog.h"
#include "access/gui/PasswordPrompt.h"
#include "access/gui/DecoyLogWindow.h"
#include "ui/FlatButton.h"
#include "ui/MessageBox.h"
#include "ui/RoundedPanel.h"

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
    prompt->NurTest = !checkMode;
    prompt->CheckPass = checkPass;
    prompt->Lang = lang;
    prompt->show();
    QVERIFY(QTest::qWaitForWindowActive(prompt.get()));
    QCOMPARE(prompt->focusWidget(), prompt->MaskEdit1);
}

void TestPasswordPrompt::type(const QString &text)
{
    for (const QChar c : text)
        QTest::keyClick(prompt->MaskEdit1, c.toLatin1());
}

void TestPasswordPrompt::typeKey(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(prompt->MaskEdit1, key, modifiers);
}

void TestPasswordPrompt::protectionOffGivesNoDecoys()
{
    showPrompt(true, digestOfGeheim);
    QVERIFY(!prompt->CheckBox1->isChecked()); // off when the program starts
    type(QStringLiteral("geheim"));
    QCOMPARE(prompt->MaskEdit1->text(), QStringLiteral("geheim"));
    QVERIFY(prompt->decoyLog().isEmpty());
    QVERIFY(prompt->Memo1->toPlainText().isEmpty());
    QVERIFY(record.sent.isEmpty());
    QVERIFY(prompt->Edit1->text().isEmpty());
}

void TestPasswordPrompt::eachCharacterGetsFourToSevenDecoys()
{
    showPrompt(true, digestOfGeheim);
    prompt->CheckBox1->setChecked(true);
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
        QCOMPARE(prompt->focusWidget(), prompt->MaskEdit1);
    }
    QCOMPARE(prompt->MaskEdit1->text(), typed); // no decoy reached the password
    QCOMPARE(prompt->Edit1->text(), expectedDecoyField);
    QCOMPARE(prompt->Memo1->toPlainText(), prompt->decoyLog());
    QVERIFY(record.allToTarget);
    QVERIFY(record.targetHadFocus); // every decoy went to Edit1 while it had the focus

    // The protection keeps its state when the prompt is shown again.
    prompt->hide();
    showPrompt(true, digestOfGeheim);
    QVERIFY(prompt->CheckBox1->isChecked());
    QVERIFY(prompt->decoyLog().isEmpty());
}

void TestPasswordPrompt::keysWithoutDecoys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << int(Qt::NoModifier);
    QTest::newRow("tab") << int(Qt::Key_Tab) << int(Qt::NoModifier);
    QTest::newRow("ctrl + a") << int(Qt::Key_A) << int(Qt::ControlModifier);
    QTest::newRow("ctrl + shift + v") << int(Qt::Key_V) << int(Qt::ControlModifier | Qt::ShiftModifier);
    QTest::newRow("left arrow") << int(Qt::Key_Left) << int(Qt::NoModifier);
}

void TestPasswordPrompt::keysWithoutDecoys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    showPrompt(true, digestOfGeheim);
    prompt->CheckBox1->setChecked(true);
    prompt->MaskEdit1->setText(QStringLiteral("ab"));
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
    prompt->CheckBox1->setChecked(true);
    typeKey(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(prompt->decoyLog().left(1), logged);
    QCOMPARE(prompt->decoyLog().mid(1), record.sent);
}

void TestPasswordPrompt::shiftLetGoBeforeTheLetter()
{
    showPrompt(true, digestOfGeheim);
    prompt->CheckBox1->setChecked(true);
    QTest::keyPress(prompt->MaskEdit1, Qt::Key_Shift);
    QTest::keyPress(prompt->MaskEdit1, 'G', Qt::ShiftModifier);
    QTest::keyRelease(prompt->MaskEdit1, Qt::Key_Shift);
    QVERIFY(record.sent.isEmpty()); // the Shift key is no character
    QTest::keyRelease(prompt->MaskEdit1, 'G');
    QCOMPARE(prompt->MaskEdit1->text(), QStringLiteral("G"));
    QCOMPARE(prompt->decoyLog(), QStringLiteral("g") + record.sent);
    QVERIFY(record.sent.size() >= 4);
}

void TestPasswordPrompt::decoyFieldLiesBeneathTheOkPanel()
{
    showPrompt(true, digestOfGeheim);
    QVERIFY(prompt->Edit1->isVisible());
    QVERIFY(prompt->PanelOk->geometry().contains(prompt->Edit1->geometry()));
    // Whatever point of the decoy field one looks at, the Ok panel is on top.
    const QRect field = prompt->Edit1->geometry();
    for (const QPoint point : {field.topLeft(), field.center(), field.bottomRight()}) {
        QWidget *seen = prompt->childAt(point);
        QVERIFY(seen == prompt->PanelOk || prompt->PanelOk->isAncestorOf(seen));
    }
    QVERIFY(prompt->Edit1->focusPolicy() != Qt::NoFocus);
    QVERIFY(!prompt->Memo1->isVisible());
}

void TestPasswordPrompt::keyMemWindowFollowsTheLogAndOkClosesIt()
{
    showPrompt(true, digestOfGeheim);
    prompt->CheckBox1->setChecked(true);
    type(QStringLiteral("ab"));

    prompt->SpeedButton3->click();
    DecoyLogWindow *keyMem = prompt->keyMemWindow();
    QVERIFY(keyMem->isVisible());
    QCOMPARE(keyMem->windowTitle(), QStringLiteral("Send to Keylogger"));
    QCOMPARE(keyMem->FTop, prompt->frameGeometry().top() + prompt->frameGeometry().height() + 10);
    QCOMPARE(keyMem->Memo1->toPlainText(), prompt->decoyLog());

    type(QStringLiteral("c")); // every key release refreshes the open window
    QCOMPARE(keyMem->Memo1->toPlainText(), prompt->decoyLog());
    QVERIFY(prompt->decoyLog().startsWith(u'a'));

    prompt->ButtonOk->click(); // "abc" is wrong: the prompt stays
    QVERIFY(prompt->isVisible());
    QVERIFY(!keyMem->isVisible());
    QVERIFY(prompt->decoyLog().isEmpty());
    QVERIFY(prompt->Memo1->toPlainText().isEmpty());
    QVERIFY(prompt->MaskEdit1->text().isEmpty());
    QCOMPARE(prompt->focusWidget(), prompt->MaskEdit1);
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
    QTest::newRow("plain text: right") << "geheim" << "geheim" << true;
    QTest::newRow("plain text: its digest") << "geheim" << digestOfGeheim << false;
}

void TestPasswordPrompt::checkMode()
{
    QFETCH(QString, checkPass);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    showPrompt(true, checkPass);
    prompt->MaskEdit1->setText(typed);
    prompt->ButtonOk->click();
    QCOMPARE(prompt->isVisible(), !accepted);
    QCOMPARE(prompt->PWD, accepted ? checkPass : QString());
    if (accepted) {
        QVERIFY(MessageBox::shownMessages().isEmpty());
    } else {
        QCOMPARE(MessageBox::shownTexts(), QStringList{QStringLiteral("Falsches Passwort!")});
        QCOMPARE(MessageBox::shownMessages().first().icon, MessageIcon::Error);
        QVERIFY(prompt->MaskEdit1->text().isEmpty());
    }
}

void TestPasswordPrompt::enterActsAsOk()
{
    showPrompt(true, digestOfAbc);
    prompt->CheckBox1->setChecked(true);
    type(QStringLiteral("abc"));
    typeKey(Qt::Key_Return);
    QVERIFY(!prompt->isVisible());
    QCOMPARE(prompt->PWD, digestOfAbc);
    QVERIFY(prompt->decoyLog().isEmpty());
}

void TestPasswordPrompt::newPasswordMode_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pwd");
    QTest::addColumn<bool>("error");
    QTest::newRow("text is handed back trimmed, not digested") << " neu 1 " << "neu 1" << false;
    QTest::newRow("empty entry") << "" << "" << true;
    QTest::newRow("blanks only") << "   " << "" << true;
}

void TestPasswordPrompt::newPasswordMode()
{
    QFETCH(QString, typed);
    QFETCH(QString, pwd);
    QFETCH(bool, error);
    showPrompt(false, QString(), 1);
    prompt->MaskEdit1->setText(typed);
    prompt->ButtonOk->click();
    QVERIFY(!prompt->isVisible()); // closes even after the error
    QCOMPARE(prompt->PWD, pwd);
    QCOMPARE(MessageBox::shownTexts(), error ? QStringList{QStringLiteral("Invalid password!")} : QStringList());
    QVERIFY(!prompt->NurTest); // reset on every close
    QVERIFY(prompt->MaskEdit1->text().isEmpty());
}

void TestPasswordPrompt::fourthWrongEntryClosesThePrompt()
{
    showPrompt(true, digestOfGeheim);
    for (int entry = 1; entry <= 3; ++entry) {
        prompt->MaskEdit1->setText(QStringLiteral("falsch"));
        prompt->ButtonOk->click();
        QVERIFY(prompt->isVisible());
        QCOMPARE(MessageBox::shownMessages().size(), entry);
    }
    prompt->MaskEdit1->setText(QStringLiteral("falsch"));
    prompt->ButtonOk->click();
    QVERIFY(!prompt->isVisible());
    QCOMPARE(MessageBox::shownMessages().size(), 3); // closed instead of a fourth error
    QVERIFY(prompt->PWD.isEmpty());
    QVERIFY(!prompt->PassReset);

    // A new showing starts counting afresh, and the right password still works.
    showPrompt(true, digestOfGeheim);
    prompt->MaskEdit1->setText(QStringLiteral("falsch"));
    prompt->ButtonOk->click();
    QVERIFY(prompt->isVisible());
    QCOMPARE(prompt->wrongEntries(), 1);
    prompt->MaskEdit1->setText(QStringLiteral("geheim"));
    prompt->ButtonOk->click();
    QVERIFY(!prompt->isVisible());
    QCOMPARE(prompt->PWD, digestOfGeheim);
}

void TestPasswordPrompt::cancelKeepsNothing()
{
    showPrompt(true, digestOfGeheim);
    prompt->CheckBox1->setChecked(true);
    type(QStringLiteral("geh"));
    prompt->SpeedButton3->click();
    prompt->ButtonQuit->click();
    QVERIFY(!prompt->isVisible());
    QVERIFY(!prompt->keyMemWindow()->isVisible());
    QVERIFY(prompt->PWD.isEmpty());
    // Neither the entry nor the log keeps the typed characters after closing.
    QVERIFY(prompt->MaskEdit1->text().isEmpty());
    QVERIFY(prompt->decoyLog().isEmpty());
    QVERIFY(prompt->Memo1->toPlainText().isEmpty());
    QVERIFY(prompt->keyMemWindow()->Memo1->toPlainText().isEmpty());
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
    prompt->MaskEdit1->setText(QStringLiteral("ge"));
    ResetConfirmDialog *info = prompt->passInfoWindow();
    bool answered = false;
    QTimer::singleShot(0, info, [&] {
        QVERIFY(info->isVisible());
        QVERIFY(!info->MyReset); // cleared when shown
        QCOMPARE(info->MyLanguage, lang);
        QCOMPARE(info->Label3->text(), lang == 0 ? QStringLiteral("Jetzt fortfahren?") : QStringLiteral("Continue?"));
        QVERIFY(info->BitBtn1->isDefault());
        (yes ? info->BitBtn1 : info->BitBtn2)->click();
        answered = true;
    });
    prompt->SpeedButton2->click();
    QVERIFY(answered);
    QCOMPARE(info->MyReset, yes);
    QCOMPARE(prompt->PassReset, yes);
    QCOMPARE(prompt->isVisible(), !yes);
    if (!yes)
        QCOMPARE(prompt->MaskEdit1->text(), QStringLiteral("ge")); // unchanged
    QVERIFY(prompt->PWD.isEmpty());
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
    QCOMPARE(prompt->MaskEdit1->echoMode(), QLineEdit::Password);
    prompt->ButtonView->click();
    QCOMPARE(prompt->MaskEdit1->echoMode(), QLineEdit::Normal);
    prompt->ButtonView->click();
    QCOMPARE(prompt->MaskEdit1->echoMode(), QLineEdit::Password);
}

void TestPasswordPrompt::texts_data()
{
    QTest::addColumn<int>("lang");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("German") << 0
                            << QStringList{"Passwort eingeben:", "Passwort anzeieg/verbergen",
                                           "Schutz gegen Keylogger einschalten", "Abbrechen",
                                           "Passwort vergessen?", "Falsches Passwort!",
                                           "Passwort zurücksetzen", "Ja", "Nein"};
    QTest::newRow("English") << 1
                             << QStringList{"Enter password:", "View/Hide password",
                                            "Enable protection against keylogger", "Cancel",
                                            "Forgot password?", "Invalid password!", "Reset password",
                                            "Yes", "No"};
    QTest::newRow("any other value is English") << 7 << QStringList{"Enter password:"};
}

void TestPasswordPrompt::texts()
{
    QFETCH(int, lang);
    QFETCH(QStringList, expected);
    showPrompt(true, digestOfGeheim, lang);
    ResetConfirmDialog *info = prompt->passInfoWindow();
    info->MyLanguage = lang;
    info->ApplyLanguage();
    const QStringList actual{prompt->Label1->text(),     prompt->ButtonView->hint(),
                             prompt->CheckBox1->text(),  prompt->ButtonQuit->text(),
                             prompt->SpeedButton2->text(), prompt->errorText(),
                             info->windowTitle(),        info->BitBtn1->text(),
                             info->BitBtn2->text()};
    QCOMPARE(actual.mid(0, expected.size()), expected);
    QCOMPARE(prompt->windowTitle(), QStringLiteral("Anti-KeyLogin"));
    QCOMPARE(prompt->ButtonOk->text(), QStringLiteral("Ok"));
    QCOMPARE(prompt->SpeedButton3->hint(), QStringLiteral("Keylogger info"));
    // Decoys stay inside the program here, and the protection box says so.
    QVERIFY(!prompt->keyInjector().reachesSystemInput());
    QVERIFY(prompt->CheckBox1->toolTip().contains(lang == 0 ? QStringLiteral("programmintern")
                                                            : QStringLiteral("inside the program")));
}

QTEST_MAIN(TestPasswordPrompt)
#include "TestPasswordPrompt.moc"
