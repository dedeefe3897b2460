#include "filetexts/FileProblemText.h"
#include "keys/ApplicationTextKey.h"
#include "platform/FolderCopy.h"
#include "settings/BackupRestore.h"
#include "settings/SettingsFile.h"

#include "ScriptedPrompter.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

// The settings window's side of the backup actions: the fields they work
// with, and the outcome shown as the window shows it (a new backup folder
// becomes the field's text, as an unsaved change).
class FakeWindow
{
public:
    QString field;
    bool dataChanged = false;
    QStringList chooserResults; // answers of the folder chooser, empty = cancel
    QStringList chooserCalls;   // what it was opened with
    QString folder;
    Language lang = Language::English;
    ScriptedPrompter scripted;

    int chooseFolder() { return show(BackupActions::chooseFolder(context())); }
    int backUp() { return show(BackupActions::backUp(context())); }
    int restore() { return show(BackupActions::restore(context())); }

private:
    BackupContext context()
    {
        BackupContext context;
        context.backupField = field;
        context.dataFolder = folder;
        context.language = lang;
        context.prompter = &scripted;
        context.chooseFolder = [this](const QString &current) {
            chooserCalls.append(current);
            return chooserResults.isEmpty() ? QString() : chooserResults.takeFirst();
        };
        return context;
    }

    int show(const BackupOutcome &outcome)
    {
        if (outcome.backupField) {
            field = *outcome.backupField;
            dataChanged = true;
        }
        return outcome.files;
    }
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
        return QDir(backup.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
};

const QByteArray appKey(ApplicationTextKey);

// The coded bytes of a settings file whose line 2 is key.
QByteArray settingsWithKey(const QString &key)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("velmora.ini");
    SettingsFile::writeLines(path, appKey, {"", " ", key, "1", "", " ", " ", " ", "false", "", ""});
    return TestFiles::read(path);
}

// The one folder a restore made in the data folder, with trailing "/".
QString keptFolder(const Fixture &f)
{
    const QStringList folders =
        QDir(f.data.path())
            .entryList({QStringLiteral("before-restore-*")}, QDir::Dirs | QDir::NoDotAndDotDot);
    return folders.size() == 1 ? f.data.filePath(folders.first()) + QLatin1Char('/') : QString();
}

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

        QCOMPARE(f.window.backUp(), 2);
        QCOMPARE(f.backupEntries(), (QStringList{"notes.txt", "velmora.ini"}));
        QCOMPARE(TestFiles::read(f.backup.filePath("velmora.ini")), QByteArray("settings"));
        QCOMPARE(f.window.scripted.messages,
                 (QList<Message>{
                     Message::box("Velmora", "Create backup to: " + f.backup.path(),
                                  MessageIcon::Question, MessageButtons::OkCancel),
                     Message::box("Velmora2", "2 file(s) saved.", MessageIcon::Information)}));
        QCOMPARE(f.window.field, f.backupPath());
        QVERIFY(f.window.dataChanged);

        // A second run reports its own count; the field no longer changes.
        f.window.dataChanged = false;
        QFile::remove(f.data.filePath("notes.txt"));
        QCOMPARE(f.window.backUp(), 1);
        QCOMPARE(f.window.scripted.messages.last().text, QStringLiteral("1 file(s) saved."));
        QVERIFY(!f.window.dataChanged);
    }

    void aFileThatCannotBeCopiedIsLeftOutOfTheCount()
    {
        Fixture f;
        TestFiles::write(f.data.filePath("third.txt"), "third");
        QVERIFY(
            QDir(f.backup.path()).mkdir("notes.txt")); // a folder stands where the copy should go
        f.window.field = f.backupPath();
        f.window.lang = Language::German;
        QCOMPARE(f.window.backUp(), 2);
        QCOMPARE(f.window.scripted.messages.last().text, QStringLiteral("2 Datei(en) gesichert."));
        QVERIFY(QFileInfo(f.backup.filePath("notes.txt")).isDir());
    }

    void backupWithoutFolderWarnsAndOpensTheChooser()
    {
        Fixture f;
        f.window.field = QStringLiteral("  ");
        f.window.chooserResults = {f.backup.path()};
        QCOMPARE(f.window.backUp(), -1);
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
        QCOMPARE(f.window.backUp(), -1);
        QVERIFY(f.backupEntries().isEmpty());

        f.window.scripted.messages.clear();
        f.window.field = f.backup.filePath("missing");
        QCOMPARE(f.window.backUp(), -1);
        QCOMPARE(f.window.scripted.messages.size(), 1); // only the question
        QVERIFY(!QFileInfo::exists(f.backup.filePath("missing")));
    }

    void choosingTheFolderAlreadySetAsksNothing()
    {
        Fixture f;
        f.window.field = f.backup.path();
        f.window.chooserResults = {f.backup.path()};
        f.window.chooseFolder();
        QVERIFY(f.window.scripted.messages.isEmpty());
        QVERIFY(!f.window.dataChanged);

        f.window.chooserResults = {f.data.path()};
        f.window.scripted.queueAnswers({MessageAnswer::Cancel});
        f.window.chooseFolder();
        QCOMPARE(f.window.field, f.backup.path());
        QVERIFY(!f.window.dataChanged);
    }

    void restoreCopiesBackIntoTheDataFolder()
    {
        Fixture f;
        const QByteArray restored = settingsWithKey(QStringLiteral("restored key"));
        TestFiles::write(f.backup.filePath("velmora.ini"), restored);
        TestFiles::write(f.backup.filePath("extra.txt"), "extra");
        TestFiles::write(f.backup.filePath(".hidden"), "not restored");
        f.window.field = f.backup.path();

        QCOMPARE(f.window.restore(), 2);
        QCOMPARE(TestFiles::read(f.data.filePath("velmora.ini")), restored);
        QCOMPARE(TestFiles::read(f.data.filePath(".hidden")), QByteArray("hidden"));
        const QString kept = keptFolder(f);
        QCOMPARE(
            f.window.scripted.messages,
            (QList<Message>{
                Message::box("Velmora2", "Restore data now?", MessageIcon::Question,
                             MessageButtons::OkCancel),
                Message::dialog(MessageIcon::Information,
                                "2 files restored.\nThe previous files are kept in: " + kept)}));
        QVERIFY(!f.window.dataChanged);
    }

    // The personal key of the data folder is never lost by a restore: the
    // files it replaces are kept in a dated folder inside the data folder.
    void restoreKeepsTheReplacedFiles()
    {
        Fixture f;
        TestFiles::write(f.backup.filePath("velmora.ini"),
                         settingsWithKey(QStringLiteral("older key")));
        TestFiles::write(f.backup.filePath("notes.txt"), "older notes");
        f.window.field = f.backup.path();
        f.window.lang = Language::German;

        QCOMPARE(f.window.restore(), 2);
        const QString kept = keptFolder(f);
        QVERIFY(QDir(kept).dirName().startsWith(QStringLiteral("before-restore-")));
        QCOMPARE(TestFiles::read(kept + "velmora.ini"), QByteArray("settings"));
        QCOMPARE(TestFiles::read(kept + "notes.txt"), QByteArray("notes"));
        QVERIFY(f.window.scripted.messages.last().text.endsWith(
            QStringLiteral("Die bisherigen Dateien liegen in: ") + kept));
        // A backup taken now leaves the kept folder out (it is a subfolder).
        QVERIFY(!FolderCopy::listFiles(f.data.path())->contains(QDir(kept).dirName()));
    }

    void restoreRefusesABackupThatWouldLoseTheKey_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("named");
        QTest::newRow("settings without a key line")
            << "no key" << QStringLiteral("holds no personal key");
        QTest::newRow("settings with a blank key line")
            << "blank key" << QStringLiteral("holds no personal key");
        QTest::newRow("settings file is a named pipe") << "fifo" << QStringLiteral("pipe");
        QTest::newRow("settings file is a link") << "link" << QStringLiteral("symbolic link");
    }

    void restoreRefusesABackupThatWouldLoseTheKey()
    {
        QFETCH(QString, source);
        QFETCH(QString, named);
        Fixture f;
        const QString ini = f.backup.filePath("velmora.ini");
        if (source == QLatin1String("no key")) {
            QVERIFY(SettingsFile::writeLines(ini, appKey, {"digest", " "}));
        } else if (source == QLatin1String("blank key")) {
            QVERIFY(SettingsFile::writeLines(ini, appKey, {"digest", " ", "   ", "1"}));
        } else if (source == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(ini).constData(), 0600), 0);
        } else {
            TestFiles::write(f.backup.filePath("elsewhere"), settingsWithKey(QStringLiteral("k")));
            QVERIFY(QFile::link(f.backup.filePath("elsewhere"), ini));
        }
        TestFiles::write(f.backup.filePath("notes.txt"), "older notes");
        f.window.field = f.backup.path();

        QCOMPARE(f.window.restore(), -1);
        QCOMPARE(f.window.scripted.messages.size(), 2);
        QCOMPARE(f.window.scripted.messages.last().icon, MessageIcon::Error);
        QVERIFY2(f.window.scripted.messages.last().text.contains(named),
                 qPrintable(f.window.scripted.messages.last().text));
        QVERIFY(f.window.scripted.messages.last().text.endsWith(
            QStringLiteral("Nothing was restored.")));
        QCOMPARE(TestFiles::read(f.data.filePath("velmora.ini")), QByteArray("settings"));
        QCOMPARE(TestFiles::read(f.data.filePath("notes.txt")), QByteArray("notes"));
    }

    // A link planted in the backup folder under a data file's name is
    // replaced by the copy; the file it points to stays as it was.
    void backupNeverWritesThroughALink()
    {
        Fixture f;
        QTemporaryDir elsewhere;
        TestFiles::write(elsewhere.filePath("victim"), "the user's file");
        QVERIFY(QFile::link(elsewhere.filePath("victim"), f.backup.filePath("velmora.ini")));
        f.window.field = f.backup.path();
        QCOMPARE(f.window.backUp(), 2);
        QCOMPARE(TestFiles::read(elsewhere.filePath("victim")), QByteArray("the user's file"));
        QVERIFY(!QFileInfo(f.backup.filePath("velmora.ini")).isSymLink());
        QCOMPARE(TestFiles::read(f.backup.filePath("velmora.ini")), QByteArray("settings"));
    }

    void restoreWithNothingToRestore_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<qint32>("language");
        QTest::addColumn<QString>("message");
        QTest::newRow("no folder set")
            << QString() << 1 << QStringLiteral("No backup path available.");
        QTest::newRow("no folder set, German")
            << QStringLiteral(" ") << 0 << QStringLiteral("Kein Backupordner gespeichert.");
        QTest::newRow("empty folder")
            << QStringLiteral("<backup>") << 1 << QStringLiteral("No files in backup folder!");
        QTest::newRow("only a subfolder, German")
            << QStringLiteral("<backup with subfolder>") << 0
            << QStringLiteral("Keine Dateien im Backupordner!");
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
        QCOMPARE(f.window.restore(), -1);
        QCOMPARE(f.window.scripted.messages,
                 QList<Message>{Message::dialog(MessageIcon::Information, message)});
        QCOMPARE(TestFiles::read(f.data.filePath("velmora.ini")), QByteArray("settings"));
    }

    void restoreFromAMissingFolderReportsAnError()
    {
        Fixture f;
        f.window.field = f.backup.filePath("gone");
        QCOMPARE(f.window.restore(), -1);
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
        QCOMPARE(QFileInfo(dir.filePath("target")).permissions() &
                     (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteOther),
                 QFileDevice::Permissions());
#endif
        FileProblem problem;
        QVERIFY(
            !FolderCopy::copyReplacing(dir.filePath("missing"), dir.filePath("target"), &problem));
        QVERIFY(!FileProblemText::text(problem, Language::English).isEmpty());
        QCOMPARE(TestFiles::read(dir.filePath("target")), big);
    }
};

QTEST_GUILESS_MAIN(TestBackupRestore)
#include "TestBackupRestore.moc"
