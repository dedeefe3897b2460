#include "TestFiles.h"

#include "cipher/LayerChain.h"
#include "cipher/PipelineTexts.h"
#include "keys/ApplicationTextKey.h"
#include "keys/KeyFile.h"
#include "platform/gui/DesktopServices.h"
#include "platform/gui/HelpFile.h"
#include "ui/FileDialog.h"
#include "ui/FlatButton.h"
#include "ui/GradientProgressBar.h"
#include "ui/GradientWidget.h"
#include "ui/MessageBox.h"
#include "ui/KeyLamp.h"
#include "ui/EncryptWindow.h"

#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>

Q_DECLARE_METATYPE(MessageAnswer)

namespace {

const QString OwnKey = QStringLiteral("Abcdefghijklm%!+oKarnwyb");
const QByteArray TextKey(ApplicationTextKey);

// The window with every ShowProgress call of the runs recorded.
class RecordingTool : public EncryptWindow
{
public:
    QList<int> percents;
    QList<int> styles;

    void ShowProgress(int percent, int style) override
    {
        percents.append(percent);
        styles.append(style);
        EncryptWindow::ShowProgress(percent, style);
    }
    void clearRecord()
    {
        percents.clear();
        styles.clear();
    }
};

// What the two layers make of plain bytes under a key.
QByteArray encryptedBytes(const QString &key, const QByteArray &plain)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("p"));
    TestFiles::write(source, plain);
    const FileWorkOutcome outcome =
        runLayerChain(key, {LayerStep{source, source + QStringLiteral(".ec"), false},
                            LayerStep{source + QStringLiteral(".ec"), source + QStringLiteral(".enc"), true}});
    return outcome.ok ? TestFiles::read(source + QStringLiteral(".enc")) : QByteArray();
}

QStringList entries(const EncryptWindow &tool)
{
    QStringList names;
    for (int k = 0; k < tool.ListBox1->count(); ++k)
        names << tool.ListBox1->item(k)->text();
    return names;
}

QString withDelimiter(const QString &folder)
{
    return QDir::toNativeSeparators(folder) + QDir::separator();
}

} // namespace

class TestEncryptWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RecordingTool> m_tool;

    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString folder() const { return withDelimiter(m_dir->path()); }
    void write(const QString &name, const QByteArray &bytes) const
    {
        QVERIFY(TestFiles::write(path(name), bytes));
    }
    // Chooses files in the file dialog as the user does.
    void select(const QStringList &names)
    {
        QStringList chosen;
        for (const QString &name : names)
            chosen << path(name);
        FileDialog::setNextResult(chosen);
        QTest::mouseClick(m_tool->SpeedButton1, Qt::LeftButton);
    }
    void showTool(int language = 1)
    {
        m_tool->PrivateKey = OwnKey;
        m_tool->Ccode = TextKey;
        m_tool->TLanguage = language;
        m_tool->show();
        m_tool->clearRecord();
    }

private Q_SLOTS:
    void init();
    void cleanup();

    void everyShowingStartsAfresh_data();
    void everyShowingStartsAfresh();
    void selectFilesLastNameDecidesTheBox_data();
    void selectFilesLastNameDecidesTheBox();
    void cancelledSelectionKeepsListAndFolder();
    void encryptDecryptRoundTrip();
    void progressMovesByEntryShare_data();
    void progressMovesByEntryShare();
    void answeringNoBeforeARunChangesNothing_data();
    void answeringNoBeforeARunChangesNothing();
    void failingFileInTheMiddle();
    void decryptFailureAnsweredYesRestoresAndStops();
    void decryptBackupNeverTouchesAUsersFile();
    void externalKeyWithFileNameLines();
    void externalKeyNameQuestion_data();
    void externalKeyNameQuestion();
    void externalKeyWithEmptyKeyLineUsesDefaultKey();
    void cancelledKeyDialogKeepsTheExternalKey();
    void restoreOwnKey();
    void listClickJudgesTheEntry();
    void dropTakesTheFirstFileOnly();
    void viewAndRemoveEntries();
    void escapeMinimisesAndF1OpensHelp();
    void closeDuringARunWaitsForItsEnd();
    void barMovesWithinALargeFilesShare();
};

void TestEncryptWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_tool = std::make_unique<RecordingTool>();
    MessageBox::clearHistory();
    MessageBox::setNextAnswers({});
    MessageBox::setAutoAnswer(true);
    FileDialog::clearHistory();
    DesktopServices::setRecording(true);
    DesktopServices::clearHistory();
}

void TestEncryptWindow::cleanup()
{
    m_tool.reset();
    m_dir.reset();
    MessageBox::setAutoAnswer(false);
    FileDialog::setNextResults({});
    DesktopServices::setRecording(false);
}

void TestEncryptWindow::everyShowingStartsAfresh_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("close");
    QTest::addColumn<QString>("keyHint");
    QTest::newRow("German") << 0 << QStringLiteral("Dateien verschlüsseln")
                            << QStringLiteral("Dateien auswählen...") << QStringLiteral("Verschlüsselt")
                            << QStringLiteral("Schliessen")
                            << QStringLiteral("Eigenen Schlüssel wiederherstellen");
    QTest::newRow("English (2)") << 2 << QStringLiteral("Encrypt files")
                                 << QStringLiteral("Select files...") << QStringLiteral("Encrypted")
                                 << QStringLiteral("Close") << QStringLiteral("Save Key");
}

void TestEncryptWindow::everyShowingStartsAfresh()
{
    QFETCH(int, language);
    write(QStringLiteral("a.enc"), "x");
    const QString keyFile = path(QStringLiteral("other.key"));
    QVERIFY(WriteKeyFile(keyFile, TextKey, {QStringLiteral("external")}));

    // A first showing in the other language, left with a list, a folder, a
    // checked box, a result and an external key.
    showTool(language == 0 ? 1 : 0);
    FileDialog::setNextResult({keyFile});
    m_tool->LoadExternalKey();
    select({QStringLiteral("a.enc")});
    m_tool->Label3->setText(QStringLiteral("1 file(s) encrypted"));
    QCOMPARE(m_tool->CurrentKey, QStringLiteral("external"));
    QVERIFY(m_tool->CheckBoxEncoded->isChecked());
    m_tool->ButtonClose->click();
    QVERIFY(!m_tool->isVisible());

    m_tool->PrivateKey = QStringLiteral("Zyxwvutsrqpon%!+oKarnwyb");
    m_tool->TLanguage = language;
    m_tool->show();
    QCOMPARE(m_tool->ListBox1->count(), 0);
    QVERIFY(m_tool->Edit4->text().isEmpty());
    QVERIFY(!m_tool->CheckBoxEncoded->isChecked());
    QVERIFY(m_tool->Label3->text().isEmpty());
    QCOMPARE(m_tool->Panel1->percent(), 0);
    QCOMPARE(m_tool->CurrentKey, QStringLiteral("Zyxwvutsrqpon%!+oKarnwyb"));
    QCOMPARE(m_tool->EditKey->text(), m_tool->CurrentKey);
    QVERIFY(m_tool->JvLED1->isHidden());
    QVERIFY(m_tool->LabelKey->isHidden());
    QVERIFY(m_tool->Labelkname->text().isEmpty());
    QVERIFY(m_tool->acceptDrops());

    QTEST(m_tool->windowTitle(), "caption");
    QTEST(m_tool->Label2->text(), "label");
    QTEST(m_tool->CheckBoxEncoded->text(), "box");
    QTEST(m_tool->ButtonClose->text(), "close");
    QTEST(m_tool->ToolButton3->hint(), "keyHint");
    QCOMPARE(m_tool->size(), QSize(614, 417));

    // The run's texts follow the language handed over as well.
    write(QStringLiteral("b.txt"), "plain");
    select({QStringLiteral("b.txt")});
    m_tool->ToolButton1->click();
    QCOMPARE(m_tool->Label3->text(), QStringLiteral("1") + PipelineTexts::FilesEncrypted(language));
}

void TestEncryptWindow::selectFilesLastNameDecidesTheBox_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("checked");
    QTest::newRow("last in capitals") << QStringList{"a.txt", "b.doc", "c.ENC"} << true;
    QTest::newRow("only the first") << QStringList{"a.enc", "b.doc", "c.txt"} << false;
    QTest::newRow("inside the name") << QStringList{"x.encoded.txt"} << true;
    QTest::newRow("none") << QStringList{"a.txt", "b.doc"} << false;
}

void TestEncryptWindow::selectFilesLastNameDecidesTheBox()
{
    QFETCH(QStringList, names);
    QFETCH(bool, checked);
    for (const QString &name : names)
        write(name, "data");
    showTool();
    m_tool->CheckBoxEncoded->setChecked(!checked);
    select(names);

    QCOMPARE(entries(*m_tool), names);
    QCOMPARE(m_tool->Edit4->text(), folder());
    QCOMPARE(m_tool->CheckBoxEncoded->isChecked(), checked);
    const FileDialogRequest request = FileDialog::requests().last();
    QCOMPARE(request.kind, FileDialogRequest::Kind::OpenFiles);
    QCOMPARE(request.filter, QStringLiteral("All|*.*"));
}

void TestEncryptWindow::cancelledSelectionKeepsListAndFolder()
{
    write(QStringLiteral("a.txt"), "data");
    showTool();
    m_tool->InitDrive = m_dir->path();
    // With the folder field empty the dialog starts at the program's drive.
    select({QStringLiteral("a.txt")});
    QCOMPARE(FileDialog::requests().last().directory, m_dir->path());

    m_tool->Panel1->setProgress(40);
    FileDialog::setNextResult({});
    QTest::mouseClick(m_tool->SpeedButton1, Qt::LeftButton);
    QCOMPARE(entries(*m_tool), QStringList{QStringLiteral("a.txt")});
    QCOMPARE(m_tool->Edit4->text(), folder());
    QCOMPARE(m_tool->Panel1->percent(), 0);
    // Now the folder field decides where the dialog starts.
    QCOMPARE(FileDialog::requests().last().directory, folder());
}

void TestEncryptWindow::encryptDecryptRoundTrip()
{
    const QByteArray first = TestFiles::randomBytes(300000, 1);
    const QByteArray second = QByteArray("short text\r\n");
    write(QStringLiteral("a.txt"), first);
    write(QStringLiteral("x.encoded.txt"), second);
    write(QStringLiteral("empty.bin"), QByteArray());
    showTool();
    select({QStringLiteral("a.txt"), QStringLiteral("x.encoded.txt"), QStringLiteral("empty.bin")});
    // ".enc" inside a name before the last does not decide the box.
    QVERIFY(!m_tool->CheckBoxEncoded->isChecked());
    MessageBox::clearHistory();

    QTest::mouseClick(m_tool->ToolButton1, Qt::LeftButton);
    QVERIFY(MessageBox::shownMessages().isEmpty());
    QCOMPARE(entries(*m_tool), (QStringList{"a.txt.enc", "x.encoded.txt.enc", "empty.bin.enc"}));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
             (QStringList{"a.txt.enc", "empty.bin.enc", "x.encoded.txt.enc"}));
    QCOMPARE(TestFiles::read(path(QStringLiteral("a.txt.enc"))), encryptedBytes(OwnKey, first));
    QCOMPARE(TestFiles::read(path(QStringLiteral("x.encoded.txt.enc"))),
             encryptedBytes(OwnKey, second));
    QCOMPARE(QFileInfo(path(QStringLiteral("empty.bin.enc"))).size(), 0);
    QVERIFY(m_tool->CheckBoxEncoded->isChecked());
    QCOMPARE(m_tool->Label3->text(), QStringLiteral("3 file(s) encrypted"));
    QVERIFY(m_tool->ToolButton1->isEnabled());

    // The list now holds the encrypted names; decrypting follows directly.
    QTest::mouseClick(m_tool->ToolButton2, Qt::LeftButton);
    QVERIFY(MessageBox::shownMessages().isEmpty());
    QCOMPARE(entries(*m_tool), (QStringList{"a.txt", "x.encoded.txt", "empty.bin"}));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
             (QStringList{"a.txt", "empty.bin", "x.encoded.txt"}));
    QCOMPARE(TestFiles::read(path(QStringLiteral("a.txt"))), first);
    QCOMPARE(TestFiles::read(path(QStringLiteral("x.encoded.txt"))), second);
    QVERIFY(!m_tool->CheckBoxEncoded->isChecked());
    QCOMPARE(m_tool->Label3->text(), QStringLiteral("3 file(s) decrypted"));
    QCOMPARE(m_tool->styles.last(), int(GradientProgressBar::DecryptStyle));
}

void TestEncryptWindow::progressMovesByEntryShare_data()
{
    QTest::addColumn<int>("files");
    QTest::addColumn<bool>("decrypting");
    QTest::addColumn<QList<int>>("percents");
    QTest::newRow("two, encrypt") << 2 << false << QList<int>{0, 50, 100};
    QTest::newRow("three, encrypt") << 3 << false << QList<int>{0, 33, 67, 100};
    QTest::newRow("three, decrypt") << 3 << true << QList<int>{0, 33, 67, 100};
}

void TestEncryptWindow::progressMovesByEntryShare()
{
    QFETCH(int, files);
    QFETCH(bool, decrypting);
    QFETCH(QList<int>, percents);
    QStringList names;
    for (int k = 0; k < files; ++k) {
        names << QStringLiteral("f%1.txt.enc").arg(k);
        write(names.last(), QByteArray(1000, 'a'));
    }
    showTool();
    select(names);
    m_tool->clearRecord();
    if (decrypting)
        m_tool->ToolButton2Click();
    else
        m_tool->ToolButton1Click();
    QCOMPARE(m_tool->percents, percents);
    QCOMPARE(m_tool->Panel1->balken()->width(), 485);
}

void TestEncryptWindow::answeringNoBeforeARunChangesNothing_data()
{
    QTest::addColumn<bool>("decrypting");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("question");
    QTest::newRow("encrypt, box set") << false << true << QStringLiteral("Encrypt")
                                      << PipelineTexts::PossiblyEncrypted(1);
    QTest::newRow("decrypt, box clear") << true << false << QStringLiteral("Decrypt")
                                        << PipelineTexts::SureEncrypted(1);
}

void TestEncryptWindow::answeringNoBeforeARunChangesNothing()
{
    QFETCH(bool, decrypting);
    QFETCH(bool, checked);
    write(QStringLiteral("a.txt.enc"), "abc");
    showTool();
    select({QStringLiteral("a.txt.enc")});
    m_tool->CheckBoxEncoded->setChecked(checked);
    m_tool->Label3->setText(QStringLiteral("before"));
    m_tool->Panel1->setProgress(70);
    MessageBox::clearHistory();
    MessageBox::setNextAnswers({MessageAnswer::No});

    QTest::mouseClick(decrypting ? m_tool->ToolButton2 : m_tool->ToolButton1, Qt::LeftButton);
    const QList<Message> shown = MessageBox::shownMessages();
    QCOMPARE(shown.size(), 1);
    QTEST(shown.first().caption, "caption");
    QTEST(shown.first().text, "question");
    QCOMPARE(shown.first().buttons, MessageButtons::YesNo);
    QCOMPARE(shown.first().icon, MessageIcon::Warning);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("a.txt.enc")});
    QCOMPARE(TestFiles::read(path(QStringLiteral("a.txt.enc"))), QByteArray("abc"));
    QCOMPARE(entries(*m_tool), QStringList{QStringLiteral("a.txt.enc")});
    QCOMPARE(m_tool->CheckBoxEncoded->isChecked(), checked);
    QCOMPARE(m_tool->Label3->text(), QStringLiteral("before"));
    QCOMPARE(m_tool->Panel1->percent(), 0);
}

void TestEncryptWindow::failingFileInTheMiddle()
{
    write(QStringLiteral("a.txt"), "first");
    write(QStringLiteral("b.txt"), "second");
    write(QStringLiteral("c.txt"), "third");
    // A folder with the name of b.txt's result: b.txt is refused.
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("b.txt.enc")));
    showTool();
    select({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")});
    MessageBox::clearHistory();
    m_tool->clearRecord();

    m_tool->ToolButton1Click();
    const QList<Message> shown = MessageBox::shownMessages();
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown[0], Message::dialog(MessageIcon::Error,
                                       QStringLiteral("Error encrypting file: ") + path(QStringLiteral("b.txt"))));
    QCOMPARE(shown[1], Message::box(QStringLiteral("Encrypt"), PipelineTexts::AccessDenied(1),
                                    MessageIcon::Warning));
    QCOMPARE(shown[2], Message::box(QStringLiteral("Encrypt"), PipelineTexts::EncryptFailed(1),
                                    MessageIcon::Error));
    QCOMPARE(entries(*m_tool), (QStringList{"a.txt.enc", "b.txt", "c.txt.enc"}));
    QCOMPARE(TestFiles::read(path(QStringLiteral("b.txt"))), QByteArray("second"));
    QVERIFY(QFileInfo(path(QStringLiteral("b.txt.enc"))).isDir());
    QVERIFY(QFileInfo::exists(path(QStringLiteral("c.txt.enc"))));
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("c.txt"))));
    QCOMPARE(m_tool->Label3->text(), QStringLiteral("2 file(s) encrypted"));
    QCOMPARE(m_tool->percents, (QList<int>{0, 33, 67, 100}));
}

void TestEncryptWindow::decryptFailureAnsweredYesRestoresAndStops()
{
    const QByteArray b = encryptedBytes(OwnKey, "second");
    write(QStringLiteral("a.txt.enc"), encryptedBytes(OwnKey, "first"));
    write(QStringLiteral("b.txt.enc"), b);
    write(QStringLiteral("c.txt.enc"), encryptedBytes(OwnKey, "third"));
    // A folder with the name of b's result: its decryption is refused.
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("b.txt")));
    showTool();
    select({QStringLiteral("a.txt.enc"), QStringLiteral("b.txt.enc"), QStringLiteral("c.txt.enc")});
    m_tool->Label3->setText(QStringLiteral("before"));
    MessageBox::clearHistory();
    // Layer error, AccessDenied, then Yes to "Cancel operation?".
    MessageBox::setNextAnswers({MessageAnswer::Ok, MessageAnswer::Ok, MessageAnswer::Yes});

    m_tool->ToolButton2Click();
    const QList<Message> shown = MessageBox::shownMessages();
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown[0].text, QStringLiteral("Error decrypting file: ") + path(QStringLiteral("b.txt.enc")));
    QCOMPARE(shown[1], Message::box(QStringLiteral("Decrypt"), PipelineTexts::AccessDenied(1),
                                    MessageIcon::Warning));
    QCOMPARE(shown[2], Message::box(QStringLiteral("Decrypt"), PipelineTexts::DecryptFailedCancel(1),
                                    MessageIcon::Error, MessageButtons::YesNo));
    // a done, b whole again with its backup left beside it, c untouched.
    QCOMPARE(TestFiles::read(path(QStringLiteral("a.txt"))), QByteArray("first"));
    QCOMPARE(TestFiles::read(path(QStringLiteral("b.txt.enc"))), b);
    QCOMPARE(TestFiles::read(path(QStringLiteral("bakb.txt.enc"))), b);
    QVERIFY(QFileInfo(path(QStringLiteral("b.txt"))).isDir());
    QVERIFY(QFileInfo::exists(path(QStringLiteral("c.txt.enc"))));
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("c.txt"))));
    QCOMPARE(entries(*m_tool), (QStringList{"a.txt", "b.txt.enc", "c.txt.enc"}));
    QCOMPARE(m_tool->Label3->text(), QStringLiteral("before"));
    QVERIFY(m_tool->ToolButton2->isEnabled());
}

void TestEncryptWindow::decryptBackupNeverTouchesAUsersFile()
{
    const QByteArray encrypted = encryptedBytes(OwnKey, "report");
    write(QStringLiteral("report.doc.enc"), encrypted);
    write(QStringLiteral("bakreport.doc.enc"), "the user's own file");
    write(QStringLiteral("bak1report.doc.enc"), "another of the user's files");
    showTool();
    select({QStringLiteral("report.doc.enc")});
    m_tool->ToolButton2Click();

    QCOMPARE(TestFiles::read(path(QStringLiteral("report.doc"))), QByteArray("report"));
    QCOMPARE(TestFiles::read(path(QStringLiteral("bakreport.doc.enc"))), QByteArray("the user's own file"));
    QCOMPARE(TestFiles::read(path(QStringLiteral("bak1report.doc.enc"))),
             QByteArray("another of the user's files"));
    // The backup taken under a free name is gone again.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
             (QStringList{"bak1report.doc.enc", "bakreport.doc.enc", "report.doc"}));
    QCOMPARE(m_tool->Label3->text(), QStringLiteral("1 file(s) decrypted"));
}

void TestEncryptWindow::externalKeyWithFileNameLines()
{
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("keys")));
    const QString keyFolder = path(QStringLiteral("keys"));
    QVERIFY(TestFiles::write(keyFolder + QStringLiteral("/one.txt"), "one"));
    QVERIFY(TestFiles::write(keyFolder + QStringLiteral("/three.txt"), "three"));
    write(QStringLiteral("outside.txt"), "outside");
    const QString keyFile = keyFolder + QStringLiteral("/friend.key");
    QVERIFY(WriteKeyFile(keyFile, TextKey,
                         {QStringLiteral("their key"), QStringLiteral("three.txt"),
                          QStringLiteral("missing.txt"), QStringLiteral("../outside.txt"),
                          QStringLiteral("one.txt")}));
    showTool();
    select({QStringLiteral("outside.txt")});
    MessageBox::clearHistory();
    FileDialog::setNextResult({keyFile});
    QTest::mouseClick(m_tool->ToolButton4, Qt::LeftButton);

    QVERIFY(MessageBox::shownMessages().isEmpty());
    const FileDialogRequest request = FileDialog::requests().last();
    QCOMPARE(request.filter, QStringLiteral("Key|*.key|All|*.*"));
    QCOMPARE(m_tool->CurrentKey, QStringLiteral("their key"));
    QCOMPARE(m_tool->EditKey->text(), QStringLiteral("their key"));
    // Names of existing files in the key file's folder, in file order; a
    // name that leads out of that folder is not taken.
    QCOMPARE(entries(*m_tool), (QStringList{"three.txt", "one.txt"}));
    QCOMPARE(m_tool->Edit4->text(), withDelimiter(keyFolder));
    QVERIFY(!m_tool->JvLED1->isHidden());
    QVERIFY(!m_tool->LabelKey->isHidden());
    QCOMPARE(m_tool->Labelkname->text(), QDir::toNativeSeparators(keyFile));

    // The runs use the external key.
    m_tool->ToolButton1Click();
    QCOMPARE(TestFiles::read(keyFolder + QStringLiteral("/one.txt.enc")),
             encryptedBytes(QStringLiteral("their key"), "one"));
    QCOMPARE(TestFiles::read(path(QStringLiteral("outside.txt"))), QByteArray("outside"));

    // A key file with its key line alone leaves the list and folder empty.
    const QString single = path(QStringLiteral("single.key"));
    QVERIFY(WriteKeyFile(single, TextKey, {QStringLiteral("only a key")}));
    FileDialog::setNextResult({single});
    m_tool->LoadExternalKey();
    QCOMPARE(m_tool->CurrentKey, QStringLiteral("only a key"));
    QCOMPARE(m_tool->ListBox1->count(), 0);
    QVERIFY(m_tool->Edit4->text().isEmpty());
}

void TestEncryptWindow::externalKeyNameQuestion_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<MessageAnswer>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QString>("key");
    QTest::newRow("no 'key', Yes") << "friend.dat" << MessageAnswer::Yes << true << "their key";
    QTest::newRow("no 'key', No") << "friend.dat" << MessageAnswer::No << true << OwnKey;
    QTest::newRow("KEY then other extension") << "MyKEY.txt" << MessageAnswer::No << false << "their key";
}

void TestEncryptWindow::externalKeyNameQuestion()
{
    QFETCH(QString, name);
    QFETCH(MessageAnswer, answer);
    QFETCH(bool, asked);
    QVERIFY(WriteKeyFile(path(name), TextKey, {QStringLiteral("their key")}));
    showTool(0);
    MessageBox::clearHistory();
    MessageBox::setNextAnswers({answer});
    FileDialog::setNextResult({path(name)});
    m_tool->LoadExternalKey();

    const QList<Message> shown = MessageBox::shownMessages();
    QCOMPARE(shown.size(), asked ? 1 : 0);
    if (asked) {
        QCOMPARE(shown.first(),
                 Message::dialog(MessageIcon::Question,
                                 QStringLiteral("Ist dies wirklich eine Key-Datei? Wollen Sie fortfahren?"),
                                 MessageButtons::YesNo));
    }
    QTEST(m_tool->CurrentKey, "key");
    QCOMPARE(m_tool->EditKey->text(), m_tool->CurrentKey);
    QCOMPARE(m_tool->JvLED1->isHidden(), m_tool->CurrentKey == OwnKey);
}

void TestEncryptWindow::externalKeyWithEmptyKeyLineUsesDefaultKey()
{
    write(QStringLiteral("a.txt"), "plain");
    const QString keyFile = path(QStringLiteral("blank.key"));
    QVERIFY(WriteKeyFile(keyFile, TextKey, {QString(), QStringLiteral("a.txt")}));
    showTool();
    MessageBox::clearHistory();
    FileDialog::setNextResult({keyFile});
    m_tool->LoadExternalKey();

    QCOMPARE(MessageBox::shownMessages(),
             QList<Message>{Message::dialog(MessageIcon::Warning,
                                            QStringLiteral("No key specified! Will use default key!"))});
    QVERIFY(m_tool->CurrentKey.isEmpty());
    QVERIFY(m_tool->EditKey->text().isEmpty());
    QVERIFY(!m_tool->JvLED1->isHidden());
    QCOMPARE(m_tool->ListBox1->count(), 0);
}

void TestEncryptWindow::cancelledKeyDialogKeepsTheExternalKey()
{
    const QString keyFile = path(QStringLiteral("friend.key"));
    QVERIFY(WriteKeyFile(keyFile, TextKey, {QStringLiteral("their key")}));
    showTool();
    FileDialog::setNextResult({keyFile});
    m_tool->LoadExternalKey();
    QVERIFY(!m_tool->JvLED1->isHidden());

    FileDialog::setNextResult({});
    m_tool->LoadExternalKey();
    QVERIFY(m_tool->JvLED1->isHidden());
    QVERIFY(m_tool->LabelKey->isHidden());
    QVERIFY(m_tool->Labelkname->text().isEmpty());
    QCOMPARE(m_tool->CurrentKey, QStringLiteral("their key"));

    // A key file that cannot be read is reported and changes no key.
    FileDialog::setNextResult({path(QStringLiteral("gone.key"))});
    MessageBox::clearHistory();
    m_tool->LoadExternalKey();
    QCOMPARE(MessageBox::shownMessages().size(), 1);
    QCOMPARE(MessageBox::shownMessages().first().icon, MessageIcon::Error);
    QCOMPARE(m_tool->CurrentKey, QStringLiteral("their key"));
    QCOMPARE(m_tool->EditKey->text(), QStringLiteral("their key"));
}

void TestEncryptWindow::restoreOwnKey()
{
    write(QStringLiteral("a.txt.enc"), "abc");
    const QString keyFile = path(QStringLiteral("friend.key"));
    QVERIFY(WriteKeyFile(keyFile, TextKey, {QStringLiteral("their key"), QStringLiteral("a.txt.enc")}));
    showTool();
    FileDialog::setNextResult({keyFile});
    m_tool->LoadExternalKey();
    m_tool->CheckBoxEncoded->setChecked(true);
    m_tool->Label3->setText(QStringLiteral("1 file(s) decrypted"));
    m_tool->Label2->setText(QStringLiteral("changed"));
    m_tool->Panel1->setProgress(80);

    QTest::mouseClick(m_tool->ToolButton3, Qt::LeftButton);
    QCOMPARE(m_tool->CurrentKey, OwnKey);
    QCOMPARE(m_tool->EditKey->text(), OwnKey);
    QCOMPARE(m_tool->Label2->text(), QStringLiteral("Select files..."));
    QVERIFY(m_tool->JvLED1->isHidden());
    QVERIFY(m_tool->LabelKey->isHidden());
    QVERIFY(m_tool->Labelkname->text().isEmpty());
    QCOMPARE(m_tool->ListBox1->count(), 0);
    // The folder field and the box keep their state.
    QCOMPARE(m_tool->Edit4->text(), folder());
    QVERIFY(m_tool->CheckBoxEncoded->isChecked());
    QCOMPARE(m_tool->Panel1->percent(), 0);
    QVERIFY(m_tool->Label3->text().isEmpty());
}

void TestEncryptWindow::listClickJudgesTheEntry()
{
    QByteArray scrambled;
    for (int line = 0; line < 3; ++line)
        scrambled += QByteArray("\xe4\xf6\xfc\xdf\xe9\xe8\xea\xe0\xf1\xe7") + "\r\n";
    write(QStringLiteral("scrambled.txt"), scrambled);
    write(QStringLiteral("empty.txt"), QByteArray());
    write(QStringLiteral("notes.enc"), "plain text in a file named .enc");
    showTool();
    select({QStringLiteral("scrambled.txt"), QStringLiteral("empty.txt"), QStringLiteral("notes.enc")});
    const auto click = [this](int row) {
        const QRect area = m_tool->ListBox1->visualItemRect(m_tool->ListBox1->item(row));
        QTest::mouseClick(m_tool->ListBox1->viewport(), Qt::LeftButton, {}, area.center());
    };

    m_tool->CheckBoxEncoded->setChecked(false);
    click(0);
    QVERIFY(m_tool->CheckBoxEncoded->isChecked());
    click(2); // not read: the box keeps its state
    QVERIFY(m_tool->CheckBoxEncoded->isChecked());
    click(1); // an empty text file reads as plain
    QVERIFY(!m_tool->CheckBoxEncoded->isChecked());
}

void TestEncryptWindow::dropTakesTheFirstFileOnly()
{
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("in")));
    const QString inner = path(QStringLiteral("in"));
    QByteArray scrambled = QByteArray("\xe4\xf6\xfc\xdf\xe9\xe8\xea\xe0\xf1\xe7");
    QVERIFY(TestFiles::write(inner + QStringLiteral("/first.txt"), "plain first"));
    QVERIFY(TestFiles::write(inner + QStringLiteral("/second.txt"), scrambled));
    QVERIFY(TestFiles::write(inner + QStringLiteral("/third.ec"), "x"));
    showTool();
    write(QStringLiteral("old.txt"), "old");
    select({QStringLiteral("old.txt")});
    m_tool->CheckBoxEncoded->setChecked(true);

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(inner + QStringLiteral("/first.txt")),
                  QUrl::fromLocalFile(inner + QStringLiteral("/second.txt")),
                  QUrl::fromLocalFile(inner + QStringLiteral("/third.ec"))});
    QDragEnterEvent enter(QPoint(300, 150), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_tool.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(300, 150), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_tool.get(), &drop);

    QCOMPARE(entries(*m_tool), QStringList{QStringLiteral("first.txt")});
    QCOMPARE(m_tool->Edit4->text(), withDelimiter(inner));
    QVERIFY(!m_tool->CheckBoxEncoded->isChecked());

    // The dropped file can be encrypted at once.
    m_tool->ToolButton1Click();
    QCOMPARE(TestFiles::read(inner + QStringLiteral("/first.txt.enc")),
             encryptedBytes(OwnKey, "plain first"));
    QCOMPARE(TestFiles::read(inner + QStringLiteral("/second.txt")), scrambled);

    // Dropping the ".ec" file sets the box whatever it holds.
    m_tool->DropFile(inner + QStringLiteral("/third.ec"));
    QVERIFY(m_tool->CheckBoxEncoded->isChecked());
    QCOMPARE(entries(*m_tool), QStringList{QStringLiteral("third.ec")});
    // A folder is not a file to work on.
    m_tool->DropFile(inner);
    QCOMPARE(entries(*m_tool), QStringList{QStringLiteral("third.ec")});
}

void TestEncryptWindow::viewAndRemoveEntries()
{
    const QStringList names{"a.txt", "b.txt", "c.txt", "d.txt"};
    for (const QString &name : names)
        write(name, "data");
    showTool();
    m_tool->SpeedButton2->click(); // empty list: nothing
    QVERIFY(DesktopServices::openedUrls().isEmpty());

    select(names);
    m_tool->ListBox1->clearSelection();
    m_tool->ListBox1->setCurrentRow(-1);
    m_tool->SpeedButton2->click();
    QCOMPARE(DesktopServices::openedUrls(), QList<QUrl>{QUrl::fromLocalFile(path("a.txt"))});
    QCOMPARE(m_tool->ListBox1->currentRow(), 0);

    m_tool->ListBox1->clearSelection();
    m_tool->ListBox1->item(1)->setSelected(true);
    m_tool->ListBox1->item(3)->setSelected(true);
    QTest::mouseClick(m_tool->SpeedButton3, Qt::LeftButton);
    QCOMPARE(entries(*m_tool), (QStringList{"a.txt", "c.txt"}));
    for (const QString &name : names)
        QVERIFY(QFileInfo::exists(path(name)));

    QTest::mouseClick(m_tool->SpeedButton4, Qt::LeftButton);
    QCOMPARE(m_tool->ListBox1->count(), 0);
    QVERIFY(m_tool->Edit4->text().isEmpty());
}

void TestEncryptWindow::escapeMinimisesAndF1OpensHelp()
{
    const QString help = path(QStringLiteral("velmora.html"));
    write(QStringLiteral("velmora.html"), "<html></html>");
    const QString previousHelp = HelpFile::applicationHelpFile();
    HelpFile::setApplicationHelpFile(help);
    write(QStringLiteral("a.txt"), "data");
    showTool();
    select({QStringLiteral("a.txt")});
    QVERIFY(QTest::qWaitForWindowExposed(m_tool.get()));

    QTest::keyClick(m_tool->ListBox1, Qt::Key_F1);
    QCOMPARE(DesktopServices::openedUrls(), QList<QUrl>{HelpFile::contextUrl(help, 10)});

    QTest::keyClick(m_tool->ListBox1, Qt::Key_Escape);
    QVERIFY(m_tool->isMinimized());
    QVERIFY(m_tool->isVisible());
    QCOMPARE(m_tool->ListBox1->count(), 1);
    HelpFile::setApplicationHelpFile(previousHelp);
}

void TestEncryptWindow::closeDuringARunWaitsForItsEnd()
{
    const QByteArray plain = TestFiles::randomBytes(2 << 20, 7);
    write(QStringLiteral("a.bin"), plain);
    write(QStringLiteral("b.bin"), plain.left(1000));
    showTool();
    select({QStringLiteral("a.bin"), QStringLiteral("b.bin")});

    bool checked = false;
    QTimer::singleShot(0, m_tool.get(), [this, &checked] {
        QVERIFY(m_tool->runActive());
        const QList<FlatButton *> controls{m_tool->ToolButton1,  m_tool->ToolButton2,
                                           m_tool->ToolButton3,  m_tool->ToolButton4,
                                           m_tool->SpeedButton1, m_tool->SpeedButton3,
                                           m_tool->SpeedButton4};
        for (const FlatButton *control : controls)
            QVERIFY(!control->isEnabled());
        QVERIFY(m_tool->SpeedButton2->isEnabled());
        QVERIFY(!m_tool->acceptDrops());
        // Another click on encrypt while a run goes on starts nothing.
        m_tool->ToolButton1Click();
        m_tool->ButtonClose->click();
        QVERIFY(m_tool->isVisible());
        checked = true;
    });
    m_tool->ToolButton1Click();
    QVERIFY(checked);
    QVERIFY(!m_tool->isVisible());
    QCOMPARE(TestFiles::read(path(QStringLiteral("a.bin.enc"))), encryptedBytes(OwnKey, plain));
    QCOMPARE(m_tool->Label3->text(), QStringLiteral("2 file(s) encrypted"));
    QVERIFY(m_tool->ToolButton1->isEnabled());
}

void TestEncryptWindow::barMovesWithinALargeFilesShare()
{
    write(QStringLiteral("large.bin"), TestFiles::randomBytes(1 << 20, 3).repeated(32));
    write(QStringLiteral("small.bin"), "small");
    showTool();
    select({QStringLiteral("large.bin"), QStringLiteral("small.bin")});

    // The window keeps handling events during the large file; what the bar
    // shows meanwhile is sampled.
    QList<int> seen;
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, this, [this, &seen] {
        if (m_tool->runActive())
            seen.append(m_tool->Panel1->percent());
    });
    sampler.start(2);
    m_tool->ToolButton1Click();
    sampler.stop();

    QVERIFY(!seen.isEmpty());
    QVERIFY2(std::any_of(seen.begin(), seen.end(), [](int p) { return p > 0 && p < 50; }),
             "the bar did not move within the first file's share");
    QVERIFY(std::is_sorted(seen.begin(), seen.end()));
    QCOMPARE(m_tool->Panel1->percent(), 100);
    QCOMPARE(m_tool->Label3->text(), QStringLiteral("2 file(s) encrypted"));
}

QTEST_MAIN(TestEncryptWindow)
#include "TestEncryptWindow.moc"
