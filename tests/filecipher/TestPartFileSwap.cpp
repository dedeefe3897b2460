#include "TestFiles.h"

#include "core/FileFormat.h"
#include "filecipher/AgeFileCipher.h"
#include "filecipher/FileCipher.h"
#include "platform/ExclusiveNewFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>

#include <optional>
#include <thread>

Q_DECLARE_METATYPE(FileFormat)

namespace {

const QString Key = QStringLiteral("Schlüssel 13 chars+tail");
constexpr int FastWorkFactor = 10; // scrypt costs nothing; the format is the same
constexpr int WaitMs = 30000;

// What a folder holds: each name with its bytes, or with the target of a link.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> entries;
    const QStringList names = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : names) {
        const QFileInfo info(QDir(folder).filePath(name));
        entries[name] = info.isSymLink() ? "link to " + QFile::encodeName(info.symLinkTarget())
                                         : TestFiles::read(info.filePath());
    }
    return entries;
}

QString partFileIn(const QString &folder)
{
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (ExclusiveNewFile::isPartFileName(name))
            return QDir(folder).filePath(name);
    }
    return QString();
}

FileWorkOutcome runOne(FileFormat format, bool decrypting, const QString &input,
                       const ByteProgress &progress, const AcceptResult &accept = {})
{
    if (format == FileFormat::Age)
        return decrypting ? AgeFileCipher::decryptFile(input, Key, progress)
                          : AgeFileCipher::encryptFile(input, Key, progress, FastWorkFactor);
    return decrypting ? FileCipher::decryptFile(input, Key, progress, accept)
                      : FileCipher::encryptFile(input, Key, progress);
}

// The encrypted form of plain, made the way the run makes it.
QByteArray encryptedForm(FileFormat format, const QByteArray &plain)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("p");
    if (!TestFiles::write(path, plain) || !runOne(format, false, path, {}).ok)
        return QByteArray();
    return TestFiles::read(path + ".enc");
}

// A folder with the run's input (plain or encrypted), a file of the user's
// beside it and, when asked, an older file of the result's name.
struct RunFolder
{
    QTemporaryDir dir;
    QByteArray plain = TestFiles::randomBytes(3 * 1024 * 1024, 11);
    QByteArray inputBytes;
    QString input;
    QString result;

    bool make(FileFormat format, bool decrypting, bool resultExists)
    {
        inputBytes = decrypting ? encryptedForm(format, plain) : plain;
        input = dir.filePath(decrypting ? "a.txt.enc" : "a.txt");
        result = dir.filePath(decrypting ? "a.txt" : "a.txt.enc");
        return !inputBytes.isEmpty() && TestFiles::write(input, inputBytes) &&
               TestFiles::write(dir.filePath("victim"), "the user's other file") &&
               (!resultExists || TestFiles::write(result, "the user's older file"));
    }
};

// A second thread that does to the folder what another program of the user
// (or an attacker) might, at the moment the run asks for it, while the run
// waits; then it takes the folder's state.
class Swapper
{
public:
    Swapper(QString folder, QString swap, QString victim)
        : m_folder(std::move(folder))
        , m_swap(std::move(swap))
        , m_victim(std::move(victim))
        , m_thread([this] { work(); })
    {
    }
    ~Swapper()
    {
        m_asked.release(); // a run that never asked lets the thread end
        m_thread.join();
    }
    Swapper(const Swapper &) = delete;
    Swapper &operator=(const Swapper &) = delete;

    // Called on the run's thread: the swap happens now, once.
    void swapNow()
    {
        if (m_done)
            return;
        m_done = true;
        m_asked.release();
        QVERIFY(m_finished.tryAcquire(1, WaitMs));
    }
    bool happened() const { return m_done; }
    QString partFile() const { return m_partFile; }
    const QMap<QString, QByteArray> &after() const { return m_after; }

private:
    void work()
    {
        if (!m_asked.tryAcquire(1, WaitMs) || !m_done)
            return;
        m_partFile = partFileIn(m_folder);
        if (!m_partFile.isEmpty()) {
            const QByteArray part = QFile::encodeName(m_partFile);
            if (m_swap == QLatin1String("moved away, another file put there"))
                QFile::rename(m_partFile, QDir(m_folder).filePath("moved away"));
            else
                QFile::remove(m_partFile);
            if (m_swap.contains(QLatin1String("another file")))
                TestFiles::write(m_partFile, "planted by another program");
            else if (m_swap == QLatin1String("a link"))
                QFile::link(m_victim, m_partFile);
        }
        m_after = snapshot(m_folder);
        m_finished.release();
    }

    QString m_folder;
    QString m_swap;
    QString m_victim;
    QString m_partFile;
    QMap<QString, QByteArray> m_after;
    bool m_done = false;
    QSemaphore m_asked;
    QSemaphore m_finished;
    std::thread m_thread;
};

} // namespace

// The result is written to a file of the run's own. Where that file has a
// name while it is written (file systems without nameless files, and the
// check of a decrypted result), another program may swap it for its own
// file, a link, or nothing; the run never puts that in place of the result
// and never deletes the original then. Every byte the user had stays.
class TestPartFileSwap : public QObject
{
    Q_OBJECT

private slots:
    void swappedPartFile_data();
    void swappedPartFile();
    void namelessWhileWritten_data();
    void namelessWhileWritten();
    void swappedDuringTheResultCheck_data();
    void swappedDuringTheResultCheck();
};

void TestPartFileSwap::swappedPartFile_data()
{
    QTest::addColumn<FileFormat>("format");
    QTest::addColumn<bool>("decrypting");
    QTest::addColumn<QString>("swap");
    QTest::addColumn<bool>("resultExists");
    const std::pair<FileFormat, const char *> formats[] = {{FileFormat::Compatible, "compatible"},
                                                           {FileFormat::Age, "strong"}};
    for (const auto &[format, formatName] : formats) {
        for (const bool decrypting : {false, true}) {
            for (const char *swap :
                 {"another file", "moved away, another file put there", "a link", "removed"}) {
                for (const bool resultExists : {false, true}) {
                    QTest::addRow("%s %s, %s%s", formatName, decrypting ? "decrypt" : "encrypt",
                                  swap, resultExists ? ", result name taken" : "")
                        << format << decrypting << QString::fromLatin1(swap) << resultExists;
                }
            }
        }
    }
}

void TestPartFileSwap::swappedPartFile()
{
    QFETCH(FileFormat, format);
    QFETCH(bool, decrypting);
    QFETCH(QString, swap);
    QFETCH(bool, resultExists);
    const ExclusiveNewFile::NamedForTesting named;
    RunFolder folder;
    QVERIFY(folder.make(format, decrypting, resultExists));
    const QTemporaryDir &dir = folder.dir;
    const QString &input = folder.input;

    FileWorkOutcome outcome;
    QMap<QString, QByteArray> afterSwap;
    {
        Swapper swapper(dir.path(), swap, dir.filePath("victim"));
        outcome = runOne(format, decrypting, input, [&](quint64 done, quint64) {
            if (done > 0)
                swapper.swapNow();
        });
        QVERIFY(swapper.happened());
        QVERIFY2(!swapper.partFile().isEmpty(), "the run had no part file to swap");
        afterSwap = swapper.after();
    }

    QVERIFY(!outcome.ok);
    QCOMPARE(outcome.failure, FileFailure::ResultReplaced);
    // The original is whole; nothing the run did not make itself was
    // renamed, changed or removed after the swap.
    QCOMPARE(TestFiles::read(input), folder.inputBytes);
    QMap<QString, QByteArray> now = snapshot(dir.path());
    // The run's own bytes, in the file that was moved away, may still grow.
    now.remove("moved away");
    afterSwap.remove("moved away");
    QCOMPARE(now, afterSwap);
    QCOMPARE(now.value("victim"), QByteArray("the user's other file"));
}

void TestPartFileSwap::namelessWhileWritten_data()
{
    QTest::addColumn<FileFormat>("format");
    QTest::addColumn<bool>("decrypting");
    QTest::addColumn<bool>("resultExists");
    for (const FileFormat format : {FileFormat::Compatible, FileFormat::Age}) {
        for (const bool decrypting : {false, true}) {
            for (const bool resultExists : {false, true}) {
                QTest::addRow("%s %s%s", format == FileFormat::Age ? "strong" : "compatible",
                              decrypting ? "decrypt" : "encrypt",
                              resultExists ? ", result name taken" : "")
                    << format << decrypting << resultExists;
            }
        }
    }
}

// Where the file system makes files without a name, no name in the folder
// holds the result while it is written: there is nothing to swap, and a run
// that is killed leaves nothing behind.
void TestPartFileSwap::namelessWhileWritten()
{
    QFETCH(FileFormat, format);
    QFETCH(bool, decrypting);
    QFETCH(bool, resultExists);
    RunFolder folder;
    QVERIFY(folder.make(format, decrypting, resultExists));
    const QTemporaryDir &dir = folder.dir;
    const QString &result = folder.result;
    const QByteArray &plain = folder.plain;
    QVERIFY(QFile::remove(dir.filePath("victim")));
    const QMap<QString, QByteArray> before = snapshot(dir.path());

    bool looked = false;
    const FileWorkOutcome outcome =
        runOne(format, decrypting, folder.input, [&](quint64 done, quint64) {
            if (done > 0 && !looked) {
                looked = true;
                QCOMPARE(snapshot(dir.path()), before);
            }
        });
    QVERIFY(looked);
    QVERIFY2(outcome.ok, qPrintable(outcome.reason));
    QCOMPARE(snapshot(dir.path()).keys(), QStringList{QFileInfo(result).fileName()});
    if (decrypting) {
        QCOMPARE(TestFiles::read(result), plain);
    } else {
        QVERIFY(QFile::rename(result, dir.filePath("check.enc")));
        QVERIFY(runOne(format, true, dir.filePath("check.enc"), {}).ok);
        QCOMPARE(TestFiles::read(dir.filePath("check")), plain);
    }
}

void TestPartFileSwap::swappedDuringTheResultCheck_data()
{
    QTest::addColumn<QString>("swap");
    QTest::addColumn<bool>("resultExists");
    for (const char *swap : {"another file", "a link", "removed"}) {
        QTest::addRow("%s", swap) << QString::fromLatin1(swap) << false;
        QTest::addRow("%s, result name taken", swap) << QString::fromLatin1(swap) << true;
    }
}

// The check of a decrypted result reads it by its part-file name; a swap
// while the check (or the user's answer to it) takes its time is caught.
void TestPartFileSwap::swappedDuringTheResultCheck()
{
    QFETCH(QString, swap);
    QFETCH(bool, resultExists);
    QTemporaryDir dir;
    const QByteArray plain = TestFiles::pdfContent();
    const QByteArray encrypted = encryptedForm(FileFormat::Compatible, plain);
    const QString input = dir.filePath("r.pdf.enc");
    QVERIFY(TestFiles::write(input, encrypted));
    QVERIFY(TestFiles::write(dir.filePath("victim"), "the user's other file"));
    if (resultExists)
        QVERIFY(TestFiles::write(dir.filePath("r.pdf"), "older"));

    FileWorkOutcome outcome;
    QMap<QString, QByteArray> afterSwap;
    {
        Swapper swapper(dir.path(), swap, dir.filePath("victim"));
        outcome = runOne(FileFormat::Compatible, true, input, {},
                         [&](const QString &readable, const QString &) {
                             [&] { QCOMPARE(TestFiles::read(readable), plain); }();
                             swapper.swapNow();
                             return true;
                         });
        QVERIFY(swapper.happened());
        afterSwap = swapper.after();
    }
    QCOMPARE(outcome.failure, FileFailure::ResultReplaced);
    QCOMPARE(TestFiles::read(input), encrypted);
    QCOMPARE(snapshot(dir.path()), afterSwap);
}

QTEST_GUILESS_MAIN(TestPartFileSwap)
#include "TestPartFileSwap.moc"
