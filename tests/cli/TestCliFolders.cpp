#include "FullDisk.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

const QString Program = QStringLiteral(VELMORA_BIN_DIR "/velmora2-cli");

struct Run
{
    int code = -1;
    QString out;
    QString err;
};

// The real companion, with the key on standard input where it takes one.
Run runCli(const QStringList &args)
{
    QProcess child;
    child.start(Program, args);
    Run run;
    if (!child.waitForStarted())
        return run;
    child.write("folder key\n");
    child.closeWriteChannel();
    if (!child.waitForFinished(60000))
        return run;
    run.code = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    run.out = QString::fromUtf8(child.readAllStandardOutput());
    run.err = QString::fromUtf8(child.readAllStandardError());
    return run;
}

QStringList treeOf(const QString &folder)
{
    QStringList names;
    const QDir root(folder);
    const std::function<void(const QString &)> list = [&](const QString &path) {
        for (const QFileInfo &info : QDir(path).entryInfoList(
                 QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            const bool folder = info.isDir() && !info.isSymLink();
            names.append(root.relativeFilePath(info.filePath()) + (folder ? "/" : ""));
            if (folder)
                list(info.filePath());
        }
    };
    list(folder);
    names.sort();
    return names;
}

} // namespace

class TestCliFolders : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Without -r a folder is refused as cp and rm refuse it, and left as it
    // is; the files named beside it are still worked on.
    void folderNeedsRecursive_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::newRow("encrypt") << QStringList{"encrypt", "--key-stdin"};
        QTest::newRow("decrypt") << QStringList{"decrypt", "--key-stdin"};
        QTest::newRow("shred") << QStringList{"shred", "--yes"};
    }

    void folderNeedsRecursive()
    {
        QFETCH(QStringList, command);
        QTemporaryDir dir;
        const QString folder = dir.filePath("folder");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(TestFiles::write(folder + "/inside.txt", "inside"));
        QVERIFY(TestFiles::write(folder + "/inside.txt.enc", "inside enc"));
        const QString beside =
            dir.filePath(command.first() == "decrypt" ? "beside.enc" : "beside.txt");
        QVERIFY(TestFiles::write(beside, "beside"));

        const Run run = runCli(command + QStringList{folder, beside});

        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains(folder + ": is a folder; not worked on without -r (--recursive)"),
                 qPrintable(run.err));
        QCOMPARE(treeOf(folder), QStringList({"inside.txt", "inside.txt.enc"}));
        QCOMPARE(TestFiles::read(folder + "/inside.txt"), QByteArray("inside"));
        QVERIFY(!QFileInfo::exists(beside));
    }

    // -r encrypts a tree in place and decrypts it back; the link and the
    // pipe in it are named as skipped, the link's target is untouched.
    void encryptAndDecryptATree()
    {
        QTemporaryDir dir;
        const QString tree = dir.filePath("tree");
        QVERIFY(QDir().mkpath(tree + "/sub/deep"));
        QVERIFY(TestFiles::write(tree + "/a.txt", QByteArray("plain text line\n").repeated(300)));
        QVERIFY(TestFiles::write(tree + "/sub/deep/b.bin", TestFiles::randomBytes(70000, 4)));
        QVERIFY(TestFiles::write(tree + "/sub/done.enc", "was encrypted"));
        QVERIFY(TestFiles::write(dir.filePath("target.txt"), "target"));
        QVERIFY(QFile::link(dir.filePath("target.txt"), tree + "/sub/link"));
        QCOMPARE(::mkfifo(QFile::encodeName(tree + "/pipe").constData(), 0600), 0);
        const QByteArray a = TestFiles::read(tree + "/a.txt");
        const QByteArray b = TestFiles::read(tree + "/sub/deep/b.bin");

        const Run encrypted = runCli({"encrypt", "--key-stdin", "--format", "legacy", "-r", tree});
        QCOMPARE(encrypted.code, 0);
        QCOMPARE(encrypted.out, QStringLiteral("2 file(s) encrypted, 3 skipped, 0 failed\n"));
        QVERIFY2(encrypted.err.contains(tree + "/sub/link: skipped: symbolic link, not followed"),
                 qPrintable(encrypted.err));
        QVERIFY(encrypted.err.contains(
            tree + "/pipe: skipped: not a regular file (pipe, socket or device)"));
        QVERIFY(encrypted.err.contains(tree +
                                       "/sub/done.enc: skipped: already encrypted (ends in .enc)"));
        QCOMPARE(treeOf(tree), QStringList({"a.txt.enc", "pipe", "sub/", "sub/deep/",
                                            "sub/deep/b.bin.enc", "sub/done.enc", "sub/link"}));

        const Run decrypted = runCli({"decrypt", "--recursive", "--key-stdin", tree});
        QVERIFY2(decrypted.code == 0, qPrintable(decrypted.err + decrypted.out));
        QCOMPARE(decrypted.out, QStringLiteral("3 file(s) decrypted, 2 skipped, 0 failed\n"));
        QCOMPARE(TestFiles::read(tree + "/a.txt"), a);
        QCOMPARE(TestFiles::read(tree + "/sub/deep/b.bin"), b);
        QCOMPARE(TestFiles::read(dir.filePath("target.txt")), QByteArray("target"));
    }

    // shred -r: the files go, then the folders emptied; a folder with a
    // link left in it stays, and the link's target is untouched.
    void shredATree()
    {
        QTemporaryDir dir;
        const QString tree = dir.filePath("tree");
        QVERIFY(QDir().mkpath(tree + "/keep"));
        QVERIFY(QDir().mkpath(tree + "/go/deeper"));
        QVERIFY(TestFiles::write(tree + "/top.txt", "top"));
        QVERIFY(TestFiles::write(tree + "/go/deeper/x.bin", TestFiles::randomBytes(10000, 5)));
        QVERIFY(TestFiles::write(dir.filePath("target.txt"), "target"));
        QVERIFY(QFile::link(dir.filePath("target.txt"), tree + "/keep/link"));

        const Run kept = runCli({"shred", "-r", "--yes", "--count", "1", tree});
        QCOMPARE(kept.code, 1);
        QCOMPARE(kept.out, QStringLiteral("2 file(s) deleted, 1 skipped, 0 failed\n"));
        QVERIFY(kept.err.contains(tree + "/keep/link: skipped: symbolic link, not followed"));
        QVERIFY(kept.err.contains(tree + ": folder stays, something is left in it"));
        QCOMPARE(treeOf(tree), QStringList({"keep/", "keep/link"}));
        QCOMPARE(TestFiles::read(dir.filePath("target.txt")), QByteArray("target"));

        QVERIFY(QFile::remove(tree + "/keep/link"));
        QVERIFY(TestFiles::write(tree + "/keep/last.txt", "last"));
        const Run gone = runCli({"shred", "--yes", "--recursive", tree});
        QCOMPARE(gone.code, 0);
        QCOMPARE(gone.out, QStringLiteral("1 file(s) deleted, 0 skipped, 0 failed\n"));
        QVERIFY(!QFileInfo::exists(tree));
    }

    // A folder on another file system inside the one given is entered only
    // with --cross-file-systems, by encrypt and by shred alike.
    void crossFileSystemsOnlyWhenAsked()
    {
        SmallFileSystem mounted("1m");
        if (!mounted.isMounted())
            QSKIP(qPrintable(mounted.reason()));
        const QString inside = mounted.path() + "/on-tmpfs.txt";
        QVERIFY(TestFiles::write(inside, "on another file system"));
        // The mount point sits in the temporary folder, beside nothing else
        // of the test's.
        const QString parent = QFileInfo(mounted.path()).absolutePath();

        runCli({"encrypt", "--key-stdin", "-r", parent});
        QCOMPARE(treeOf(mounted.path()), QStringList{"on-tmpfs.txt"});
        const Run encrypted =
            runCli({"encrypt", "--key-stdin", "-r", "--cross-file-systems", parent});
        QVERIFY2(encrypted.code == 0, qPrintable(encrypted.err));
        QCOMPARE(treeOf(mounted.path()), QStringList{"on-tmpfs.txt.enc"});

        runCli({"shred", "--yes", "-r", parent});
        QCOMPARE(treeOf(mounted.path()), QStringList{"on-tmpfs.txt.enc"});
        runCli({"shred", "--yes", "--cross-file-systems", "-r", parent});
        QCOMPARE(treeOf(mounted.path()), QStringList{});
    }

    // Without -r the option has nothing to act on and is refused.
    void crossFileSystemsNeedsRecursive_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::newRow("encrypt") << QStringList{"encrypt", "--key-stdin"};
        QTest::newRow("decrypt") << QStringList{"decrypt", "--key-stdin"};
        QTest::newRow("shred") << QStringList{"shred", "--yes"};
    }

    void crossFileSystemsNeedsRecursive()
    {
        QFETCH(QStringList, command);
        QTemporaryDir dir;
        const QString file = dir.filePath("file.enc");
        QVERIFY(TestFiles::write(file, "left alone"));
        const Run run = runCli(command + QStringList{"--cross-file-systems", file});
        QCOMPARE(run.code, 2);
        QVERIFY2(run.err.contains("--cross-file-systems only applies to folders, with -r"),
                 qPrintable(run.err));
        QCOMPARE(TestFiles::read(file), QByteArray("left alone"));
    }
};

QTEST_GUILESS_MAIN(TestCliFolders)
#include "TestCliFolders.moc"
