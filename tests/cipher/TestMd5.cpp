#include "cipher/Md5.h"

#include <QCryptographicHash>
#include <QTest>

namespace {

QString md5Upper(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex())
        .toUpper();
}

} // namespace

class TestMd5 : public QObject
{
    Q_OBJECT

private slots:
    // The RFC 1321 suite, through AsString and MD5OfText.
    void rfcSuite_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("digest");
        QTest::newRow("empty") << QString() << "d41d8cd98f00b204e9800998ecf8427e";
        QTest::newRow("a") << "a"
                           << "0cc175b9c0f1b6a831c399e269772661";
        QTest::newRow("abc") << "abc"
                             << "900150983cd24fb0d6963f7d28e17f72";
        QTest::newRow("message digest") << "message digest"
                                        << "f96b697d7cb7938d525a2f31aaf161d0";
        QTest::newRow("alphabet") << "abcdefghijklmnopqrstuvwxyz"
                                  << "c3fcd3d76192e4007dfb496cca67e13b";
        QTest::newRow("alphanumeric")
            << "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"
            << "d174ab98d277d9f5a5611c2c9f419d9f";
        QTest::newRow("80 digits")
            << "12345678901234567890123456789012345678901234567890123456789012345678901234567890"
            << "57edf4a22be3c955ac49da2e2107b67a";
    }

    void rfcSuite()
    {
        QFETCH(QString, text);
        QFETCH(QString, digest);
        QCOMPARE(MD5OfText(text), digest);
        Md5Ref md5 = NewMD5();
        const QByteArray bytes = text.toLatin1();
        md5->Update(bytes.constData(), static_cast<quint32>(bytes.size()));
        QCOMPARE(md5->AsString(), digest.toUpper());
    }

    // Lengths around the pad borders, whole and split at every point.
    void padBordersAndSplits_data()
    {
        QTest::addColumn<int>("length");
        for (const int length : {55, 56, 63, 64, 65, 119, 120, 128})
            QTest::newRow(qPrintable(QString::number(length))) << length;
    }

    void padBordersAndSplits()
    {
        QFETCH(int, length);
        QByteArray bytes(length, '\0');
        for (int k = 0; k < length; ++k)
            bytes[k] = static_cast<char>(k * 7 + 3);
        const QString expected = md5Upper(bytes);
        for (int split = 0; split <= length; ++split) {
            Md5Ref md5 = NewMD5();
            md5->Update(bytes.constData(), static_cast<quint32>(split));
            md5->Update(bytes.constData() + split, static_cast<quint32>(length - split));
            QCOMPARE(md5->AsString(), expected);
        }
        Md5Ref bytewise = NewMD5();
        for (int k = 0; k < length; ++k)
            bytewise->Update(bytes.constData() + k, 1);
        QCOMPARE(bytewise->AsString(), expected);
    }

    void guidFormAndSecondFinal()
    {
        Md5Ref md5 = NewMD5();
        md5->Update("abc", 3);
        QCOMPARE(md5->AsGUID(), QStringLiteral("{90015098-3CD2-4FB0-D696-3F7D28E17F72}"));
        // Final pads again: a digest object serves one digest.
        QVERIFY(md5->AsString() != QStringLiteral("900150983CD24FB0D6963F7D28E17F72"));
        Md5Ref fresh = NewMD5();
        fresh->Update("abc", 3);
        fresh->Init();
        QCOMPARE(fresh->AsString(), md5Upper(QByteArray()));
    }

    // MD5OfText hashes the single-byte code page; Update(text) hashes UTF-8.
    void textForms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("codePageBytes");
        QTest::newRow("umlaut") << QStringLiteral("Schlüssel") << QByteArray("Schl\xfcssel");
        QTest::newRow("euro") << QStringLiteral("€5")
                              << QByteArray("\x80"
                                            "5");
        QTest::newRow("outside the code page") << QStringLiteral("\u03a9a") << QByteArray("?a");
    }

    void textForms()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, codePageBytes);
        QCOMPARE(MD5OfText(text), md5Upper(codePageBytes).toLower());
        Md5Ref md5 = NewMD5();
        md5->Update(text);
        QCOMPARE(md5->AsString(), md5Upper(text.toUtf8()));
    }
};

QTEST_GUILESS_MAIN(TestMd5)
#include "TestMd5.moc"
