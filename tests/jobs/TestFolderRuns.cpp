#include "RecordingObserver.h"
#include "ScriptedPrompter.h"
#include "TestFiles.h"
#include "jobs/EncryptJob.h"
#include "jobs/FolderRunTexts.h"
#include "jobs/ShredJob.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString Key = QStringLiteral("folder run key");

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

// Every name under a folder, relative to it, folders with a trailing "/".
QStringList treeOf(const QString &folder)
{
    QStringList names;
    const QDir root(folder);
    const std::function<void(const QString &)> list = [&](const QString &path) {
        for (const QFileInfo &info : QDir(path).entryInfoList(
                 QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                 QDir::Name)) {
            const QString relative = root.relativeFilePath(info.filePath());
            if (info.isDir() && !info.isSymLink()) {
                names.append(relative + QLatin1Char('/'));
                list(info.filePath());
            } else {
                names.append(relative);
            }
        }
    };
    list(folder);
    names.sort();
    return names;
}

QString reasonFor(const std::vector<SkippedFile> &skipped, const QString &path)
{
    for (const SkippedFile &file : skipped) {
        if (file.path == path)
            return file.reason;
    }
    return {};
}

QString text(SkipReason reason)
{
    return FolderRunTexts::skipReason(Language::English, reason);
}

// A folder of everything a walk meets, and outside it the targets of its
// links, each with content of its own.
struct Tree
{
    QTemporaryDir dir;
    QString root = dir.filePath(QStringLiteral("tree"));
    QString outside = dir.filePath(QStringLiteral("outside"));

    QString at(const QString &relative) const { return root + QLatin1Char('/') + relative; }

    bool make()
    {
        return QDir().mkpath(at(QStringLiteral("sub/deep"))) && QDir().mkpath(outside) &&
               QDir().mkpath(at(QStringLiteral("empty"))) &&
               TestFiles::write(at(QStringLiteral("a.txt")), TestFiles::randomBytes(3000, 1)) &&
               TestFiles::write(at(QStringLiteral("sub/b.txt")), TestFiles::randomBytes(9000, 2)) &&
               TestFiles::write(at(QStringLiteral("sub/deep/c.bin")), QByteArray()) &&
               TestFiles::write(outside + QStringLiteral("/target.txt"), "target") &&
               TestFiles::write(outside + QStringLiteral("/inside.txt"), "inside") &&
               QFile::link(outside + QStringLiteral("/target.txt"),
                           at(QStringLiteral("to-file"))) &&
               QFile::link(outside, at(QStringLiteral("sub/to-folder"))) &&
               ::mkfifo(native(at(QStringLiteral("fifo"))).constData(), 0600) == 0 &&
               TestFiles::write(at(QStringLiteral("two-names.txt")), "two") &&
               ::link(native(at(QStringLiteral("two-names.txt"))).constData(),
                      native(outside + QStringLiteral("/other-name.txt")).constData()) == 0;
    }

    bool outsideUntouched() const
    {
        return TestFiles::read(outside + QStringLiteral("/target.txt")) == "target" &&
               TestFiles::read(outside + QStringLiteral("/inside.txt")) == "inside" &&
               TestFiles::read(outside + QStringLiteral("/other-name.txt")) == "two";
    }
};

EncryptJobOptions folderOptions(CipherDirection direction)
{
    EncryptJobOptions options;
    options.direction = direction;
    options.markedEncrypted = direction == CipherDirection::Decrypt;
    options.afterFailure = AfterFailure::GoOn;
    options.unfitResult = UnfitResult::Keep;
    options.takeFolders = true;
    return options;
}

} // namespace

class TestFolderRuns : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A folder encrypted and decrypted again: every regular file of one name
    // in place, the tree as it was, everything else skipped with its reason
    // and left as it is, the targets of links untouched.
    void encryptAndDecryptATreeInPlace()
    {
        Tree tree;
        QVERIFY(tree.make());
        QVERIFY(TestFiles::write(tree.at(QStringLiteral("sub/old.enc")), "was encrypted"));
        const QByteArray a = TestFiles::read(tree.at(QStringLiteral("a.txt")));
        const QByteArray b = TestFiles::read(tree.at(QStringLiteral("sub/b.txt")));
        const QStringList before = treeOf(tree.root);

        ScriptedPrompter prompter;
        RecordingObserver observer;
        const QString plainEntry = tree.dir.filePath(QStringLiteral("single.txt"));
        QVERIFY(TestFiles::write(plainEntry, "single"));
        EncryptJob encrypt(Key, {plainEntry, tree.root + QLatin1Char('/')},
                           folderOptions(CipherDirection::Encrypt), observer, prompter);
        const EncryptJobSummary encrypted = encrypt.run();

        QCOMPARE(encrypted.done, 4);
        QCOMPARE(encrypted.failed, 0);
        QCOMPARE(int(encrypted.skipped.size()), 5);
        QCOMPARE(reasonFor(encrypted.skipped, tree.at(QStringLiteral("sub/old.enc"))),
                 text(SkipReason::AlreadyEncrypted));
        QCOMPARE(reasonFor(encrypted.skipped, tree.at(QStringLiteral("to-file"))),
                 text(SkipReason::Link));
        QCOMPARE(reasonFor(encrypted.skipped, tree.at(QStringLiteral("sub/to-folder"))),
                 text(SkipReason::Link));
        QCOMPARE(reasonFor(encrypted.skipped, tree.at(QStringLiteral("fifo"))),
                 text(SkipReason::SpecialFile));
        QCOMPARE(reasonFor(encrypted.skipped, tree.at(QStringLiteral("two-names.txt"))),
                 text(SkipReason::FurtherNames));
        QVERIFY(tree.outsideUntouched());
        QVERIFY(!QFileInfo::exists(tree.at(QStringLiteral("a.txt"))));
        QCOMPARE(TestFiles::read(tree.at(QStringLiteral("a.txt.enc"))).size(), a.size());
        QVERIFY(QFileInfo::exists(tree.at(QStringLiteral("sub/deep/c.bin.enc"))));
        QVERIFY(QFileInfo(tree.at(QStringLiteral("empty"))).isDir());
        // Each file of the folder reported under the folder's entry.
        for (const FileReport &report : std::as_const(observer.reports)) {
            if (report.path == plainEntry) {
                QCOMPARE(report.index, 0);
                QVERIFY(!report.inFolder);
            } else {
                QCOMPARE(report.index, 1);
                QVERIFY(report.inFolder);
            }
        }
        // The progress over the whole run, in bytes.
        const quint64 total = 6 + 3000 + 9000;
        QCOMPARE(observer.runTotal, total);
        QVERIFY(!observer.runDone.isEmpty());
        QCOMPARE(observer.runDone.last(), total);
        QVERIFY(std::is_sorted(observer.runDone.begin(), observer.runDone.end()));

        RecordingObserver decryptObserver;
        EncryptJob decrypt(Key, {tree.root}, folderOptions(CipherDirection::Decrypt),
                           decryptObserver, prompter);
        const EncryptJobSummary decrypted = decrypt.run();
        // old.enc is taken as well: it ends in ".enc".
        QCOMPARE(decrypted.done, 4);
        QCOMPARE(decrypted.failed, 0);
        QCOMPARE(reasonFor(decrypted.skipped, tree.at(QStringLiteral("two-names.txt"))),
                 text(SkipReason::FurtherNames));
        QVERIFY(reasonFor(decrypted.skipped, tree.at(QStringLiteral("sub/old.enc"))).isEmpty());
        QCOMPARE(TestFiles::read(tree.at(QStringLiteral("a.txt"))), a);
        QCOMPARE(TestFiles::read(tree.at(QStringLiteral("sub/b.txt"))), b);
        QCOMPARE(TestFiles::read(tree.at(QStringLiteral("sub/old"))).size(), 13);
        QStringList after = treeOf(tree.root);
        QVERIFY(after.removeOne(QStringLiteral("sub/old")));
        after.append(QStringLiteral("sub/old.enc"));
        after.sort();
        QCOMPARE(after, before);
        QVERIFY(tree.outsideUntouched());
    }

    void decryptTakesOnlyEncryptedNames()
    {
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(dir.filePath(QStringLiteral("plain.txt")), "plain"));
        ScriptedPrompter prompter;
        RecordingObserver observer;
        EncryptJob decrypt(Key, {dir.path()}, folderOptions(CipherDirection::Decrypt), observer,
                           prompter);
        const EncryptJobSummary summary = decrypt.run();
        QCOMPARE(summary.done, 0);
        QCOMPARE(reasonFor(summary.skipped, dir.filePath(QStringLiteral("plain.txt"))),
                 text(SkipReason::NotEncrypted));
        QCOMPARE(TestFiles::read(dir.filePath(QStringLiteral("plain.txt"))), QByteArray("plain"));
        QCOMPARE(observer.reports.size(), 1);
        QCOMPARE(observer.reports.first().outcome, FileOutcome::Skipped);
    }

    // In a folder, a.txt and a.txt.enc side by side may be two files of the
    // user's: neither run replaces one with the other's result.
    void resultNeverReplacesAFileOfTheFolder_data()
    {
        QTest::addColumn<bool>("decrypting");
        QTest::newRow("encrypt") << false;
        QTest::newRow("decrypt") << true;
    }

    void resultNeverReplacesAFileOfTheFolder()
    {
        QFETCH(bool, decrypting);
        QTemporaryDir dir;
        const QString plain = dir.filePath(QStringLiteral("a.txt"));
        const QString encrypted = plain + QStringLiteral(".enc");
        QVERIFY(TestFiles::write(plain, "today's text"));
        QVERIFY(TestFiles::write(encrypted, "last year's"));
        ScriptedPrompter prompter;
        RecordingObserver observer;
        EncryptJob job(
            Key, {dir.path()},
            folderOptions(decrypting ? CipherDirection::Decrypt : CipherDirection::Encrypt),
            observer, prompter);
        const EncryptJobSummary summary = job.run();
        QCOMPARE(summary.done, 0);
        QCOMPARE(summary.failed, 0);
        QCOMPARE(reasonFor(summary.skipped, decrypting ? encrypted : plain),
                 text(SkipReason::ResultNameTaken));
        QCOMPARE(TestFiles::read(plain), QByteArray("today's text"));
        QCOMPARE(TestFiles::read(encrypted), QByteArray("last year's"));
    }

    void kindOfRun_data()
    {
        QTest::addColumn<bool>("shred");
        QTest::newRow("encrypt") << false;
        QTest::newRow("secure delete") << true;
    }

    // A file that another run holds is skipped, not failed, and the run goes on.
    void fileHeldByAnotherRunIsSkipped_data() { kindOfRun_data(); }
    void fileHeldByAnotherRunIsSkipped()
    {
        QFETCH(bool, shred);
        QTemporaryDir dir;
        const QString held = dir.filePath(QStringLiteral("held.txt"));
        const QString free = dir.filePath(QStringLiteral("zfree.txt"));
        QVERIFY(TestFiles::write(held, "held"));
        QVERIFY(TestFiles::write(free, "free"));
        const int fd = ::open(native(held).constData(), O_RDONLY | O_CLOEXEC);
        QVERIFY(fd >= 0);
        QCOMPARE(::flock(fd, LOCK_EX | LOCK_NB), 0);

        ScriptedPrompter prompter;
        RecordingObserver observer;
        std::vector<SkippedFile> skipped;
        int failed = 0;
        if (shred) {
            ShredJob job({dir.path()}, 1, Language::English, prompter, observer);
            job.setTakeFolders(true);
            const ShredJobResult result = job.run();
            skipped = result.skipped;
            failed = result.notDeleted();
            QCOMPARE(result.done, 1);
            QCOMPARE(result.foldersKept, QStringList{dir.path()});
        } else {
            EncryptJob job(Key, {dir.path()}, folderOptions(CipherDirection::Encrypt), observer,
                           prompter);
            const EncryptJobSummary summary = job.run();
            skipped = summary.skipped;
            failed = summary.failed;
            QCOMPARE(summary.done, 1);
        }
        ::close(fd);
        QCOMPARE(failed, 0);
        QCOMPARE(reasonFor(skipped, held), text(SkipReason::HeldByAnotherRun));
        QCOMPARE(TestFiles::read(held), QByteArray("held"));
        QVERIFY(!QFileInfo::exists(free));
    }

    // A folder on the way swapped for a link to a folder with the same
    // names, after the walk: the file behind the link is not the one found,
    // and it stays as it is.
    void folderSwappedForALinkMeanwhile_data() { kindOfRun_data(); }
    void folderSwappedForALinkMeanwhile()
    {
        QFETCH(bool, shred);
        QTemporaryDir dir;
        const QString root = dir.filePath(QStringLiteral("tree"));
        const QString elsewhere = dir.filePath(QStringLiteral("elsewhere"));
        QVERIFY(QDir().mkpath(root + QStringLiteral("/sub")));
        QVERIFY(QDir().mkpath(elsewhere + QStringLiteral("/sub")));
        QVERIFY(TestFiles::write(root + QStringLiteral("/a.txt"), "first"));
        QVERIFY(TestFiles::write(root + QStringLiteral("/sub/b.txt"), "mine"));
        QVERIFY(TestFiles::write(elsewhere + QStringLiteral("/sub/b.txt"), "not mine"));

        ScriptedPrompter prompter;
        RecordingObserver observer;
        observer.onFileDone = [&](const FileReport &report) {
            if (!report.path.endsWith(QLatin1String("a.txt")))
                return;
            QVERIFY(QFile::rename(root + QStringLiteral("/sub"), root + QStringLiteral("/moved")));
            QVERIFY(QFile::link(elsewhere + QStringLiteral("/sub"), root + QStringLiteral("/sub")));
        };
        std::vector<SkippedFile> skipped;
        if (shred) {
            ShredJob job({root}, 1, Language::English, prompter, observer);
            job.setTakeFolders(true);
            const ShredJobResult result = job.run();
            skipped = result.skipped;
            QCOMPARE(result.done, 1);
            QCOMPARE(result.foldersRemoved, 0);
        } else {
            EncryptJob job(Key, {root}, folderOptions(CipherDirection::Encrypt), observer,
                           prompter);
            skipped = job.run().skipped;
        }
        QCOMPARE(reasonFor(skipped, root + QStringLiteral("/sub/b.txt")),
                 text(SkipReason::Changed));
        QCOMPARE(TestFiles::read(elsewhere + QStringLiteral("/sub/b.txt")), QByteArray("not mine"));
        QCOMPARE(treeOf(elsewhere),
                 QStringList({QStringLiteral("sub/"), QStringLiteral("sub/b.txt")}));
        QCOMPARE(TestFiles::read(root + QStringLiteral("/moved/b.txt")), QByteArray("mine"));
    }

    // Secure delete of a folder: every regular file overwritten and removed,
    // then the folders it emptied; a folder with something left stays, and
    // so does everything a link leads to.
    void secureDeleteRemovesTheFoldersItEmptied()
    {
        Tree tree;
        QVERIFY(tree.make());
        ScriptedPrompter prompter;
        RecordingObserver observer;
        ShredJob job({tree.root}, 1, Language::English, prompter, observer);
        job.setTakeFolders(true);
        const ShredJobResult result = job.run();

        QCOMPARE(prompter.messages.first().text,
                 FolderRunTexts::shredConfirmation(Language::English, 3, 12000, {tree.root}));
        QVERIFY(prompter.messages.first().text.startsWith(
            QStringLiteral("3 file(s) selected (11.7 KiB). Really delete these file(s)?")));
        QCOMPARE(result.done, 3);
        QCOMPARE(result.notDeleted(), 0);
        QCOMPARE(int(result.skipped.size()), 4);
        // sub/deep and empty went; sub (a link left in it) and the tree stay.
        QCOMPARE(result.foldersRemoved, 2);
        QCOMPARE(result.foldersKept, QStringList({tree.at(QStringLiteral("sub")), tree.root}));
        QCOMPARE(treeOf(tree.root),
                 QStringList({QStringLiteral("fifo"), QStringLiteral("sub/"),
                              QStringLiteral("sub/to-folder"), QStringLiteral("to-file"),
                              QStringLiteral("two-names.txt")}));
        QVERIFY(tree.outsideUntouched());
        QCOMPARE(observer.runTotal, quint64(12000 * 2));
        QCOMPARE(observer.runDone.last(), quint64(12000 * 2));
    }

    void secureDeleteOfAFolderOfFilesLeavesNothing()
    {
        QTemporaryDir dir;
        const QString root = dir.filePath(QStringLiteral("gone"));
        QVERIFY(QDir().mkpath(root + QStringLiteral("/x/y")));
        QVERIFY(TestFiles::write(root + QStringLiteral("/x/y/z.txt"), "z"));
        QVERIFY(TestFiles::write(root + QStringLiteral("/top.txt"), "top"));
        ScriptedPrompter prompter;
        RecordingObserver observer;
        ShredJob job({root}, 1, Language::German, prompter, observer);
        job.setTakeFolders(true);
        const ShredJobResult result = job.run();
        QCOMPARE(result.done, 2);
        QCOMPARE(result.foldersRemoved, 3);
        QVERIFY(result.foldersKept.isEmpty());
        QVERIFY(!QFileInfo::exists(root));
        QVERIFY(prompter.messages.first().text.startsWith(
            QStringLiteral("2 Datei(en) (4 Bytes) unwiderruflich löschen?")));
    }

    // Cancel stops before the next file: the rest are reported cancelled and
    // left as they are, and no folder is removed.
    void cancelStopsAtTheNextFile_data() { kindOfRun_data(); }
    void cancelStopsAtTheNextFile()
    {
        QFETCH(bool, shred);
        QTemporaryDir dir;
        const QString root = dir.filePath(QStringLiteral("tree"));
        QVERIFY(QDir().mkpath(root));
        for (const char *name : {"1.txt", "2.txt", "3.txt"})
            QVERIFY(TestFiles::write(root + QLatin1Char('/') + QLatin1String(name), name));
        ScriptedPrompter prompter;
        RecordingObserver observer;
        if (shred) {
            ShredJob job({root}, 1, Language::English, prompter, observer);
            job.setTakeFolders(true);
            observer.onFileDone = [&job](const FileReport &) { job.cancel(); };
            const ShredJobResult result = job.run();
            QVERIFY(result.cancelled);
            QCOMPARE(result.done, 1);
        } else {
            EncryptJob job(Key, {root}, folderOptions(CipherDirection::Encrypt), observer,
                           prompter);
            observer.onFileDone = [&job](const FileReport &) { job.cancel(); };
            const EncryptJobSummary summary = job.run();
            QVERIFY(summary.stoppedEarly);
            QCOMPARE(summary.done, 1);
            QCOMPARE(observer.outcomes(),
                     QList<FileOutcome>(
                         {FileOutcome::Done, FileOutcome::Cancelled, FileOutcome::Cancelled}));
        }
        QCOMPARE(TestFiles::read(root + QStringLiteral("/2.txt")), QByteArray("2.txt"));
        QCOMPARE(TestFiles::read(root + QStringLiteral("/3.txt")), QByteArray("3.txt"));
    }

    void countsInBothLanguages()
    {
        QCOMPARE(FolderRunTexts::counts(Language::English, RunKind::Encrypt, 3, 1, 0),
                 QStringLiteral("3 file(s) encrypted, 1 skipped, 0 failed"));
        QCOMPARE(FolderRunTexts::counts(Language::German, RunKind::Shred, 2, 0, 1),
                 QStringLiteral("2 Datei(en) gelöscht, 0 übersprungen, 1 fehlgeschlagen"));
    }
};

QTEST_GUILESS_MAIN(TestFolderRuns)
#include "TestFolderRuns.moc"
