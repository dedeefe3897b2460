#include "AgeCraft.h"
#include "FailDevice.h"
#include "TestFiles.h"

#include "age/AgeFormat.h"
#include "age/AgeHeader.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QTest>

using age::Result;

namespace {

constexpr int fastWorkFactor = 10;
const QByteArray passphrase = "correct horse \xc3\xa4 battery";

QByteArray encrypted(const QByteArray &plain, QByteArrayView key = passphrase)
{
    QBuffer in;
    in.setData(plain);
    in.open(QIODevice::ReadOnly);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    const Result result = age::encrypt(in, out, key, {}, fastWorkFactor);
    return result == Result::Ok ? out.data() : QByteArray();
}

// Decrypts file; plain receives what the reader released.
Result decrypted(const QByteArray &file, QByteArray &plain, QByteArrayView key = passphrase,
                 int maxWorkFactor = age::defaultMaxWorkFactor)
{
    QBuffer in;
    in.setData(file);
    in.open(QIODevice::ReadOnly);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    const Result result = age::decrypt(in, out, key, {}, maxWorkFactor);
    plain = out.data();
    return result;
}

qsizetype headerSize(const QByteArray &file)
{
    return file.indexOf("\n--- ") + 1 + 4 + 43 + 1;
}

// A device that delivers its first N bytes and then reports a read error.
class FailingReader : public QBuffer
{
public:
    FailingReader(const QByteArray &data, qint64 failAt)
        : m_failAt(failAt)
    {
        setData(data);
        open(QIODevice::ReadOnly);
    }

protected:
    qint64 readData(char *data, qint64 len) override
    {
        if (pos() >= m_failAt)
            return -1;
        return QBuffer::readData(data, qMin(len, m_failAt - pos()));
    }

private:
    qint64 m_failAt;
};

// Test-kit vectors: "key: value" lines, an empty line, then the file.
struct Vector
{
    QByteArray expect;
    QByteArray payloadHash;
    QByteArray passphrase;
    QByteArray file;
};

Vector readVector(const QString &path)
{
    const QByteArray all = TestFiles::read(path);
    const qsizetype split = all.indexOf("\n\n");
    Vector vector;
    vector.file = all.mid(split + 2);
    for (const QByteArray &line : all.first(split).split('\n')) {
        const qsizetype colon = line.indexOf(": ");
        const QByteArray key = line.first(colon);
        const QByteArray value = line.mid(colon + 2);
        if (key == "expect")
            vector.expect = value;
        else if (key == "payload")
            vector.payloadHash = value;
        else if (key == "passphrase")
            vector.passphrase = value;
    }
    return vector;
}

} // namespace

class TestAgeFormat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTripKeepsEveryByte_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<int>("chunks");
        QTest::newRow("empty: one empty last chunk") << qsizetype(0) << 1;
        QTest::newRow("one byte") << qsizetype(1) << 1;
        QTest::newRow("one short of a chunk") << qsizetype(65535) << 1;
        QTest::newRow("exactly one chunk: full last chunk, no empty one") << qsizetype(65536) << 1;
        QTest::newRow("one past a chunk") << qsizetype(65537) << 2;
        QTest::newRow("exactly two chunks") << qsizetype(2 * 65536) << 2;
        QTest::newRow("about 200 KiB") << qsizetype(200 * 1024 + 7) << 4;
    }

    void roundTripKeepsEveryByte()
    {
        QFETCH(qsizetype, size);
        QFETCH(int, chunks);
        const QByteArray plain = TestFiles::randomBytes(size, quint32(size) + 1);
        const QByteArray file = encrypted(plain);
        QVERIFY(file.startsWith("age-encryption.org/v1\n-> scrypt "));
        QVERIFY(file.contains(" 10\n"));
        QCOMPARE(file.size(), headerSize(file) + 16 + size + 16 * chunks);

        QByteArray back;
        QCOMPARE(decrypted(file, back), Result::Ok);
        QCOMPARE(back, plain);
    }

    void eachFileHasItsOwnSaltKeyAndNonce()
    {
        const QByteArray plain = "same text";
        const QByteArray first = encrypted(plain);
        const QByteArray second = encrypted(plain);
        QCOMPARE(first.size(), second.size());
        const qsizetype header = headerSize(first);
        QVERIFY(first.first(header) != second.first(header));
        QVERIFY(first.mid(header, 16) != second.mid(header, 16));
        QVERIFY(first.mid(header + 16) != second.mid(header + 16));
    }

    void defaultWorkFactorIsEighteen()
    {
        QBuffer in;
        in.open(QIODevice::ReadOnly);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QCOMPARE(age::encrypt(in, out, passphrase), Result::Ok);
        const QList<QByteArray> lines = out.data().split('\n');
        QVERIFY(lines[1].startsWith("-> scrypt "));
        QVERIFY(lines[1].endsWith(" 18"));
    }

    void wrongPassphraseReleasesNothing_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::newRow("other text") << QByteArray("correct horse battery");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("one byte longer") << QByteArray(passphrase + ' ');
    }

    void wrongPassphraseReleasesNothing()
    {
        QFETCH(QByteArray, key);
        const QByteArray file = encrypted(TestFiles::randomBytes(70000, 3));
        QByteArray back;
        QCOMPARE(decrypted(file, back, key), Result::WrongKeyOrDamaged);
        QVERIFY(back.isEmpty());
    }

    // Every class of change to a good file is refused; released holds how
    // many plaintext bytes may come out before the damage is found.
    void damagedFileIsRefused_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<qsizetype>("released");

        const QByteArray plain = TestFiles::randomBytes(3 * 65536 + 100, 9);
        const QByteArray good = encrypted(plain);
        const qsizetype header = headerSize(good);
        const qsizetype payload = header + 16;
        const qsizetype sealed = 65536 + 16;
        const auto flipped = [&](qsizetype at) {
            QByteArray file = good;
            file[at] = char(file[at] ^ 0x01);
            return file;
        };
        const auto replaced = [&](QByteArrayView from, QByteArrayView to) {
            QByteArray file = good;
            file.replace(file.indexOf(from), from.size(), to.toByteArray());
            return file;
        };
        const qsizetype macAt = good.indexOf("\n--- ") + 5;
        const qsizetype saltAt = good.indexOf("scrypt ") + 7;
        const qsizetype bodyAt = good.indexOf(" 10\n") + 4;

        QTest::newRow("header MAC character")
            << replaced(good.mid(macAt, 1), good[macAt] == 'A' ? "B" : "A") << qsizetype(0);
        QTest::newRow("salt character")
            << replaced(good.mid(saltAt, 1), good[saltAt] == 'A' ? "B" : "A") << qsizetype(0);
        QTest::newRow("stanza body character")
            << replaced(good.mid(bodyAt, 1), good[bodyAt] == 'A' ? "B" : "A") << qsizetype(0);
        QTest::newRow("work factor") << replaced(" 10\n", " 11\n") << qsizetype(0);
        QTest::newRow("version line") << replaced("/v1\n", "/v2\n") << qsizetype(0);
        QTest::newRow("payload nonce") << flipped(header + 3) << qsizetype(0);
        QTest::newRow("first chunk") << flipped(payload + 10) << qsizetype(0);
        QTest::newRow("tag of the second chunk")
            << flipped(payload + 2 * sealed - 1) << qsizetype(65536);
        QTest::newRow("last chunk") << flipped(good.size() - 20) << qsizetype(3 * 65536);
        QTest::newRow("cut after the header") << good.first(header) << qsizetype(0);
        QTest::newRow("cut inside the nonce") << good.first(header + 8) << qsizetype(0);
        QTest::newRow("cut after the nonce") << good.first(payload) << qsizetype(0);
        QTest::newRow("cut at a chunk boundary")
            << good.first(payload + 3 * sealed) << qsizetype(2 * 65536);
        QTest::newRow("cut inside a chunk")
            << good.first(payload + sealed + 500) << qsizetype(65536);
        QTest::newRow("cut inside the last tag")
            << good.first(good.size() - 1) << qsizetype(3 * 65536);
        QTest::newRow("one byte appended") << good + 'x' << qsizetype(3 * 65536);
        QTest::newRow("a whole chunk appended")
            << good + good.mid(payload, sealed) << qsizetype(3 * 65536);
        QTest::newRow("two chunks swapped")
            << good.first(payload) + good.mid(payload + sealed, sealed) +
                   good.mid(payload, sealed) + good.mid(payload + 2 * sealed)
            << qsizetype(0);
        QTest::newRow("header cut mid-line") << good.first(40) << qsizetype(0);
        QTest::newRow("empty input") << QByteArray() << qsizetype(0);
    }

    void damagedFileIsRefused()
    {
        QFETCH(QByteArray, file);
        QFETCH(qsizetype, released);
        QByteArray back;
        QCOMPARE(decrypted(file, back), Result::WrongKeyOrDamaged);
        QCOMPARE(back.size(), released);
        // What was released is authentic plaintext from the start.
        QCOMPARE(back, TestFiles::randomBytes(3 * 65536 + 100, 9).first(released));
    }

    // Chunk layouts a correct writer never produces, sealed with valid keys
    // so that only the chunk rules can refuse them.
    void chunkRulesAreEnforced_data()
    {
        using AgeCraft::Chunk;
        QTest::addColumn<QList<Chunk>>("chunks");
        QTest::addColumn<bool>("accepted");
        const QByteArray full(65536, 'f');

        QTest::newRow("empty last chunk as the only one") << QList<Chunk>{{{}, true}} << true;
        QTest::newRow("full chunk then short last")
            << QList<Chunk>{{full, false}, {"x", true}} << true;
        QTest::newRow("full last chunk") << QList<Chunk>{{full, false}, {full, true}} << true;
        QTest::newRow("empty last chunk after a full one")
            << QList<Chunk>{{full, false}, {{}, true}} << false;
        QTest::newRow("short chunk not marked last")
            << QList<Chunk>{{full, false}, {"x", false}} << false;
        QTest::newRow("short middle chunk") << QList<Chunk>{{"x", false}, {"y", true}} << false;
        QTest::newRow("no chunk marked last") << QList<Chunk>{{full, false}} << false;
        QTest::newRow("last flag on a middle chunk")
            << QList<Chunk>{{full, true}, {"x", true}} << false;
        QTest::newRow("no chunk at all") << QList<Chunk>{} << false;
    }

    void chunkRulesAreEnforced()
    {
        QFETCH(QList<AgeCraft::Chunk>, chunks);
        QFETCH(bool, accepted);
        const QByteArray file = AgeCraft::header(passphrase) + AgeCraft::payload(chunks);
        QByteArray back;
        const Result result = decrypted(file, back);
        QCOMPARE(result, accepted ? Result::Ok : Result::WrongKeyOrDamaged);
        if (accepted) {
            QByteArray plain;
            for (const AgeCraft::Chunk &chunk : chunks)
                plain += chunk.plain;
            QCOMPARE(back, plain);
        }
    }

    // Header text that breaks the format, with a MAC that matches the
    // changed text, so only the parser can refuse it.
    void malformedHeaderIsRefused_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<bool>("accepted");
        const QByteArray body = [] {
            const QByteArray text = AgeCraft::header(passphrase);
            return text.split('\n')[2];
        }();

        QTest::newRow("unchanged") << QByteArray("\n") << QByteArray("\n") << true;
        QTest::newRow("padded body") << body << QByteArray(body + "=") << false;
        QTest::newRow("CRLF line ends") << QByteArray("\n") << QByteArray("\r\n") << false;
        QTest::newRow("double space between arguments")
            << QByteArray("scrypt ") << QByteArray("scrypt  ") << false;
        QTest::newRow("trailing space after the work factor")
            << QByteArray(" 10\n") << QByteArray(" 10 \n") << false;
        QTest::newRow("upper case stanza type")
            << QByteArray("scrypt") << QByteArray("Scrypt") << false;
        QTest::newRow("leading zero in the work factor")
            << QByteArray(" 10\n") << QByteArray(" 010\n") << false;
        QTest::newRow("work factor with a sign")
            << QByteArray(" 10\n") << QByteArray(" +10\n") << false;
        QTest::newRow("second stanza of another type")
            << QByteArray("---") << QByteArray("-> other\n\n---") << false;
        QTest::newRow("second stanza before the passphrase one")
            << QByteArray("\n->") << QByteArray("\n-> other\n\n->") << false;
        QTest::newRow("full body line without the closing short line")
            << body << QByteArray(QByteArray(64, 'A') + "\n" + body) << false;
        QTest::newRow("empty line between stanza and MAC")
            << QByteArray("---") << QByteArray("\n---") << false;
        QTest::newRow("stanza body over 64 columns")
            << body << QByteArray(body + QByteArray(24, 'A')) << false;
    }

    void malformedHeaderIsRefused()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(bool, accepted);
        const auto edit = [&](QByteArray &text) {
            text.replace(text.indexOf(from), from.size(), to);
        };
        const QByteArray file =
            AgeCraft::header(passphrase, edit) + AgeCraft::payload({{"hello", true}});
        QByteArray back;
        QCOMPARE(decrypted(file, back), accepted ? Result::Ok : Result::WrongKeyOrDamaged);
        QCOMPARE(back, accepted ? QByteArray("hello") : QByteArray());
    }

    void workFactorAboveTheLimitIsRefusedUnread()
    {
        const QByteArray file = encrypted("text");
        QByteArray back;
        QCOMPARE(decrypted(file, back, passphrase, fastWorkFactor - 1), Result::WrongKeyOrDamaged);
        QCOMPARE(decrypted(file, back, passphrase, fastWorkFactor), Result::Ok);
        // A limit above the hard ceiling does not lift it.
        QByteArray high = file;
        high.replace(" 10\n", " 23\n");
        QCOMPARE(decrypted(high, back, passphrase, 40), Result::WrongKeyOrDamaged);
    }

    void base64IsCanonicalAndUnpadded_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray() << true << QByteArray();
        QTest::newRow("one byte") << QByteArray("YQ") << true << QByteArray("a");
        QTest::newRow("two bytes") << QByteArray("YWI") << true << QByteArray("ab");
        QTest::newRow("three bytes") << QByteArray("YWJj") << true << QByteArray("abc");
        QTest::newRow("padding") << QByteArray("YQ==") << false << QByteArray();
        QTest::newRow("single padding") << QByteArray("YWI=") << false << QByteArray();
        QTest::newRow("spare bits set after one byte") << QByteArray("YR") << false << QByteArray();
        QTest::newRow("spare bits set after two bytes")
            << QByteArray("YWJ") << false << QByteArray();
        QTest::newRow("impossible length") << QByteArray("YWJjZ") << false << QByteArray();
        QTest::newRow("URL alphabet") << QByteArray("_-8") << false << QByteArray();
        QTest::newRow("inner space") << QByteArray("YW Jj") << false << QByteArray();
    }

    void base64IsCanonicalAndUnpadded()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, valid);
        QFETCH(QByteArray, bytes);
        const std::optional<QByteArray> decoded = age::decodeBase64(text);
        QCOMPARE(decoded.has_value(), valid);
        if (valid) {
            QCOMPARE(*decoded, bytes);
            QCOMPARE(age::encodeBase64(bytes), text);
        }
    }

    void testKitVectorsDecideAsExpected_data()
    {
        QTest::addColumn<QString>("name");
        const QDir folder(TestFiles::fixture("age"));
        const QStringList names = folder.entryList(QDir::Files);
        QVERIFY(names.size() >= 10);
        for (const QString &name : names)
            QTest::newRow(qPrintable(name)) << name;
    }

    void testKitVectorsDecideAsExpected()
    {
        QFETCH(QString, name);
        const Vector vector = readVector(TestFiles::fixture("age/" + name));
        QVERIFY(!vector.expect.isEmpty());
        QByteArray back;
        const Result result = decrypted(vector.file, back, vector.passphrase);
        if (vector.expect == "success") {
            QCOMPARE(result, Result::Ok);
            QCOMPARE(QCryptographicHash::hash(back, QCryptographicHash::Sha256).toHex(),
                     vector.payloadHash);
        } else {
            QCOMPARE(result, Result::WrongKeyOrDamaged);
            QVERIFY(back.isEmpty());
        }
    }

    void readErrorIsNotDamage_data()
    {
        QTest::addColumn<qint64>("failAt");
        QTest::newRow("in the header") << qint64(30);
        QTest::newRow("in the payload nonce") << qint64(-16 - 8);
        QTest::newRow("in the second chunk") << qint64(-20);
    }

    void readErrorIsNotDamage()
    {
        QFETCH(qint64, failAt);
        const QByteArray file = encrypted(TestFiles::randomBytes(100000, 5));
        const qsizetype payload = headerSize(file) + 16;
        const qint64 at = failAt >= 0 ? failAt : (failAt == -20 ? file.size() - 20 : payload + 8);
        FailingReader in(file, at);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QCOMPARE(age::decrypt(in, out, passphrase), Result::ReadFailed);

        FailingReader plainIn(TestFiles::randomBytes(100000, 5), 70000);
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        QCOMPARE(age::encrypt(plainIn, sink, passphrase, {}, fastWorkFactor), Result::ReadFailed);
    }

    void writeErrorIsReported_data()
    {
        QTest::addColumn<qint64>("failAfter");
        QTest::newRow("no room for the header") << qint64(10);
        QTest::newRow("room for the first chunk only") << qint64(200 + 65552);
    }

    void writeErrorIsReported()
    {
        QFETCH(qint64, failAfter);
        const QByteArray plain = TestFiles::randomBytes(150000, 6);
        QBuffer in;
        in.setData(plain);
        in.open(QIODevice::ReadOnly);
        FailDevice out(failAfter);
        out.open(QIODevice::WriteOnly);
        QCOMPARE(age::encrypt(in, out, passphrase, {}, fastWorkFactor), Result::WriteFailed);

        QBuffer file;
        file.setData(encrypted(plain));
        file.open(QIODevice::ReadOnly);
        FailDevice plainOut(failAfter);
        plainOut.open(QIODevice::WriteOnly);
        QCOMPARE(age::decrypt(file, plainOut, passphrase), Result::WriteFailed);
    }

    void progressCountsInputAndCancelStops()
    {
        const QByteArray plain = TestFiles::randomBytes(5 * 65536 + 3, 7);
        QList<quint64> seen;
        age::Progress progress{[&](quint64 done) { seen.append(done); }, {}};
        QBuffer in;
        in.setData(plain);
        in.open(QIODevice::ReadOnly);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QCOMPARE(age::encrypt(in, out, passphrase, progress, fastWorkFactor), Result::Ok);
        QCOMPARE(seen.size(), 6);
        QVERIFY(std::is_sorted(seen.begin(), seen.end()));
        QCOMPARE(seen.last(), quint64(plain.size()));

        seen.clear();
        QBuffer file;
        file.setData(out.data());
        file.open(QIODevice::ReadOnly);
        QBuffer back;
        back.open(QIODevice::WriteOnly);
        QCOMPARE(age::decrypt(file, back, passphrase, progress), Result::Ok);
        QCOMPARE(seen.last(), quint64(out.data().size()));

        // Cancelled after two chunks: what was released stops there.
        int asked = 0;
        age::Progress cancelling{{}, [&] { return ++asked > 3; }};
        file.seek(0);
        QBuffer partial;
        partial.open(QIODevice::WriteOnly);
        QCOMPARE(age::decrypt(file, partial, passphrase, cancelling), Result::Cancelled);
        QCOMPARE(partial.data(), plain.first(2 * 65536));

        asked = 0;
        age::Progress cancelAtOnce{{}, [&] { return true; }};
        in.seek(0);
        QBuffer nothing;
        nothing.open(QIODevice::WriteOnly);
        QCOMPARE(age::encrypt(in, nothing, passphrase, cancelAtOnce, fastWorkFactor),
                 Result::Cancelled);
        QVERIFY(nothing.data().isEmpty());
    }

    void headerLineTellsTheFormat_data()
    {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<bool>("isAge");
        QTest::newRow("version line") << QByteArray("age-encryption.org/v1\n-> scrypt") << true;
        QTest::newRow("version line alone") << QByteArray("age-encryption.org/v1\n") << true;
        QTest::newRow("no line end yet") << QByteArray("age-encryption.org/v1") << false;
        QTest::newRow("other version") << QByteArray("age-encryption.org/v2\n") << false;
        QTest::newRow("armored") << QByteArray("-----BEGIN AGE ENCRYPTED FILE-----\n") << false;
        QTest::newRow("binary") << QByteArray("\x00\x01\x02", 3) << false;
        QTest::newRow("empty") << QByteArray() << false;
    }

    void headerLineTellsTheFormat()
    {
        QFETCH(QByteArray, first);
        QFETCH(bool, isAge);
        QCOMPARE(age::startsWithAgeHeader(first), isAge);
    }
};

QTEST_GUILESS_MAIN(TestAgeFormat)
#include "TestAgeFormat.moc"
