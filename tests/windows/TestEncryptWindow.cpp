#include "TestFiles.h"
#include "TextFit.h"
#include "WidgetPart.h"
#include "WindowParts.h"

#include "filecipher/LayerChain.h"
#include "filecipher/PipelineTexts.h"
#include "filecipher/StrongFormatTexts.h"
#include "keys/ApplicationTextKey.h"
#include "keys/KeyFile.h"
#include "platform/gui/DesktopServices.h"
#include "platform/gui/HelpFile.h"
#include "settings/FormatChoice.h"
#include "widgets/FileDialog.h"
#include "widgets/FlatButton.h"
#include "widgets/GradientProgressBar.h"
#include "widgets/GradientWidget.h"
#include "widgets/KeyLamp.h"
#include "widgets/MessageBox.h"
#include "windows/EncryptWindow.h"

#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <type_traits>

Q_DECLARE_METATYPE(MessageAnswer)

namespace {

const QString OwnKey = QStringLiteral("Abcdefghijklm%!+oKarnwyb");
const QByteArray TextKey(ApplicationTextKey);

// The window's controls, found by their object names.
struct Controls
{
    FlatButton *encrypt = nullptr;
    FlatButton *decrypt = nullptr;
    FlatButton *loadKey = nullptr;
    FlatButton *ownKey = nullptr;
    FlatButton *select = nullptr;
    FlatButton *view = nullptr;
    FlatButton *remove = nullptr;
    FlatButton *clear = nullptr;
    FlatButton *resetKey = nullptr;
    FlatButton *close = nullptr;
    QListWidget *list = nullptr;
    QLineEdit *folder = nullptr;
    QLineEdit *keyField = nullptr;
    QCheckBox *box = nullptr;
    QLabel *selectLabel = nullptr;
    QLabel *result = nullptr;
    QLabel *keyLabel = nullptr;
    QLabel *keyFile = nullptr;
    KeyLamp *lamp = nullptr;
    GradientProgressBar *bar = nullptr;

    explicit Controls(const EncryptWindow *window = nullptr)
    {
        if (window == nullptr)
            return;
        const auto find = [window](auto *&control, const char *name) {
            control = window->findChild<std::remove_reference_t<decltype(*control)> *>(
                QLatin1String(name));
            QVERIFY2(control != nullptr, name);
        };
        find(encrypt, EncryptParts::Encrypt);
        find(decrypt, EncryptParts::Decrypt);
        find(loadKey, EncryptParts::LoadKey);
        find(ownKey, EncryptParts::OwnKey);
        find(select, EncryptParts::SelectFiles);
        find(view, EncryptParts::ViewFile);
        find(remove, EncryptParts::RemoveFiles);
        find(clear, EncryptParts::ClearList);
        find(resetKey, EncryptParts::ResetKey);
        find(close, EncryptParts::Close);
        find(list, EncryptParts::FileList);
        find(folder, EncryptParts::FolderField);
        find(keyField, EncryptParts::KeyField);
        find(box, EncryptParts::EncryptedBox);
        find(selectLabel, EncryptParts::SelectLabel);
        find(result, EncryptParts::ResultLabel);
        find(keyLabel, EncryptParts::ExternalKeyLabel);
        find(keyFile, EncryptParts::KeyFileLabel);
        find(lamp, EncryptParts::KeyLamp);
        find(bar, EncryptParts::ProgressBar);
    }
};

// What the two layers make of plain bytes under a key.
QByteArray encryptedBytes(const QString &key, const QByteArray &plain)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("p"));
    TestFiles::write(source, plain);
    const FileWorkOutcome outcome = runLayerChain(
        key, {LayerStep{source, source + QStringLiteral(".ec"), false},
              LayerStep{source + QStringLiteral(".ec"), source + QStringLiteral(".enc"), true}});
    return outcome.ok ? TestFiles::read(source + QStringLiteral(".enc")) : QByteArray();
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
    std::unique_ptr<EncryptWindow> m_tool;
    Controls m_ui;
    // The bar's steps (start of a run, after each file) and their styles.
    QList<int> m_percents;
    QList<int> m_styles;

    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString folder() const { return withDelimiter(m_dir->path()); }
    void write(const QString &name, const QByteArray &bytes) const
    {
        QVERIFY(TestFiles::write(path(name), bytes));
    }
    QStringList entries() const
    {
        QStringList names;
        for (int k = 0; k < m_ui.list->count(); ++k)
            names << m_ui.list->item(k)->text();
        return names;
    }
    // Chooses files in the file dialog as the user does.
    void select(const QStringList &names)
    {
        QStringList chosen;
        for (const QString &name : names)
            chosen << path(name);
        FileDialog::setNextResult(chosen);
        QTest::mouseClick(m_ui.select, Qt::LeftButton);
    }
    void showTool(int language = 1, const QString &key = OwnKey,
                  const QString &dataFolder = QString())
    {
        m_tool->openWith(EncryptSession{key, languageFromStored(language), TextKey, dataFolder});
        clearRecord();
    }
    void clearRecord()
    {
        m_percents.clear();
        m_styles.clear();
    }
    void loadKey() { QTest::mouseClick(m_ui.loadKey, Qt::LeftButton); }
    // Clicks a run's button and waits for the run to end.
    void run(FlatButton *button)
    {
        QSignalSpy finished(m_tool.get(), &EncryptWindow::runFinished);
        QTest::mouseClick(button, Qt::LeftButton);
        if (finished.isEmpty())
            QVERIFY(finished.wait(60000));
        QVERIFY(!m_tool->runActive());
    }
    // Runs like run() and returns what the bar showed meanwhile, sampled
    // while the window keeps handling events.
    QList<int> runSamplingTheBar(FlatButton *button)
    {
        QList<int> seen;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, this, [this, &seen] {
            if (m_tool->runActive())
                seen.append(m_ui.bar->percent());
        });
        sampler.start(2);
        run(button);
        sampler.stop();
        return seen;
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
    void wrongKeyOnATextFileAsks_data();
    void wrongKeyOnATextFileAsks();
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
    void dropTakesEveryFileAndFolder();
    void addFolderAddsToTheList();
    void viewAndRemoveEntries();
    void escapeMinimisesAndF1OpensHelp();
    void closeDuringARunStopsAfterItsFile_data();
    void closeDuringARunStopsAfterItsFile();
    void resultLabelShowsOnlyTheLastRun();
    void formatLabelAndRunFollowTheStoredChoice_data();
    void formatLabelAndRunFollowTheStoredChoice();
    void barMovesWithinALargeFilesShare();
    void folderRunBarFollowsTheBytes();
};

void TestEncryptWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("home")));
    qputenv("HOME", path(QStringLiteral("home")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", path(QStringLiteral("home/.config")).toLocal8Bit());
    m_tool = std::make_unique<EncryptWindow>();
    m_ui = Controls(m_tool.get());
    connect(m_tool.get(), &EncryptWindow::progressStepShown, this, [this](int percent, int style) {
        m_percents.append(percent);
        m_styles.append(style);
    });
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
                            << QStringLiteral("Dateien auswählen...")
                            << QStringLiteral("Verschlüsselt") << QStringLiteral("Schliessen")
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
    loadKey();
    select({QStringLiteral("a.enc")});
    m_ui.result->setText(QStringLiteral("1 file(s) encrypted"));
    QCOMPARE(m_tool->currentKey(), QStringLiteral("external"));
    QVERIFY(m_ui.box->isChecked());
    m_ui.close->click();
    QVERIFY(!m_tool->isVisible());

    showTool(language, QStringLiteral("Zyxwvutsrqpon%!+oKarnwyb"));
    QCOMPARE(m_ui.list->count(), 0);
    QVERIFY(m_ui.folder->text().isEmpty());
    QVERIFY(!m_ui.box->isChecked());
    QVERIFY(m_ui.result->text().isEmpty());
    QCOMPARE(m_ui.bar->percent(), 0);
    QCOMPARE(m_tool->currentKey(), QStringLiteral("Zyxwvutsrqpon%!+oKarnwyb"));
    QCOMPARE(m_ui.keyField->text(), m_tool->currentKey());
    QVERIFY(m_ui.lamp->isHidden());
    QVERIFY(m_ui.keyLabel->isHidden());
    QVERIFY(m_ui.keyFile->text().isEmpty());
    QVERIFY(m_tool->acceptDrops());

    QTEST(m_tool->windowTitle(), "caption");
    QTEST(m_ui.selectLabel->text(), "label");
    QTEST(m_ui.box->text(), "box");
    QTEST(m_ui.close->text(), "close");
    QTEST(m_ui.ownKey->hint(), "keyHint");
    QCOMPARE(m_tool->size(), QSize(614, 417));

    // The run's texts follow the language handed over as well.
    write(QStringLiteral("b.txt"), "plain");
    select({QStringLiteral("b.txt")});
    run(m_ui.encrypt);
    QCOMPARE(m_ui.result->text(),
             QStringLiteral("1") + PipelineTexts::FilesEncrypted(languageFromStored(language)));
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
    m_ui.box->setChecked(!checked);
    select(names);

    QCOMPARE(entries(), names);
    QCOMPARE(m_ui.folder->text(), folder());
    QCOMPARE(m_ui.box->isChecked(), checked);
    const FileDialogRequest request = FileDialog::requests().last();
    QCOMPARE(request.kind, FileDialogRequest::Kind::OpenFiles);
    QCOMPARE(request.filter, QStringLiteral("All|*.*"));
}

void TestEncryptWindow::cancelledSelectionKeepsListAndFolder()
{
    write(QStringLiteral("a.txt"), "data");
    showTool();
    // With the folder field empty the dialog starts in the home folder (the
    // program's drive on Windows).
    select({QStringLiteral("a.txt")});
    QCOMPARE(FileDialog::requests().last().directory, path(QStringLiteral("home")));

    m_ui.bar->setProgress(40);
    FileDialog::setNextResult({});
    QTest::mouseClick(m_ui.select, Qt::LeftButton);
    QCOMPARE(entries(), QStringList{QStringLiteral("a.txt")});
    QCOMPARE(m_ui.folder->text(), folder());
    QCOMPARE(m_ui.bar->percent(), 0);
    // Now the folder field decides where the dialog starts.
    QCOMPARE(FileDialog::requests().last().directory, folder());
}

void TestEncryptWindow::encryptDecryptRoundTrip()
{
    const QByteArray first = TestFiles::randomBytes(300000, 1);
    const QByteArray second = QByteArray("short text\r\n");
    write(QStringLiteral("a.dat"), first);
    write(QStringLiteral("x.encoded.txt"), second);
    write(QStringLiteral("empty.bin"), QByteArray());
    showTool();
    select({QStringLiteral("a.dat"), QStringLiteral("x.encoded.txt"), QStringLiteral("empty.bin")});
    // ".enc" inside a name before the last does not decide the box.
    QVERIFY(!m_ui.box->isChecked());
    MessageBox::clearHistory();

    run(m_ui.encrypt);
    QVERIFY(MessageBox::shownMessages().isEmpty());
    QCOMPARE(entries(), (QStringList{"a.dat.enc", "x.encoded.txt.enc", "empty.bin.enc"}));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
             (QStringList{"a.dat.enc", "empty.bin.enc", "x.encoded.txt.enc"}));
    QCOMPARE(TestFiles::read(path(QStringLiteral("a.dat.enc"))), encryptedBytes(OwnKey, first));
    QCOMPARE(TestFiles::read(path(QStringLiteral("x.encoded.txt.enc"))),
             encryptedBytes(OwnKey, second));
    QCOMPARE(QFileInfo(path(QStringLiteral("empty.bin.enc"))).size(), 0);
    QVERIFY(m_ui.box->isChecked());
    QCOMPARE(m_ui.result->text(), QStringLiteral("3 file(s) encrypted"));
    QVERIFY(m_ui.encrypt->isEnabled());

    // The list now holds the encrypted names; decrypting follows directly.
    run(m_ui.decrypt);
    QVERIFY(MessageBox::shownMessages().isEmpty());
    QCOMPARE(entries(), (QStringList{"a.dat", "x.encoded.txt", "empty.bin"}));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
             (QStringList{"a.dat", "empty.bin", "x.encoded.txt"}));
    QCOMPARE(TestFiles::read(path(QStringLiteral("a.dat"))), first);
    QCOMPARE(TestFiles::read(path(QStringLiteral("x.encoded.txt"))), second);
    QVERIFY(!m_ui.box->isChecked());
    QCOMPARE(m_ui.result->text(), QStringLiteral("3 file(s) decrypted"));
    QCOMPARE(m_styles.last(), int(GradientProgressBar::DecryptStyle));
}

void TestEncryptWindow::progressMovesByEntryShare_data()
{
    QTest::addColumn<int>("files");
    QTest::addColumn<bool>("decrypting");
    QTest::addColumn<QList<int>>("percents");
    QTest::newRow("two, encrypt") << 2 << false << QList<int>{0, 50, 100};
    QTest::newRow("three, encrypt") << 3 << false << QList<int>{0, 33, 67, 100};
    QTest::newRow("three, decrypt") << 3 << true << QList<int>{0, 33, 67, 100};
    QTest::newRow("eight, halves to even")
        << 8 << false << QList<int>{0, 12, 25, 38, 50, 62, 75, 88, 100};
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
    clearRecord();
    if (decrypting)
        run(m_ui.decrypt);
    else
        run(m_ui.encrypt);
    QCOMPARE(m_percents, percents);
    QCOMPARE(m_ui.bar->strip()->width(), 485);
}

void TestEncryptWindow::answeringNoBeforeARunChangesNothing_data()
{
    QTest::addColumn<bool>("decrypting");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("question");
    QTest::newRow("encrypt, box set") << false << true << QStringLiteral("Encrypt")
                                      << PipelineTexts::PossiblyEncrypted(Language::English);
    QTest::newRow("decrypt, box clear") << true << false << QStringLiteral("Decrypt")
                                        << PipelineTexts::SureEncrypted(Language::English);
}

void TestEncryptWindow::answeringNoBeforeARunChangesNothing()
{
    QFETCH(bool, decrypting);
    QFETCH(bool, checked);
    write(QStringLiteral("a.txt.enc"), "abc");
    showTool();
    select({QStringLiteral("a.txt.enc")});
    m_ui.box->setChecked(checked);
    m_ui.result->setText(QStringLiteral("before"));
    m_ui.bar->setProgress(70);
    MessageBox::clearHistory();
    MessageBox::setNextAnswers({MessageAnswer::No});

    run(decrypting ? m_ui.decrypt : m_ui.encrypt);
    const QList<Message> shown = MessageBox::shownMessages();
    QCOMPARE(shown.size(), 1);
    QTEST(shown.first().caption, "caption");
    QTEST(shown.first().text, "question");
    QCOMPARE(shown.first().buttons, MessageButtons::YesNo);
    QCOMPARE(shown.first().icon, MessageIcon::Warning);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("a.txt.enc")});
    QCOMPARE(TestFiles::read(path(QStringLiteral("a.txt.enc"))), QByteArray("abc"));
    QCOMPARE(entries(), QStringList{QStringLiteral("a.txt.enc")});
    QCOMPARE(m_ui.box->isChecked(), checked);
    QCOMPARE(m_ui.result->text(), QStringLiteral("before"));
    QCOMPARE(m_ui.bar->percent(), 0);
}

void TestEncryptWindow::wrongKeyOnATextFileAsks_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<MessageAnswer>("answer");
    QTest::newRow("English, No keeps the encrypted file") << 1 << MessageAnswer::No;
    QTest::newRow("German, No keeps the encrypted file") << 0 << MessageAnswer::No;
    QTest::newRow("English, Yes keeps the result") << 1 << MessageAnswer::Yes;
}

// A text file decrypted with a key it was not made with: the result is no
// text, and the window asks before it gives up the encrypted file.
void TestEncryptWindow::wrongKeyOnATextFileAsks()
{
    QFETCH(int, language);
    QFETCH(MessageAnswer, answer);
    const QByteArray text("Liebe Grüße aus Köln\r\nund bis bald!\r\n");
    const QByteArray encrypted = encryptedBytes(QStringLiteral("Zq2-another-key-entirely"), text);
    write(QStringLiteral("brief.txt.enc"), encrypted);
    showTool(language);
    select({QStringLiteral("brief.txt.enc")});
    QVERIFY(m_ui.box->isChecked());
    MessageBox::clearHistory();
    MessageBox::setNextAnswers({answer});

    run(m_ui.decrypt);
    const Language lang = languageFromStored(language);
    const QString question = path(QStringLiteral("brief.txt")) + QStringLiteral(": ") +
                             StrongFormatTexts::KeyDoesNotSeemToFit(lang) + QStringLiteral(".\n") +
                             StrongFormatTexts::KeepResultAnyway(lang);
    QCOMPARE(MessageBox::shownMessages(),
             QList<Message>{Message::box(QStringLiteral("Decrypt"), question, MessageIcon::Warning,
                                         MessageButtons::YesNo)});
    const QStringList files = QDir(m_dir->path()).entryList(QDir::Files);
    if (answer == MessageAnswer::No) {
        QCOMPARE(files, QStringList{QStringLiteral("brief.txt.enc")});
        QCOMPARE(TestFiles::read(path(QStringLiteral("brief.txt.enc"))), encrypted);
        QCOMPARE(entries(), QStringList{QStringLiteral("brief.txt.enc")});
    } else {
        QCOMPARE(files, QStringList{QStringLiteral("brief.txt")});
        const QByteArray result = TestFiles::read(path(QStringLiteral("brief.txt")));
        QCOMPARE(result.size(), text.size());
        QVERIFY(result != text);
    }
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
    clearRecord();

    run(m_ui.encrypt);
    const QList<Message> shown = MessageBox::shownMessages();
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown[0],
             Message::dialog(MessageIcon::Error, QStringLiteral("Error encrypting file: ") +
                                                     path(QStringLiteral("b.txt"))));
    QCOMPARE(shown[1], Message::box(QStringLiteral("Encrypt"),
                                    PipelineTexts::FailureHeading(FileFailure::ResultNameBlocked,
                                                                  Language::English),
                                    MessageIcon::Warning));
    QCOMPARE(shown[2],
             Message::box(QStringLiteral("Encrypt"),
                          PipelineTexts::EncryptFailed(Language::English), MessageIcon::Error));
    QCOMPARE(entries(), (QStringList{"a.txt.enc", "b.txt", "c.txt.enc"}));
    QCOMPARE(TestFiles::read(path(QStringLiteral("b.txt"))), QByteArray("second"));
    QVERIFY(QFileInfo(path(QStringLiteral("b.txt.enc"))).isDir());
    QVERIFY(QFileInfo::exists(path(QStringLiteral("c.txt.enc"))));
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("c.txt"))));
    QCOMPARE(m_ui.result->text(), QStringLiteral("2 file(s) encrypted"));
    QCOMPARE(m_percents, (QList<int>{0, 33, 67, 100}));
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
    m_ui.result->setText(QStringLiteral("before"));
    MessageBox::clearHistory();
    // Layer error, "Name taken!", then Yes to "Cancel operation?".
    MessageBox::setNextAnswers({MessageAnswer::Ok, MessageAnswer::Ok, MessageAnswer::Yes});

    run(m_ui.decrypt);
    const QList<Message> shown = MessageBox::shownMessages();
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown[0].text,
             QStringLiteral("Error decrypting file: ") + path(QStringLiteral("b.txt.enc")));
    QCOMPARE(shown[1], Message::box(QStringLiteral("Decrypt"),
                                    PipelineTexts::FailureHeading(FileFailure::ResultNameBlocked,
                                                                  Language::English),
                                    MessageIcon::Warning));
    QCOMPARE(shown[2], Message::box(QStringLiteral("Decrypt"),
                                    PipelineTexts::DecryptFailedCancel(Language::English),
                                    MessageIcon::Error, MessageButtons::YesNo));
    // a done, b whole again with its backup left beside it, c untouched.
    QCOMPARE(TestFiles::read(path(QStringLiteral("a.txt"))), QByteArray("first"));
    QCOMPARE(TestFiles::read(path(QStringLiteral("b.txt.enc"))), b);
    QCOMPARE(TestFiles::read(path(QStringLiteral("bakb.txt.enc"))), b);
    QVERIFY(QFileInfo(path(QStringLiteral("b.txt"))).isDir());
    QVERIFY(QFileInfo::exists(path(QStringLiteral("c.txt.enc"))));
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("c.txt"))));
    QCOMPARE(entries(), (QStringList{"a.txt", "b.txt.enc", "c.txt.enc"}));
    // The label tells what this run did, not what an earlier one did.
    QCOMPARE(m_ui.result->text(), QStringLiteral("1 file(s) decrypted"));
    QVERIFY(m_ui.box->isChecked() == false);
    QVERIFY(m_ui.decrypt->isEnabled());
}

void TestEncryptWindow::decryptBackupNeverTouchesAUsersFile()
{
    const QByteArray encrypted = encryptedBytes(OwnKey, "report");
    write(QStringLiteral("report.doc.enc"), encrypted);
    write(QStringLiteral("bakreport.doc.enc"), "the user's own file");
    write(QStringLiteral("bak1report.doc.enc"), "another of the user's files");
    showTool();
    select({QStringLiteral("report.doc.enc")});
    run(m_ui.decrypt);

    QCOMPARE(TestFiles::read(path(QStringLiteral("report.doc"))), QByteArray("report"));
    QCOMPARE(TestFiles::read(path(QStringLiteral("bakreport.doc.enc"))),
             QByteArray("the user's own file"));
    QCOMPARE(TestFiles::read(path(QStringLiteral("bak1report.doc.enc"))),
             QByteArray("another of the user's files"));
    // The backup taken under a free name is gone again.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
             (QStringList{"bak1report.doc.enc", "bakreport.doc.enc", "report.doc"}));
    QCOMPARE(m_ui.result->text(), QStringLiteral("1 file(s) decrypted"));
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
    QTest::mouseClick(m_ui.loadKey, Qt::LeftButton);

    QVERIFY(MessageBox::shownMessages().isEmpty());
    const FileDialogRequest request = FileDialog::requests().last();
    QCOMPARE(request.filter, QStringLiteral("Key|*.key|All|*.*"));
    QCOMPARE(m_tool->currentKey(), QStringLiteral("their key"));
    QCOMPARE(m_ui.keyField->text(), QStringLiteral("their key"));
    // Names of existing files in the key file's folder, in file order; a
    // name that leads out of that folder is not taken.
    QCOMPARE(entries(), (QStringList{"three.txt", "one.txt"}));
    QCOMPARE(m_ui.folder->text(), withDelimiter(keyFolder));
    QVERIFY(!m_ui.lamp->isHidden());
    QVERIFY(!m_ui.keyLabel->isHidden());
    QCOMPARE(m_ui.keyFile->text(), QDir::toNativeSeparators(keyFile));

    // The runs use the external key.
    run(m_ui.encrypt);
    QCOMPARE(TestFiles::read(keyFolder + QStringLiteral("/one.txt.enc")),
             encryptedBytes(QStringLiteral("their key"), "one"));
    QCOMPARE(TestFiles::read(path(QStringLiteral("outside.txt"))), QByteArray("outside"));

    // A key file with its key line alone leaves the list and folder empty.
    const QString single = path(QStringLiteral("single.key"));
    QVERIFY(WriteKeyFile(single, TextKey, {QStringLiteral("only a key")}));
    FileDialog::setNextResult({single});
    loadKey();
    QCOMPARE(m_tool->currentKey(), QStringLiteral("only a key"));
    QCOMPARE(m_ui.list->count(), 0);
    QVERIFY(m_ui.folder->text().isEmpty());
}

void TestEncryptWindow::externalKeyNameQuestion_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<MessageAnswer>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QString>("key");
    QTest::newRow("no 'key', Yes") << "friend.dat" << MessageAnswer::Yes << true << "their key";
    QTest::newRow("no 'key', No") << "friend.dat" << MessageAnswer::No << true << OwnKey;
    QTest::newRow("KEY then other extension")
        << "MyKEY.txt" << MessageAnswer::No << false << "their key";
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
    loadKey();

    const QList<Message> shown = MessageBox::shownMessages();
    QCOMPARE(shown.size(), asked ? 1 : 0);
    if (asked) {
        QCOMPARE(shown.first(),
                 Message::dialog(
                     MessageIcon::Question,
                     QStringLiteral("Ist dies wirklich eine Key-Datei? Wollen Sie fortfahren?"),
                     MessageButtons::YesNo));
    }
    QTEST(m_tool->currentKey(), "key");
    QCOMPARE(m_ui.keyField->text(), m_tool->currentKey());
    QCOMPARE(m_ui.lamp->isHidden(), m_tool->currentKey() == OwnKey);
}

void TestEncryptWindow::externalKeyWithEmptyKeyLineUsesDefaultKey()
{
    write(QStringLiteral("a.txt"), "plain");
    const QString keyFile = path(QStringLiteral("blank.key"));
    QVERIFY(WriteKeyFile(keyFile, TextKey, {QString(), QStringLiteral("a.txt")}));
    showTool();
    MessageBox::clearHistory();
    FileDialog::setNextResult({keyFile});
    loadKey();

    QCOMPARE(MessageBox::shownMessages(),
             QList<Message>{Message::dialog(
                 MessageIcon::Warning, QStringLiteral("No key specified! Will use default key!"))});
    QVERIFY(m_tool->currentKey().isEmpty());
    QVERIFY(m_ui.keyField->text().isEmpty());
    QVERIFY(!m_ui.lamp->isHidden());
    QCOMPARE(m_ui.list->count(), 0);
}

void TestEncryptWindow::cancelledKeyDialogKeepsTheExternalKey()
{
    const QString keyFile = path(QStringLiteral("friend.key"));
    QVERIFY(WriteKeyFile(keyFile, TextKey, {QStringLiteral("their key")}));
    showTool();
    FileDialog::setNextResult({keyFile});
    loadKey();
    QVERIFY(!m_ui.lamp->isHidden());

    // A cancelled dialog keeps the key, and the display shows it still.
    FileDialog::setNextResult({});
    loadKey();
    QCOMPARE(m_tool->currentKey(), QStringLiteral("their key"));
    QVERIFY(!m_ui.lamp->isHidden());
    QVERIFY(!m_ui.keyLabel->isHidden());
    QCOMPARE(m_ui.keyFile->text(), QDir::toNativeSeparators(keyFile));
    // ... and the next run uses it.
    write(QStringLiteral("a.txt"), "plain");
    select({QStringLiteral("a.txt")});
    run(m_ui.encrypt);
    QCOMPARE(TestFiles::read(path(QStringLiteral("a.txt.enc"))),
             encryptedBytes(QStringLiteral("their key"), "plain"));

    // A key file that cannot be read is reported and changes no key.
    FileDialog::setNextResult({path(QStringLiteral("gone.key"))});
    MessageBox::clearHistory();
    loadKey();
    QCOMPARE(MessageBox::shownMessages().size(), 1);
    QCOMPARE(MessageBox::shownMessages().first().icon, MessageIcon::Error);
    QCOMPARE(m_tool->currentKey(), QStringLiteral("their key"));
    QCOMPARE(m_ui.keyField->text(), QStringLiteral("their key"));
}

void TestEncryptWindow::restoreOwnKey()
{
    write(QStringLiteral("a.txt.enc"), "abc");
    const QString keyFile = path(QStringLiteral("friend.key"));
    QVERIFY(
        WriteKeyFile(keyFile, TextKey, {QStringLiteral("their key"), QStringLiteral("a.txt.enc")}));
    showTool();
    FileDialog::setNextResult({keyFile});
    loadKey();
    m_ui.box->setChecked(true);
    m_ui.result->setText(QStringLiteral("1 file(s) decrypted"));
    m_ui.selectLabel->setText(QStringLiteral("changed"));
    m_ui.bar->setProgress(80);

    QTest::mouseClick(m_ui.ownKey, Qt::LeftButton);
    QCOMPARE(m_tool->currentKey(), OwnKey);
    QCOMPARE(m_ui.keyField->text(), OwnKey);
    QCOMPARE(m_ui.selectLabel->text(), QStringLiteral("Select files..."));
    QVERIFY(m_ui.lamp->isHidden());
    QVERIFY(m_ui.keyLabel->isHidden());
    QVERIFY(m_ui.keyFile->text().isEmpty());
    QCOMPARE(m_ui.list->count(), 0);
    // The folder field and the box keep their state.
    QCOMPARE(m_ui.folder->text(), folder());
    QVERIFY(m_ui.box->isChecked());
    QCOMPARE(m_ui.bar->percent(), 0);
    QVERIFY(m_ui.result->text().isEmpty());
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
    select({QStringLiteral("scrambled.txt"), QStringLiteral("empty.txt"),
            QStringLiteral("notes.enc")});
    const auto click = [this](int row) {
        const QRect area = m_ui.list->visualItemRect(m_ui.list->item(row));
        QTest::mouseClick(m_ui.list->viewport(), Qt::LeftButton, {}, area.center());
    };

    m_ui.box->setChecked(false);
    click(0);
    QVERIFY(m_ui.box->isChecked());
    click(2); // not read: the box keeps its state
    QVERIFY(m_ui.box->isChecked());
    click(1); // an empty text file reads as plain
    QVERIFY(!m_ui.box->isChecked());
}

void TestEncryptWindow::dropTakesEveryFileAndFolder()
{
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("in")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("other")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("tree/deep")));
    const QString base = QFileInfo(m_dir->path()).canonicalFilePath();
    const QString inner = base + QStringLiteral("/in");
    const QByteArray scrambled = QByteArray("\xe4\xf6\xfc\xdf\xe9\xe8\xea\xe0\xf1\xe7");
    QVERIFY(TestFiles::write(inner + QStringLiteral("/first.txt"), "plain first"));
    QVERIFY(TestFiles::write(inner + QStringLiteral("/second.txt"), scrambled));
    QVERIFY(TestFiles::write(inner + QStringLiteral("/third.ec"), "x"));
    write(QStringLiteral("other/far.txt"), "far");
    write(QStringLiteral("tree/x.txt"), "x in the tree");
    write(QStringLiteral("tree/deep/y.txt"), "y deeper down");
    write(QStringLiteral("tree/old.enc"), "encrypted before");
    showTool();
    write(QStringLiteral("old.txt"), "old");
    select({QStringLiteral("old.txt")});
    m_ui.box->setChecked(true);

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(inner + QStringLiteral("/first.txt")),
                  QUrl::fromLocalFile(inner + QStringLiteral("/second.txt")),
                  QUrl::fromLocalFile(path(QStringLiteral("other/far.txt"))),
                  QUrl::fromLocalFile(path(QStringLiteral("tree"))),
                  QUrl::fromLocalFile(inner + QStringLiteral("/first.txt"))});
    QDragEnterEvent enter(QPoint(300, 150), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_tool.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(300, 150), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_tool.get(), &drop);

    // Everything dropped, once each; what lies elsewhere by its path, the
    // folder as a folder. The first file's content decides the box.
    QCOMPARE(entries(),
             (QStringList{"first.txt", "second.txt", base + "/other/far.txt", base + "/tree/"}));
    QCOMPARE(m_ui.folder->text(), withDelimiter(inner));
    QVERIFY(!m_ui.list->item(3)->icon().isNull());
    QVERIFY(m_ui.list->item(0)->icon().isNull());
    QVERIFY(!m_ui.box->isChecked());

    run(m_ui.encrypt);
    QCOMPARE(TestFiles::read(inner + QStringLiteral("/first.txt.enc")),
             encryptedBytes(OwnKey, "plain first"));
    QCOMPARE(TestFiles::read(inner + QStringLiteral("/second.txt.enc")),
             encryptedBytes(OwnKey, scrambled));
    QCOMPARE(TestFiles::read(path(QStringLiteral("other/far.txt.enc"))),
             encryptedBytes(OwnKey, "far"));
    QCOMPARE(TestFiles::read(path(QStringLiteral("tree/deep/y.txt.enc"))),
             encryptedBytes(OwnKey, "y deeper down"));
    QCOMPARE(QDir(path(QStringLiteral("tree"))).entryList(QDir::Files),
             (QStringList{"old.enc", "x.txt.enc"}));
    QCOMPARE(TestFiles::read(path(QStringLiteral("tree/old.enc"))), QByteArray("encrypted before"));
    QCOMPARE(TestFiles::read(inner + QStringLiteral("/third.ec")), QByteArray("x"));

    // The entries follow their files; the folder stays as it was named.
    QCOMPARE(entries(), (QStringList{"first.txt.enc", "second.txt.enc", base + "/other/far.txt.enc",
                                     base + "/tree/"}));
    QCOMPARE(m_ui.bar->percent(), 100);
    QCOMPARE(m_ui.result->text(), QStringLiteral("5 file(s) encrypted, 1 skipped, 0 failed"));
    auto *details = part<FlatButton>(m_tool.get(), EncryptParts::Details);
    QVERIFY(details->isVisible());
    MessageBox::clearHistory();
    QTest::mouseClick(details, Qt::LeftButton);
    QCOMPARE(MessageBox::shownTexts(),
             QStringList{"1 file(s) skipped:\n" + base +
                         "/tree/old.enc: already encrypted (ends in .enc)"});

    // Dropping the ".ec" file alone sets the box whatever it holds.
    m_tool->dropPaths({inner + QStringLiteral("/third.ec")});
    QVERIFY(m_ui.box->isChecked());
    QCOMPARE(entries(), QStringList{QStringLiteral("third.ec")});
    QVERIFY(m_ui.result->text().isEmpty());
    QVERIFY(details->isHidden());
}

// The folder button adds to the list, in the folder of the list or by path;
// a folder listed already and a cancelled dialog change nothing.
void TestEncryptWindow::addFolderAddsToTheList()
{
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("docs/inner")));
    write(QStringLiteral("a.txt"), "a");
    write(QStringLiteral("docs/inner/b.txt"), "b");
    QTemporaryDir elsewhere;
    const QString far = QFileInfo(elsewhere.path()).canonicalFilePath();
    showTool(0);
    auto *addFolder = part<FlatButton>(m_tool.get(), EncryptParts::AddFolder);
    QCOMPARE(addFolder->hint(), QStringLiteral("Ordner hinzufügen"));
    select({QStringLiteral("a.txt")});
    FileDialog::clearHistory();

    FileDialog::setNextResults(
        {{path(QStringLiteral("docs"))}, {}, {path(QStringLiteral("docs/"))}, {far}});
    for (int click = 0; click < 4; ++click)
        QTest::mouseClick(addFolder, Qt::LeftButton);
    QCOMPARE(entries(), (QStringList{"a.txt", "docs/", far + "/"}));
    QCOMPARE(m_ui.folder->text(), folder());
    const FileDialogRequest request = FileDialog::requests().first();
    QCOMPARE(request.kind, FileDialogRequest::Kind::Folder);
    QCOMPARE(request.directory, folder());

    run(m_ui.encrypt);
    QCOMPARE(QDir(path(QStringLiteral("docs/inner"))).entryList(QDir::Files),
             QStringList{"b.txt.enc"});
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"a.txt.enc"});
    QCOMPARE(m_ui.result->text(),
             QStringLiteral("2 Datei(en) verschlüsselt, 0 übersprungen, 0 fehlgeschlagen"));
    QVERIFY(TextFit::showsWhole(m_ui.result));
    QVERIFY(part<FlatButton>(m_tool.get(), EncryptParts::Details)->isHidden());
}

void TestEncryptWindow::viewAndRemoveEntries()
{
    const QStringList names{"a.txt", "b.txt", "c.txt", "d.txt"};
    for (const QString &name : names)
        write(name, "data");
    showTool();
    m_ui.view->click(); // empty list: nothing
    QVERIFY(DesktopServices::openedUrls().isEmpty());

    select(names);
    m_ui.list->clearSelection();
    m_ui.list->setCurrentRow(-1);
    m_ui.view->click();
    QCOMPARE(DesktopServices::openedUrls(), QList<QUrl>{QUrl::fromLocalFile(path("a.txt"))});
    QCOMPARE(m_ui.list->currentRow(), 0);

    m_ui.list->clearSelection();
    m_ui.list->item(1)->setSelected(true);
    m_ui.list->item(3)->setSelected(true);
    QTest::mouseClick(m_ui.remove, Qt::LeftButton);
    QCOMPARE(entries(), (QStringList{"a.txt", "c.txt"}));
    for (const QString &name : names)
        QVERIFY(QFileInfo::exists(path(name)));

    QTest::mouseClick(m_ui.clear, Qt::LeftButton);
    QCOMPARE(m_ui.list->count(), 0);
    QVERIFY(m_ui.folder->text().isEmpty());
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

    QTest::keyClick(m_ui.list, Qt::Key_F1);
    QCOMPARE(DesktopServices::openedUrls(), QList<QUrl>{HelpFile::contextUrl(help, 10)});

    QTest::keyClick(m_ui.list, Qt::Key_Escape);
    QVERIFY(m_tool->isMinimized());
    QVERIFY(m_tool->isVisible());
    QCOMPARE(m_ui.list->count(), 1);
    HelpFile::setApplicationHelpFile(previousHelp);
}

void TestEncryptWindow::closeDuringARunStopsAfterItsFile_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("stopping");
    QTest::newRow("English") << 1 << QStringLiteral("Stopping...");
    QTest::newRow("German") << 0 << QStringLiteral("Wird angehalten...");
}

void TestEncryptWindow::closeDuringARunStopsAfterItsFile()
{
    QFETCH(int, language);
    const QByteArray plain = TestFiles::randomBytes(1 << 20, 7).repeated(96);
    write(QStringLiteral("a.bin"), plain);
    write(QStringLiteral("b.bin"), "second");
    showTool(language);
    select({QStringLiteral("a.bin"), QStringLiteral("b.bin")});

    QSignalSpy finished(m_tool.get(), &EncryptWindow::runFinished);
    QTest::mouseClick(m_ui.encrypt, Qt::LeftButton);
    QVERIFY(m_tool->runActive());
    const QList<FlatButton *> controls{m_ui.encrypt, m_ui.decrypt, m_ui.ownKey, m_ui.loadKey,
                                       m_ui.select,  m_ui.remove,  m_ui.clear};
    for (const FlatButton *control : controls)
        QVERIFY(!control->isEnabled());
    QVERIFY(m_ui.view->isEnabled());
    QVERIFY(!m_tool->acceptDrops());

    // Closed while the first file is in work: that file is finished, the
    // second is not started, and the window hides once the run has ended.
    bool closed = false;
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, this, [&] {
        const int percent = m_ui.bar->percent();
        if (closed || percent <= 0 || percent >= 50)
            return;
        closed = true;
        m_ui.close->click();
        QVERIFY(m_tool->isVisible());
        QTEST(m_ui.result->text(), "stopping");
    });
    sampler.start(1);
    QVERIFY(finished.wait(60000));
    sampler.stop();
    QVERIFY(closed);
    QVERIFY(!m_tool->isVisible());
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("a.bin"))));
    QCOMPARE(TestFiles::read(path(QStringLiteral("a.bin.enc"))), encryptedBytes(OwnKey, plain));
    QCOMPARE(TestFiles::read(path(QStringLiteral("b.bin"))), QByteArray("second"));
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("b.bin.enc"))));
    QCOMPARE(m_ui.result->text(),
             QStringLiteral("1") + PipelineTexts::FilesEncrypted(languageFromStored(language)));
    QVERIFY(m_ui.encrypt->isEnabled());
}

// The label shows the count of the run that went last, or nothing once the
// list was chosen afresh.
void TestEncryptWindow::resultLabelShowsOnlyTheLastRun()
{
    write(QStringLiteral("a.txt"), "a");
    write(QStringLiteral("b.txt"), "b");
    showTool(0);
    select({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    run(m_ui.encrypt);
    QCOMPARE(m_ui.result->text(), QStringLiteral("2 Datei(en) verschlüsselt"));
    select({QStringLiteral("a.txt.enc")});
    QVERIFY(m_ui.result->text().isEmpty());

    run(m_ui.decrypt);
    QCOMPARE(m_ui.result->text(), QStringLiteral("1 Datei(en) entschlüsselt"));
    m_tool->dropPaths({path(QStringLiteral("b.txt.enc"))});
    QVERIFY(m_ui.result->text().isEmpty());

    // Files gone since they were listed are passed over: nothing done, and
    // the label says so.
    QVERIFY(QFile::remove(path(QStringLiteral("b.txt.enc"))));
    m_ui.box->setChecked(false);
    clearRecord();
    run(m_ui.encrypt);
    QCOMPARE(m_ui.result->text(), QStringLiteral("0 Datei(en) verschlüsselt"));
    QVERIFY(m_ui.box->isChecked());
    QCOMPARE(m_percents, QList<int>{0});
}

void TestEncryptWindow::barMovesWithinALargeFilesShare()
{
    write(QStringLiteral("large.bin"), TestFiles::randomBytes(1 << 20, 3).repeated(32));
    write(QStringLiteral("small.bin"), "small");
    showTool();
    select({QStringLiteral("large.bin"), QStringLiteral("small.bin")});

    const QList<int> seen = runSamplingTheBar(m_ui.encrypt);

    QVERIFY(!seen.isEmpty());
    QVERIFY2(std::any_of(seen.begin(), seen.end(), [](int p) { return p > 0 && p < 50; }),
             "the bar did not move within the first file's share");
    QVERIFY(std::is_sorted(seen.begin(), seen.end()));
    QCOMPARE(m_ui.bar->percent(), 100);
    QCOMPARE(m_ui.result->text(), QStringLiteral("2 file(s) encrypted"));
}

// Over a folder, the bar goes by the bytes of the whole run: a large file
// among small ones moves it most of the way, bit by bit.
void TestEncryptWindow::folderRunBarFollowsTheBytes()
{
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("tree/deep")));
    write(QStringLiteral("tree/a.txt"), "a");
    write(QStringLiteral("tree/deep/large.bin"), TestFiles::randomBytes(1 << 20, 5).repeated(32));
    write(QStringLiteral("tree/z.txt"), "z");
    showTool();
    m_tool->listFiles({path(QStringLiteral("tree"))});

    const QList<int> seen = runSamplingTheBar(m_ui.encrypt);

    QVERIFY(std::is_sorted(seen.begin(), seen.end()));
    QSet<int> between;
    for (const int percent : std::as_const(seen))
        if (percent > 0 && percent < 100)
            between.insert(percent);
    QVERIFY2(between.size() >= 2, "the bar did not move within the large file");
    QCOMPARE(m_ui.bar->percent(), 100);
    QCOMPARE(m_ui.result->text(), QStringLiteral("3 file(s) encrypted, 0 skipped, 0 failed"));
}

void TestEncryptWindow::formatLabelAndRunFollowTheStoredChoice_data()
{
    QTest::addColumn<bool>("storedAge");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("label");
    QTest::newRow("nothing stored") << false << 1 << "New files: compatible format";
    QTest::newRow("strong, English") << true << 1 << "New files: strong format (age)";
    QTest::newRow("strong, German") << true << 0 << "Neue Dateien: starkes Format (age)";
}

// The label says which format the next encrypt run writes, as stored in the
// data folder; the run writes it, and decrypting reads it back.
void TestEncryptWindow::formatLabelAndRunFollowTheStoredChoice()
{
    QFETCH(bool, storedAge);
    QFETCH(int, language);
    QFETCH(QString, label);
    QTemporaryDir data;
    if (storedAge)
        QVERIFY(FormatChoice::save(data.path(), FileFormat::Age));
    const QByteArray plain = TestFiles::randomBytes(50000, 3);
    write(QStringLiteral("a.bin"), plain);
    showTool(language, OwnKey, data.path());
    QCOMPARE(part<QLabel>(m_tool.get(), EncryptParts::FormatLabel)->text(), label);
    select({QStringLiteral("a.bin")});
    MessageBox::clearHistory();

    run(m_ui.encrypt);
    QVERIFY(MessageBox::shownMessages().isEmpty());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"a.bin.enc"});
    const QByteArray encrypted = TestFiles::read(path(QStringLiteral("a.bin.enc")));
    if (storedAge)
        QVERIFY(encrypted.startsWith("age-encryption.org/v1\n"));
    else
        QCOMPARE(encrypted, encryptedBytes(OwnKey, plain));

    run(m_ui.decrypt);
    QVERIFY(MessageBox::shownMessages().isEmpty());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"a.bin"});
    QCOMPARE(TestFiles::read(path(QStringLiteral("a.bin"))), plain);
}

QTEST_MAIN(TestEncryptWindow)
#include "TestEncryptWindow.moc"
