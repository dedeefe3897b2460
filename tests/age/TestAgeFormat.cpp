#include "AgeCraft.h"
#include "FailDevice.h"
#include "FailingReader.h"
#include "TestFiles.h"
#include "TestKitVector.h"

#include "age/AgeArmor.h"
#include "age/AgeFormat.h"
#include "age/AgeHeader.h"
#include "age/AgeRecognition.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QMap>
#include <QTest>

using age::Result;
Q_DECLARE_METATYPE(age::Result)

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
        QTest::addColumn<Result>("expected");

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
        // Another base64 character at a place, so that the text stays well-formed.
        const auto otherCharacter = [&](qsizetype at) {
            QByteArray file = good;
            file[at] = file[at] == 'A' ? 'B' : 'A';
            return file;
        };
        const qsizetype macAt = good.indexOf("\n--- ") + 5;
        const qsizetype saltAt = good.indexOf("scrypt ") + 7;
        const qsizetype bodyAt = good.indexOf(" 10\n") + 4;

        QTest::newRow("header MAC character")
            << otherCharacter(macAt) << qsizetype(0) << Result::WrongKeyOrDamaged;
        QTest::newRow("salt character")
            << otherCharacter(saltAt) << qsizetype(0) << Result::WrongKeyOrDamaged;
        QTest::newRow("stanza body character")
            << otherCharacter(bodyAt) << qsizetype(0) << Result::WrongKeyOrDamaged;
        QTest::newRow("work factor")
            << replaced(" 10\n", " 11\n") << qsizetype(0) << Result::WrongKeyOrDamaged;
        QTest::newRow("version line")
            << replaced("/v1\n", "/v2\n") << qsizetype(0) << Result::UnsupportedVersion;
        QTest::newRow("payload nonce")
            << flipped(header + 3) << qsizetype(0) << Result::WrongKeyOrDamaged;
        QTest::newRow("first chunk")
            << flipped(payload + 10) << qsizetype(0) << Result::WrongKeyOrDamaged;
        QTest::newRow("tag of the second chunk")
            << flipped(payload + 2 * sealed - 1) << qsizetype(65536) << Result::WrongKeyOrDamaged;
        QTest::newRow("last chunk")
            << flipped(good.size() - 20) << qsizetype(3 * 65536) << Result::WrongKeyOrDamaged;
        QTest::newRow("cut after the header")
            << good.first(header) << qsizetype(0) << Result::WrongKeyOrDamaged;
        QTest::newRow("cut inside the nonce")
            << good.first(header + 8) << qsizetype(0) << Result::WrongKeyOrDamaged;
        QTest::newRow("cut after the nonce")
            << good.first(payload) << qsizetype(0) << Result::WrongKeyOrDamaged;
        QTest::newRow("cut at a chunk boundary")
            << good.first(payload + 3 * sealed) << qsizetype(2 * 65536)
            << Result::WrongKeyOrDamaged;
        QTest::newRow("cut inside a chunk")
            << good.first(payload + sealed + 500) << qsizetype(65536) << Result::WrongKeyOrDamaged;
        QTest::newRow("cut inside the last tag")
            << good.first(good.size() - 1) << qsizetype(3 * 65536) << Result::WrongKeyOrDamaged;
        QTest::newRow("one byte appended")
            << good + 'x' << qsizetype(3 * 65536) << Result::WrongKeyOrDamaged;
        QTest::newRow("a whole chunk appended")
            << good + good.mid(payload, sealed) << qsizetype(3 * 65536)
            << Result::WrongKeyOrDamaged;
        QTest::newRow("two chunks swapped")
            << good.first(payload) + good.mid(payload + sealed, sealed) +
                   good.mid(payload, sealed) + good.mid(payload + 2 * sealed)
            << qsizetype(0) << Result::WrongKeyOrDamaged;
        QTest::newRow("header cut mid-line") << good.first(40) << qsizetype(0) << Result::Damaged;
        QTest::newRow("empty input") << QByteArray() << qsizetype(0) << Result::Damaged;
    }

    void damagedFileIsRefused()
    {
        QFETCH(QByteArray, file);
        QFETCH(qsizetype, released);
        QFETCH(Result, expected);
        QByteArray back;
        QCOMPARE(decrypted(file, back), expected);
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
        QTest::addColumn<Result>("expected");
        const QByteArray body = [] {
            const QByteArray text = AgeCraft::header(passphrase);
            return text.split('\n')[2];
        }();

        QTest::newRow("unchanged") << QByteArray("\n") << QByteArray("\n") << Result::Ok;
        QTest::newRow("padded body") << body << QByteArray(body + "=") << Result::Damaged;
        QTest::newRow("CRLF line ends")
            << QByteArray("\n") << QByteArray("\r\n") << Result::Damaged;
        QTest::newRow("double space between arguments")
            << QByteArray("scrypt ") << QByteArray("scrypt  ") << Result::Damaged;
        QTest::newRow("trailing space after the work factor")
            << QByteArray(" 10\n") << QByteArray(" 10 \n") << Result::Damaged;
        QTest::newRow("upper case stanza type")
            << QByteArray("scrypt") << QByteArray("Scrypt") << Result::NotForPassphrase;
        QTest::newRow("leading zero in the work factor")
            << QByteArray(" 10\n") << QByteArray(" 010\n") << Result::Damaged;
        QTest::newRow("work factor with a sign")
            << QByteArray(" 10\n") << QByteArray(" +10\n") << Result::Damaged;
        QTest::newRow("second stanza of another type")
            << QByteArray("---") << QByteArray("-> other\n\n---") << Result::Damaged;
        QTest::newRow("second stanza before the passphrase one")
            << QByteArray("\n->") << QByteArray("\n-> other\n\n->") << Result::Damaged;
        QTest::newRow("full body line without the closing short line")
            << body << QByteArray(QByteArray(64, 'A') + "\n" + body) << Result::Damaged;
        QTest::newRow("empty line between stanza and MAC")
            << QByteArray("---") << QByteArray("\n---") << Result::Damaged;
        QTest::newRow("stanza body over 64 columns")
            << body << QByteArray(body + QByteArray(24, 'A')) << Result::Damaged;
    }

    void malformedHeaderIsRefused()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(Result, expected);
        const auto edit = [&](QByteArray &text) {
            text.replace(text.indexOf(from), from.size(), to);
        };
        const QByteArray file =
            AgeCraft::header(passphrase, edit) + AgeCraft::payload({{"hello", true}});
        QByteArray back;
        QCOMPARE(decrypted(file, back), expected);
        QCOMPARE(back, expected == Result::Ok ? QByteArray("hello") : QByteArray());
    }

    // Refused for what it is, before any scrypt work: a wrong key would be
    // the wrong thing to say.
    void workFactorAboveTheLimitIsRefusedUnread()
    {
        const QByteArray file = encrypted("text");
        QByteArray back;
        QCOMPARE(decrypted(file, back, passphrase, fastWorkFactor - 1), Result::WorkFactorTooHigh);
        QCOMPARE(decrypted(file, back, passphrase, fastWorkFactor), Result::Ok);
        // A limit above the hard ceiling does not lift it, and a number too
        // large for any integer is just as high.
        for (const QByteArray &high :
             {QByteArray(" 23\n"), QByteArray(" 99999999999999999999\n")}) {
            QByteArray changed = file;
            changed.replace(" 10\n", high);
            QElapsedTimer clock;
            clock.start();
            QCOMPARE(decrypted(changed, back, passphrase, 40), Result::WorkFactorTooHigh);
            QVERIFY(clock.elapsed() < 1000);
            QVERIFY(back.isEmpty());
        }
    }

    // A high work factor runs scrypt for seconds over 1 GiB; a cancel
    // meanwhile ends the decryption within moments. (That the highest
    // accepted one runs and is cancelled the same way, the scrypt test shows.)
    void cancelStopsTheKeyDerivation()
    {
        const QByteArray file =
            AgeCraft::header(passphrase, [](QByteArray &text) { text.replace(" 10\n", " 20\n"); }) +
            AgeCraft::payload({{"hello", true}});
        QElapsedTimer clock;
        clock.start();
        qint64 cancelledAt = -1;
        const age::Progress progress{{}, [&] {
                                         if (cancelledAt < 0 && clock.elapsed() >= 200)
                                             cancelledAt = clock.elapsed();
                                         return cancelledAt >= 0;
                                     }};
        QBuffer in;
        in.setData(file);
        in.open(QIODevice::ReadOnly);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QCOMPARE(age::decrypt(in, out, passphrase, progress), Result::Cancelled);
        QVERIFY(cancelledAt >= 0);
        QVERIFY2(clock.elapsed() - cancelledAt < 500,
                 qPrintable(QString::number(clock.elapsed() - cancelledAt)));
        QVERIFY(out.data().isEmpty());
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

    // Every stored vector of the public test kit, with the outcome this
    // reader gives it: files for public keys are refused as such, whatever
    // the kit expects of a reader that has those keys.
    void testKitVectorsDecideAsExpected_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Result>("expected");
        const QMap<QString, Result> outcomes{
            {"scrypt", Result::Ok},
            {"armor_scrypt", Result::Ok},
            {"scrypt_bad_tag", Result::WrongKeyOrDamaged},
            {"scrypt_no_match", Result::WrongKeyOrDamaged},
            {"scrypt_work_factor_wrong", Result::WrongKeyOrDamaged},
            {"scrypt_work_factor_23", Result::WorkFactorTooHigh},
            {"scrypt_work_factor_overflow", Result::WorkFactorTooHigh},
            {"version_unsupported", Result::UnsupportedVersion},
            {"x25519", Result::NotForPassphrase},
            {"hybrid", Result::NotForPassphrase},
            {"scrypt_uppercase", Result::NotForPassphrase},
            {"hmac_bad", Result::NotForPassphrase},
            {"stanza_empty_body", Result::NotForPassphrase},
            {"stanza_empty_last_line", Result::NotForPassphrase},
            {"stanza_valid_characters", Result::NotForPassphrase},
            {"stream_no_nonce", Result::NotForPassphrase},
            {"stream_short_nonce", Result::NotForPassphrase},
            {"armor_crlf", Result::NotForPassphrase},
            {"armor_full_last_line", Result::NotForPassphrase},
            {"armor_no_eol", Result::NotForPassphrase},
            {"armor_no_match", Result::NotForPassphrase},
            {"armor_whitespace_outside", Result::NotForPassphrase},
            {"armor_x25519", Result::NotForPassphrase},
            // Text forms for public keys broken only after the header, where
            // the reading stops (TestAgeArmor shows the text form refused).
            {"armor_empty_last_line", Result::NotForPassphrase},
            {"armor_empty_line_end", Result::NotForPassphrase},
            {"armor_eol_between_padding", Result::NotForPassphrase},
            {"armor_garbage_trailing", Result::NotForPassphrase},
            {"armor_invalid_character_payload", Result::NotForPassphrase},
            {"armor_no_end_line", Result::NotForPassphrase},
            {"armor_no_padding", Result::NotForPassphrase},
            {"armor_not_canonical", Result::NotForPassphrase},
            {"armor_whitespace_end", Result::NotForPassphrase},
            {"armor_whitespace_last_line", Result::NotForPassphrase},
        };
        const QStringList names = TestKitVector::names();
        QVERIFY(names.size() >= 80);
        for (const QString &name : outcomes.keys())
            QVERIFY2(names.contains(name), qPrintable(name));
        // Everything else breaks the rules of the header or of the text form.
        for (const QString &name : names)
            QTest::newRow(qPrintable(name)) << name << outcomes.value(name, Result::Damaged);
    }

    void testKitVectorsDecideAsExpected()
    {
        QFETCH(QString, name);
        QFETCH(Result, expected);
        const TestKitVector vector = TestKitVector::read(name);
        QVERIFY(!vector.expect.isEmpty());
        QByteArray back;
        const Result result = decrypted(vector.file, back, vector.passphrase);
        QCOMPARE(result, expected);
        if (vector.expect == "success" && result == Result::Ok) {
            QCOMPARE(QCryptographicHash::hash(back, QCryptographicHash::Sha256).toHex(),
                     vector.payloadHash);
        } else {
            QVERIFY(vector.expect != "success" || expected == Result::NotForPassphrase);
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

        // Cancelled after two chunks: what was released stops there. (How
        // often the key derivation asks depends on how long it takes.)
        int chunks = 0;
        age::Progress cancelling{[&](quint64) { ++chunks; }, [&] { return chunks >= 2; }};
        file.seek(0);
        QBuffer partial;
        partial.open(QIODevice::WriteOnly);
        QCOMPARE(age::decrypt(file, partial, passphrase, cancelling), Result::Cancelled);
        QCOMPARE(partial.data(), plain.first(2 * 65536));

        age::Progress cancelAtOnce{{}, [&] { return true; }};
        in.seek(0);
        QBuffer nothing;
        nothing.open(QIODevice::WriteOnly);
        QCOMPARE(age::encrypt(in, nothing, passphrase, cancelAtOnce, fastWorkFactor),
                 Result::Cancelled);
        QVERIFY(nothing.data().isEmpty());
    }

    // What counts as a start of this format, so that the compatible reader
    // never turns it into garbage, and what is left to that reader.
    void recognisesItsStarts_data()
    {
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<bool>("isAge");
        const QByteArray line = "age-encryption.org/v1";
        const QByteArray file = encrypted("some text");
        const QByteArray random = TestFiles::randomBytes(age::recognitionBytes, 17);
        const auto changed = [](QByteArray text, const QList<int> &at) {
            for (int k : at)
                text[k] = char(text[k] ^ 0x20);
            return text;
        };
        const QByteArray armorLine = "-----BEGIN AGE ENCRYPTED FILE-----\n";

        QTest::newRow("a file of this format") << file << true;
        QTest::newRow("version line alone") << QByteArray(line + "\n") << true;
        QTest::newRow("another version") << QByteArray("age-encryption.org/v2\n") << true;
        QTest::newRow("CR LF line ends") << QByteArray(line + "\r\n-> scrypt") << true;
        QTest::newRow("no line end") << line << true;
        QTest::newRow("cut to 8 bytes") << line.first(8) << true;
        QTest::newRow("cut to 19 bytes") << line.first(19) << true;
        QTest::newRow("one byte of the version line changed") << changed(file, {0}) << true;
        QTest::newRow("two bytes changed") << changed(file, {3, 15}) << true;
        QTest::newRow("one byte changed in a cut of 8") << changed(line.first(8), {5}) << true;
        QTest::newRow("text form") << age::armored(file) << true;
        QTest::newRow("text form after whitespace") << "\r\n \t\n" + age::armored(file) << true;
        QTest::newRow("text form cut to 8 bytes") << armorLine.first(8) << true;
        QTest::newRow("text form with CR LF")
            << QByteArray(armorLine.chopped(1) + "\r\nYWdl") << true;
        QTest::newRow("another label") << QByteArray("-----BEGIN PGP MESSAGE-----\n") << true;
        QTest::newRow("text before the text form")
            << QByteArray("garbage\n" + age::armored(file)) << true;
        QTest::newRow("text before the version line")
            << QByteArray("From: someone\r\n\r\n" + file) << true;
        QTest::newRow("spaces in the begin line")
            << QByteArray("----- BEGIN AGE ENCRYPTED FILE -----\n") << true;
        QTest::newRow("one byte of the begin line changed")
            << changed(age::armored(file), {2}) << true;

        QTest::newRow("empty: the compatible format's empty file") << QByteArray() << false;
        QTest::newRow("a single a") << QByteArray("a") << false;
        QTest::newRow("cut to 7 bytes") << line.first(7) << false;
        QTest::newRow("three bytes changed") << changed(file, {1, 8, 14}) << false;
        QTest::newRow("two bytes changed in a cut of 8") << changed(line.first(8), {1, 5}) << false;
        QTest::newRow("starts like the version line, then random")
            << QByteArray(line.first(6) + random) << false;
        QTest::newRow("five dashes without BEGIN") << QByteArray("-----" + random) << false;
        QTest::newRow("random bytes") << random << false;
        QTest::newRow("binary") << QByteArray("\x00\x01\x02", 3) << false;
    }

    void recognisesItsStarts()
    {
        QFETCH(QByteArray, start);
        QFETCH(bool, isAge);
        QCOMPARE(age::looksLikeAgeFile(start.first(std::min(start.size(), age::recognitionBytes))),
                 isAge);
    }

    // RC4 output is what the compatible format's files are: random starts of
    // every length must be left to that reader.
    void randomStartsAreLeftToTheCompatibleFormat()
    {
        for (quint32 seed = 0; seed < 20000; ++seed) {
            const QByteArray start = TestFiles::randomBytes(1 + seed % 40, seed);
            QVERIFY2(!age::looksLikeAgeFile(start), start.toHex().constData());
        }
        for (quint32 seed = 0; seed < 2000; ++seed)
            QVERIFY(!age::looksLikeAgeFile(TestFiles::randomBytes(age::recognitionBytes, seed)));
    }
};

QTEST_GUILESS_MAIN(TestAgeFormat)
#include "TestAgeFormat.moc"
