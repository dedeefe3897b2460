#include "RecordLockHolder.h"
#include "RecordingObserver.h"
#include "ScriptedPrompter.h"
#include "TestFiles.h"
#include "jobs/EncryptJob.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <optional>

#include <unistd.h>

Q_DECLARE_METATYPE(FileFormat)

namespace {

const QString Key = QStringLiteral("key text");
constexpr int QuickWorkFactor = 10;

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// What one pass over an original left: the original's bytes and the
// result's at that moment.
struct PassSeen
{
    int pass = 0;
    unsigned char passByte = 0;
    QByteArray original;
    QByteArray result;
};

struct OverwriteRun
{
    EncryptJobOptions options;
    RecordingObserver observer;
    ScriptedPrompter prompter;
    QList<PassSeen> passes;

    OverwriteRun(FileFormat format, const QString &original)
    {
        options.format = format;
        options.ageWorkFactor = QuickWorkFactor;
        options.afterFailure = AfterFailure::GoOn;
        options.overwriteOriginals = true;
        options.originalPassObserver = [this, original](int pass, unsigned char passByte) {
            passes.append(PassSeen{pass, passByte, TestFiles::read(original),
                                   TestFiles::read(original + QStringLiteral(".enc"))});
        };
    }

    EncryptJobSummary run(CipherDirection direction, const QStringList &paths)
    {
        options.direction = direction;
        options.markedEncrypted = direction == CipherDirection::Decrypt;
        EncryptJob job(Key, paths, options, observer, prompter);
        return job.run();
    }
};

} // namespace

class TestOriginalOverwrite : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The original gets every pass of the secure delete engine, each while
    // the complete result already stands at its name, and goes only after
    // the last one. Decrypting removes the encrypted file as always.
    void originalIsOverwrittenOnceTheResultIsInPlace_data()
    {
        QTest::addColumn<FileFormat>("format");
        QTest::addColumn<int>("size");
        QTest::newRow("compatible") << FileFormat::Compatible << 10000;
        QTest::newRow("strong") << FileFormat::Age << 10000;
        QTest::newRow("empty") << FileFormat::Compatible << 0;
    }

    void originalIsOverwrittenOnceTheResultIsInPlace()
    {
        QFETCH(FileFormat, format);
        QFETCH(int, size);
        QTemporaryDir dir;
        const QString original = dir.filePath(QStringLiteral("notes.bin"));
        const QByteArray plain = TestFiles::randomBytes(size, 7);
        QVERIFY(TestFiles::write(original, plain));

        OverwriteRun run(format, original);
        const EncryptJobSummary summary = run.run(CipherDirection::Encrypt, {original});
        QCOMPARE(summary.done, 1);
        QVERIFY(summary.originalsNotOverwritten.empty());
        QVERIFY(run.prompter.messages.isEmpty());
        QCOMPARE(filesIn(dir.path()), QStringList{"notes.bin.enc"});

        const QByteArray result = TestFiles::read(original + QStringLiteral(".enc"));
        QCOMPARE(run.passes.size(), 4);
        for (int k = 0; k < run.passes.size(); ++k) {
            const PassSeen &seen = run.passes.at(k);
            QCOMPARE(seen.pass, 4 - k);
            QCOMPARE(seen.passByte, static_cast<unsigned char>(k % 2 == 0 ? 0x3E : 0xC1));
            QCOMPARE(seen.original, QByteArray(size, char(seen.passByte)));
            QCOMPARE(seen.result, result);
        }
        if (size > 0) {
            // The file's progress counts the passes after the result's bytes.
            QCOMPARE(run.observer.lastTotal, quint64(5 * size));
            QCOMPARE(run.observer.lastDone, run.observer.lastTotal);
            QVERIFY(std::is_sorted(run.observer.runDone.begin(), run.observer.runDone.end()));
            QCOMPARE(run.observer.runDone.last(), run.observer.runTotal);
        }

        run.passes.clear();
        QCOMPARE(run.run(CipherDirection::Decrypt, {original + QStringLiteral(".enc")}).done, 1);
        QVERIFY(run.passes.isEmpty());
        QCOMPARE(filesIn(dir.path()), QStringList{"notes.bin"});
        QCOMPARE(TestFiles::read(original), plain);
    }

    // An original that changes during the run fails the file as it does
    // without overwriting: no result, and the original is not written to.
    void changedOriginalIsLeftAlone_data()
    {
        QTest::addColumn<FileFormat>("format");
        QTest::newRow("compatible") << FileFormat::Compatible;
        QTest::newRow("strong") << FileFormat::Age;
    }

    void changedOriginalIsLeftAlone()
    {
        QFETCH(FileFormat, format);
        QTemporaryDir dir;
        const QString original = dir.filePath(QStringLiteral("growing.log"));
        QByteArray content = TestFiles::randomBytes(3 << 20, 3);
        QVERIFY(TestFiles::write(original, content));

        OverwriteRun run(format, original);
        bool appended = false;
        run.observer.onBytesDone = [&](quint64 done) {
            if (done == 0 || appended)
                return;
            QFile file(original);
            appended = file.open(QIODevice::Append) && file.write("more") == 4;
        };
        const EncryptJobSummary summary = run.run(CipherDirection::Encrypt, {original});

        QVERIFY(appended);
        content += "more";
        QCOMPARE(summary.done, 0);
        QCOMPARE(summary.failed, 1);
        QCOMPARE(run.observer.outcomes(), QList<FileOutcome>{FileOutcome::Failed});
        QVERIFY(run.passes.isEmpty());
        QCOMPARE(filesIn(dir.path()), QStringList{"growing.log"});
        QCOMPARE(TestFiles::read(original), content);
    }

    // An original the engine may not write keeps its name and its bytes; the
    // result stays, and the message after the run names the original and
    // what is left of it.
    void originalThatCannotBeOverwrittenStays_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>("why");
        QTest::newRow("record lock of another program") << "lock"
                                                        << "cannot open: in use by another program";
        QTest::newRow("no permission to write it") << "read-only"
                                                   << "cannot open: no permission to write it";
    }

    void originalThatCannotBeOverwrittenStays()
    {
        QFETCH(QString, obstacle);
        QFETCH(QString, why);
        QTemporaryDir dir;
        const QString original = dir.filePath(QStringLiteral("kept.bin"));
        const QByteArray plain = TestFiles::randomBytes(20000, 5);
        QVERIFY(TestFiles::write(original, plain));
        std::optional<RecordLockHolder> lock;
        if (obstacle == QLatin1String("lock")) {
            lock.emplace(original);
            QVERIFY(lock->locked());
        } else {
            if (::geteuid() == 0)
                QSKIP("root may write a read-only file");
            QVERIFY(QFile::setPermissions(original, QFile::ReadOwner));
        }

        OverwriteRun run(FileFormat::Compatible, original);
        const EncryptJobSummary summary = run.run(CipherDirection::Encrypt, {original});

        QCOMPARE(summary.done, 1);
        QCOMPARE(run.observer.outcomes(), QList<FileOutcome>{FileOutcome::Done});
        QVERIFY(run.passes.isEmpty());
        QCOMPARE(filesIn(dir.path()), (QStringList{"kept.bin", "kept.bin.enc"}));
        QCOMPARE(TestFiles::read(original), plain);
        QCOMPARE(summary.originalsNotOverwritten.size(), size_t(1));
        const SkippedFile &kept = summary.originalsNotOverwritten.front();
        QCOMPARE(kept.path, original);
        QVERIFY2(kept.reason.startsWith(why), qPrintable(kept.reason));
        QVERIFY2(kept.reason.endsWith(QStringLiteral("the original is still there, unchanged")),
                 qPrintable(kept.reason));
        QCOMPARE(run.prompter.messages.size(), 1);
        const QString message = run.prompter.messages.first().text;
        QVERIFY2(
            message.startsWith(QStringLiteral("The encrypted files are complete, but 1 "
                                              "original(s) could not be overwritten in full:")),
            qPrintable(message));
        QVERIFY(message.contains(original + QStringLiteral(": ") + kept.reason));

        // The result is the whole file.
        lock.reset();
        QVERIFY(QFile::remove(original));
        OverwriteRun back(FileFormat::Compatible, original);
        QCOMPARE(back.run(CipherDirection::Decrypt, {original + QStringLiteral(".enc")}).done, 1);
        QCOMPARE(TestFiles::read(original), plain);
    }
};

QTEST_GUILESS_MAIN(TestOriginalOverwrite)
#include "TestOriginalOverwrite.moc"
