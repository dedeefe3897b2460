#include "age/AgeFormat.h"
#include "age/AgeKeys.h"
#include "age/AgeScryptWorker.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <cstring>

using age::KdfOutcome;

namespace {

using Derived = std::array<unsigned char, age::keySize>;

constexpr const char *abandonAndExitArgument = "--abandon-scrypt-and-exit";

QByteArray hexOf(const Derived &bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()))
        .toHex();
}

bool wiped(const Derived &bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](unsigned char c) { return c == 0; });
}

// A stop that says yes from afterMs on, and notes when it first did.
struct StopAfter
{
    explicit StopAfter(qint64 afterMs)
        : after(afterMs)
    {
        clock.start();
    }
    bool operator()()
    {
        if (saidYesAt < 0 && clock.elapsed() >= after)
            saidYesAt = clock.elapsed();
        return saidYesAt >= 0;
    }
    qint64 sinceYes() const { return clock.elapsed() - saidYesAt; }

    QElapsedTimer clock;
    qint64 after;
    qint64 saidYesAt = -1;
};

// The child of exitWhileAWorkerRunsIsClean: leaves a derivation behind and
// ends the program while it still runs.
int abandonAndExit()
{
    Derived out{};
    StopAfter stop(20);
    const KdfOutcome outcome =
        age::scryptCancellable("pass", "salt", 18, out, [&stop] { return stop(); });
    std::puts(outcome == KdfOutcome::Cancelled ? "cancelled" : "not cancelled");
    return 0;
}

} // namespace

class TestAgeScrypt : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void derivesTheKnownAnswers_data()
    {
        QTest::addColumn<QByteArray>("passphrase");
        QTest::addColumn<QByteArray>("salt");
        QTest::addColumn<int>("logN");
        QTest::addColumn<QByteArray>("expected");
        // The published scrypt vector for r = 8, p = 1 (its first 32 of 64
        // bytes: PBKDF2 makes the first block of a longer key the same).
        QTest::newRow("published vector, N = 16384")
            << QByteArray("pleaseletmein") << QByteArray("SodiumChloride") << 14
            << QByteArray("7023bdcb3afd7348461c06cd81fd38ebfda8fbba904f8e3ea9b543f6545da1f2");
        QTest::newRow("smallest N")
            << QByteArray("pass") << QByteArray("salt") << 1
            << QByteArray("4800cfd55eba5da96c1ff97079bad2f0d9645471fd8364d8f2ba688bdcb84838");
        QTest::newRow("empty passphrase and salt")
            << QByteArray() << QByteArray() << 4
            << QByteArray("e2b1883717d879f495cb7d86aa1eb8697e724978e8fc819881b007fbba2cf86b");
        QTest::newRow("the format's salt, N = 1024")
            << QByteArray("p\xc3\xa4ss")
            << QByteArray("age-encryption.org/v1/scrypt" + QByteArray(16, '\x5a')) << 10
            << QByteArray("1132be5141558aec3d2f41042f54b52de169d90e11504040bc4b6b769a0db784");
        QTest::newRow("long passphrase")
            << QByteArray(300, 'k') << QByteArray(40, 's') << 6
            << QByteArray("7d3df1391e1b2d4876392664092c03c9a6b9ef2364bf9f1659e6772ffe7e9ff5");
    }

    // Run to its end and on a worker alike; a stop that never says yes
    // changes nothing.
    void derivesTheKnownAnswers()
    {
        QFETCH(QByteArray, passphrase);
        QFETCH(QByteArray, salt);
        QFETCH(int, logN);
        QFETCH(QByteArray, expected);
        Derived direct{};
        QVERIFY(age::scrypt(passphrase, salt, logN, direct));
        QCOMPARE(hexOf(direct), expected);
        Derived onWorker{};
        QCOMPARE(age::scryptCancellable(passphrase, salt, logN, onWorker, [] { return false; }),
                 KdfOutcome::Done);
        QCOMPARE(hexOf(onWorker), expected);
        Derived withoutStop{};
        QCOMPARE(age::scryptCancellable(passphrase, salt, logN, withoutStop, {}), KdfOutcome::Done);
        QCOMPARE(hexOf(withoutStop), expected);
    }

    // The highest accepted work factor takes seconds and 4 GiB. Cancelled
    // rather than Failed after a while shows that OpenSSL took it on (its
    // memory ceiling is high enough); the cancel returns at once, the next
    // derivation waits for the one left behind and can itself be cancelled
    // meanwhile, and once that has ended all works as before.
    void cancelLeavesTheHighestWorkFactorBehindAtOnce()
    {
        Derived out{};
        out.fill(0x77);
        StopAfter stop(100);
        QCOMPARE(age::scryptCancellable("pass", "salt", age::defaultMaxWorkFactor, out,
                                        [&stop] { return stop(); }),
                 KdfOutcome::Cancelled);
        QVERIFY2(stop.sinceYes() < 200,
                 qPrintable(QString::number(stop.sinceYes()) + " ms after the stop"));
        QVERIFY(wiped(out));

        StopAfter waiting(50);
        out.fill(0x77);
        QCOMPARE(age::scryptCancellable("pass", "salt", 1, out, [&waiting] { return waiting(); }),
                 KdfOutcome::Cancelled);
        QVERIFY(waiting.saidYesAt >= 0);
        QVERIFY(waiting.sinceYes() < 200);
        QVERIFY(wiped(out));

        age::waitForScryptWorkers();
        QCOMPARE(age::scryptCancellable("pass", "salt", 1, out, [] { return false; }),
                 KdfOutcome::Done);
        QCOMPARE(hexOf(out),
                 QByteArray("4800cfd55eba5da96c1ff97079bad2f0d9645471fd8364d8f2ba688bdcb84838"));
    }

    void stopBeforeTheStartDerivesNothing()
    {
        Derived out{};
        out.fill(0x77);
        QCOMPARE(age::scryptCancellable("pass", "salt", 10, out, [] { return true; }),
                 KdfOutcome::Cancelled);
        QVERIFY(wiped(out));
    }

    void refusesImpossibleWorkFactors_data()
    {
        QTest::addColumn<int>("logN");
        QTest::newRow("zero") << 0;
        QTest::newRow("negative") << -1;
        QTest::newRow("beyond any memory") << age::maxScryptLogN + 1;
        QTest::newRow("beyond 64 bits") << 64;
    }

    void refusesImpossibleWorkFactors()
    {
        QFETCH(int, logN);
        Derived out{};
        out.fill(0x77);
        QVERIFY(!age::scrypt("pass", "salt", logN, out));
        QVERIFY(wiped(out));
        out.fill(0x77);
        QCOMPARE(age::scryptCancellable("pass", "salt", logN, out, {}), KdfOutcome::Failed);
        QVERIFY(wiped(out));
    }

    // A program that ends while a worker left behind still runs ends
    // normally: no crash in OpenSSL's teardown, no sanitizer report.
    void exitWhileAWorkerRunsIsClean()
    {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {abandonAndExitArgument});
        QVERIFY(child.waitForFinished(300000));
        const QByteArray errors = child.readAllStandardError();
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QVERIFY2(child.exitCode() == 0, errors.constData());
        QVERIFY2(errors.isEmpty(), errors.constData());
        QCOMPARE(child.readAllStandardOutput(), QByteArray("cancelled\n"));
    }
};

int main(int argc, char *argv[])
{
    if (argc == 2 && std::strcmp(argv[1], abandonAndExitArgument) == 0)
        return abandonAndExit();
    QCoreApplication app(argc, argv);
    TestAgeScrypt test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "TestAgeScrypt.moc"
