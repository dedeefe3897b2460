#include "cipher/VigenereCodec.h"

#include <QTest>

namespace {

QByteArray allByteValues()
{
    QByteArray all;
    for (int byte = 0; byte < 256; ++byte)
        all.append(static_cast<char>(byte));
    return all;
}

} // namespace

class TestVigenereCodec : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void encodesKnownValues_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<QByteArray>("coded");

        QTest::newRow("key repeats from its first byte")
            << QByteArray("\x01\x02", 2) << QByteArray("abc") << QByteArray("bdd");
        QTest::newRow("sum above 255 wraps")
            << QByteArray("\x68") << QByteArray("\xFF") << QByteArray("\x67");
        QTest::newRow("sum of exactly 256 gives zero")
            << QByteArray("\x80") << QByteArray("\x80") << QByteArray("\x00", 1);
        QTest::newRow("key bytes above 127 add as unsigned")
            << QByteArray("\xF0\x90") << QByteArray("\x10\x01\x20")
            << QByteArray("\x00\x91\x10", 3);
        QTest::newRow("key longer than the text")
            << QByteArray("\x01\x02\x03\x04\x05") << QByteArray("aa") << QByteArray("bc");
        QTest::newRow("empty key leaves the text")
            << QByteArray() << QByteArray("text\r\n", 6) << QByteArray("text\r\n", 6);
        QTest::newRow("empty text") << QByteArray("oFuxnkwcazpgE") << QByteArray() << QByteArray();
        QTest::newRow("application key on a line end")
            << QByteArray("oFuxnkwcazpgE") << QByteArray("\r\n") << QByteArray("\x7C\x50");
        QTest::newRow("coded line breaks and zero are ordinary bytes")
            << QByteArray("\x01") << QByteArray("\x09\x0C\xFF", 3) << QByteArray("\x0A\x0D\x00", 3);
    }

    void encodesKnownValues()
    {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, plain);
        QFETCH(QByteArray, coded);
        const VigenereCodec cipher;
        QCOMPARE(cipher.EncodeString(key, plain), coded);
        QCOMPARE(cipher.DecodeString(key, coded), plain);
    }

    void decodeInvertsEncodeForEveryByteAndKey_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::newRow("application key") << QByteArray("oFuxnkwcazpgE");
        QTest::newRow("one byte") << QByteArray("\xFF");
        QTest::newRow("all byte values as key") << allByteValues();
        QTest::newRow("key with zero bytes") << QByteArray("\x00\x7F\x00\x80", 4);
    }

    void decodeInvertsEncodeForEveryByteAndKey()
    {
        QFETCH(QByteArray, key);
        const VigenereCodec cipher;
        QByteArray text = allByteValues();
        text += allByteValues(); // longer than every key, with a partial last round
        text.chop(7);
        const QByteArray coded = cipher.EncodeString(key, text);
        QCOMPARE(coded.size(), text.size());
        QVERIFY(coded != text);
        QCOMPARE(cipher.DecodeString(key, coded), text);
    }

    void leavesTheArgumentUnchanged()
    {
        const VigenereCodec cipher;
        const QByteArray value("shared text");
        // A copy that shares its bytes with value, which the codec must not
        // change through it.
        const QByteArray alias = value; // NOLINT(performance-unnecessary-copy-initialization)
        const QByteArray coded = cipher.EncodeString("key", alias);
        QCOMPARE(value, QByteArray("shared text"));
        QCOMPARE(alias, QByteArray("shared text"));
        QVERIFY(coded != value);
    }

    void eachCallStartsAtTheKeysFirstByte()
    {
        const VigenereCodec cipher;
        const QByteArray key("abc");
        const QByteArray text("0123456789");
        const QByteArray whole = cipher.EncodeString(key, text);
        // Split at a multiple of the key length: same as whole.
        QCOMPARE(cipher.EncodeString(key, text.left(6)) + cipher.EncodeString(key, text.mid(6)),
                 whole);
        // Split elsewhere: the second piece meets other key bytes.
        QVERIFY(cipher.EncodeString(key, text.left(4)) + cipher.EncodeString(key, text.mid(4)) !=
                whole);
    }

    void inPlaceCodingTouchesOnlySizeBytes()
    {
        const VigenereCodec cipher;
        QByteArray buffer("aaaa");
        cipher.Encode("\x01", buffer.data(), 2);
        QCOMPARE(buffer, QByteArray("bbaa"));
        cipher.Decode("\x01", buffer.data(), 0);
        QCOMPARE(buffer, QByteArray("bbaa"));
    }

    void wrongKeyYieldsOtherBytesWithoutError()
    {
        const VigenereCodec cipher;
        const QByteArray coded = cipher.EncodeString("oFuxnkwcazpgE", "secret line");
        QVERIFY(cipher.DecodeString("another key", coded) != QByteArray("secret line"));
    }

    void componentDefaults()
    {
        VigenereCodec cipher;
        QVERIFY(cipher.IsStored());
        QVERIFY(cipher.Key().isEmpty());
        QVERIFY(cipher.Encoded().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestVigenereCodec)
#include "TestVigenereCodec.moc"
