#include "RawNames.h"
#include "TestFiles.h"

#include <QFile>
#include <QProcess>
#include <QTest>

namespace {

const QString Program = QStringLiteral(VELMORA_BIN_DIR "/velmora2-cli");

struct ChildRun
{
    int code = -1;
    QString err;
};

// Runs the real program in the folder `within` (bash words, relative to
// `folder`) through bash, which makes the bytes of $'\xFF' words: QProcess
// would pass every argument as UTF-8 text.
ChildRun runInShell(const QString &folder, const QString &within, const QString &arguments,
                    const QByteArray &input)
{
    QProcess child;
    child.start(QStringLiteral("bash"), {QStringLiteral("-c"),
                                         QStringLiteral("cd \"$1\" && cd ") + within +
                                             QStringLiteral(" && exec \"$2\" ") + arguments,
                                         QStringLiteral("bash"), folder, Program});
    if (!child.waitForStarted())
        return {};
    child.write(input);
    child.closeWriteChannel();
    child.waitForFinished();
    return {child.exitCode(), QString::fromUtf8(child.readAllStandardError())};
}

} // namespace

class TestCliNames : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!QFile::exists(Program))
            QSKIP("velmora2-cli is not built");
    }

    // A name that is not UTF-8, with the file its text would name beside it:
    // the run is refused with exit code 2 before anything is done, and every
    // byte in the folder stays as it was (before, "shred --yes $'\xFF.txt'"
    // destroyed "\xEF\xBF\xBD.txt" and left the named file).
    void nameThatIsNotUtf8IsRefused_data()
    {
        QTest::addColumn<QList<QByteArray>>("entries"); // a trailing "/" makes a folder
        QTest::addColumn<QString>("folder");            // where the command runs, as bash words
        QTest::addColumn<QString>("arguments");         // bash words
        QTest::addColumn<QString>("shown");             // the refused name in the message
        const QList<QByteArray> pair{RawNames::NotUtf8, RawNames::Twin, "plain.txt"};
        QTest::newRow("shred") << pair << "."
                               << "shred --yes $'\\xff.txt'"
                               << "\\xFF.txt";
        QTest::newRow("encrypt") << pair << "."
                                 << "encrypt --key-stdin $'\\xff.txt'"
                                 << "\\xFF.txt";
        QTest::newRow("encrypt after --") << pair << "."
                                          << "encrypt --key-stdin -- $'\\xff.txt'"
                                          << "\\xFF.txt";
        QTest::newRow("decrypt") << QList<QByteArray>{"\xFF.txt.enc", "\xEF\xBF\xBD.txt.enc"} << "."
                                 << "decrypt --key-stdin $'\\xff.txt.enc'"
                                 << "\\xFF.txt.enc";
        QTest::newRow("key file to encrypt with")
            << QList<QByteArray>{"\xFF.key", "\xEF\xBF\xBD.key", "plain.txt"} << "."
            << "encrypt --key-file $'\\xff.key' plain.txt"
            << "\\xFF.key";
        QTest::newRow("key file to write")
            << QList<QByteArray>{"\xFF.key", "\xEF\xBF\xBD.key"} << "."
            << "keyfile write $'\\xff.key' --key-stdin"
            << "\\xFF.key";
        QTest::newRow("backup folder") << QList<QByteArray>{"\xFF/", "\xEF\xBF\xBD/"} << "."
                                       << "backup $'\\xff'"
                                       << "\\xFF";
        QTest::newRow("restore folder")
            << QList<QByteArray>{"\xFF/", "\xEF\xBF\xBD/", "\xEF\xBF\xBD/velmora.ini"} << "."
            << "restore $'\\xff'"
            << "\\xFF";
        // Decoding drops a byte order mark at the start: the text names "a.txt".
        QTest::newRow("byte order mark") << QList<QByteArray>{"\xEF\xBB\xBF"
                                                              "a.txt",
                                                              "a.txt"}
                                         << "."
                                         << "shred --yes $'\\xef\\xbb\\xbfa.txt'"
                                         << "\\xEF\\xBB\\xBFa.txt";
        // Relative names are made absolute through the current folder's text.
        QTest::newRow("current folder")
            << QList<QByteArray>{"\xFF/", "\xFF/plain.txt", "\xEF\xBF\xBD/",
                                 "\xEF\xBF\xBD/plain.txt"}
            << "$'\\xff'"
            << "shred --yes plain.txt"
            << "\\xFF";
    }

    void nameThatIsNotUtf8IsRefused()
    {
        QFETCH(QList<QByteArray>, entries);
        QFETCH(QString, folder);
        QFETCH(QString, arguments);
        QFETCH(QString, shown);
        RawNames::TemporaryFolder dir;
        const QByteArray root = RawNames::bytesOf(dir.path());
        for (const QByteArray &entry : entries) {
            if (entry.endsWith('/'))
                QVERIFY(RawNames::makeFolder(root + '/' + entry.chopped(1)));
            else
                QVERIFY(RawNames::write(root + '/' + entry, "the bytes of " + entry));
        }
        const auto before = RawNames::snapshot(root);

        const ChildRun run = runInShell(dir.path(), folder, arguments, "key text\n");
        QCOMPARE(run.code, 2);
        QVERIFY2(run.err.contains(shown + QStringLiteral(": the ")), qPrintable(run.err));
        QVERIFY2(run.err.contains(QStringLiteral("not valid UTF-8")), qPrintable(run.err));
        QCOMPARE(RawNames::snapshot(root), before);
    }

    // A result name over the file system's limit: "name too long", not a
    // denied access, and no system words where the system said nothing.
    void resultNameTooLong()
    {
        RawNames::TemporaryFolder dir;
        const QString name(252, QLatin1Char('n'));
        QVERIFY(TestFiles::write(dir.filePath(name), "the user's file"));
        const QByteArray root = RawNames::bytesOf(dir.path());
        const auto before = RawNames::snapshot(root);

        const ChildRun run = runInShell(dir.path(), QStringLiteral("."),
                                        "encrypt --key-stdin " + name, "key text\n");
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains(QStringLiteral(
                     "Name too long! The name of the result is longer than the file system "
                     "allows!")),
                 qPrintable(run.err));
        QVERIFY2(run.err.contains(name + QStringLiteral(": name too long")), qPrintable(run.err));
        QVERIFY2(!run.err.contains(QStringLiteral("ccess denied")), qPrintable(run.err));
        QVERIFY2(!run.err.contains(QStringLiteral("Success")), qPrintable(run.err));
        QCOMPARE(RawNames::snapshot(root), before);
    }
};

QTEST_GUILESS_MAIN(TestCliNames)
#include "TestCliNames.moc"
