#include "RecordLockHolder.h"
#include "TestFiles.h"
#include "Unchangeable.h"
#include "platform/FileAttributes.h"
#include "shred/ClearReadOnly.h"
#include "shred/OverwriteAndDelete.h"
#include "shred/OverwriteBlocks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

#include <QElapsedTimer>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

Q_DECLARE_METATYPE(ShredOutcome)
Q_DECLARE_METATYPE(ShredProblem)

namespace {

using Span = QPair<qint64, qint64>;

QByteArray filled(qsizetype size, unsigned char byte)
{
    return QByteArray(size, static_cast<char>(byte));
}

ShredPlan planFor(int count, ShredPassObserver afterPass = {})
{
    ShredPlan plan;
    plan.count = count;
    plan.afterPass = std::move(afterPass);
    return plan;
}

bool append(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::Append) && file.write(bytes) == bytes.size();
}

// A special file of the kind named, made at the path.
bool makeSpecialFile(const QString &kind, const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (kind == QLatin1String("pipe"))
        return ::mkfifo(native.constData(), 0600) == 0;
    if (kind == QLatin1String("socket")) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (fd < 0 || native.size() >= qsizetype(sizeof(address.sun_path)))
            return false;
        std::memcpy(address.sun_path, native.constData(), static_cast<size_t>(native.size()));
        const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0;
        ::close(fd);
        return bound;
    }
    // The null device's numbers: opening it would have no effect, but the
    // engine must not open it at all.
    return ::mknod(native.constData(), S_IFCHR | 0600, makedev(1, 3)) == 0;
}

// Runs a shell command line in a process of its own, as another program
// acting on the file would; the arguments are $1, $2, ...
bool otherProgram(const QString &script, const QStringList &arguments)
{
    return QProcess::execute(QStringLiteral("/bin/sh"),
                             QStringList{QStringLiteral("-c"), script, QStringLiteral("sh")} +
                                 arguments) == 0;
}

// Everything an open descriptor's file holds, whatever its names are now.
QByteArray contentOf(int fd)
{
    QByteArray content;
    char buffer[65536];
    for (off_t offset = 0;;) {
        const ssize_t got = ::pread(fd, buffer, sizeof buffer, offset);
        if (got <= 0)
            return content;
        content.append(buffer, got);
        offset += got;
    }
}

mode_t modeOf(const QString &path)
{
    struct stat info
    {
    };
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

// Lowers the file size limit so that writes past `limit` bytes fail (EFBIG),
// as they would on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        struct rlimit lowered = m_old;
        lowered.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    struct rlimit m_old
    {
    };
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

class TestOverwriteAndDelete : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void blocksCoverExactlyTheLength_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<qint64>("blockSize");
        QTest::addColumn<QList<Span>>("firstWrites");
        QTest::addColumn<Span>("lastWrite");
        QTest::addColumn<qint64>("writes");

        const qint64 MiB = qint64(1) << 20;
        const qint64 GiB4 = qint64(4) << 30;
        QTest::newRow("10000 in 4096")
            << qint64(10000) << qint64(4096) << QList<Span>{{0, 4096}, {4096, 4096}, {8192, 1808}}
            << Span{8192, 1808} << qint64(3);
        QTest::newRow("4096 in 4096, no rest")
            << qint64(4096) << qint64(4096) << QList<Span>{{0, 4096}} << Span{0, 4096} << qint64(1);
        QTest::newRow("one byte") << qint64(1) << MiB << QList<Span>{{0, 1}} << Span{0, 1}
                                  << qint64(1);
        QTest::newRow("past 4 GiB") << GiB4 + 1808 << MiB << QList<Span>{{0, MiB}, {MiB, MiB}}
                                    << Span{GiB4, 1808} << qint64(4097);
        QTest::newRow("past 4 GiB in 4096") << GiB4 + 4096 << qint64(4096) << QList<Span>{{0, 4096}}
                                            << Span{GiB4, 4096} << qint64(1048577);
    }

    void blocksCoverExactlyTheLength()
    {
        QFETCH(qint64, size);
        QFETCH(qint64, blockSize);
        QFETCH(QList<Span>, firstWrites);
        QFETCH(Span, lastWrite);
        QFETCH(qint64, writes);

        QList<Span> seen;
        qint64 count = 0;
        qint64 nextOffset = 0;
        bool contiguous = true;
        Span last;
        QVERIFY(OverwriteBlocks(size, blockSize, [&](qint64 offset, qint64 length) {
            contiguous = contiguous && offset == nextOffset && length > 0 && length <= blockSize;
            nextOffset = offset + length;
            if (seen.size() < firstWrites.size())
                seen.append({offset, length});
            last = {offset, length};
            ++count;
            return true;
        }));
        QVERIFY(contiguous);
        QCOMPARE(nextOffset, size);
        QCOMPARE(seen, firstWrites);
        QCOMPARE(last, lastWrite);
        QCOMPARE(count, writes);
    }

    void blocksStopAtTheFirstFailedWrite()
    {
        int calls = 0;
        QVERIFY(!OverwriteBlocks(10000, 4096, [&](qint64, qint64) { return ++calls < 2; }));
        QCOMPARE(calls, 2);
    }

    void everyPassCoversTheWholeFile_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("passes");

        QTest::newRow("10000 bytes, count 1") << qint64(10000) << 1 << QList<int>{2, 1};
        QTest::newRow("4096 bytes, count 1") << qint64(4096) << 1 << QList<int>{2, 1};
        QTest::newRow("one byte, count 1") << qint64(1) << 1 << QList<int>{2, 1};
        QTest::newRow("three blocks and 7, count 2")
            << qint64(3 * ShredBlockSize + 7) << 2 << QList<int>{4, 3, 2, 1};
        QTest::newRow("count 0 counts as 1") << qint64(100) << 0 << QList<int>{2, 1};
    }

    void everyPassCoversTheWholeFile()
    {
        QFETCH(qint64, size);
        QFETCH(int, count);
        QFETCH(QList<int>, passes);

        const QString file = path(QStringLiteral("passes.bin"));
        QVERIFY(TestFiles::write(file, TestFiles::randomBytes(size, 7)));
        const quint64 inode = FileAttributes::query(file).inode;

        QList<int> seen;
        QList<QByteArray> mismatches;
        const ShredReport report =
            OverwriteAndDelete(file, planFor(count, [&](int pass, unsigned char byte) {
                                   seen.append(pass);
                                   QCOMPARE(byte, pass % 2 == 0 ? 0x3E : 0xC1);
                                   // Same file, same name, same length, every
                                   // byte the pass byte.
                                   QCOMPARE(FileAttributes::query(file).inode, inode);
                                   if (TestFiles::read(file) != filled(size, byte))
                                       mismatches.append(QByteArray::number(pass));
                               }));
        QCOMPARE(report.outcome, ShredOutcome::Overwritten);
        QCOMPARE(seen, passes);
        QCOMPARE(report.passesDone, passes.size());
        QVERIFY2(mismatches.isEmpty(), mismatches.join(',').constData());
        QVERIFY(!QFileInfo::exists(file));
    }

    void growingFileIsOverwrittenToItsNewEnd()
    {
        // Another program appends between the passes: each pass covers the
        // length the file has when it begins.
        const QString file = path(QStringLiteral("growing.bin"));
        QVERIFY(TestFiles::write(file, TestFiles::randomBytes(10000, 9)));
        QList<qint64> sizes;
        bool lastPassCoveredAll = false;
        const ShredReport report =
            OverwriteAndDelete(file, planFor(2, [&](int pass, unsigned char byte) {
                                   const QByteArray content = TestFiles::read(file);
                                   sizes.append(content.size());
                                   if (pass == 1)
                                       lastPassCoveredAll = content == filled(content.size(), byte);
                                   else
                                       append(file, TestFiles::randomBytes(3000, quint32(pass)));
                               }));
        QCOMPARE(report.outcome, ShredOutcome::Overwritten);
        QCOMPARE(sizes, (QList<qint64>{10000, 13000, 16000, 19000}));
        QVERIFY(lastPassCoveredAll);
    }

    void onlyWhatWasOverwrittenIsRemoved_data()
    {
        // Another program changes the file after the pass numbered (4 to 1
        // at count 2; 0: every time pass 1 is done, also over added bytes).
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("afterPass");
        QTest::addColumn<ShredOutcome>("outcome");
        QTest::addColumn<ShredProblem>("problem");

        QTest::newRow("left alone")
            << QString() << 0 << ShredOutcome::Overwritten << ShredProblem::None;
        QTest::newRow("another file renamed to its name after the first pass")
            << "replace" << 4 << ShredOutcome::Kept << ShredProblem::ReplacedWhileOverwritten;
        QTest::newRow("another file renamed to its name after the last pass")
            << "replace" << 1 << ShredOutcome::Kept << ShredProblem::ReplacedWhileOverwritten;
        QTest::newRow("moved away")
            << "move" << 2 << ShredOutcome::Kept << ShredProblem::MovedWhileOverwritten;
        QTest::newRow("grown between passes")
            << "append" << 3 << ShredOutcome::Overwritten << ShredProblem::None;
        QTest::newRow("grown after the last pass")
            << "append" << 1 << ShredOutcome::Overwritten << ShredProblem::None;
        QTest::newRow("growing after every pass over the added bytes")
            << "append" << 0 << ShredOutcome::Kept << ShredProblem::KeptGrowing;
        QTest::newRow("cut short between passes")
            << "cut" << 3 << ShredOutcome::Kept << ShredProblem::CutShort;
        QTest::newRow("cut short after the last pass")
            << "cut" << 1 << ShredOutcome::Kept << ShredProblem::CutShort;
    }

    void onlyWhatWasOverwrittenIsRemoved()
    {
        QFETCH(QString, change);
        QFETCH(int, afterPass);
        QFETCH(ShredOutcome, outcome);
        QFETCH(ShredProblem, problem);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(QStringLiteral("changed.bin"));
        const QString replacement = dir.filePath(QStringLiteral("replacement.bin"));
        const QByteArray replacementBytes = TestFiles::randomBytes(7000, 21);
        QVERIFY(TestFiles::write(file, TestFiles::randomBytes(10000, 20)));
        QVERIFY(TestFiles::write(replacement, replacementBytes));
        // Sees the overwritten file whatever becomes of its name.
        const int witness = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC);
        QVERIFY(witness >= 0);
        const auto closeWitness = qScopeGuard([witness] { ::close(witness); });

        bool changed = false;
        bool acted = true;
        const auto act = [&](int pass, unsigned char) {
            if (change.isEmpty() || (afterPass == 0 ? pass != 1 : pass != afterPass || changed))
                return;
            changed = true;
            if (change == QLatin1String("replace"))
                acted &=
                    otherProgram(QStringLiteral("mv -- \"$1\" \"$1.old\" && mv -- \"$2\" \"$1\""),
                                 {file, replacement});
            else if (change == QLatin1String("move"))
                acted &= otherProgram(QStringLiteral("mv -- \"$1\" \"$1.old\""), {file});
            else if (change == QLatin1String("append"))
                acted &= otherProgram(QStringLiteral("printf '%3000s' x >> \"$1\""), {file});
            else
                acted &= otherProgram(QStringLiteral("truncate -s 4000 -- \"$1\""), {file});
        };
        const ShredReport report = OverwriteAndDelete(file, planFor(2, act));
        QVERIFY(acted);

        // Nothing is gone that was not overwritten in full, to its last byte,
        // and the file that took the name is untouched.
        struct stat info
        {
        };
        QCOMPARE(::fstat(witness, &info), 0);
        if (info.st_nlink == 0)
            QCOMPARE(contentOf(witness), filled(qsizetype(info.st_size), 0xC1));
        if (change == QLatin1String("replace"))
            QCOMPARE(TestFiles::read(file), replacementBytes);
        QCOMPARE(info.st_nlink == 0, report.gone());
        QCOMPARE(report.outcome, outcome);
        QCOMPARE(report.problem, problem);
    }

    void progressCountsEveryPass()
    {
        const QString file = path(QStringLiteral("progress.bin"));
        const qint64 size = 3 * ShredBlockSize + 100;
        QVERIFY(TestFiles::write(file, TestFiles::randomBytes(size, 10)));
        QList<quint64> done;
        QSet<quint64> totals;
        ShredPlan plan = planFor(2);
        plan.progress = [&](quint64 bytes, quint64 total) {
            done.append(bytes);
            totals.insert(total);
        };
        QCOMPARE(OverwriteAndDelete(file, plan).outcome, ShredOutcome::Overwritten);
        // Four writes a pass, four passes, rising to the whole work.
        QCOMPARE(done.size(), 16);
        QVERIFY(std::is_sorted(done.begin(), done.end()));
        QCOMPARE(done.first(), quint64(ShredBlockSize));
        QCOMPARE(totals, QSet<quint64>{quint64(4 * size)});
        QCOMPARE(done.last(), quint64(4 * size));
    }

    void stopRequestEndsAtAPassBoundary()
    {
        const QString file = path(QStringLiteral("stopped.bin"));
        QVERIFY(TestFiles::write(file, TestFiles::randomBytes(9000, 12)));
        int asked = 0;
        ShredPlan plan = planFor(3);
        plan.stopRequested = [&] { return ++asked == 2; };
        const ShredReport report = OverwriteAndDelete(file, plan);
        QCOMPARE(report.outcome, ShredOutcome::Stopped);
        QCOMPARE(report.passesDone, 2);
        QCOMPARE(report.passes, 6);
        // The second pass reached the disk whole; the file stays.
        QCOMPARE(TestFiles::read(file), filled(9000, 0xC1));
        QVERIFY(QFile::remove(file));
    }

    void fileWithAnotherNameNeedsConsent_data()
    {
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("not confirmed: untouched") << false;
        QTest::newRow("confirmed: the other name loses its data") << true;
    }

    void fileWithAnotherNameNeedsConsent()
    {
        QFETCH(bool, confirmed);
        const QString file = path(QStringLiteral("named-twice.bin"));
        const QString other = path(QStringLiteral("other-name.bin"));
        const QByteArray content = TestFiles::randomBytes(5000, 13);
        QVERIFY(TestFiles::write(file, content));
        QCOMPARE(::link(QFile::encodeName(file).constData(), QFile::encodeName(other).constData()),
                 0);
        QCOMPARE(FileAttributes::query(file).links, 2);

        ShredPlan plan = planFor(1);
        plan.otherNamesConfirmed = confirmed;
        const ShredReport report = OverwriteAndDelete(file, plan);

        if (confirmed) {
            QCOMPARE(report.outcome, ShredOutcome::Overwritten);
            QCOMPARE(TestFiles::read(other), filled(5000, 0xC1));
        } else {
            QCOMPARE(report.problem, ShredProblem::HardLink);
            QCOMPARE(TestFiles::read(file), content);
            QVERIFY(QFile::remove(file));
        }
        QVERIFY(QFile::remove(other));
    }

    void countIsClampedToOneToTen_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("passes");
        QTest::newRow("-5") << -5 << 2;
        QTest::newRow("1") << 1 << 2;
        QTest::newRow("10") << 10 << 20;
        QTest::newRow("25") << 25 << 20;
    }

    void countIsClampedToOneToTen()
    {
        QFETCH(int, count);
        QFETCH(int, passes);
        const QString file = path(QStringLiteral("clamp.bin"));
        QVERIFY(TestFiles::write(file, "content"));
        int seen = 0;
        QVERIFY(
            OverwriteAndDelete(file, planFor(count, [&](int, unsigned char) { ++seen; })).gone());
        QCOMPARE(seen, passes);
    }

    void emptyFileIsRemovedWithoutBeingOpened()
    {
        // Even a lock does not keep an empty file: it is never opened.
        const QString file = path(QStringLiteral("empty"));
        QVERIFY(TestFiles::write(file, QByteArray()));
        QFile holder(file);
        QVERIFY(holder.open(QIODevice::ReadOnly));
        QCOMPARE(::flock(holder.handle(), LOCK_EX | LOCK_NB), 0);
        int passes = 0;
        const ShredReport report =
            OverwriteAndDelete(file, planFor(2, [&](int, unsigned char) { ++passes; }));
        QVERIFY(report.gone());
        QCOMPARE(report.outcome, ShredOutcome::RemovedEmpty);
        QCOMPARE(passes, 0);
        QVERIFY(!QFileInfo::exists(file));
    }

    void missingFileCountsAsDone()
    {
        const ShredReport report =
            OverwriteAndDelete(path(QStringLiteral("never-there")), planFor(2));
        QVERIFY(report.gone());
        QCOMPARE(report.outcome, ShredOutcome::NotFound);
    }

    void fileInUseStaysUnchanged()
    {
        const QByteArray content = TestFiles::randomBytes(10000, 3);
        const QString file = path(QStringLiteral("held.bin"));
        QVERIFY(TestFiles::write(file, content));
        {
            QFile holder(file);
            QVERIFY(holder.open(QIODevice::ReadOnly));
            QCOMPARE(::flock(holder.handle(), LOCK_SH | LOCK_NB), 0);
            const ShredReport report = OverwriteAndDelete(file, planFor(1));
            QVERIFY(!report.gone());
            QCOMPARE(report.outcome, ShredOutcome::Refused);
            QCOMPARE(report.problem, ShredProblem::InUse);
            QCOMPARE(TestFiles::read(file), content);
        }
        {
            RecordLockHolder holder(file);
            QVERIFY(holder.locked());
            const ShredReport report = OverwriteAndDelete(file, planFor(1));
            QVERIFY(!report.gone());
            QCOMPARE(report.problem, ShredProblem::InUse);
            QCOMPARE(TestFiles::read(file), content);
        }
        // Once the others let go it can be destroyed.
        QVERIFY(OverwriteAndDelete(file, planFor(1)).gone());
        QVERIFY(!QFileInfo::exists(file));
    }

    void unwritableFileStaysUnchanged()
    {
        const QByteArray content = TestFiles::randomBytes(5000, 4);
        const QString file = path(QStringLiteral("unwritable.bin"));
        QVERIFY(TestFiles::write(file, content));
        {
            Unchangeable guard(file);
            if (!guard.active())
                QSKIP("cannot make a file unwritable here");
            const ShredReport report = OverwriteAndDelete(file, planFor(1));
            QVERIFY(!report.gone());
            QCOMPARE(report.outcome, ShredOutcome::Refused);
            QCOMPARE(report.problem, ShredProblem::NoAccess);
            QCOMPARE(TestFiles::read(file), content);
        }
        QVERIFY(QFile::remove(file));
    }

    void readOnlyAttributeIsClearedAlone()
    {
        const QString file = path(QStringLiteral("readonly.bin"));
        QVERIFY(TestFiles::write(file, "read only"));
        QVERIFY(::chmod(QFile::encodeName(file).constData(), 0444) == 0);
        QVERIFY(FileAttributes::query(file).readOnly);
        QVERIFY(ClearReadOnly(file));
        QCOMPARE(modeOf(file), mode_t(0644));
        QVERIFY(ClearReadOnly(file)); // nothing to do the second time
        QCOMPARE(modeOf(file), mode_t(0644));
        QVERIFY(OverwriteAndDelete(file, planFor(1)).gone());
        QVERIFY(!QFileInfo::exists(file));
    }

    void linksAreRefusedUntouched_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("to a file") << QStringLiteral("target.bin");
        QTest::newRow("to a folder") << QStringLiteral("target-folder");
        QTest::newRow("dangling") << QStringLiteral("nothing-here");
    }

    void linksAreRefusedUntouched()
    {
        QFETCH(QString, target);
        const QByteArray content = TestFiles::randomBytes(3000, 5);
        QVERIFY(TestFiles::write(path(QStringLiteral("target.bin")), content));
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("target-folder")));
        QVERIFY(TestFiles::write(path(QStringLiteral("target-folder/inside.bin")), content));

        const QString link = path(QStringLiteral("link"));
        QVERIFY(QFile::link(path(target), link));
        int passes = 0;
        const ShredReport report =
            OverwriteAndDelete(link, planFor(1, [&](int, unsigned char) { ++passes; }));
        QVERIFY(!report.gone());
        QCOMPARE(report.problem, ShredProblem::SymbolicLink);
        QCOMPARE(passes, 0);
        // Neither the link nor what it points to changes.
        QCOMPARE(FileAttributes::query(link).kind, FileAttributes::Kind::Link);
        QCOMPARE(TestFiles::read(path(QStringLiteral("target.bin"))), content);
        QCOMPARE(TestFiles::read(path(QStringLiteral("target-folder/inside.bin"))), content);
        QVERIFY(QFile::remove(link));
    }

    void foldersAndSpecialFilesAreRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<ShredProblem>("problem");
        QTest::newRow("folder") << QStringLiteral("folder") << ShredProblem::Folder;
        QTest::newRow("named pipe without reader")
            << QStringLiteral("pipe") << ShredProblem::SpecialFile;
        QTest::newRow("socket") << QStringLiteral("socket") << ShredProblem::SpecialFile;
        QTest::newRow("device node") << QStringLiteral("device") << ShredProblem::SpecialFile;
    }

    void foldersAndSpecialFilesAreRefused()
    {
        QFETCH(QString, kind);
        QFETCH(ShredProblem, problem);
        const QString special = path(QStringLiteral("special-") + kind);
        if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(special));
        else if (!makeSpecialFile(kind, special))
            QSKIP("cannot make that kind of file here");

        // A pipe opened for writing would wait for a reader for ever.
        QElapsedTimer clock;
        clock.start();
        const ShredReport report = OverwriteAndDelete(special, planFor(1));
        QVERIFY(!report.gone());
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(report.outcome, ShredOutcome::Refused);
        QCOMPARE(report.problem, problem);
        QVERIFY(FileAttributes::query(special).exists());
        if (kind == QLatin1String("folder"))
            QVERIFY(QDir(special).removeRecursively());
        else
            QVERIFY(::unlink(QFile::encodeName(special).constData()) == 0);
    }

    void failedWriteStillRemovesTheFile()
    {
        const QString file = path(QStringLiteral("disk-full.bin"));
        QVERIFY(TestFiles::write(file, TestFiles::randomBytes(10000, 6)));
        ShredReport report;
        int passes = 0;
        bool deleted = true;
        {
            FileSizeLimit limit(4096);
            report = OverwriteAndDelete(file, planFor(1, [&](int, unsigned char) { ++passes; }));
            deleted = report.gone();
        }
        QVERIFY(!deleted);
        QCOMPARE(passes, 0);
        QCOMPARE(report.outcome, ShredOutcome::Failed);
        QCOMPARE(report.problem, ShredProblem::WriteFailed);
        QVERIFY(!QFileInfo::exists(file));
    }

    void fileThatCannotBeRemovedIsReportedOverwritten()
    {
        const QString folder = path(QStringLiteral("locked-folder"));
        QVERIFY(QDir().mkpath(folder));
        const QString file = folder + QStringLiteral("/kept.bin");
        QVERIFY(TestFiles::write(file, TestFiles::randomBytes(6000, 8)));
        {
            Unchangeable guard(folder);
            if (!guard.active())
                QSKIP("cannot make a folder unchangeable here");
            const ShredReport report = OverwriteAndDelete(file, planFor(1));
            QVERIFY(!report.gone());
            QCOMPARE(report.outcome, ShredOutcome::OverwrittenNotRemoved);
            QCOMPARE(report.problem, ShredProblem::RemoveDenied);
            QCOMPARE(report.passesDone, 2);
            // The content is gone all the same.
            QCOMPARE(TestFiles::read(file), filled(6000, 0xC1));
        }
        QVERIFY(QFile::remove(file));
    }
};

QTEST_GUILESS_MAIN(TestOverwriteAndDelete)
#include "TestOverwriteAndDelete.moc"
