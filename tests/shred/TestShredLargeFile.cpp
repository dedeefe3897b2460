#include "shred/OverwriteAndDelete.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

// Slow: writes a file of more than 4 GiB twice (about 8.6 GB of writes).
// Runs only with VELMORA_SLOW_TESTS=1; otherwise it skips. The folder is
// VELMORA_SLOW_TEST_DIR when set, else the system's temporary folder.
class TestShredLargeFile : public QObject
{
    Q_OBJECT

private:
    static QByteArray bytesAt(QFile &file, qint64 offset, qint64 length)
    {
        file.seek(offset);
        return file.read(length);
    }

private Q_SLOTS:
    void fileBeyondFourGiBIsOverwrittenToItsEnd()
    {
        if (qEnvironmentVariableIntValue("VELMORA_SLOW_TESTS") != 1)
            QSKIP("slow test; set VELMORA_SLOW_TESTS=1 to run it");

        const QString base = qEnvironmentVariable("VELMORA_SLOW_TEST_DIR");
        QTemporaryDir dir(base.isEmpty() ? QDir::tempPath() + QStringLiteral("/large-XXXXXX")
                                         : base + QStringLiteral("/large-XXXXXX"));
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("large.bin"));
        const qint64 fourGiB = qint64(4) << 30;
        const qint64 size = fourGiB + 1808;

        // Sparse, with content where 32-bit arithmetic would go wrong: at the
        // start, either side of 4 GiB and in the last bytes.
        const QList<qint64> probes{0, fourGiB - 4096, fourGiB, size - 1808};
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.resize(size));
            for (const qint64 offset : probes) {
                QVERIFY(file.seek(offset));
                QCOMPARE(file.write(QByteArray(qMin<qint64>(1808, size - offset), 'X')),
                         qMin<qint64>(1808, size - offset));
            }
        }

        QList<int> passes;
        ShredPlan plan;
        plan.count = 1;
        plan.afterPass = [&](int pass, unsigned char byte) {
            passes.append(pass);
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.size(), size);
            for (const qint64 offset : probes) {
                const qint64 length = qMin<qint64>(4096, size - offset);
                QCOMPARE(bytesAt(file, offset, length),
                         QByteArray(length, static_cast<char>(byte)));
            }
        };
        QCOMPARE(OverwriteAndDelete(path, plan).outcome, ShredOutcome::Overwritten);
        QCOMPARE(passes, (QList<int>{2, 1}));
        QVERIFY(!QFileInfo::exists(path));
    }
};

QTEST_GUILESS_MAIN(TestShredLargeFile)
#include "TestShredLargeFile.moc"
