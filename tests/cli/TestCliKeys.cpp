#include "CliCommand.h"
#include "CliTestRun.h"
#include "FullDisk.h"
#include "KeySource.h"
#include "TestFiles.h"

#include "keys/ApplicationTextKey.h"
#include "keys/KeyFile.h"
#include "platform/StandardInput.h"
#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

const QByteArray appKey(ApplicationTextKey);

CliRun runCommand(const QStringList &args, const QString &input = QString())
{
    return runCliInProcess(args, input);
}

struct KeyTaken
{
    std::optional<QString> key;
    QStringList rest;
    QString err;
};

// The key from standard input the two ways: through a text stream over the
// bytes (as the in-process runs read it), and past every stream from
// descriptor 0, as the program reads it, with the bytes in a pipe there.
// `rest` is what the input still holds afterwards.
struct StandardInputKey
{
    std::optional<QString> key;
    QString err;
    QByteArray rest;
};

StandardInputKey takeFromStream(const QByteArray &input)
{
    StandardInputKey taken;
    QByteArray bytes = input;
    QString out;
    QTextStream inStream(&bytes, QIODevice::ReadOnly);
    inStream.setEncoding(QStringConverter::Utf8);
    QTextStream outStream(&out);
    QTextStream errStream(&taken.err);
    CliIo io{inStream, outStream, errStream, false, false};
    QStringList args{"--key-stdin"};
    taken.key = takeKeyText(args, io);
    errStream.flush();
    return taken;
}

StandardInputKey takeFromDescriptor(const QByteArray &input, qsizetype maxBytes = MaxKeyLineBytes)
{
    StandardInputKey taken;
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return taken;
    const bool written =
        ::write(pipeEnds[1], input.constData(), size_t(input.size())) == ssize_t(input.size());
    ::close(pipeEnds[1]);
    const int savedInput = ::dup(STDIN_FILENO);
    ::dup2(pipeEnds[0], STDIN_FILENO);
    ::close(pipeEnds[0]);
    if (written) {
        QString none;
        QString out;
        QTextStream inStream(&none);
        QTextStream outStream(&out);
        QTextStream errStream(&taken.err);
        CliIo io{inStream,  outStream,
                 errStream, false,
                 false,     [maxBytes] { return StandardInput::readSecretLine(maxBytes); }};
        QStringList args{"--key-stdin"};
        taken.key = takeKeyText(args, io);
        errStream.flush();
        char buffer[256];
        for (ssize_t got; (got = ::read(STDIN_FILENO, buffer, sizeof buffer)) > 0;)
            taken.rest.append(buffer, got);
    }
    ::dup2(savedInput, STDIN_FILENO);
    ::close(savedInput);
    return taken;
}

KeyTaken take(const QStringList &args, const QString &input = QString())
{
    KeyTaken taken;
    taken.rest = args;
    QString in = input;
    QString out;
    QTextStream inStream(&in);
    QTextStream outStream(&out);
    QTextStream errStream(&taken.err);
    CliIo io{inStream, outStream, errStream, false, false};
    taken.key = takeKeyText(taken.rest, io);
    errStream.flush();
    return taken;
}

} // namespace

class TestCliKeys : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config; // XDG_CONFIG_HOME: the data folder is velmora/ in it
    QString dataFolder() const { return m_config.path() + QStringLiteral("/velmora/"); }
    QString settingsPath() const { return dataFolder() + QStringLiteral("velmora.ini"); }

    void storePersonalKey(const QString &key)
    {
        QDir().mkpath(dataFolder());
        QVERIFY(SettingsFile::writeLines(settingsPath(), appKey,
                                         {"", "", key, "1", "", "", "", "", "", "", ""}));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    }

    void cleanup() { QFile::remove(settingsPath()); }

    void keyfileWriteThenRead()
    {
        QTemporaryDir dir;
        const QString keyFile = dir.filePath("friend.key");
        const CliRun write =
            runCommand({"keyfile", "write", "--key-stdin", keyFile, "a.txt.enc", "b.enc"},
                       QStringLiteral("Schl\u00FCssel 1\n"));
        QCOMPARE(write.err, QString());
        QCOMPARE(write.code, 0);
        QCOMPARE(*ReadKeyFile(keyFile, appKey),
                 (QStringList{QStringLiteral("Schl\u00FCssel 1"), "a.txt.enc", "b.enc"}));
        QCOMPARE(TestFiles::read(keyFile).size(), qsizetype(11 + 2 + 9 + 2 + 5));
#if !defined(Q_OS_WIN)
        QCOMPARE(QFile::permissions(keyFile) & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
                 QFileDevice::Permissions());
#endif
        const CliRun read = runCommand({"keyfile", "read", keyFile});
        QCOMPARE(read.code, 0);
        QCOMPARE(read.out, QStringLiteral("Schl\u00FCssel 1\na.txt.enc\nb.enc\n"));
    }

    void keyfileRefusesBadInput_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("message");
        QTest::newRow("name with a folder")
            << QStringList{"keyfile", "write", "--key-stdin", "<dir>/k.key", "sub/a.enc"}
            << QStringLiteral("key\n") << QStringLiteral("not a bare file name");
        QTest::newRow("no key file path") << QStringList{"keyfile", "write", "--key-stdin"}
                                          << QStringLiteral("key\n") << QStringLiteral("missing");
        QTest::newRow("no key on stdin")
            << QStringList{"keyfile", "write", "--key-stdin", "<dir>/k.key"} << QString()
            << QStringLiteral("no key text");
        QTest::newRow("read a missing file") << QStringList{"keyfile", "read", "<dir>/none.key"}
                                             << QString() << QStringLiteral("none.key");
        QTest::newRow("unknown action")
            << QStringList{"keyfile", "show"} << QString() << QStringLiteral("show");
    }

    void keyfileRefusesBadInput()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, input);
        QFETCH(QString, message);
        QTemporaryDir dir;
        args.replaceInStrings(QStringLiteral("<dir>"), dir.path());
        const CliRun run = runCommand(args, input);
        QCOMPARE(run.code, 2);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QVERIFY(!QFileInfo::exists(dir.filePath("k.key")));
    }

    void keyfileRefusesACharacterOutsideTheCodePage_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("named");
        QTest::newRow("Polish letter")
            << QStringLiteral("\u0141\u00F3d\u017A") << QStringLiteral("U+0141");
        QTest::newRow("emoji") << QStringLiteral("key \U0001F511") << QStringLiteral("U+1F511");
    }

    // A key written as "?" would be another key: the file is not written.
    void keyfileRefusesACharacterOutsideTheCodePage()
    {
        QFETCH(QString, key);
        QFETCH(QString, named);
        QTemporaryDir dir;
        const QString keyFile = dir.filePath("friend.key");
        const CliRun run = runCommand({"keyfile", "write", "--key-stdin", keyFile}, key + "\n");
        QCOMPARE(run.code, 2);
        QVERIFY2(run.err.contains(named) && run.err.contains(QStringLiteral("not written")),
                 qPrintable(run.err));
        QVERIFY(!QFileInfo::exists(keyFile));
    }

    void keyfileOnAFullDiskSaysSo()
    {
        FullDisk disk;
        if (!disk.isReady())
            QSKIP(qPrintable(disk.reason()));
        const CliRun run =
            runCommand({"keyfile", "write", "--key-stdin", disk.path() + "/friend.key"},
                       QStringLiteral("key\n"));
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains(QStringLiteral("No space left on device")), qPrintable(run.err));
        QVERIFY(!run.err.contains(QStringLiteral("Unknown error")));
        QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"filler"});
    }

    void wordsAfterTheDoubleDashAreFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("-h") << QStringLiteral("-h");
        QTest::newRow("--help") << QStringLiteral("--help");
        QTest::newRow("--key-stdin") << QStringLiteral("--key-stdin");
        QTest::newRow("--key-file=x") << QStringLiteral("--key-file=x");
    }

    // A file whose name looks like an option is encrypted and decrypted when
    // it follows "--": no help text, no option taken from it, the file back.
    void wordsAfterTheDoubleDashAreFiles()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        const QByteArray plain = TestFiles::randomBytes(5000, 11);
        QVERIFY(TestFiles::write(name, plain));

        const CliRun encrypt =
            runCommand({"encrypt", "--key-stdin", "--", name}, QStringLiteral("k\n"));
        const CliRun decrypt =
            runCommand({"decrypt", "--key-stdin", "--", name + ".enc"}, QStringLiteral("k\n"));
        QDir::setCurrent(previous);
        QCOMPARE(encrypt.out, QString());
        QVERIFY2(encrypt.code == 0, qPrintable(encrypt.err));
        QVERIFY2(decrypt.code == 0, qPrintable(decrypt.err));
        QCOMPARE(TestFiles::read(dir.filePath(name)), plain);
        QVERIFY(!QFileInfo::exists(dir.filePath(name + ".enc")));
    }

    // shred parses its own options; the shared parser must not take "-h"
    // after "--" as a request for help either.
    void shredTakesAFileNamedLikeAnOptionAfterTheDoubleDash()
    {
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        QVERIFY(TestFiles::write("-h", "to be destroyed"));
        QVERIFY(TestFiles::write("kept", "stays"));
        const CliRun run = runCommand({"shred", "--yes", "--", "-h"});
        QDir::setCurrent(previous);
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QVERIFY(!run.out.contains(QStringLiteral("Usage")));
        QVERIFY(!QFileInfo::exists(dir.filePath("-h")));
        QCOMPARE(TestFiles::read(dir.filePath("kept")), QByteArray("stays"));
    }

    void helpIsStillAnOptionBeforeTheDoubleDash()
    {
        const CliRun run = runCommand({"encrypt", "-h", "--", "file"});
        QCOMPARE(run.code, 0);
        QVERIFY(run.out.startsWith(QStringLiteral("Usage: velmora2-cli encrypt")));
    }

    // A settings file in a folder that others may change could hold their
    // key: it is not used.
    void personalKeyFromAnOpenDataFolderIsRefused()
    {
        storePersonalKey(QStringLiteral("personal%!+oKarnwyb"));
        QVERIFY(QFile::setPermissions(dataFolder(),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner | QFileDevice::WriteOther |
                                          QFileDevice::ReadOther | QFileDevice::ExeOther));
        const KeyTaken taken = take({"file"});
        QVERIFY(QFile::setPermissions(dataFolder(), QFileDevice::ReadOwner |
                                                        QFileDevice::WriteOwner |
                                                        QFileDevice::ExeOwner));
        QVERIFY(!taken.key);
        QVERIFY2(taken.err.contains(QStringLiteral("The data folder cannot be used")),
                 qPrintable(taken.err));
    }

    void keyFromAKeyFile_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("separateArgument");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("warning");
        QTest::newRow("line 1 is the key") << QStringList{" key with blanks ", "a.enc"} << true
                                           << QStringLiteral(" key with blanks ") << QString();
        QTest::newRow("--key-file=PATH")
            << QStringList{"k"} << false << QStringLiteral("k") << QString();
        QTest::newRow("empty line 1 is the default key")
            << QStringList{"", "a.enc"} << true << QString()
            << QStringLiteral("No key specified! Will use default key!");
        QTest::newRow("empty file is the default key")
            << QStringList{} << true << QString()
            << QStringLiteral("No key specified! Will use default key!");
    }

    void keyFromAKeyFile()
    {
        QFETCH(QStringList, lines);
        QFETCH(bool, separateArgument);
        QFETCH(QString, key);
        QFETCH(QString, warning);
        QTemporaryDir dir;
        const QString keyFile = dir.filePath("x.key");
        QVERIFY(WriteKeyFile(keyFile, appKey, lines));
        const QStringList args = separateArgument ? QStringList{"a", "--key-file", keyFile, "b"}
                                                  : QStringList{"a", "--key-file=" + keyFile, "b"};
        const KeyTaken taken = take(args);
        QVERIFY(taken.key);
        QCOMPARE(*taken.key, key);
        QCOMPARE(taken.rest, (QStringList{"a", "b"}));
        if (warning.isEmpty())
            QCOMPARE(taken.err, QString());
        else
            QVERIFY(taken.err.contains(warning));
    }

    void personalKeyIsTheDefault()
    {
        storePersonalKey(QStringLiteral("  personal%!+oKarnwyb "));
        const KeyTaken taken = take({"file"});
        QCOMPARE(taken.key.value_or("<none>"), QStringLiteral("personal%!+oKarnwyb"));
        QCOMPARE(taken.err, QString());
    }

    void noKeySourceIsAnError_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("storedKey"); // null: no settings file
        QTest::addColumn<QString>("message");
        QTest::newRow("no settings file")
            << QStringList{"f"} << QString() << QStringLiteral("no key given");
        QTest::newRow("settings without key")
            << QStringList{"f"} << QStringLiteral(" ") << QStringLiteral("holds no personal key");
        QTest::newRow("both options") << QStringList{"--key-stdin", "--key-file", "k.key"}
                                      << QString() << QStringLiteral("not both");
        QTest::newRow("--key-file without path")
            << QStringList{"--key-file"} << QString() << QStringLiteral("needs the path");
        QTest::newRow("unreadable key file")
            << QStringList{"--key-file", "/no/such/k.key"} << QString()
            << QStringLiteral("cannot read the key file");
    }

    void noKeySourceIsAnError()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, storedKey);
        QFETCH(QString, message);
        if (!storedKey.isNull())
            storePersonalKey(storedKey);
        const KeyTaken taken = take(args, QStringLiteral("stdin key\n"));
        QVERIFY(!taken.key);
        QVERIFY2(taken.err.contains(message), qPrintable(taken.err));
    }

    void emptyKeyOnStandardInputIsRefused_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("input");
        QTest::newRow("encrypt, empty line") << QStringList{"encrypt"} << QStringLiteral("\n");
        QTest::newRow("decrypt, CR LF") << QStringList{"decrypt"} << QStringLiteral("\r\n");
        QTest::newRow("keyfile write, empty line")
            << QStringList{"keyfile", "write"} << QStringLiteral("\nmore\n");
    }

    // An empty key is the built-in default key, the same for everyone.
    void emptyKeyOnStandardInputIsRefused()
    {
        QFETCH(QStringList, command);
        QFETCH(QString, input);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("f.bin"));
        QVERIFY(TestFiles::write(file, "plain"));
        const CliRun run = runCommand(command + QStringList{"--key-stdin", file}, input);
        QCOMPARE(run.code, 2);
        QVERIFY2(run.err.contains(QStringLiteral("the key on standard input is empty")),
                 qPrintable(run.err));
        QCOMPARE(TestFiles::read(file), QByteArray("plain"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"f.bin"});
    }

    void keyFromTheDescriptorIsTheStreamsKey_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("key"); // null: refused
        QTest::addColumn<QByteArray>("rest");
        QTest::newRow("line feed") << QByteArray("key\n") << "key" << QByteArray();
        QTest::newRow("CR LF") << QByteArray("key\r\n") << "key" << QByteArray();
        QTest::newRow("two CRs") << QByteArray("key\r\r\n") << "key" << QByteArray();
        QTest::newRow("end of input") << QByteArray("key") << "key" << QByteArray();
        QTest::newRow("CR at the end of input") << QByteArray("key\r") << "key" << QByteArray();
        QTest::newRow("blanks are kept") << QByteArray(" k y \n") << " k y " << QByteArray();
        QTest::newRow("byte-order mark")
            << QByteArray("\xEF\xBB\xBFkey\n") << "key" << QByteArray();
        QTest::newRow("umlaut") << QByteArray("Schl\xC3\xBCssel\n")
                                << QStringLiteral("Schl\u00FCssel") << QByteArray();
        QTest::newRow("broken sequence") << QByteArray("k\xFF"
                                                       "ey\n")
                                         << QStringLiteral("k\uFFFDey") << QByteArray();
        QTest::newRow("sequence cut by the line end")
            << QByteArray("k\xC3\n") << QStringLiteral("k\uFFFD") << QByteArray();
        QTest::newRow("sequence cut by the end of input")
            << QByteArray("k\xC3") << QStringLiteral("k") << QByteArray();
        QTest::newRow("later lines stay in the input")
            << QByteArray("key\nyes\n") << "key" << QByteArray("yes\n");
        QTest::newRow("empty line") << QByteArray("\nkey\n") << QString() << QByteArray("key\n");
        QTest::newRow("nothing") << QByteArray() << QString() << QByteArray();
    }

    // The program reads the key past the streams so that no stream buffer
    // keeps it: the key must come out exactly as the stream made it, or
    // files encrypted with a key on standard input would not open again.
    void keyFromTheDescriptorIsTheStreamsKey()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, key);
        QFETCH(QByteArray, rest);
        const StandardInputKey stream = takeFromStream(input);
        const StandardInputKey descriptor = takeFromDescriptor(input);
        QCOMPARE(stream.key.has_value(), !key.isNull());
        if (stream.key)
            QCOMPARE(*stream.key, key);
        QCOMPARE(descriptor.key.has_value(), stream.key.has_value());
        if (descriptor.key)
            QCOMPARE(*descriptor.key, *stream.key);
        QCOMPARE(descriptor.err, stream.err);
        QCOMPARE(descriptor.rest, rest);
    }

    void overlongKeyLineIsRefused()
    {
        const StandardInputKey fits = takeFromDescriptor("1234\n", 4);
        QCOMPARE(fits.key.value_or(QString()), QStringLiteral("1234"));
        const StandardInputKey over = takeFromDescriptor("12345\n", 4);
        QVERIFY(!over.key);
        QVERIFY2(over.err.contains(QStringLiteral("longer than")), qPrintable(over.err));
    }

    // The real program, the key through a pipe.
    void emptyKeyThroughAPipeExitsWithTwo()
    {
        const QString program = QStringLiteral(VELMORA_BIN_DIR "/velmora2-cli");
        if (!QFile::exists(program))
            QSKIP("velmora2-cli is not built");
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("n.txt"));
        QVERIFY(TestFiles::write(file, "note"));
        QProcess process;
        process.start(program, {"encrypt", "--key-stdin", file});
        QVERIFY(process.waitForStarted());
        process.write("\n");
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 2);
        QVERIFY(process.readAllStandardError().contains("the key on standard input is empty"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"n.txt"});
        QCOMPARE(TestFiles::read(file), QByteArray("note"));
    }

    void settingsFileEndingBeforeTheKeyLineIsRefused_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("ends after line 1") << QStringList{"", " "};
        QTest::newRow("ends after line 0") << QStringList{" "};
    }

    // What decoding makes of the file's final line break is no key.
    void settingsFileEndingBeforeTheKeyLineIsRefused()
    {
        QFETCH(QStringList, lines);
        QDir().mkpath(dataFolder());
        QVERIFY(SettingsFile::writeLines(settingsPath(), appKey, lines));
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("plain.txt"));
        QVERIFY(TestFiles::write(file, "plain"));
        const CliRun run = runCommand({"encrypt", file});
        QCOMPARE(run.code, 2);
        QCOMPARE(run.err, QStringLiteral("velmora2-cli: The settings file \"%1\" ends before its "
                                         "key line and holds no personal key. Use --key-file or "
                                         "--key-stdin.\n")
                              .arg(QDir::toNativeSeparators(settingsPath())));
        QCOMPARE(TestFiles::read(file), QByteArray("plain"));
        QVERIFY(!QFileInfo::exists(file + ".enc"));
    }

    void encryptWithEachKeySourceGivesTheSameFile()
    {
        QTemporaryDir dir;
        const QByteArray plain = TestFiles::randomBytes(20000, 3);
        const QString keyText = QStringLiteral("same key%!+oKarnwyb");
        const QString keyFile = dir.filePath("same.key");
        QVERIFY(WriteKeyFile(keyFile, appKey, {keyText}));
        storePersonalKey(keyText);

        const QList<QStringList> sources{{"--key-stdin"}, {"--key-file", keyFile}, {}};
        QList<QByteArray> results;
        for (qsizetype i = 0; i < sources.size(); ++i) {
            const QString file = dir.filePath(QStringLiteral("f%1.bin").arg(i));
            QVERIFY(TestFiles::write(file, plain));
            const CliRun run = runCommand(
                QStringList{"encrypt"} + sources.at(i) + QStringList{file}, keyText + "\n");
            QVERIFY2(run.code == 0, qPrintable(run.err));
            results.append(TestFiles::read(file + ".enc"));
        }
        QCOMPARE(results.at(0).size(), plain.size());
        QVERIFY(results.at(0) != plain);
        QCOMPARE(results.at(1), results.at(0));
        QCOMPARE(results.at(2), results.at(0));
    }

    void encryptWithoutAnyKeyExitsWithTwo()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("plain.txt");
        QVERIFY(TestFiles::write(file, "plain"));
        const CliRun run = runCommand({"encrypt", file});
        QCOMPARE(run.code, 2);
        QVERIFY(run.err.contains(QStringLiteral("no key given")));
        QCOMPARE(TestFiles::read(file), QByteArray("plain"));
        QVERIFY(!QFileInfo::exists(file + ".enc"));
    }
};

QTEST_GUILESS_MAIN(TestCliKeys)
#include "TestCliKeys.moc"
