#include "AgeCraft.h"
#include "FailingReader.h"
#include "TestFiles.h"
#include "TestKitVector.h"

#include "age/AgeArmor.h"
#include "age/AgeFormat.h"

#include <QBuffer>
#include <QTest>

using age::ArmorReader;
using age::Result;
Q_DECLARE_METATYPE(age::Result)

namespace {

const QByteArray passphrase = "armored pass";

struct Reading
{
    ArmorReader::Status status = ArmorReader::Status::Reading;
    QByteArray binary;
    quint64 consumed = 0;
};

// Reads all of text through the armor reader, in pieces of an odd size.
Reading readArmored(const QByteArray &text, QIODevice *source = nullptr)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    ArmorReader reader(source ? *source : buffer);
    Reading reading;
    char piece[777];
    for (;;) {
        const qint64 got = reader.read(piece, sizeof piece);
        if (got <= 0)
            break;
        reading.binary.append(piece, got);
    }
    reading.status = reader.status();
    reading.consumed = reader.consumed();
    return reading;
}

Result decryptedText(const QByteArray &text, QByteArray &plain, const age::Progress &progress = {})
{
    QBuffer in;
    in.setData(text);
    in.open(QIODevice::ReadOnly);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    const Result result = age::decrypt(in, out, passphrase, progress);
    plain = out.data();
    return result;
}

QByteArray withLineEnds(QByteArray text, QByteArrayView end)
{
    return text.replace("\n", end.toByteArray());
}

} // namespace

class TestAgeArmor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Sizes around the 48 bytes a full line holds: short last lines with
    // one, two or no padding characters, and a full last line.
    void canonicalFormReadsBack_data()
    {
        QTest::addColumn<qsizetype>("size");
        for (const qsizetype size : {0, 1, 2, 3, 46, 47, 48, 49, 96, 1000, 70000})
            QTest::newRow(qPrintable(QString::number(size))) << size;
    }

    void canonicalFormReadsBack()
    {
        QFETCH(qsizetype, size);
        const QByteArray binary = TestFiles::randomBytes(size, quint32(size) + 3);
        const QByteArray text = age::armored(binary);
        for (const QByteArrayView end : {QByteArrayView("\n"), QByteArrayView("\r\n")}) {
            const QByteArray form = withLineEnds(text, end);
            const Reading reading = readArmored(form);
            QCOMPARE(reading.status, ArmorReader::Status::Ended);
            QCOMPARE(reading.binary, binary);
            QCOMPARE(reading.consumed, quint64(form.size()));
        }
    }

    // The rules at their edges, each on a good text form of 100 bytes.
    void rulesAreStrict_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("accepted");
        // begin, two full lines, a short one, end
        const QByteArray good = age::armored(TestFiles::randomBytes(100, 5));
        const QList<QByteArray> lines = good.split('\n');
        const QByteArray begin = lines[0] + '\n';
        const QByteArray body = good.sliced(begin.size());
        const QByteArray last = lines[3] + '\n' + lines[4] + '\n';

        QTest::newRow("as written") << good << true;
        QTest::newRow("LF and CR LF mixed")
            << QByteArray(lines[0] + "\r\n" + lines[1] + "\n" + lines[2] + "\r\n" + lines[3] +
                          "\n" + lines[4] + "\r\n")
            << true;
        QTest::newRow("no line end after the end line") << good.chopped(1) << true;
        QTest::newRow("1024 bytes of whitespace lines before")
            << QByteArray(QByteArray(1000, ' ') + "\n\r\n" + QByteArray(20, '\t') + "\n" + good)
            << true;
        QTest::newRow("1025 bytes of whitespace lines before")
            << QByteArray(QByteArray(1001, ' ') + "\n\r\n" + QByteArray(20, '\t') + "\n" + good)
            << false;
        QTest::newRow("1023 bytes of whitespace after")
            << QByteArray(good + QByteArray(1000, '\n') + QByteArray(23, ' ')) << true;
        QTest::newRow("1024 bytes of whitespace after")
            << QByteArray(good + QByteArray(1000, '\n') + QByteArray(24, ' ')) << false;

        QTest::newRow("lone CR line ends") << withLineEnds(good, "\r") << false;
        QTest::newRow("space before the begin line on its line") << QByteArray(" " + good) << false;
        QTest::newRow("text before") << QByteArray("x\n" + good) << false;
        QTest::newRow("text after") << QByteArray(good + "x") << false;
        QTest::newRow("a second block after") << QByteArray(good + good) << false;
        QTest::newRow("CR inside a line")
            << QByteArray(begin + lines[1].first(10) + "\r" + lines[1].sliced(10) + "\n" +
                          lines[2] + "\n" + last)
            << false;
        QTest::newRow("a short line before the last")
            << QByteArray(begin + lines[1].first(60) + "\n" + lines[1].sliced(60) + "\n" +
                          lines[2] + "\n" + last)
            << false;
        QTest::newRow("a 65-column line") << QByteArray(begin + lines[1] + lines[2].first(1) +
                                                        "\n" + lines[2].sliced(1) + "\n" + last)
                                          << false;
        QTest::newRow("padding in a full line")
            << QByteArray(begin + lines[1].chopped(2) + "==\n" + lines[2] + "\n" + last) << false;
        QTest::newRow("no end line")
            << QByteArray(begin + lines[1] + "\n" + lines[2] + "\n" + lines[3] + "\n") << false;
        QTest::newRow("begin line alone") << begin << false;
        QTest::newRow("end line in lower case")
            << QByteArray(good).replace("END AGE", "END age") << false;
        QTest::newRow("nothing") << QByteArray() << false;
        QTest::newRow("no begin line") << body << false;
    }

    void rulesAreStrict()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, accepted);
        const Reading reading = readArmored(text);
        QCOMPARE(reading.status,
                 accepted ? ArmorReader::Status::Ended : ArmorReader::Status::Malformed);
        if (accepted)
            QCOMPARE(reading.binary.size(), 100);
    }

    // Every text form of the public test kit: those it marks as broken text
    // forms are refused here, the others give a binary file.
    void testKitTextForms_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString &name : TestKitVector::names())
            if (TestKitVector::read(name).armored)
                QTest::newRow(qPrintable(name)) << name;
    }

    void testKitTextForms()
    {
        QFETCH(QString, name);
        const TestKitVector vector = TestKitVector::read(name);
        QVERIFY(age::startsArmored(vector.file) || vector.expect == "armor failure");
        const Reading reading = readArmored(vector.file);
        if (vector.expect == "armor failure") {
            QCOMPARE(reading.status, ArmorReader::Status::Malformed);
        } else {
            QCOMPARE(reading.status, ArmorReader::Status::Ended);
            QVERIFY(reading.binary.isEmpty() || reading.binary.startsWith("age-encryption.org/"));
        }
    }

    void sourceFailureIsNotDamage()
    {
        const QByteArray text = age::armored(TestFiles::randomBytes(300000, 8));
        FailingReader source(text, 200000);
        const Reading reading = readArmored({}, &source);
        QCOMPARE(reading.status, ArmorReader::Status::ReadFailed);
        QVERIFY(reading.binary.size() < 200000);
    }

    void startsOfTheTextForm_data()
    {
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<bool>("armored");
        const QByteArray begin(age::armorBeginLine.toByteArray());
        QTest::newRow("begin line") << QByteArray(begin + "\nYWdl") << true;
        QTest::newRow("with CR LF") << QByteArray(begin + "\r\nYWdl") << true;
        QTest::newRow("all there is") << begin << true;
        QTest::newRow("after whitespace lines") << QByteArray(" \t\r\n\n" + begin + "\n") << true;
        QTest::newRow("after 1025 bytes of whitespace")
            << QByteArray(QByteArray(1024, ' ') + "\n" + begin + "\n") << false;
        QTest::newRow("more on the begin line") << QByteArray(begin + "x\n") << false;
        QTest::newRow("space before, on the same line") << QByteArray(" " + begin + "\n") << false;
        QTest::newRow("the binary form") << QByteArray("age-encryption.org/v1\n") << false;
    }

    void startsOfTheTextForm()
    {
        QFETCH(QByteArray, start);
        QFETCH(bool, armored);
        QCOMPARE(age::startsArmored(start), armored);
    }

    // A whole strong-format file in its text form opens like the binary one;
    // a broken text form is damage even when the file inside is sound.
    void decryptReadsTheTextForm_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<Result>("expected");
        const QByteArray plain = TestFiles::randomBytes(150000, 2);
        const QByteArray file =
            AgeCraft::header(passphrase) + AgeCraft::payload({{plain.first(65536), false},
                                                              {plain.sliced(65536, 65536), false},
                                                              {plain.sliced(2 * 65536), true}});
        const QByteArray text = age::armored(file);
        QByteArray damaged = file;
        damaged[damaged.size() - 3] = char(damaged[damaged.size() - 3] ^ 1);

        QTest::newRow("text form") << text << Result::Ok;
        QTest::newRow("CR LF and whitespace around")
            << QByteArray("\r\n\r\n" + withLineEnds(text, "\r\n") + " \n") << Result::Ok;
        QTest::newRow("garbage after the end line")
            << QByteArray(text + "garbage\n") << Result::Damaged;
        QTest::newRow("cut before the end line")
            << text.first(text.lastIndexOf("-----END")) << Result::Damaged;
        QTest::newRow("file inside damaged") << age::armored(damaged) << Result::WrongKeyOrDamaged;
    }

    void decryptReadsTheTextForm()
    {
        QFETCH(QByteArray, text);
        QFETCH(Result, expected);
        quint64 lastDone = 0;
        const age::Progress progress{[&](quint64 done) { lastDone = done; }, {}};
        QByteArray plain;
        QCOMPARE(decryptedText(text, plain, progress), expected);
        if (expected == Result::Ok) {
            QCOMPARE(plain, TestFiles::randomBytes(150000, 2));
            // Counted in bytes of the text form, which the caller knows the
            // size of.
            QCOMPARE(lastDone, quint64(text.size()));
        }
    }
};

QTEST_GUILESS_MAIN(TestAgeArmor)
#include "TestAgeArmor.moc"
