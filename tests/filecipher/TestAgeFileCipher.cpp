#include "AgeTool.h"
#include "TestFiles.h"
#include "Unchangeable.h"

#include "age/AgeFormat.h"
#include "filecipher/AgeFileCipher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <csignal>
#include <future>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

using Failure = FileFailure;
Q_DECLARE_METATYPE(Failure)

namespace {

const QString key = QStringLiteral("Schlüssel 13 chars+tail");
// Small enough that scrypt costs nothing; the format is the same.
constexpr int fastWorkFactor = 10;
constexpr auto noBlockingAllowed = std::chrono::seconds(20);

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

// Every entry of the folder, hidden ones too, sorted.
QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

unsigned permissionsOf(const QString &path)
{
    struct stat info
    {
    };
    return ::lstat(native(path).constData(), &info) == 0 ? unsigned(info.st_mode & 07777) : 0;
}

// Puts the file's modification time an hour back, so that a change made
// within the same clock tick as the file's creation still shows.
bool ageFile(const QString &path)
{
    struct timeval times[2]{};
    ::gettimeofday(&times[0], nullptr);
    times[0].tv_sec -= 3600;
    times[1] = times[0];
    return ::utimes(native(path).constData(), times) == 0;
}

FileWorkOutcome encryptFast(const QString &path, const ByteProgress &progress = {},
                            const AgeFileCipher::CancelCheck &cancelled = {})
{
    return AgeFileCipher::encryptFile(path, key, progress, fastWorkFactor, cancelled);
}

// Runs the work on another thread and gives up waiting after a while, so
// that a run that blocks on a pipe fails the test instead of hanging it.
// `release` unblocks such a run before the thread is joined.
template <typename Work>
std::optional<FileWorkOutcome> withinTimeLimit(Work work, const std::function<void()> &release)
{
    std::future<FileWorkOutcome> future = std::async(std::launch::async, work);
    if (future.wait_for(noBlockingAllowed) == std::future_status::ready)
        return future.get();
    release();
    future.wait();
    return std::nullopt;
}

// Opens the pipe's writing end without waiting, which lets a reader blocked
// in open() go on.
void unblockPipe(const QString &fifo)
{
    const int fd = ::open(native(fifo).constData(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0)
        ::close(fd);
}

// Lowers the file size limit so that writes past `limit` bytes fail (EFBIG),
// as they would on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_saved;
        lowered.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};

} // namespace

class TestAgeFileCipher : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString &name) const { return m_dir->filePath(name); }
    QStringList names() const { return entries(m_dir->path()); }

    // A plain file encrypted with the fast work factor: returns the .enc path.
    QString encryptedFixture(const QString &name, const QByteArray &plain)
    {
        if (!TestFiles::write(path(name), plain))
            return {};
        const FileWorkOutcome outcome = encryptFast(path(name));
        return outcome.ok ? outcome.result : QString();
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }
    void cleanup() { m_dir.reset(); }

    void roundTrip_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::newRow("empty") << qsizetype(0);
        QTest::newRow("one byte") << qsizetype(1);
        QTest::newRow("200 KiB, several chunks") << qsizetype(200 * 1024);
    }

    void roundTrip()
    {
        QFETCH(qsizetype, size);
        const QByteArray plain = TestFiles::randomBytes(size, quint32(size) + 5);
        const QString original = path("report.doc");
        QVERIFY(TestFiles::write(original, plain));
        QVERIFY(::chmod(native(original).constData(), 0640) == 0);

        quint64 lastDone = 0;
        quint64 lastTotal = 0;
        const FileWorkOutcome encrypted = encryptFast(original, [&](quint64 done, quint64 total) {
            QVERIFY(done >= lastDone);
            lastDone = done;
            lastTotal = total;
        });
        QVERIFY2(encrypted.ok, qPrintable(encrypted.reason));
        QCOMPARE(encrypted.failure, Failure::None);
        QCOMPARE(encrypted.result, original + ".enc");
        QCOMPARE(names(), QStringList{"report.doc.enc"});
        QCOMPARE(permissionsOf(encrypted.result), 0640u);
        QCOMPARE(lastDone, quint64(size));
        QCOMPARE(lastTotal, quint64(size));
        QVERIFY(AgeFileCipher::isAgeFile(encrypted.result));
        QVERIFY(TestFiles::read(encrypted.result) != plain || size == 0);

        const FileWorkOutcome decrypted = AgeFileCipher::decryptFile(encrypted.result, key);
        QVERIFY2(decrypted.ok, qPrintable(decrypted.reason));
        QCOMPARE(decrypted.result, original);
        QCOMPARE(names(), QStringList{"report.doc"});
        QCOMPARE(TestFiles::read(original), plain);
        QCOMPARE(permissionsOf(original), 0640u);
    }

    // At the default work factor, and opened by the standard tool.
    void defaultWorkFactorReadByTheStandardTool()
    {
        const QByteArray plain = TestFiles::randomBytes(70000, 77);
        const QString original = path("photo.jpg");
        QVERIFY(TestFiles::write(original, plain));
        const FileWorkOutcome encrypted = AgeFileCipher::encryptFile(original, key);
        QVERIFY2(encrypted.ok, qPrintable(encrypted.reason));

        if (AgeTool::isAvailable()) {
            QTemporaryDir toolFolder;
            QString toolOutput;
            QVERIFY2(AgeTool::run(key.toUtf8(),
                                  {"-d", "-o", toolFolder.filePath("out"), encrypted.result},
                                  toolFolder.path(), toolOutput),
                     qPrintable(toolOutput));
            QCOMPARE(TestFiles::read(toolFolder.filePath("out")), plain);
        } else {
            qWarning("the standard tool or python3 is missing: not compared with it");
        }

        const FileWorkOutcome decrypted = AgeFileCipher::decryptFile(encrypted.result, key);
        QVERIFY2(decrypted.ok, qPrintable(decrypted.reason));
        QCOMPARE(TestFiles::read(original), plain);
        QCOMPARE(names(), QStringList{"photo.jpg"});
    }

    void wrongKeyOrDamagedLeavesTheFileAlone_data()
    {
        QTest::addColumn<QString>("keyText");
        QTest::addColumn<qsizetype>("flipAt");  // -1: no byte flipped
        QTest::addColumn<qsizetype>("cutAway"); // bytes removed from the end
        QTest::addColumn<Failure>("expected");
        const qsizetype headerEnd = 200; // past the header, in the first chunk
        const Failure wrongKey = Failure::WrongKeyOrDamaged;
        QTest::newRow("wrong key") << key + "x" << qsizetype(-1) << qsizetype(0) << wrongKey;
        QTest::newRow("key of other letter case")
            << key.toUpper() << qsizetype(-1) << qsizetype(0) << wrongKey;
        QTest::newRow("byte flipped in the version line")
            << key << qsizetype(5) << qsizetype(0) << Failure::StrongFormatDamaged;
        // "scrypt" becomes "scrypu": a stanza of another recipient type.
        QTest::newRow("byte flipped in the stanza type")
            << key << qsizetype(30) << qsizetype(0) << Failure::NotForKeyText;
        QTest::newRow("byte flipped in the payload")
            << key << headerEnd << qsizetype(0) << wrongKey;
        QTest::newRow("byte flipped in the last chunk")
            << key << qsizetype(-2) << qsizetype(0) << wrongKey;
        QTest::newRow("cut short in the last chunk")
            << key << qsizetype(-1) << qsizetype(100) << wrongKey;
        // 150000 bytes are two full chunks and a part: cutting the part and
        // its tag ends the file exactly after a full chunk.
        QTest::newRow("cut after a full chunk")
            << key << qsizetype(-1) << qsizetype(150000 - 2 * 65536 + 16) << wrongKey;
    }

    void wrongKeyOrDamagedLeavesTheFileAlone()
    {
        QFETCH(QString, keyText);
        QFETCH(qsizetype, flipAt);
        QFETCH(qsizetype, cutAway);
        QFETCH(Failure, expected);
        const QString encrypted = encryptedFixture("data.bin", TestFiles::randomBytes(150000, 3));
        QVERIFY(!encrypted.isEmpty());
        QByteArray bytes = TestFiles::read(encrypted);
        if (flipAt == -2)
            flipAt = bytes.size() - 5;
        if (flipAt >= 0)
            bytes[flipAt] = char(bytes[flipAt] ^ 0x01);
        bytes.chop(cutAway);
        QVERIFY(TestFiles::write(encrypted, bytes));

        const FileWorkOutcome outcome = AgeFileCipher::decryptFile(encrypted, keyText);
        QVERIFY(!outcome.ok);
        QCOMPARE(outcome.failure, expected);
        QCOMPARE(outcome.failedInput, encrypted);
        QVERIFY(outcome.result.isEmpty());
        QCOMPARE(TestFiles::read(encrypted), bytes);
        QCOMPARE(names(), QStringList{"data.bin.enc"});
    }

    void refusedInputs_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("decrypt");
        QTest::addColumn<Failure>("expected");
        QTest::newRow("link, encrypting") << "link" << false << Failure::IsLink;
        QTest::newRow("link, decrypting") << "link" << true << Failure::IsLink;
        QTest::newRow("pipe, encrypting") << "fifo" << false << Failure::NotRegularFile;
        QTest::newRow("pipe, decrypting") << "fifo" << true << Failure::NotRegularFile;
        QTest::newRow("folder") << "folder" << false << Failure::IsFolder;
        QTest::newRow("hard link, encrypting") << "hardlink" << false << Failure::MultipleNames;
        QTest::newRow("hard link, decrypting") << "hardlink" << true << Failure::MultipleNames;
        QTest::newRow("missing") << "missing" << false << Failure::NotFound;
        QTest::newRow("name without .enc") << "plain" << true << Failure::NotEncryptedName;
        QTest::newRow("name that is only .enc")
            << "onlysuffix" << true << Failure::NotEncryptedName;
    }

    // Nothing is opened that could block, nothing is created, and whatever
    // was there stays as it was.
    void refusedInputs()
    {
        QFETCH(QString, kind);
        QFETCH(bool, decrypt);
        QFETCH(Failure, expected);
        const QString name = decrypt ? QStringLiteral("input.enc") : QStringLiteral("input");
        const QString input = path(name);
        const QByteArray content =
            decrypt ? TestFiles::read(encryptedFixture("source", "secret bytes")) : "plain";
        QVERIFY(!content.isEmpty());
        QDir(m_dir->path()).remove("source.enc");

        QString target;
        if (kind == "link") {
            target = path("target");
            QVERIFY(TestFiles::write(target, content));
            QVERIFY(QFile::link(target, input));
        } else if (kind == "fifo") {
            QVERIFY(::mkfifo(native(input).constData(), 0600) == 0);
        } else if (kind == "folder") {
            QVERIFY(QDir(m_dir->path()).mkdir(name));
        } else if (kind == "hardlink") {
            target = path("other name");
            QVERIFY(TestFiles::write(input, content));
            QVERIFY(::link(native(input).constData(), native(target).constData()) == 0);
        } else if (kind == "plain") {
            QVERIFY(TestFiles::write(path("input.txt"), content));
        } else if (kind == "onlysuffix") {
            QVERIFY(TestFiles::write(path(".enc"), content));
        }
        const QStringList before = names();
        const QString given = kind == "plain"        ? path("input.txt")
                              : kind == "onlysuffix" ? path(".enc")
                                                     : input;

        const std::optional<FileWorkOutcome> outcome = withinTimeLimit(
            [&] { return decrypt ? AgeFileCipher::decryptFile(given, key) : encryptFast(given); },
            [&] { unblockPipe(input); });
        QVERIFY2(outcome, "the run blocked");
        QVERIFY(!outcome->ok);
        QCOMPARE(outcome->failure, expected);
        QCOMPARE(outcome->failedInput, given);
        QCOMPARE(names(), before);
        if (!target.isEmpty())
            QCOMPARE(TestFiles::read(target), content);
        if (kind == "hardlink")
            QCOMPARE(TestFiles::read(input), content);
    }

    void secondRunOnTheSameFileIsRefused()
    {
        const QString original = path("busy.txt");
        QVERIFY(TestFiles::write(original, "held by another run"));
        const int fd = ::open(native(original).constData(), O_RDONLY);
        QVERIFY(fd >= 0);
        QVERIFY(::flock(fd, LOCK_EX | LOCK_NB) == 0);
        const FileWorkOutcome outcome = encryptFast(original);
        ::close(fd);
        QCOMPARE(outcome.failure, Failure::InUse);
        QCOMPARE(names(), QStringList{"busy.txt"});
    }

    void changedDuringTheRun_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("bytes appended") << "append";
        QTest::newRow("rewritten in place, same size") << "rewrite";
        QTest::newRow("replaced under its name") << "replace";
    }

    // The original (as it is now) stays, the result goes.
    void changedDuringTheRun()
    {
        QFETCH(QString, change);
        const QString original = path("growing.log");
        const QByteArray plain = TestFiles::randomBytes(2 * 1024 * 1024, 9);
        QVERIFY(TestFiles::write(original, plain));
        QVERIFY(ageFile(original));

        QByteArray expected;
        bool changed = false;
        const auto changeMidway = [&](quint64 done, quint64) {
            if (changed || done < 1024 * 1024)
                return;
            changed = true;
            if (change == "append") {
                QFile file(original);
                QVERIFY(file.open(QIODevice::Append));
                file.write("more");
                expected = plain + "more";
            } else if (change == "rewrite") {
                QFile file(original);
                QVERIFY(file.open(QIODevice::ReadWrite));
                file.write("X");
                expected = plain;
                expected[0] = 'X';
            } else {
                expected = "a new file under the old name";
                QVERIFY(TestFiles::write(path("new"), expected));
                QVERIFY(::rename(native(path("new")).constData(), native(original).constData()) ==
                        0);
            }
        };

        const FileWorkOutcome outcome = encryptFast(original, changeMidway);
        QVERIFY(changed);
        QVERIFY(!outcome.ok);
        QCOMPARE(outcome.failure, Failure::ChangedWhileEncrypted);
        QCOMPARE(names(), QStringList{"growing.log"});
        QCOMPARE(TestFiles::read(original), expected);
    }

    void cancelledMidway()
    {
        const QString original = path("big.bin");
        const QByteArray plain = TestFiles::randomBytes(300000, 4);
        QVERIFY(TestFiles::write(original, plain));
        quint64 seen = 0;
        const FileWorkOutcome outcome = encryptFast(
            original, [&](quint64 done, quint64) { seen = done; }, [&] { return seen > 0; });
        QCOMPARE(outcome.failure, Failure::Cancelled);
        QCOMPARE(names(), QStringList{"big.bin"});
        QCOMPARE(TestFiles::read(original), plain);
    }

    void writeFailureLeavesNothing()
    {
        const QString original = path("large.bin");
        const QByteArray plain = TestFiles::randomBytes(200000, 6);
        QVERIFY(TestFiles::write(original, plain));
        FileWorkOutcome outcome;
        {
            FileSizeLimit limit(64 * 1024);
            outcome = encryptFast(original);
        }
        QCOMPARE(outcome.failure, Failure::WriteFailed);
        QCOMPARE(names(), QStringList{"large.bin"});
        QCOMPARE(TestFiles::read(original), plain);
    }

    void existingResultName_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<Failure>("expected");
        QTest::newRow("regular file, replaced") << "file" << Failure::None;
        QTest::newRow("link, replaced as a link") << "link" << Failure::None;
        QTest::newRow("dangling link, replaced") << "dangling" << Failure::None;
        QTest::newRow("folder, refused") << "folder" << Failure::ResultNameBlocked;
        QTest::newRow("pipe, refused") << "fifo" << Failure::ResultNameBlocked;
    }

    void existingResultName()
    {
        QFETCH(QString, kind);
        QFETCH(Failure, expected);
        const QByteArray plain = "the plain text";
        const QString original = path("letter.txt");
        const QString result = original + ".enc";
        const QString target = path("elsewhere");
        QVERIFY(TestFiles::write(original, plain));
        if (kind == "file") {
            QVERIFY(TestFiles::write(result, "an older encrypted letter"));
        } else if (kind == "link") {
            QVERIFY(TestFiles::write(target, "must stay"));
            QVERIFY(QFile::link(target, result));
        } else if (kind == "dangling") {
            QVERIFY(QFile::link(path("nowhere"), result));
        } else if (kind == "folder") {
            QVERIFY(QDir(m_dir->path()).mkdir("letter.txt.enc"));
        } else {
            QVERIFY(::mkfifo(native(result).constData(), 0600) == 0);
        }
        const QStringList before = names();

        const std::optional<FileWorkOutcome> outcome =
            withinTimeLimit([&] { return encryptFast(original); }, [&] { unblockPipe(result); });
        QVERIFY2(outcome, "the run blocked");
        QCOMPARE(outcome->failure, expected);
        if (expected == Failure::None) {
            QVERIFY(outcome->ok);
            QVERIFY(QFileInfo(result).isFile() && !QFileInfo(result).isSymLink());
            QVERIFY(!QFileInfo::exists(original));
            QVERIFY(!QFileInfo::exists(path("nowhere")));
            if (kind == "link")
                QCOMPARE(TestFiles::read(target), QByteArray("must stay"));
            QVERIFY(AgeFileCipher::decryptFile(result, key).ok);
            QCOMPARE(TestFiles::read(original), plain);
        } else {
            QCOMPARE(names(), before);
            QCOMPARE(TestFiles::read(original), plain);
        }
    }

    void unwritableFolderIsRefused()
    {
        const QString original = path("kept.txt");
        QVERIFY(TestFiles::write(original, "stays as it is"));
        FileWorkOutcome outcome;
        {
            Unchangeable unwritable(m_dir->path());
            if (!unwritable.active())
                QSKIP("the folder could not be made unwritable here");
            outcome = encryptFast(original);
        }
        QVERIFY(!outcome.ok);
        QVERIFY2(outcome.failure == Failure::AccessDenied, qPrintable(outcome.reason));
        QCOMPARE(outcome.failedInput, original);
        QCOMPARE(names(), QStringList{"kept.txt"});
        QCOMPARE(TestFiles::read(original), QByteArray("stays as it is"));
    }

    void recognisesTheFormat()
    {
        const QString encrypted = encryptedFixture("a.txt", "some text");
        QVERIFY(AgeFileCipher::isAgeFile(encrypted));

        // Another version is still this format's to refuse, never the
        // compatible one's to decrypt; three letters are too few to tell.
        QVERIFY(TestFiles::write(path("other.enc"), "age-encryption.org/v2\nnot ours"));
        QVERIFY(AgeFileCipher::isAgeFile(path("other.enc")));
        QVERIFY(TestFiles::write(path("short"), "age"));
        QVERIFY(!AgeFileCipher::isAgeFile(path("short")));
        QVERIFY(!AgeFileCipher::isAgeFile(path("missing")));

        QVERIFY(QFile::link(encrypted, path("link.enc")));
        QVERIFY(!AgeFileCipher::isAgeFile(path("link.enc")));

        const QString fifo = path("pipe.enc");
        QVERIFY(::mkfifo(native(fifo).constData(), 0600) == 0);
        std::future<bool> answer =
            std::async(std::launch::async, [&] { return AgeFileCipher::isAgeFile(fifo); });
        if (answer.wait_for(noBlockingAllowed) != std::future_status::ready) {
            unblockPipe(fifo);
            QFAIL("reading a pipe blocked");
        }
        QVERIFY(!answer.get());
    }
};

QTEST_GUILESS_MAIN(TestAgeFileCipher)
#include "TestAgeFileCipher.moc"
