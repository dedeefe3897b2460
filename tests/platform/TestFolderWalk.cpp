#include "platform/EmptyFolderRemoval.h"
#include "platform/FolderWalk.h"

#include "FullDisk.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Kind = FolderWalk::Entry::Kind;

const FolderWalk::Entry *entryAt(const FolderWalk::Result &result, const QString &path)
{
    for (const FolderWalk::Entry &entry : result.entries) {
        if (entry.path == path)
            return &entry;
    }
    return nullptr;
}

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

quint64 inodeOf(const QString &path)
{
    struct stat info
    {
    };
    return ::lstat(native(path).constData(), &info) == 0 ? static_cast<quint64>(info.st_ino) : 0;
}

quint64 deviceOf(const QString &path)
{
    struct stat info
    {
    };
    return ::lstat(native(path).constData(), &info) == 0 ? static_cast<quint64>(info.st_dev) : 0;
}

} // namespace

class TestFolderWalk : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A tree with one of every kind of entry, and outside it the targets of
    // its links: each entry is reported as what it is, nothing behind a link
    // is reported, and the walk changes nothing.
    void reportsEveryEntryByKind()
    {
        QTemporaryDir dir;
        const QString tree = dir.filePath(QStringLiteral("tree"));
        const QString outside = dir.filePath(QStringLiteral("outside"));
        QVERIFY(QDir().mkpath(tree + QStringLiteral("/sub/deeper")));
        QVERIFY(QDir().mkpath(outside));
        QVERIFY(TestFiles::write(outside + QStringLiteral("/target.txt"), "outside"));
        QVERIFY(TestFiles::write(outside + QStringLiteral("/behind.txt"), "behind"));
        QVERIFY(TestFiles::write(tree + QStringLiteral("/a.txt"), "aaaa"));
        QVERIFY(TestFiles::write(tree + QStringLiteral("/sub/b.txt"), "bb"));
        QVERIFY(TestFiles::write(tree + QStringLiteral("/sub/deeper/c.txt"), QByteArray()));
        QVERIFY(TestFiles::write(tree + QStringLiteral("/linked.txt"), "twice"));
        QCOMPARE(::link(native(tree + QStringLiteral("/linked.txt")).constData(),
                        native(outside + QStringLiteral("/second-name.txt")).constData()),
                 0);
        QVERIFY(QFile::link(outside + QStringLiteral("/target.txt"),
                            tree + QStringLiteral("/to-file")));
        QVERIFY(QFile::link(outside, tree + QStringLiteral("/sub/to-folder")));
        QCOMPARE(::mkfifo(native(tree + QStringLiteral("/fifo")).constData(), 0600), 0);
        QVERIFY(QDir().mkpath(tree + QStringLiteral("/empty")));
        const QByteArray otherBytes = native(tree) + "/bad-\xff-name";
        const int fd = ::open(otherBytes.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        QVERIFY(fd >= 0);
        ::close(fd);

        const FolderWalk::Result result = FolderWalk::walk(tree + QLatin1Char('/'));

        QVERIFY(result.opened);
        QCOMPARE(result.entries.front().kind, Kind::Folder);
        QCOMPARE(result.entries.front().path, tree);
        QCOMPARE(result.entries.front().relative, QString());
        const struct
        {
            const char *name;
            Kind kind;
            qint64 size;
        } expected[] = {
            {"a.txt", Kind::File, 4},
            {"sub", Kind::Folder, 0},
            {"sub/b.txt", Kind::File, 2},
            {"sub/deeper", Kind::Folder, 0},
            {"sub/deeper/c.txt", Kind::File, 0},
            {"sub/to-folder", Kind::Link, 0},
            {"to-file", Kind::Link, 0},
            {"linked.txt", Kind::FurtherNames, 5},
            {"fifo", Kind::Special, 0},
            {"empty", Kind::Folder, 0},
        };
        for (const auto &want : expected) {
            const QString path = tree + QLatin1Char('/') + QLatin1String(want.name);
            const FolderWalk::Entry *entry = entryAt(result, path);
            QVERIFY2(entry != nullptr, want.name);
            QCOMPARE(entry->kind, want.kind);
            QCOMPARE(entry->size, want.size);
            QCOMPARE(entry->inode, inodeOf(path));
            if (want.kind == Kind::Folder)
                QCOMPARE(entry->relative, QLatin1String(want.name));
        }
        const auto notText = std::count_if(
            result.entries.begin(), result.entries.end(),
            [](const FolderWalk::Entry &entry) { return entry.kind == Kind::NameNotText; });
        QCOMPARE(notText, 1);
        // Nothing behind a link was entered, and a folder comes before what it holds.
        for (const FolderWalk::Entry &entry : result.entries)
            QVERIFY2(!entry.path.contains(QStringLiteral("behind")), qPrintable(entry.path));
        const auto position = [&result](const QString &path) {
            return std::find_if(result.entries.begin(), result.entries.end(),
                                [&path](const FolderWalk::Entry &e) { return e.path == path; }) -
                   result.entries.begin();
        };
        QVERIFY(position(tree + QStringLiteral("/sub")) <
                position(tree + QStringLiteral("/sub/b.txt")));
        QCOMPARE(TestFiles::read(outside + QStringLiteral("/target.txt")), QByteArray("outside"));
        QCOMPARE(TestFiles::read(outside + QStringLiteral("/behind.txt")), QByteArray("behind"));
    }

    void startThatIsNoFolder_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("link to a folder") << QStringLiteral("link");
        QTest::newRow("regular file") << QStringLiteral("file");
        QTest::newRow("nothing") << QStringLiteral("missing");
    }

    void startThatIsNoFolder()
    {
        QFETCH(QString, what);
        QTemporaryDir dir;
        const QString start = dir.filePath(QStringLiteral("start"));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("real"))));
        if (what == QLatin1String("link"))
            QVERIFY(QFile::link(dir.filePath(QStringLiteral("real")), start));
        else if (what == QLatin1String("file"))
            QVERIFY(TestFiles::write(start, "x"));
        const FolderWalk::Result result = FolderWalk::walk(start);
        QVERIFY(!result.opened);
        QVERIFY(result.entries.empty());
        QCOMPARE(result.cause,
                 what == QLatin1String("missing") ? SystemCause::NotFound : SystemCause::NotFolder);
    }

    void unreadableFolderIsReportedAndTheWalkGoesOn()
    {
        if (::geteuid() == 0)
            QSKIP("root reads every folder; runs again as an unprivileged user");
        QTemporaryDir dir;
        const QString locked = dir.filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkpath(locked));
        QVERIFY(TestFiles::write(locked + QStringLiteral("/inside.txt"), "x"));
        QVERIFY(TestFiles::write(dir.filePath(QStringLiteral("z.txt")), "z"));
        QCOMPARE(::chmod(native(locked).constData(), 0), 0);
        const FolderWalk::Result result = FolderWalk::walk(dir.path());
        ::chmod(native(locked).constData(), 0700);
        const FolderWalk::Entry *entry = entryAt(result, locked);
        QVERIFY(entry != nullptr);
        QCOMPARE(entry->kind, Kind::Unreadable);
        QCOMPARE(entry->cause, SystemCause::AccessDenied);
        QVERIFY(!entry->reason.isEmpty());
        QVERIFY(entryAt(result, dir.filePath(QStringLiteral("z.txt"))) != nullptr);
        QVERIFY(entryAt(result, locked + QStringLiteral("/inside.txt")) == nullptr);
    }

    void staysOnItsFileSystemUnlessTold()
    {
        SmallFileSystem mounted("64k");
        if (!mounted.isMounted())
            QSKIP(qPrintable(mounted.reason()));
        const QString inside = mounted.path() + QStringLiteral("/on-tmpfs.txt");
        QVERIFY(TestFiles::write(inside, "x"));
        // The mount point sits in the temporary folder, beside nothing else
        // of the test's.
        const QString parent = QFileInfo(mounted.path()).absolutePath();

        const FolderWalk::Result staying = FolderWalk::walk(parent);
        const FolderWalk::Entry *mountPoint = entryAt(staying, mounted.path());
        QVERIFY(mountPoint != nullptr);
        QCOMPARE(mountPoint->kind, Kind::OtherFileSystem);
        QVERIFY(entryAt(staying, inside) == nullptr);

        const FolderWalk::Result crossing = FolderWalk::walk(parent, {.crossFileSystems = true});
        QCOMPARE(entryAt(crossing, mounted.path())->kind, Kind::Folder);
        QVERIFY(entryAt(crossing, inside) != nullptr);
        QCOMPARE(entryAt(crossing, inside)->kind, Kind::File);
    }

    // Only an empty folder that is still the one found is removed; never one
    // with something left, never another folder a link now leads to.
    void removesOnlyTheEmptyFolderItFound()
    {
        QTemporaryDir dir;
        const QString start = dir.filePath(QStringLiteral("start"));
        const QString elsewhere = dir.filePath(QStringLiteral("elsewhere"));
        QVERIFY(QDir().mkpath(start + QStringLiteral("/a/empty")));
        QVERIFY(QDir().mkpath(start + QStringLiteral("/full")));
        QVERIFY(QDir().mkpath(start + QStringLiteral("/swapped")));
        QVERIFY(QDir().mkpath(elsewhere + QStringLiteral("/swapped")));
        QVERIFY(TestFiles::write(start + QStringLiteral("/full/left.txt"), "x"));
        const auto remove = [&start](const QString &relative) {
            const QString path = relative.isEmpty() ? start : start + QLatin1Char('/') + relative;
            return EmptyFolderRemoval::removeEmpty(start, relative, deviceOf(path), inodeOf(path));
        };

        QCOMPARE(remove(QStringLiteral("a/empty")).outcome, EmptyFolderRemoval::Outcome::Removed);
        QVERIFY(!QFileInfo::exists(start + QStringLiteral("/a/empty")));
        QCOMPARE(remove(QStringLiteral("full")).outcome, EmptyFolderRemoval::Outcome::NotEmpty);
        QVERIFY(QFileInfo::exists(start + QStringLiteral("/full/left.txt")));

        // A folder on the way replaced by a link to a folder with the same
        // names below it: the folder there is not touched.
        const quint64 inode = inodeOf(start + QStringLiteral("/swapped"));
        const quint64 device = deviceOf(start + QStringLiteral("/swapped"));
        QVERIFY(QDir().rmdir(start + QStringLiteral("/swapped")));
        QVERIFY(QFile::link(elsewhere + QStringLiteral("/swapped"),
                            start + QStringLiteral("/swapped")));
        QCOMPARE(EmptyFolderRemoval::removeEmpty(start, QStringLiteral("swapped"), device, inode)
                     .outcome,
                 EmptyFolderRemoval::Outcome::Changed);
        QVERIFY(QFileInfo::exists(elsewhere + QStringLiteral("/swapped")));
        // Even the very folder found is not removed when the way to it
        // leads through a link.
        QVERIFY(QFile::remove(start + QStringLiteral("/swapped")));
        QVERIFY(QFile::link(elsewhere, start + QStringLiteral("/through")));
        const QString behind = elsewhere + QStringLiteral("/swapped");
        QCOMPARE(EmptyFolderRemoval::removeEmpty(start, QStringLiteral("through/swapped"),
                                                 deviceOf(behind), inodeOf(behind))
                     .outcome,
                 EmptyFolderRemoval::Outcome::Changed);
        QVERIFY(QFileInfo::exists(behind));
        QVERIFY(QFile::remove(start + QStringLiteral("/through")));

        QVERIFY(QDir(start + QStringLiteral("/full")).removeRecursively());
        QCOMPARE(remove(QStringLiteral("a")).outcome, EmptyFolderRemoval::Outcome::Removed);
        QCOMPARE(remove(QString()).outcome, EmptyFolderRemoval::Outcome::Removed);
        QVERIFY(!QFileInfo::exists(start));
    }
};

QTEST_GUILESS_MAIN(TestFolderWalk)
#include "TestFolderWalk.moc"
