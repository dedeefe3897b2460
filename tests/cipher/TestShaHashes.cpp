#include "cipher/Sha1.h"
#include "cipher/Sha256.h"

#include <QTest>

namespace {

QByteArray digestOf(HashFunction &hash, const QByteArray &message, int pieces = 1)
{
    QByteArray digest(hash.GetHashSize() / 8, '\0');
    hash.Init();
    const qsizetype step = message.size() / pieces + 1;
    for (qsizetype offset = 0; offset < message.size(); offset += step) {
        const QByteArray part = message.mid(offset, step);
        hash.Update(part.constData(), static_cast<quint32>(part.size()));
    }
    hash.Final(digest.data());
    return digest.toHex();
}

} // namespace

class TestShaHashes : public QObject
{
    Q_OBJECT

private slots:
    void identity()
    {
        Sha256 sha256;
        QCOMPARE(sha256.GetId(), 28);
        QCOMPARE(sha256.GetAlgorithm(), QStringLiteral("SHA256"));
        QCOMPARE(sha256.GetHashSize(), 256);
        Sha1 sha1;
        QCOMPARE(sha1.GetId(), 2);
        QCOMPARE(sha1.GetAlgorithm(), QStringLiteral("SHA1"));
        QCOMPARE(sha1.GetHashSize(), 160);
    }

    // FIPS 180 examples, whole and fed in pieces.
    void fipsExamples_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("sha256");
        QTest::addColumn<QByteArray>("sha1");
        QTest::newRow("empty")
            << QByteArray()
            << QByteArray("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855")
            << QByteArray("da39a3ee5e6b4b0d3255bfef95601890afd80709");
        QTest::newRow("abc")
            << QByteArray("abc")
            << QByteArray("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad")
            << QByteArray("a9993e364706816aba3e25717850c26c9cd0d89d");
        QTest::newRow("448 bits")
            << QByteArray("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")
            << QByteArray("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1")
            << QByteArray("84983e441c3bd26ebaae4aa1f95129e5e54670f1");
        QTest::newRow("million a")
            << QByteArray(1000000, 'a')
            << QByteArray("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0")
            << QByteArray("34aa973cd4c4daa4f61eeb2bdbad27316534016f");
    }

    void fipsExamples()
    {
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, sha256);
        QFETCH(QByteArray, sha1);
        Sha256 h256;
        Sha1 h1;
        QCOMPARE(digestOf(h256, message), sha256);
        QCOMPARE(digestOf(h1, message), sha1);
        QCOMPARE(digestOf(h256, message, 7), sha256);
        QCOMPARE(digestOf(h1, message, 7), sha1);
    }

    void updateAndFinalNeedInit()
    {
        Sha256 hash;
        char byte = 0;
        try {
            hash.Update(&byte, 1);
            QFAIL("no error");
        } catch (const HashError &error) {
            QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("Hash not initialized"));
        }
        QByteArray digest(32, '\0');
        hash.Init();
        hash.Final(digest.data());
        QVERIFY_THROWS_EXCEPTION(HashError, hash.Final(digest.data())); // Final ends the digest
    }

    // The key text reaches the hash as its first n UTF-16LE bytes.
    void updateStrFeedsTheFirstHalf()
    {
        Sha1 fromText;
        QByteArray digest(20, '\0');
        fromText.Init();
        fromText.UpdateStr(QStringLiteral("abcdef"));
        fromText.Final(digest.data());
        Sha1 plain;
        QCOMPARE(digest.toHex(), digestOf(plain, QByteArray("a\0b\0c\0", 6)));
    }
};

QTEST_GUILESS_MAIN(TestShaHashes)
#include "TestShaHashes.moc"
