#include "filetexts/FileProblemText.h"
#include "keys/ApplicationTextKey.h"
#include "platform/ExclusiveNewFile.h"
#include "platform/FolderCopy.h"
#include "settings/BackupRestore.h"
#include "settings/DataRestore.h"
#include "settings/SettingsFile.h"

#include "ScriptedPrompter.h"
#include "TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
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

// Files a run left half-written: hidden entries in the data folder or in a
// kept folder inside it, but the fixture's own ".hidden".
QStringList copiesInWork(const Fixture &f)
{
    QStringList found;
    const QDir data(f.data.path());
    for (const QString &entry :
         data.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (entry.startsWith(QLatin1Char('.')) && entry != QLatin1String(".hidden"))
            found << entry;
    }
    for (const QString &kept : data.entryList({QStringLiteral("before-restore-*")}, QDir::Dirs)) {
        for (const QString &entry :
             QDir(data.filePath(kept)).entryList(QDir::Files | QDir::Hidden)) {
            if (entry.startsWith(QLatin1Char('.')))
                found << kept + QLatin1Char('/') + entry;
        }
    }
    return found;
}

// The data folder as the fixture made it: nothing restored, nothing kept,
// nothing half-written.
void dataFolderUntouched(const Fixture &f)
{
    QCOMPARE(TestFiles::read(f.data.filePath("velmora.ini")), QByteArray("settings"));
    QCOMPARE(TestFiles::read(f.data.filePath("notes.txt")), QByteArray("notes"));
    QCOMPARE(QDir(f.data.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{".hidden", "notes.txt", "sub", "velmora.ini"}));
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

    // A restore takes no more than a data folder holds, and nothing from a
    // file system whose files the kernel makes up: such a source is refused
    // at once, before anything is copied.
    void restoreRefusesWhatNoDataFolderHolds_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<qint32>("language");
        QTest::addColumn<QString>("named");
        QTest::newRow("/proc/self") << "/proc/self" << 1 << "a system file system (proc)";
        QTest::newRow("/sys/kernel, German")
            << "/sys/kernel" << 0 << "einem Systemdateisystem (sysfs)";
        QTest::newRow("65 files") << "65 files" << 1 << "at most 64 files of 1 MiB in all";
        QTest::newRow("1 MiB and a byte, German")
            << "1 MiB and a byte" << 0 << "höchstens 64 Dateien mit zusammen 1 MiB";
        QTest::newRow("a file that claims 5 GiB")
            << "5 GiB" << 1 << "at most 64 files of 1 MiB in all";
    }

    void restoreRefusesWhatNoDataFolderHolds()
    {
        QFETCH(QString, source);
        QFETCH(qint32, language);
        QFETCH(QString, named);
        Fixture f;
        const QString settings = f.backup.filePath("velmora.ini");
        if (source == QLatin1String("65 files")) {
            TestFiles::write(settings, settingsWithKey(QStringLiteral("k")));
            for (int k = 1; k < 65; ++k)
                TestFiles::write(f.backup.filePath(QStringLiteral("f%1").arg(k)), "small");
        } else if (source == QLatin1String("1 MiB and a byte")) {
            const QByteArray key = settingsWithKey(QStringLiteral("k"));
            TestFiles::write(settings, key);
            TestFiles::write(f.backup.filePath("data.bin"),
                             QByteArray(DataRestore::MaxBytes - key.size() + 1, 'x'));
        } else if (source == QLatin1String("5 GiB")) {
            TestFiles::write(settings, settingsWithKey(QStringLiteral("k")));
            QFile sparse(f.backup.filePath("huge.bin"));
            QVERIFY(sparse.open(QIODevice::WriteOnly));
            QVERIFY(sparse.resize(qint64(5) << 30));
        } else if (!QFileInfo(source).isDir()) {
            QSKIP("no such system folder here");
        }
        f.window.field = source.startsWith(QLatin1Char('/')) ? source : f.backup.path();
        f.window.lang = languageFromStored(language);

        QElapsedTimer timer;
        timer.start();
        QCOMPARE(f.window.restore(), -1);
        QVERIFY(timer.elapsed() < 5000);
        QCOMPARE(f.window.scripted.messages.size(), 2);
        const Message refusal = f.window.scripted.messages.last();
        QCOMPARE(refusal.icon, MessageIcon::Error);
        QVERIFY2(refusal.text.contains(named), qPrintable(refusal.text));
        QVERIFY(refusal.text.endsWith(language == 0 ? "Es wurde nichts wiederhergestellt."
                                                    : "Nothing was restored."));
        dataFolderUntouched(f);
    }

    // Right at the limit everything is restored.
    void restoreTakesAFullDataFolder()
    {
        Fixture f;
        const QByteArray key = settingsWithKey(QStringLiteral("k"));
        TestFiles::write(f.backup.filePath("velmora.ini"), key);
        const qint64 each = (DataRestore::MaxBytes - key.size()) / (DataRestore::MaxFiles - 1);
        qint64 left = DataRestore::MaxBytes - key.size();
        for (int k = 1; k < DataRestore::MaxFiles; ++k) {
            const qint64 size = k + 1 < DataRestore::MaxFiles ? each : left;
            TestFiles::write(
                f.backup.filePath(QStringLiteral("f%1").arg(k, 2, 10, QLatin1Char('0'))),
                QByteArray(size, char('a' + k % 26)));
            left -= size;
        }
        f.window.field = f.backup.path();
        QCOMPARE(f.window.restore(), DataRestore::MaxFiles);
        QCOMPARE(TestFiles::read(f.data.filePath("f63")).size(),
                 DataRestore::MaxBytes - key.size() - each * (DataRestore::MaxFiles - 2));
    }

    // A source that gives more than it claimed when it was looked at (it
    // grew, or its size was made up) is cut off at the limit: that file is
    // not restored, and no part of it stays behind.
    void restoreCutsOffASourceThatGrows()
    {
        Fixture f;
        TestFiles::write(f.backup.filePath("velmora.ini"), settingsWithKey(QStringLiteral("k")));
        TestFiles::write(f.backup.filePath("notes.txt"), "small at first");
        bool grown = false;
        const auto growOnce = [&] {
            if (!grown) {
                QFile file(f.backup.filePath("notes.txt"));
                grown = file.open(QIODevice::Append) &&
                        file.write(QByteArray(DataRestore::MaxBytes, 'g')) == DataRestore::MaxBytes;
            }
            return false;
        };
        const RestoreOutcome outcome = DataRestore::run(
            f.backupPath(), *FolderCopy::listFiles(f.backup.path()), f.window.folder, growOnce);
        QVERIFY(grown);
        QCOMPARE(outcome.status, RestoreOutcome::Status::Restored);
        QCOMPARE(outcome.restored, 1);
        QCOMPARE(outcome.failures.size(), 1);
        QVERIFY2(
            outcome.failures.first().contains("notes.txt: larger than a data folder (a restore "
                                              "copies at most 64 files of 1 MiB in all)"),
            qPrintable(outcome.failures.first()));
        QCOMPARE(TestFiles::read(f.data.filePath("notes.txt")), QByteArray("notes"));
        QCOMPARE(copiesInWork(f), QStringList());
    }

    // A stop request ends the restore in the middle of a copy: the copy in
    // work goes, what was restored stays, and so do the kept previous files
    // once a file was restored; before that the data folder is as it was.
    void restoreStopsWithoutACopyLeftBehind_data()
    {
        QTest::addColumn<QString>("copying");
        QTest::addColumn<bool>("intoKeptFolder");
        QTest::addColumn<int>("restored");
        QTest::addColumn<QString>("text");
        QTest::newRow("while keeping the previous files")
            << "velmora.ini" << true << 0 << "The restore was stopped. Nothing was restored.";
        QTest::newRow("while restoring the first file")
            << "a.key" << false << 0 << "The restore was stopped. Nothing was restored.";
        QTest::newRow("while restoring the last file")
            << "velmora.ini" << false << 2
            << "The restore was stopped; 2 of 3 files were restored before.";
    }

    void restoreStopsWithoutACopyLeftBehind()
    {
        QFETCH(QString, copying);
        QFETCH(bool, intoKeptFolder);
        QFETCH(int, restored);
        QFETCH(QString, text);
        // The copy in work is watched for by its name, which it has from the
        // start only where a file cannot be made without a name.
        const ExclusiveNewFile::NamedForTesting named;
        Fixture f;
        TestFiles::write(f.backup.filePath("a.key"), QByteArray(200000, 'k'));
        TestFiles::write(f.backup.filePath("notes.txt"), "older notes");
        TestFiles::write(f.backup.filePath("velmora.ini"), settingsWithKey(QStringLiteral("k")));
        const QString inWork = (intoKeptFolder ? QStringLiteral("/.") : QStringLiteral(".")) +
                               copying + QLatin1Char('.');
        const auto stopWhileCopying = [&] {
            for (const QString &entry : copiesInWork(f)) {
                if (entry.contains(inWork) && entry.contains('/') == intoKeptFolder)
                    return true;
            }
            return false;
        };

        const RestoreOutcome outcome =
            DataRestore::run(f.backupPath(), *FolderCopy::listFiles(f.backup.path()),
                             f.window.folder, stopWhileCopying);
        QCOMPARE(outcome.status, RestoreOutcome::Status::Stopped);
        QCOMPARE(outcome.restored, restored);
        QCOMPARE(outcome.refusalText(Language::English), text);
        QCOMPARE(copiesInWork(f), QStringList());
        QCOMPARE(TestFiles::read(f.data.filePath("velmora.ini")), QByteArray("settings"));
        if (restored == 0) {
            dataFolderUntouched(f);
            QVERIFY(outcome.keptFolder.isEmpty());
        } else {
            QCOMPARE(TestFiles::read(f.data.filePath("notes.txt")), QByteArray("older notes"));
            QCOMPARE(TestFiles::read(outcome.keptFolder + "notes.txt"), QByteArray("notes"));
            QCOMPARE(TestFiles::read(outcome.keptFolder + "velmora.ini"), QByteArray("settings"));
        }
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
