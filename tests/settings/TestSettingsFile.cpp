#include "core/TextLines.h"
#include "keys/ApplicationTextKey.h"
#include "platform/AnsiCodePage.h"
#include "platform/AtomicFile.h"
#include "settings/SettingsFile.h"

#include "FullDisk.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#if !defined(Q_OS_WIN)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QByteArray appKey(ApplicationTextKey);

// The two characters that the file's uncoded final CR LF decodes to, when the
// coded text before it has `codedLength` bytes.
QString extraLine(qsizetype codedLength)
{
    QByteArray bytes(2, '\0');
    bytes[0] = static_cast<char>(0x0D - appKey.at(codedLength % appKey.size()));
    bytes[1] = static_cast<char>(0x0A - appKey.at((codedLength + 1) % appKey.size()));
    return AnsiCodePage::toUnicode(bytes);
}

qsizetype plainLength(const QStringList &lines)
{
    qsizetype length = 0;
    for (const QString &line : lines)
        length += line.size() + 2;
    return length;
}

// Characters that the codec turns into the given bytes when they stand at
// text position `start` onwards.
QString charactersCodingTo(const QByteArray &coded, qsizetype start)
{
    QByteArray plain;
    for (qsizetype i = 0; i < coded.size(); ++i)
        plain.append(static_cast<char>(coded.at(i) - appKey.at((start + i) % appKey.size())));
    return AnsiCodePage::toUnicode(plain);
}

int unixMode(const QString &path)
{
#if !defined(Q_OS_WIN)
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
#else
    Q_UNUSED(path);
    return -1;
#endif
}

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splitsAtEveryKindOfLineBreak_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << QString() << QStringList();
        QTest::newRow("no break") << QStringLiteral("a") << QStringList{"a"};
        QTest::newRow("final CR LF makes no line") << QStringLiteral("a\r\n") << QStringList{"a"};
        QTest::newRow("mixed breaks")
            << QStringLiteral("a\rb\nc\r\nd") << QStringList{"a", "b", "c", "d"};
        QTest::newRow("LF CR is two breaks")
            << QStringLiteral("a\n\rb") << QStringList{"a", "", "b"};
        QTest::newRow("empty lines kept")
            << QStringLiteral("\r\n\r\nx\r\n\r\n") << QStringList{"", "", "x", ""};
        QTest::newRow("lone CR at the end") << QStringLiteral("a\r") << QStringList{"a"};
    }

    void splitsAtEveryKindOfLineBreak()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(TextLines::split(text), lines);
    }

    void writesTheCodedTextThenAnUncodedLineBreak()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("velmora.ini");
        const QStringList lines{"0123456789abcdef0123456789abcdef", " ", "key"};
        QVERIFY(SettingsFile::writeLines(path, appKey, lines));

        const QByteArray bytes = TestFiles::read(path);
        QCOMPARE(bytes.size(), plainLength(lines) + 2);
        QVERIFY(bytes.endsWith("\r\n"));
        // The first bytes are the first line coded from key position 0.
        QCOMPARE(bytes.at(0), char('0' + 'o'));
        QCOMPARE(bytes.at(1), char('1' + 'F'));
        QCOMPARE(bytes.left(2).toHex(), QByteArray("9f77"));
    }

    void eachRewriteCarriesTheExtraLine()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("velmora.ini");
        QStringList lines;
        for (int i = 0; i < 13; ++i)
            lines.append(QStringLiteral("line %1").arg(i));
        QVERIFY(SettingsFile::writeLines(path, appKey, lines));

        const std::optional<QStringList> first = SettingsFile::readLines(path, appKey);
        QVERIFY(first);
        QCOMPARE(first->size(), 14);
        QCOMPARE(first->mid(0, 13), lines);
        QCOMPARE(first->last(), extraLine(plainLength(lines)));

        QVERIFY(SettingsFile::writeLines(path, appKey, *first));
        const std::optional<QStringList> second = SettingsFile::readLines(path, appKey);
        QVERIFY(second);
        QCOMPARE(second->size(), 15);
        QCOMPARE(second->mid(0, 14), *first);
        QCOMPARE(second->last(), extraLine(plainLength(*first)));
    }

    void codedLineBreaksAndZeroBytesAreWrittenVerbatim()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("velmora.ini");
        // Line 2 starts at text position 4 (after two empty lines).
        const QByteArray wanted("\x00\x09\x0A\x0D\x0D\x0A\x00", 7);
        const QString key = charactersCodingTo(wanted, 4);
        const QStringList lines{"", "", key, "1"};
        QVERIFY(SettingsFile::writeLines(path, appKey, lines));

        const QByteArray bytes = TestFiles::read(path);
        QCOMPARE(bytes.mid(4, wanted.size()), wanted);
        const std::optional<QStringList> read = SettingsFile::readLines(path, appKey);
        QVERIFY(read);
        QCOMPARE(read->mid(0, 4), lines);
    }

    void charactersOutsideTheCodePageBecomeQuestionMarks()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("velmora.ini");
        QVERIFY(SettingsFile::writeLines(path, appKey,
                                         {QStringLiteral("Schl\u00FCssel \u20AC \u0100\u4E2D")}));
        const std::optional<QStringList> read = SettingsFile::readLines(path, appKey);
        QVERIFY(read);
        QCOMPARE(read->first(), QStringLiteral("Schl\u00FCssel \u20AC ??"));
    }

    void anotherKeyDecodesToOtherLines()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("velmora.ini");
        QVERIFY(SettingsFile::writeLines(path, appKey, {"secret", "line"}));
        const std::optional<QStringList> read = SettingsFile::readLines(path, "wrong key");
        QVERIFY(read);
        QVERIFY(!read->contains(QStringLiteral("secret")));
    }

    void readingAFolderFailsWithAReason()
    {
        QTemporaryDir dir;
        QString error;
        QVERIFY(!SettingsFile::readLines(dir.path(), appKey, &error));
        QVERIFY(error.contains(QDir::toNativeSeparators(dir.path())));
    }

    void interruptedWriteLeavesTheOldFileWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("velmora.ini");
        QVERIFY(SettingsFile::writeLines(path, appKey, {"old digest", " ", "old key"}));
        const QByteArray before = TestFiles::read(path);

        QStringList longer;
        for (int i = 0; i < 40; ++i)
            longer.append(QStringLiteral("new line %1").arg(i));
        QString error;
        {
            const AtomicFile::FailAfterForTesting diskFull(100);
            QVERIFY(!SettingsFile::writeLines(path, appKey, longer, &error));
        }
        QVERIFY(!error.isEmpty());
        QCOMPARE(TestFiles::read(path), before);
        // No temporary file is left behind.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"velmora.ini"});

        QVERIFY(SettingsFile::writeLines(path, appKey, longer)); // the seam is gone again
        QCOMPARE(SettingsFile::readLines(path, appKey)->mid(0, 40), longer);
    }

    // The same on a real file system that runs full: needs root to mount a
    // tiny in-memory file system, else skipped.
    void writeIntoAFullFileSystemLeavesTheOldFileWhole()
    {
#if !defined(Q_OS_LINUX)
        QSKIP("needs Linux mounts");
#else
        SmallFileSystem mountPoint("64k");
        if (!mountPoint.isMounted())
            QSKIP(qPrintable(mountPoint.reason()));

        const QString path = mountPoint.path() + QStringLiteral("/velmora.ini");
        QVERIFY(SettingsFile::writeLines(path, appKey, {"old digest", " ", "old key"}));
        const QByteArray before = TestFiles::read(path);
        QVERIFY(mountPoint.fillUp());
        QStringList longer;
        for (int i = 0; i < 400; ++i)
            longer.append(QStringLiteral("a longer line than before, number %1").arg(i));
        QString error;
        QVERIFY(!SettingsFile::writeLines(path, appKey, longer, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(TestFiles::read(path), before);
        QCOMPARE(QDir(mountPoint.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"filler", "velmora.ini"}));
#endif
    }

    void aFolderOthersMayChangeIsRefused_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("group may write") << 0770;
        QTest::newRow("all may write, sticky like /tmp") << 01777;
    }

    // Whoever may write to the folder could put a settings file with their
    // own key in it: neither read nor written, and the file stays as it was.
    void aFolderOthersMayChangeIsRefused()
    {
        QFETCH(int, mode);
        QTemporaryDir dir;
        const QString path = dir.filePath("velmora.ini");
        QVERIFY(SettingsFile::writeLines(path, appKey, {"digest", " ", "key"}));
        const QByteArray before = TestFiles::read(path);
        QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), mode_t(mode)), 0);
        QString error;
        QVERIFY(!SettingsFile::readLines(path, appKey, &error));
        QVERIFY2(error.startsWith(QStringLiteral("The data folder cannot be used: ")),
                 qPrintable(error));
        QVERIFY(!SettingsFile::writeLines(path, appKey, {"other", " ", "their key"}, &error));
        QCOMPARE(TestFiles::read(path), before);
        ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
    }

    void writtenFilesAreOwnerOnly()
    {
#if defined(Q_OS_WIN)
        QSKIP("POSIX permissions");
#endif
        QTemporaryDir dir;
        const QString path = dir.filePath("velmora.ini");
        QVERIFY(TestFiles::write(path, "old"));
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadGroup | QFileDevice::ReadOther));
        QVERIFY(SettingsFile::writeLines(path, appKey, {"x"}));
        QCOMPARE(unixMode(path), 0600);

        const QString fresh = dir.filePath("fresh.ini");
        QVERIFY(SettingsFile::writeLines(fresh, appKey, {"x"}));
        QCOMPARE(unixMode(fresh), 0600);
    }

    void writingOverAFolderFails()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("velmora.ini"));
        QVERIFY(!SettingsFile::writeLines(dir.filePath("velmora.ini"), appKey, {"x"}));
        QVERIFY(QFileInfo(dir.filePath("velmora.ini")).isDir());
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "TestSettingsFile.moc"
