#include "FailDevice.h"
#include "cipher/Rc4.h"
#include "cipher/Sha1.h"
#include "cipher/Sha256.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QTest>

namespace {

QByteArray keyStream(Rc4 &cipher, qsizetype length)
{
    QByteArray data(length, '\0');
    cipher.Encrypt(data.constData(), data.data(), static_cast<quint32>(length));
    return data;
}

QByteArray streamThrough(StreamCipher &cipher, const QByteArray &input, quint64 &read)
{
    QBuffer in;
    in.setData(input);
    in.open(QIODevice::ReadOnly);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    read = cipher.EncryptStream(in, out, static_cast<quint64>(input.size()));
    return out.data();
}

// A hash class whose digest cannot be made, for the error translation.
class BrokenHash : public Sha1
{
public:
    void Final(void *) override { throw std::bad_alloc(); }
};

// Endless zeros of a given length, without holding them.
class ZeroDevice : public QIODevice
{
public:
    explicit ZeroDevice(quint64 size)
        : m_size(size)
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 n = static_cast<qint64>(std::min<quint64>(maxSize, m_size - m_done));
        std::memset(data, 0, static_cast<size_t>(n));
        m_done += static_cast<quint64>(n);
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    quint64 m_size;
    quint64 m_done = 0;
};

// Counts what is written and keeps the last bytes.
class TailDevice : public QIODevice
{
public:
    TailDevice() { open(QIODevice::WriteOnly); }
    quint64 written = 0;
    QByteArray tail;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        written += static_cast<quint64>(size);
        tail = QByteArray(data, size);
        return size;
    }
};

} // namespace

class TestRc4 : public QObject
{
    Q_OBJECT

private slots:
    void identity()
    {
        Rc4 cipher;
        QCOMPARE(cipher.GetId(), 19);
        QCOMPARE(cipher.GetAlgorithm(), QStringLiteral("RC4"));
        QCOMPARE(cipher.GetMaxKeySize(), 2048);
        QVERIFY(cipher.SelfTest());
        QVERIFY(Sha256().SelfTest());
        QVERIFY(Sha1().SelfTest());
    }

    // Published RC4 vectors; all offsets lie within the first 8192 bytes, so
    // one Encrypt call is textbook RC4.
    void publishedVectors_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray key40 = QByteArray::fromHex("0102030405");
        QTest::newRow("40-bit @0")
            << key40 << 0 << QByteArray::fromHex("b2396305f03dc027ccc3524a0a1118a8");
        QTest::newRow("40-bit @16")
            << key40 << 16 << QByteArray::fromHex("6982944f18fc82d589c403a47a0d0919");
        QTest::newRow("40-bit @240")
            << key40 << 240 << QByteArray::fromHex("28cb1132c96ce286421dcaadb8b69eae");
        QTest::newRow("40-bit @256")
            << key40 << 256 << QByteArray::fromHex("1cfcf62b03eddb641d77dfcf7f8d8c93");
        QTest::newRow("40-bit @4080")
            << key40 << 4080 << QByteArray::fromHex("068326a2118416d21f9d04b2cd1ca050");
        QTest::newRow("40-bit @4096")
            << key40 << 4096 << QByteArray::fromHex("ff25b58995996707e51fbdf08b34d875");
        QTest::newRow("128-bit @0") << QByteArray::fromHex("0102030405060708090a0b0c0d0e0f10") << 0
                                    << QByteArray::fromHex("9ac7cc9a609d1ef7b2932899cde41b97");
        QTest::newRow("256-bit @0")
            << QByteArray::fromHex(
                   "0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f20")
            << 0 << QByteArray::fromHex("eaa6bd25880bf93d3f5d1e4ca2611d91");
    }

    void publishedVectors()
    {
        QFETCH(QByteArray, key);
        QFETCH(int, offset);
        QFETCH(QByteArray, expected);
        Rc4 cipher;
        cipher.Init(key.constData(), static_cast<quint32>(key.size() * 8), nullptr);
        QCOMPARE(keyStream(cipher, offset + 16).mid(offset), expected);
    }

    // Every call restarts at i = j = 0 on the permutation the last call left;
    // the streams call once per 8192 bytes, so byte 8192 starts a new run.
    void chunkRestart_data()
    {
        QTest::addColumn<int>("length");
        QTest::newRow("8192: one call") << 8192;
        QTest::newRow("8193: two calls") << 8193;
        QTest::newRow("8208: 16 bytes restarted") << 8208;
    }

    void chunkRestart()
    {
        QFETCH(int, length);
        const QByteArray key = QByteArray::fromHex("0102030405");
        Rc4 perCall;
        perCall.Init(key.constData(), 40, nullptr);
        const QByteArray first = keyStream(perCall, 8192);
        const QByteArray restarted = keyStream(perCall, length - 8192);

        Rc4 cipher;
        cipher.Init(key.constData(), 40, nullptr);
        quint64 read = 0;
        const QByteArray out = streamThrough(cipher, QByteArray(length, '\0'), read);
        QCOMPARE(read, quint64(length));
        QCOMPARE(out, first + restarted);

        if (length == 8208) {
            Rc4 textbook;
            textbook.Init(key.constData(), 40, nullptr);
            QVERIFY(keyStream(textbook, length).mid(8192) != out.mid(8192));
        }
    }

    void streamRoundTrip_data()
    {
        QTest::addColumn<int>("length");
        for (const int length : {0, 1, 8191, 8192, 8193, 3 * 8192 + 17})
            QTest::newRow(qPrintable(QString::number(length))) << length;
    }

    void streamRoundTrip()
    {
        QFETCH(int, length);
        const QByteArray plain =
            QCryptographicHash::hash(QByteArray::number(length), QCryptographicHash::Sha512)
                .repeated(length / 64 + 1)
                .left(length);
        Rc4 encryptor;
        encryptor.InitStr(QStringLiteral("key text"), hashClass<Sha256>);
        quint64 read = 0;
        const QByteArray encrypted = streamThrough(encryptor, plain, read);
        QCOMPARE(read, quint64(length));
        QCOMPARE(encrypted.size(), plain.size());
        if (length > 0)
            QVERIFY(encrypted != plain);

        Rc4 decryptor;
        decryptor.InitStr(QStringLiteral("key text"), hashClass<Sha256>);
        QBuffer in;
        in.setData(encrypted);
        in.open(QIODevice::ReadOnly);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QCOMPARE(decryptor.DecryptStream(in, out, static_cast<quint64>(length)), quint64(length));
        QCOMPARE(out.data(), plain);
    }

    // Only the first n bytes of the n-unit text's UTF-16LE form are hashed.
    void keyReduction_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("hashed");
        QTest::newRow("empty") << QString() << QByteArray();
        QTest::newRow("six ASCII") << QStringLiteral("abcdef") << QByteArray("a\0b\0c\0", 6);
        QTest::newRow("odd length") << QStringLiteral("abc") << QByteArray("a\0b", 3);
        QTest::newRow("above U+00FF")
            << QStringLiteral("\u03a9xyz") << QByteArray("\xa9\x03x\0", 4);
    }

    void keyReduction()
    {
        QFETCH(QString, key);
        QFETCH(QByteArray, hashed);
        const QByteArray digest = QCryptographicHash::hash(hashed, QCryptographicHash::Sha256);
        Rc4 fromText;
        fromText.InitStr(key, hashClass<Sha256>);
        Rc4 fromDigest;
        fromDigest.Init(digest.constData(), 256, nullptr);
        QCOMPARE(keyStream(fromText, 64), keyStream(fromDigest, 64));
    }

    void keysSharingTheHashedHalfAreEqual()
    {
        Rc4 first;
        first.InitStr(QStringLiteral("abXY"), hashClass<Sha1>);
        Rc4 second;
        second.InitStr(QStringLiteral("ab12"), hashClass<Sha1>);
        QCOMPARE(keyStream(first, 100), keyStream(second, 100));
        Rc4 third;
        third.InitStr(QStringLiteral("aXbY"), hashClass<Sha1>);
        Rc4 fourth;
        fourth.InitStr(QStringLiteral("abXY"), hashClass<Sha1>);
        QVERIFY(keyStream(third, 100) != keyStream(fourth, 100));
    }

    void errors_data()
    {
        QTest::addColumn<quint32>("bits");
        QTest::addColumn<bool>("valid");
        QTest::newRow("0") << 0u << false;
        QTest::newRow("not a multiple of 4") << 42u << false;
        QTest::newRow("above 2048") << 2052u << false;
        QTest::newRow("4") << 4u << true;
        QTest::newRow("2048") << 2048u << true;
    }

    void errors()
    {
        QFETCH(quint32, bits);
        QFETCH(bool, valid);
        const QByteArray key(256, '\x5a');
        Rc4 cipher;
        if (valid) {
            cipher.Init(key.constData(), bits, nullptr);
            QVERIFY(cipher.Initialized());
            return;
        }
        try {
            cipher.Init(key.constData(), bits, nullptr);
            QFAIL("no error");
        } catch (const CipherError &error) {
            QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("Invalid key size"));
        }
        QVERIFY(!cipher.Initialized());
    }

    void unkeyedAndBurntCipherRefuses()
    {
        Rc4 cipher;
        char byte = 0;
        QVERIFY_THROWS_EXCEPTION(CipherError, cipher.Encrypt(&byte, &byte, 1));
        cipher.InitStr(QStringLiteral("k"), hashClass<Sha1>);
        cipher.Encrypt(&byte, &byte, 1);
        cipher.Burn();
        try {
            cipher.Decrypt(&byte, &byte, 1);
            QFAIL("no error");
        } catch (const CipherError &error) {
            QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("Cipher not initialized"));
        }
    }

    void failedDerivationIsReportedAsDigestMemory()
    {
        Rc4 cipher;
        try {
            cipher.InitStr(QStringLiteral("k"), hashClass<BrokenHash>);
            QFAIL("no error");
        } catch (const CipherError &error) {
            QCOMPARE(QString::fromUtf8(error.what()),
                     QStringLiteral("Unable to allocate sufficient memory for hash digest"));
        }
        QVERIFY(!cipher.Initialized());
    }

    void writeErrorPropagates()
    {
        Rc4 cipher;
        cipher.InitStr(QStringLiteral("k"), hashClass<Sha1>);
        QBuffer in;
        in.setData(QByteArray(20000, 'x'));
        in.open(QIODevice::ReadOnly);
        FailDevice out(10000);
        out.open(QIODevice::WriteOnly);
        QVERIFY_THROWS_EXCEPTION(EStreamError, cipher.EncryptStream(in, out, 20000));
        QVERIFY(out.data().size() >= 8192); // what was written before the failure stays
    }

    // Counts past 4 GiB: nothing is truncated and the chunk rule goes on.
    void streamBeyondFourGiB()
    {
        const quint64 size = (quint64(1) << 32) + 8193;
        ZeroDevice in(size);
        TailDevice out;
        Rc4 cipher;
        cipher.InitStr(QStringLiteral("k"), hashClass<Sha256>);
        QCOMPARE(cipher.EncryptStream(in, out, size), size);
        QCOMPARE(out.written, size);
        QCOMPARE(out.tail.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestRc4)
#include "TestRc4.moc"
