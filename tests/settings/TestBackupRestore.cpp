#include "settings/BackupRestore.h"
#include "settings/BackupWindow.h"
#include "settings/FolderCopy.h"

#include "ScriptedPrompter.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The settings window as the backup actions see it.
class FakeWindow : public BackupWindow
{
public:
    QString field;
    bool dataChanged = false;
    QStringList chooserResults; // answers of the folder chooser, empty = cancel
    QStringList chooserCalls;   // what it was opened with
    QString folder;
    Language lang = Language::English;
    ScriptedPrompter scripted;

    QString backupField() const override { return field; }
    void setBackupField(const QString &text) override { field = text; }
    void markDataChanged() override { dataChanged = true; }
    QString chooseFolder(const QString &current) override
    {
        chooserCalls.append(current);
        return chooserResults.isEmpty() ? QString() : chooserResults.takeFirst();
    }
    QString dataFolder() const override { return folder; }
    Language language() const override { return lang; }
    Prompter &prompter() override { return scripted; }
};

// A data folder with two files, a hidden file and a subfolder, and an empty
// backup folder.
struct Fixture
{
    QTemporaryDir data;
    QTemporaryDir backup;
    FakeWindow window;

    Fixture()
    {
        window.folder = data.path() + QLatin1Char('/');
        TestFiles::write(data.filePath("velmora.ini"), "settings");
        TestFiles::write(data.filePath("notes.txt"), "notes");
        TestFiles::write(data.filePath(".hidden"), "hidden");
        QDir(data.path()).mkdir("sub");
        TestFiles::write(data.filePath("sub/inner.txt"), "inner");
    }

    QString backupPath() const { return backup.path() + QLatin1Char('/'); }
    QStringList backupEntries() const
    {
        return QDir(backup.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
};

} // namespace

class TestBackupRestore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listingLeavesOutSubfoldersAndHiddenFiles()
    {
        Fixture f;
        QCOMPARE(*FolderCopy::listFiles(f.data.path()), (QStringList{"notes.txt", "velmora.ini"}));
        QVERIFY(!FolderCopy::listFiles(f.data.filePath("missing")));
    }

    void backupCopiesTheFilesAndReportsTheCount()
    {
        Fixture f;
        TestFiles::write(f.backup.filePath("velmora.ini"), "an older copy that is longer");
        f.window.field = QStringLiteral(" ") + f.backup.path() + QStringLiteral(" ");

        QCOMPARE(BackupData(f.window), 2);
        QCOMPARE(f.backupEntries(), (QStringList{"notes.txt", "velmora.ini"}));
        QCOMPARE(TestFiles::read(f.backup.filePath("velmora.ini")), QByteArray("settings"));
        QCOMPARE(f.window.scripted.messages,
                 (QList<Message>{
                     Message::box("Velmora", "Create backup to: " + f.backup.path(), MessageIcon::Question,
                                  MessageButtons::OkCancel),
                     Message::box("Velmora2", "2 file(s) saved.", MessageIcon::Information)}));
        QCOMPARE(f.window.field, f.backupPath());
        QVERIFY(f.window.dataChanged);

        // A second run reports its own count; the field no longer changes.
        f.window.dataChanged = false;
        QFile::remove(f.data.filePath("notes.txt"));
        QCOMPARE(BackupData(f.window), 1);
        QCOMPARE(f.window.scripted.messages.last().text, QStringLiteral("1 file(s) saved."));
        QVERIFY(!f.window.dataChanged);
    }

    void aFileThatCannotBeCopiedIsLeftOutOfTheCount()
    {
        Fixture f;
        TestFiles::write(f.data.filePath("third.txt"), "third");
        QVERIFY(QDir(f.backup.path()).mkdir("notes.txt")); // a folder stands where the copy should go
        f.window.field = f.backupPath();
        f.window.lang = Language::German;
        QCOMPARE(BackupData(f.window), 2);
        QCOMPARE(f.window.scripted.messages.last().text, QStringLiteral("2 Datei(en) gesichert."));
        QVERIFY(QFileInfo(f.backup.filePath("notes.txt")).isDir());
    }

    void backupWithoutFolderWarnsAndOpensTheChooser()
    {
        Fixture f;
        f.window.field = QStringLiteral("  ");
        f.window.chooserResults = {f.backup.path()};
        QCOMPARE(BackupData(f.window), -1);
        QVERIFY(f.backupEntries().isEmpty());
        QCOMPARE(f.window.scripted.messages.first(),
                 Message::dialog(MessageIcon::Warning, "Select the target directory first!"));
        QCOMPARE(f.window.chooserCalls, QStringList{QString()});
        QCOMPARE(f.window.scripted.messages.last().text, QStringLiteral("Resume new path?"));
        QCOMPARE(f.window.field, f.backup.path());
        QVERIFY(f.window.dataChanged);
    }

    void backupCancelledOrIntoAMissingFolderCopiesNothing()
    {
        Fixture f;
        f.window.field = f.backup.path();
        f.window.scripted.queueAnswers({MessageAnswer::Cancel});
        QCOMPARE(BackupData(f.window), -1);
        QVERIFY(f.backupEntries().isEmpty());

        f.window.scripted.messages.clear();
        f.window.field = f.backup.filePath("missing");
        QCOMPARE(BackupData(f.window), -1);
        QCOMPARE(f.window.scripted.messages.size(), 1); // only the question
        QVERIFY(!QFileInfo::exists(f.backup.filePath("missing")));
    }

    void choosingTheFolderAlreadySetAsksNothing()
    {
        Fixture f;
        f.window.field = f.backup.path();
        f.window.chooserResults = {f.backup.path()};
        ChooseBackupFolder(f.window);
        QVERIFY(f.window.scripted.messages.isEmpty());
        QVERIFY(!f.window.dataChanged);

        f.window.chooserResults = {f.data.path()};
        f.window.scripted.queueAnswers({MessageAnswer::Cancel});
        ChooseBackupFolder(f.window);
        QCOMPARE(f.window.field, f.backup.path());
        QVERIFY(!f.window.dataChanged);
    }

    void restoreCopiesBackIntoTheDataFolder()
    {
        Fixture f;
        TestFiles::write(f.backup.filePath("velmora.ini"), "restored settings");
        TestFiles::write(f.backup.filePath("extra.txt"), "extra");
        TestFiles::write(f.backup.filePath(".hidden"), "not restored");
        f.window.field = f.backup.path();

        QCOMPARE(RestoreData(f.window), 2);
        QCOMPARE(TestFiles::read(f.data.filePath("velmora.ini")), QByteArray("restored settings"));
        QCOMPARE(TestFiles::read(f.data.filePath(".hidden")), QByteArray("hidden"));
        QCOMPARE(f.window.scripted.messages,
                 (QList<Message>{Message::box("Velmora2", "Restore data now?", MessageIcon::Question,
                                              MessageButtons::OkCancel),
                                 Message::dialog(MessageIcon::Information, "2 files restored.")}));
        QVERIFY(!f.window.dataChanged);
    }

    void restoreWithNothingToRestore_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<qint32>("language");
        QTest::addColumn<QString>("message");
        QTest::newRow("no folder set") << QString() << 1 << QStringLiteral("No backup path available.");
        QTest::newRow("no folder set, German") << QStringLiteral(" ") << 0 << QStringLiteral("Kein Backupordner gespeichert.");
        QTest::newRow("empty folder") << QStringLiteral("<backup>") << 1 << QStringLiteral("No files in backup folder!");
        QTest::newRow("only a subfolder, German")
            << QStringLiteral("<backup with subfolder>") << 0 << QStringLiteral("Keine Dateien im Backupordner!");
    }

    void restoreWithNothingToRestore()
    {
        QFETCH(QString, field);
        QFETCH(qint32, language);
        QFETCH(QString, message);
        Fixture f;
        if (field == QLatin1String("<backup with subfolder>"))
            QVERIFY(QDir(f.backup.path()).mkdir("sub"));
        if (field.startsWith(QLatin1String("<backup")))
            field = f.backup.path();
        f.window.field = field;
        f.window.lang = languageFromStored(language);
        QCOMPARE(RestoreData(f.window), -1);
        QCOMPARE(f.window.scripted.messages, QList<Message>{Message::dialog(MessageIcon::Information, message)});
        QCOMPARE(TestFiles::read(f.data.filePath("velmora.ini")), QByteArray("settings"));
    }

    void restoreFromAMissingFolderReportsAnError()
    {
        Fixture f;
        f.window.field = f.backup.filePath("gone");
        QCOMPARE(RestoreData(f.window), -1);
        QCOMPARE(f.window.scripted.messages.size(), 1);
        QCOMPARE(f.window.scripted.messages.first().icon, MessageIcon::Error);
        QVERIFY(f.window.scripted.messages.first().text.contains(QStringLiteral("gone")));
    }

    void copyReplacesTheTargetWholeAndOwnerOnly()
    {
        QTemporaryDir dir;
        const QByteArray big = TestFiles::randomBytes(300000, 7); // several blocks
        TestFiles::write(dir.filePath("source"), big);
        TestFiles::write(dir.filePath("target"), QByteArray(400000, 'x'));
        QVERIFY(FolderCopy::copyReplacing(dir.filePath("source"), dir.filePath("target")));
        QCOMPARE(TestFiles::read(dir.filePath("target")), big);
#if !defined(Q_OS_WIN)
        QCOMPARE(QFileInfo(dir.filePath("target")).permissions()
                     & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteOther),
                 QFileDevice::Permissions());
#endif
        QString error;
        QVERIFY(!FolderCopy::copyReplacing(dir.filePath("missing"), dir.filePath("target"), &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(TestFiles::read(dir.filePath("target")), big);
    }
};

QTEST_GUILESS_MAIN(TestBackupRestore)
#include "TestBackupRestore.moc"
