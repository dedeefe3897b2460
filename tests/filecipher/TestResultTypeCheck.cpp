#include "TestFiles.h"

#include "filecipher/FileCipher.h"
#include "filecipher/ResultTypeCheck.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <future>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(ContentFit)

namespace {

const QString rightKey = QStringLiteral("QxT4mP9sLk2Vw-velmora-key");
// Only the first half of a key text reaches the compatible format's hash, so
// the wrong key differs at its start.
const QString wrongKey = QStringLiteral("RxT4mP9sLk2Vw-velmora-key");

} // namespace

// The wrong-key check of the compatible format, on real files that went
// through an encryption and a decryption with the right or a wrong key.
class TestResultTypeCheck : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void afterDecryption_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("decryptKey");
        QTest::addColumn<ContentFit>("expected");
        QTest::newRow("pdf, right key")
            << "report.pdf" << TestFiles::pdfContent() << rightKey << ContentFit::Fits;
        QTest::newRow("pdf, wrong key")
            << "report.pdf" << TestFiles::pdfContent() << wrongKey << ContentFit::DoesNotFit;
        QTest::newRow("png, right key")
            << "picture.PNG" << TestFiles::pngContent() << rightKey << ContentFit::Fits;
        QTest::newRow("png, wrong key")
            << "picture.PNG" << TestFiles::pngContent() << wrongKey << ContentFit::DoesNotFit;
        QTest::newRow("text, right key")
            << "notes.txt" << QByteArray("just a few words\n") << rightKey << ContentFit::Fits;
        QTest::newRow("text, wrong key") << "notes.txt" << QByteArray("just a few words\n")
                                         << wrongKey << ContentFit::DoesNotFit;
        QTest::newRow("no type, wrong key") << "notes.xyz123" << QByteArray("just a few words\n")
                                            << wrongKey << ContentFit::Unknown;
    }

    void afterDecryption()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, decryptKey);
        QFETCH(ContentFit, expected);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString plain = folder.filePath(name);
        QVERIFY(TestFiles::write(plain, content));

        const FileWorkOutcome encrypted = FileCipher::encryptFile(plain, rightKey);
        QVERIFY2(encrypted.ok, qPrintable(encrypted.reason));
        const FileWorkOutcome decrypted = FileCipher::decryptFile(encrypted.result, decryptKey);
        QVERIFY2(decrypted.ok, qPrintable(decrypted.reason));
        QCOMPARE(decrypted.result, plain);

        QCOMPARE(ResultTypeCheck::resultFitsName(plain, name), expected);
    }

    // The result may still sit under a temporary name: only the final name's
    // suffix decides what the bytes must look like.
    void temporaryNameJudgedByTheFinalName()
    {
        const QString temporary = m_dir.filePath("report.pdf.3f2a.part");
        QVERIFY(TestFiles::write(temporary, TestFiles::pdfContent()));
        QCOMPARE(ResultTypeCheck::resultFitsName(temporary, m_dir.filePath("report.pdf")),
                 ContentFit::Fits);
        QCOMPARE(ResultTypeCheck::resultFitsName(temporary, "Bilanz.png"), ContentFit::DoesNotFit);
    }

    // Anything but a regular file is not read: no answer, and no waiting.
    void unreadableResultsAreUnknown()
    {
        const QString target = m_dir.filePath("real.pdf");
        QVERIFY(TestFiles::write(target, "not a pdf at all"));
        QVERIFY(QFile::link(target, m_dir.filePath("link.pdf")));
        QCOMPARE(ResultTypeCheck::resultFitsName(m_dir.filePath("link.pdf"), "link.pdf"),
                 ContentFit::Unknown);
        QCOMPARE(ResultTypeCheck::resultFitsName(m_dir.filePath("absent.pdf"), "absent.pdf"),
                 ContentFit::Unknown);

        const QByteArray fifo = QFile::encodeName(m_dir.filePath("pipe.pdf"));
        QVERIFY(::mkfifo(fifo.constData(), 0600) == 0);
        std::future<ContentFit> answer = std::async(std::launch::async, [&] {
            return ResultTypeCheck::resultFitsName(QFile::decodeName(fifo), "pipe.pdf");
        });
        if (answer.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
            const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
            QFAIL("reading a pipe blocked");
        }
        QCOMPARE(answer.get(), ContentFit::Unknown);
    }
};

QTEST_GUILESS_MAIN(TestResultTypeCheck)
#include "TestResultTypeCheck.moc"
