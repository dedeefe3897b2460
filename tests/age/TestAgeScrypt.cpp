#include "age/AgeKeys.h"
#include "age/AgeScrypt.h"

#include <QElapsedTimer>
#include <QTest>

#include <openssl/evp.h>

#include <algorithm>

using age::KdfOutcome;

namespace {

using Derived = std::array<unsigned char, age::keySize>;

QByteArray hexOf(const Derived &bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()))
        .toHex();
}

// The same derivation by OpenSSL's own scrypt, as a reference.
QByteArray reference(const QByteArray &passphrase, const QByteArray &salt, int logN)
{
    Derived out{};
    const std::uint64_t n = std::uint64_t(1) << logN;
    if (EVP_PBE_scrypt(passphrase.constData(), std::size_t(passphrase.size()),
                       reinterpret_cast<const unsigned char *>(salt.constData()),
                       std::size_t(salt.size()), n, 8, 1, 1100 * n + 65536, out.data(),
                       out.size()) != 1)
        return {};
    return hexOf(out);
}

} // namespace

class TestAgeScrypt : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void agreesWithThePublishedVectorAndOpenSsl_data()
    {
        QTest::addColumn<QByteArray>("passphrase");
        QTest::addColumn<QByteArray>("salt");
        QTest::addColumn<int>("logN");
        QTest::addColumn<QByteArray>("expected"); // empty: OpenSSL's answer
        // The published scrypt vector for r = 8, p = 1 (its first 32 of 64
        // bytes: PBKDF2 makes the first block of a longer key the same).
        QTest::newRow("published vector, N = 16384")
            << QByteArray("pleaseletmein") << QByteArray("SodiumChloride") << 14
            << QByteArray("7023bdcb3afd7348461c06cd81fd38ebfda8fbba904f8e3ea9b543f6545da1f2");
        QTest::newRow("smallest N")
            << QByteArray("pass") << QByteArray("salt") << 1 << QByteArray();
        QTest::newRow("empty passphrase and salt")
            << QByteArray() << QByteArray() << 4 << QByteArray();
        QTest::newRow("the format's salt, N = 1024")
            << QByteArray("p\xc3\xa4ss")
            << QByteArray("age-encryption.org/v1/scrypt" + QByteArray(16, '\x5a')) << 10
            << QByteArray();
        QTest::newRow("long passphrase")
            << QByteArray(300, 'k') << QByteArray(40, 's') << 6 << QByteArray();
    }

    void agreesWithThePublishedVectorAndOpenSsl()
    {
        QFETCH(QByteArray, passphrase);
        QFETCH(QByteArray, salt);
        QFETCH(int, logN);
        QFETCH(QByteArray, expected);
        if (expected.isEmpty())
            expected = reference(passphrase, salt, logN);
        QVERIFY(!expected.isEmpty());
        Derived out{};
        QCOMPARE(age::scryptStoppable(passphrase, salt, logN, out, {}), KdfOutcome::Done);
        QCOMPARE(hexOf(out), expected);
        // The stop that never says yes changes nothing.
        Derived again{};
        QCOMPARE(age::scryptStoppable(passphrase, salt, logN, again, [] { return false; }),
                 KdfOutcome::Done);
        QCOMPARE(hexOf(again), expected);
    }

    // Asked again and again while it works; a yes ends it with nothing
    // derived, the early and the late phase of the mixing alike.
    void stopsWhenAskedTo_data()
    {
        QTest::addColumn<int>("yesAt");
        QTest::newRow("before any work") << 1;
        QTest::newRow("while memory is filled") << 2;
        QTest::newRow("while memory is read") << 4;
    }

    void stopsWhenAskedTo()
    {
        QFETCH(int, yesAt);
        // 2^14 blocks: four questions in each of the two phases.
        int asked = 0;
        Derived out{};
        out.fill(0x77);
        const KdfOutcome outcome =
            age::scryptStoppable("pass", "salt", 14, out, [&] { return ++asked >= yesAt; });
        QCOMPARE(outcome, KdfOutcome::Cancelled);
        QCOMPARE(asked, yesAt);
        QVERIFY(std::all_of(out.begin(), out.end(), [](unsigned char c) { return c == 0; }));

        asked = 0;
        QCOMPARE(age::scryptStoppable("pass", "salt", 14, out,
                                      [&] {
                                          ++asked;
                                          return false;
                                      }),
                 KdfOutcome::Done);
        QCOMPARE(asked, 8);
    }

    // The highest accepted work factor takes seconds and 4 GiB; a stop
    // after a moment ends it within milliseconds.
    void highestWorkFactorStopsPromptly()
    {
        QElapsedTimer clock;
        clock.start();
        qint64 saidYes = -1;
        Derived out{};
        const KdfOutcome outcome = age::scryptStoppable("pass", "salt", 22, out, [&] {
            if (saidYes < 0 && clock.elapsed() >= 150)
                saidYes = clock.elapsed();
            return saidYes >= 0;
        });
        QCOMPARE(outcome, KdfOutcome::Cancelled);
        const qint64 afterYes = clock.elapsed() - saidYes;
        QVERIFY2(afterYes < 500, qPrintable(QString::number(afterYes) + " ms after the stop"));
    }

    void refusesImpossibleWorkFactors()
    {
        Derived out{};
        out.fill(0x77);
        QCOMPARE(age::scryptStoppable("pass", "salt", 0, out, {}), KdfOutcome::Failed);
        QCOMPARE(age::scryptStoppable("pass", "salt", 63, out, {}), KdfOutcome::Failed);
        QVERIFY(std::all_of(out.begin(), out.end(), [](unsigned char c) { return c == 0; }));
    }
};

QTEST_GUILESS_MAIN(TestAgeScrypt)
#include "TestAgeScrypt.moc"
