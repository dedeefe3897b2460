#include "TestFiles.h"

#include "filecipher/ContentTypeCheck.h"

#include <QTest>

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int value : values)
        out.append(char(value));
    return out;
}

QByteArray littleEndian32(quint32 value)
{
    return bytes(
        {int(value & 0xff), int((value >> 8) & 0xff), int((value >> 16) & 0xff), int(value >> 24)});
}

// The first bytes of small but well-formed files of each kind.
QByteArray pngHead()
{
    return bytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0,    0,    0,
                  13,   'I', 'H', 'D', 'R',  0,    0,    0,    1,    0,    0,
                  0,    1,   8,   2,   0,    0,    0,    0x90, 0x77, 0x53, 0xde});
}

QByteArray zipHead(QByteArrayView firstName, QByteArrayView firstContent)
{
    QByteArray head = bytes({'P', 'K', 3, 4, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    head += littleEndian32(0); // CRC-32, not looked at
    head += littleEndian32(quint32(firstContent.size()));
    head += littleEndian32(quint32(firstContent.size()));
    head += bytes({int(firstName.size()), 0, 0, 0});
    head += firstName.toByteArray() + firstContent.toByteArray();
    return head;
}

QByteArray riffHead(QByteArrayView form, QByteArrayView firstChunk)
{
    return "RIFF" + littleEndian32(1000) + form.toByteArray() + firstChunk.toByteArray();
}

} // namespace

class TestContentTypeCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void realSignaturesFit_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("head");

        QTest::newRow("pdf") << "Report.PDF"
                             << QByteArray("%PDF-1.7\n%\xe2\xe3\xcf\xd3\n1 0 obj\n");
        QTest::newRow("png") << "a.png" << pngHead();
        QTest::newRow("jpeg") << "photo.jpeg"
                              << bytes({0xff, 0xd8, 0xff, 0xe0, 0, 16, 'J', 'F', 'I', 'F',
                                        0,    1,    1,    0,    0, 1,  0,   1,   0,   0});
        QTest::newRow("jpg") << "photo.jpg"
                             << bytes({0xff, 0xd8, 0xff, 0xe1, 0,   16, 'E', 'x', 'i', 'f',
                                       0,    0,    'I',  'I',  '*', 0,  8,   0,   0,   0});
        QTest::newRow("gif") << "a.gif" << QByteArray("GIF89a\x01\x00\x01\x00\x80\x00\x00", 13);
        // A whole archive: the type database looks past the first entry.
        QTest::newRow("zip") << "a.zip"
                             << QByteArray::fromHex(
                                    "504b0304140000000000282b8a5986a610360500000005000000090000006e"
                                    "6f7465732e74787468656c6c6f504b01021403140000000000282b8a5986a6"
                                    "103605000000050000000900000000000000000000008001000000006e6f74"
                                    "65732e747874504b05060000000001000100370000002c0000000000");
        QTest::newRow("docx") << "letter.docx"
                              << zipHead("[Content_Types].xml", "<?xml version=\"1.0\"?>");
        QTest::newRow("odt") << "letter.odt"
                             << zipHead("mimetype", "application/vnd.oasis.opendocument.text");
        QTest::newRow("gz") << "a.tar.gz" << bytes({0x1f, 0x8b, 8, 0, 0, 0, 0, 0, 0, 3});
        QTest::newRow("bz2") << "a.bz2" << QByteArray("BZh91AY&SY\x12\x34\x56\x78");
        QTest::newRow("xz") << "a.xz"
                            << bytes({0xfd, '7', 'z', 'X', 'Z', 0, 0, 4, 0xe6, 0xd6, 0xb4, 0x46});
        QTest::newRow("7z") << "a.7z" << bytes({'7', 'z', 0xbc, 0xaf, 0x27, 0x1c, 0, 4, 0, 0, 0,
                                                0,   0,   0,    0,    0,    0,    0, 0, 0, 0, 0,
                                                0,   0,   0,    0,    0,    0,    0, 0, 0, 0});
        QTest::newRow("mp3 with a tag")
            << "song.mp3"
            << QByteArray("ID3\x03\x00\x00\x00\x00\x00\x0a", 10) + QByteArray(10, '\0') +
                   bytes({0xff, 0xfb, 0x90, 0x64});
        QTest::newRow("mp3 frame without a tag")
            << "song.mp3" << bytes({0xff, 0xfb, 0x90, 0x64, 0, 0, 0, 0});
        QTest::newRow("mp4") << "clip.mp4"
                             << bytes({0, 0, 0, 0x18}) + "ftypmp42" + bytes({0, 0, 0, 0}) +
                                    "mp42isom";
        QTest::newRow("m4a") << "tune.m4a"
                             << bytes({0, 0, 0, 0x18}) + "ftypM4A " + bytes({0, 0, 0, 0}) +
                                    "M4A mp42";
        QTest::newRow("mov") << "clip.mov"
                             << bytes({0, 0, 0, 0x14}) + "ftypqt  " + bytes({0, 0, 0, 0}) + "qt  ";
        QTest::newRow("webp") << "a.webp" << riffHead("WEBP", "VP8 " + littleEndian32(100));
        QTest::newRow("wav") << "a.wav"
                             << riffHead("WAVE", "fmt " + littleEndian32(16) +
                                                     bytes({1, 0, 1, 0, 0x44, 0xac, 0, 0, 0x88,
                                                            0x58, 1, 0, 2, 0, 16, 0}));
        QTest::newRow("bmp") << "a.bmp"
                             << QByteArray("BM") + littleEndian32(70) + littleEndian32(0) +
                                    littleEndian32(54) + littleEndian32(40) + littleEndian32(1) +
                                    littleEndian32(1) + bytes({1, 0, 24, 0});
        QTest::newRow("tiff") << "scan.tif" << bytes({'I', 'I', 42, 0, 8, 0, 0, 0});
        QTest::newRow("rar") << "a.rar" << bytes({'R', 'a', 'r',  '!', 0x1a, 7, 0, 0xcf, 0x90, 0x73,
                                                  0,   0,   0x0d, 0,   0,    0, 0, 0,    0,    0});
        QTest::newRow("ogg") << "a.ogg"
                             << QByteArray("OggS\x00\x02", 6) + QByteArray(20, '\0') +
                                    bytes({1, 30, 1}) + "vorbis";
        QTest::newRow("flac") << "a.flac"
                              << QByteArray("fLaC") + bytes({0x80, 0, 0, 34, 0x10, 0, 0x10, 0}) +
                                     QByteArray(30, '\0');
        QTest::newRow("exe") << "setup.exe"
                             << QByteArray("MZ\x90\x00", 4) + QByteArray(56, '\0') +
                                    littleEndian32(64) + QByteArray("PE\0\0", 4) +
                                    QByteArray(20, '\0');
    }

    void realSignaturesFit()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, head);
        QCOMPARE(contentFitsName(name, head), ContentFit::Fits);
    }

    void otherBytesDoNotFit_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("head");
        const QByteArray noise = TestFiles::randomBytes(4096, 42);
        QTest::newRow("random bytes named pdf") << "report.pdf" << noise;
        QTest::newRow("random bytes named jpg") << "photo.jpg" << noise;
        QTest::newRow("random bytes named docx") << "letter.docx" << noise;
        QTest::newRow("random bytes named mp3") << "song.mp3" << noise;
        QTest::newRow("png bytes named jpg") << "photo.jpg" << pngHead();
        QTest::newRow("text named zip") << "a.zip" << QByteArray("just some text\n");
        QTest::newRow("empty pdf") << "empty.pdf" << QByteArray();
    }

    void otherBytesDoNotFit()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, head);
        QCOMPARE(contentFitsName(name, head), ContentFit::DoesNotFit);
    }

    void namesWithoutASignatureAreUnknown_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("no extension") << "README";
        QTest::newRow("dot file") << ".profile";
        QTest::newRow("pdf only in the middle") << "report.pdf.bak";
    }

    void namesWithoutASignatureAreUnknown()
    {
        QFETCH(QString, name);
        QCOMPARE(contentFitsName(name, TestFiles::randomBytes(512, 1)), ContentFit::Unknown);
        QCOMPARE(contentFitsName(name, "%PDF-1.7\n"), ContentFit::Unknown);
    }
};

QTEST_GUILESS_MAIN(TestContentTypeCheck)
#include "TestContentTypeCheck.moc"
