#include "RecordingKeyInjector.h"

#include "WidgetPart.h"
#include "WindowParts.h"
#include "access/gui/PasswordActions.h"
#include "access/gui/PasswordPrompt.h"
#include "access/gui/ResetConfirmDialog.h"
#include "access/gui/StartupPasswordCheck.h"
#include "widgets/FlatButton.h"
#include "widgets/MessageBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {
const QString digestOfGeheim = QStringLiteral("e8636ea013e682faf61f56ce1cb1ab5c");
const QString digestOfNeu = QStringLiteral("83e71d83b2dcea23dcab3b64182494cc"); // "neu"
} // namespace

Q_DECLARE_METATYPE(StartupCheckResult)

// What the user does once the prompt is on screen.
using PromptScript = std::function<void(PasswordPrompt &)>;

class TestPasswordStartupAndSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startupCheck_data();
    void startupCheck();
    void setPassword_data();
    void setPassword();
    void removePassword_data();
    void removePassword();

private:
    // Runs `script` on the prompt as soon as it is shown modally; records
    // whether it was shown at all.
    void whenShown(const PromptScript &script);

    std::unique_ptr<PasswordPrompt> prompt;
    RecordingKeyInjector::Record record;
    bool promptShown = false;
    std::unique_ptr<QTimer> poll;
};

void TestPasswordStartupAndSettings::init()
{
    record = {};
    promptShown = false;
    prompt = std::make_unique<PasswordPrompt>();
    prompt->setKeyInjector(std::make_unique<RecordingKeyInjector>(record));
    MessageBox::clearHistory();
    MessageBox::setAutoAnswer(true);
}

void TestPasswordStartupAndSettings::cleanup()
{
    poll.reset();
    prompt.reset();
    MessageBox::setAutoAnswer(false);
    MessageBox::setNextAnswers({});
}

void TestPasswordStartupAndSettings::whenShown(const PromptScript &script)
{
    poll = std::make_unique<QTimer>();
    poll->setInterval(5);
    connect(poll.get(), &QTimer::timeout, this, [this, script] {
        if (!prompt->isVisible() || !prompt->isModal())
            return;
        poll->stop();
        promptShown = true;
        script(*prompt);
    });
    poll->start();
}

namespace {

PromptScript typeAndOk(const QString &text, int times = 1)
{
    return [text, times](PasswordPrompt &pwd) {
        for (int i = 0; i < times && pwd.isVisible(); ++i) {
            QTest::keyClicks(part<QLineEdit>(&pwd, PasswordPromptParts::PasswordField), text);
            part<FlatButton>(&pwd, PasswordPromptParts::Ok)->click();
        }
    };
}

PromptScript cancel()
{
    return
        [](PasswordPrompt &pwd) { part<FlatButton>(&pwd, PasswordPromptParts::Cancel)->click(); };
}

PromptScript confirmReset()
{
    return [](PasswordPrompt &pwd) {
        ResetConfirmDialog *info = pwd.resetConfirmDialog();
        QTimer::singleShot(0, info,
                           [info] { part<QPushButton>(info, ResetConfirmParts::Yes)->click(); });
        part<FlatButton>(&pwd, PasswordPromptParts::ForgotPassword)->click();
    };
}

PromptScript closeWindow()
{
    return [](PasswordPrompt &pwd) { pwd.close(); };
}

} // namespace

void TestPasswordStartupAndSettings::startupCheck_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<PromptScript>("user");
    QTest::addColumn<StartupCheckResult>("result");
    QTest::addColumn<int>("errors");

    QTest::newRow("right password")
        << digestOfGeheim << typeAndOk("geheim") << StartupCheckResult::Accepted << 0;
    QTest::newRow("blanks around the right password")
        << digestOfGeheim << typeAndOk(" geheim  ") << StartupCheckResult::Accepted << 0;
    QTest::newRow("wrong twice, then right")
        << digestOfGeheim << PromptScript([](PasswordPrompt &pwd) {
               typeAndOk("falsch", 2)(pwd);
               typeAndOk("geheim")(pwd);
           })
        << StartupCheckResult::Accepted << 2;
    QTest::newRow("wrong four times")
        << digestOfGeheim << typeAndOk("falsch", 4) << StartupCheckResult::Failed << 3;
    QTest::newRow("cancelled") << digestOfGeheim << cancel() << StartupCheckResult::Failed << 0;
    QTest::newRow("window closed")
        << digestOfGeheim << closeWindow() << StartupCheckResult::Failed << 0;
    QTest::newRow("reset confirmed")
        << digestOfGeheim << confirmReset() << StartupCheckResult::Reset << 0;
    QTest::newRow("plain stored text")
        << "geheim" << typeAndOk("geheim") << StartupCheckResult::Accepted << 0;
    // Whether the prompt is needed at all (no password set, or accepted
    // earlier in the run) is the start-up sequence's decision.
}

void TestPasswordStartupAndSettings::startupCheck()
{
    QFETCH(QString, stored);
    QFETCH(PromptScript, user);
    QFETCH(StartupCheckResult, result);
    QFETCH(int, errors);

    // Left over from the settings window: a new-password request. The check
    // asks for the stored password all the same.
    prompt->openForNewPassword(Language::German);
    prompt->reject();
    QString caption;
    bool resetOffered = false;
    whenShown([&](PasswordPrompt &pwd) {
        caption = part<QLabel>(&pwd, PasswordPromptParts::Caption)->text();
        resetOffered = !part<FlatButton>(&pwd, PasswordPromptParts::ForgotPassword)->isHidden();
        user(pwd);
    });
    QCOMPARE(askStartupPassword(*prompt, stored, Language::English), result);
    QVERIFY(promptShown);
    QVERIFY(!prompt->isVisible());
    QCOMPARE(MessageBox::shownMessages().size(), errors);
    QCOMPARE(caption, QStringLiteral("Enter password:"));
    QVERIFY(resetOffered);
}

void TestPasswordStartupAndSettings::setPassword_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<MessageAnswer>>("answers");
    QTest::addColumn<QString>("accepted");
    QTest::addColumn<int>("saves");
    QTest::addColumn<QStringList>("messages");

    const QString old = digestOfGeheim;
    QTest::newRow("Yes stores the digest of the trimmed text")
        << "  neu " << QList<MessageAnswer>{MessageAnswer::Yes} << digestOfNeu << 1
        << QStringList{"Einstellungen jetzt speichern?"};
    QTest::newRow("No changes nothing") << "neu" << QList<MessageAnswer>{MessageAnswer::No} << old
                                        << 0 << QStringList{"Einstellungen jetzt speichern?"};
    QTest::newRow("empty entry changes nothing, no question")
        << "   " << QList<MessageAnswer>{} << old << 0 << QStringList{"Falsches Passwort!"};
}

void TestPasswordStartupAndSettings::setPassword()
{
    QFETCH(QString, typed);
    QFETCH(QList<MessageAnswer>, answers);
    QFETCH(QString, accepted);
    QFETCH(int, saves);
    QFETCH(QStringList, messages);

    QString acceptedPassword = digestOfGeheim;
    int saveCalls = 0;
    bool linkHidden = false;
    whenShown([&](PasswordPrompt &pwd) {
        linkHidden = part<FlatButton>(&pwd, PasswordPromptParts::ForgotPassword)->isHidden();
        MessageBox::setNextAnswers(answers);
        QTest::keyClicks(part<QLineEdit>(&pwd, PasswordPromptParts::PasswordField), typed);
        part<FlatButton>(&pwd, PasswordPromptParts::Ok)->click();
    });
    const bool stored = PasswordActions::SetPassword(nullptr, *prompt, Language::German,
                                                     acceptedPassword, [&] { ++saveCalls; });
    QVERIFY(promptShown);
    QVERIFY(linkHidden); // a new password has nothing to forget
    QCOMPARE(stored, saves > 0);
    QCOMPARE(saveCalls, saves);
    QCOMPARE(acceptedPassword, accepted);
    QCOMPARE(MessageBox::shownTexts(), messages);
    QVERIFY(prompt->answer().password.isEmpty()); // the typed text is not kept
    // The start-up check offers the reset again.
    prompt->openForPassword(digestOfGeheim, Language::German);
    QVERIFY(!part<FlatButton>(prompt.get(), PasswordPromptParts::ForgotPassword)->isHidden());
    prompt->reject();
}

void TestPasswordStartupAndSettings::removePassword_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<MessageAnswer>("answer");
    QTest::addColumn<QString>("question");
    QTest::newRow("German, Yes") << 0 << MessageAnswer::Yes << "Passwort wirklich löschen?";
    QTest::newRow("English, Yes") << 1 << MessageAnswer::Yes << "Delete password?";
    QTest::newRow("German, No") << 0 << MessageAnswer::No << "Passwort wirklich löschen?";
}

void TestPasswordStartupAndSettings::removePassword()
{
    QFETCH(int, language);
    QFETCH(MessageAnswer, answer);
    QFETCH(QString, question);

    QString acceptedPassword = digestOfGeheim;
    int saveCalls = 0;
    MessageBox::setNextAnswers({answer});
    const bool removed = PasswordActions::RemovePassword(nullptr, languageFromStored(language),
                                                         acceptedPassword, [&] { ++saveCalls; });
    const bool yes = answer == MessageAnswer::Yes;
    QCOMPARE(removed, yes);
    QCOMPARE(saveCalls, yes ? 1 : 0);
    QCOMPARE(acceptedPassword, yes ? QString() : digestOfGeheim);
    QCOMPARE(MessageBox::shownMessages().size(), 1);
    const Message shown = MessageBox::shownMessages().first();
    QCOMPARE(shown, Message::box(QStringLiteral("Velmora2"), question, MessageIcon::Question,
                                 MessageButtons::YesNo)
                        .asDestructive());
}

QTEST_MAIN(TestPasswordStartupAndSettings)
#include "TestPasswordStartupAndSettings.moc"
