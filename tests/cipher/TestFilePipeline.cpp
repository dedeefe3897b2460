#include "FakeRunHost.h"
#include "TestFiles.h"
#include "cipher/FilePipeline.h"
#include "cipher/Rc4.h"
#include "cipher/Sha1.h"
#include "cipher/Sha256.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString AccessDeniedText =
    QStringLiteral("Access denied! You do not have the required rights for this operation!");

// Both layers in memory through the stream operations: the reference the
// file work must agree with.
QByteArray twoLayers(const QString &key, const QByteArray &data, bool sha1First)
{
    QByteArray bytes = data;
    for (const bool useSha1 : {sha1First, !sha1First}) {
        Rc4 cipher;
        if (useSha1)
            cipher.InitStr(key, hashClass<Sha1>);
        else
            cipher.InitStr(key, hashClass<Sha256>);
        QBuffer in(&bytes);
        in.open(QIODevice::ReadOnly);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        cipher.EncryptStream(in, out, static_cast<quint64>(bytes.size()));
        bytes = out.data();
    }
    return bytes;
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

QString withSlash(const QString &folder)
{
    return folder + QLatin1Char('/');
}

} // namespace

class TestFilePipeline : public QObject
{
    Q_OBJECT

private slots:
    // The fixture was written by an independent generator (Python's hashlib
    // and a ten-line RC4); our files must match it byte for byte.
    void independentFixture()
    {
        QTemporaryDir dir;
        const QByteArray plain = TestFiles::read(TestFiles::fixture("cipher/fixture.bin"));
        const QByteArray encrypted = TestFiles::read(TestFiles::fixture("cipher/fixture.bin.enc"));
        QVERIFY(!plain.isEmpty());
        FakeRunHost host;
        host.key = QString::fromUtf8(TestFiles::read(TestFiles::fixture("cipher/fixture.key")));
        host.folder = withSlash(dir.path());
        host.entries = QStringList{"fixture.bin"};
        QVERIFY(TestFiles::write(dir.filePath("fixture.bin"), plain));
        FilePipeline pipeline(host);

        QVERIFY(pipeline.EncryptListedFile(dir.filePath("fixture.bin"), 0));
        QCOMPARE(filesIn(dir.path()), QStringList{"fixture.bin.enc"});
        QCOMPARE(TestFiles::read(dir.filePath("fixture.bin.enc")), encrypted);
        QCOMPARE(host.entries, QStringList{"fixture.bin.enc"});

        QVERIFY(pipeline.DecryptListedFile(dir.filePath("fixture.bin.enc"), 0));
        QCOMPARE(filesIn(dir.path()), QStringList{"fixture.bin"});
        QCOMPARE(TestFiles::read(dir.filePath("fixture.bin")), plain);
        QCOMPARE(host.entries, QStringList{"fixture.bin"});
        QVERIFY(host.prompts.messages.isEmpty());
        QCOMPARE(host.prompts.offMainThread, 0);
    }

    // Sizes around the chunk and block borders, through both runs.
    void roundTrip_data()
    {
        QTest::addColumn<int>("size");
        for (const int size : {0, 1, 8192, 8193, (1 << 20) + 1, 3 * (1 << 20) + 5})
            QTest::newRow(qPrintable(QString::number(size))) << size;
    }

    void roundTrip()
    {
        QFETCH(int, size);
        QTemporaryDir dir;
        const QByteArray plain = TestFiles::randomBytes(size, static_cast<quint32>(size) + 1);
        QVERIFY(TestFiles::write(dir.filePath("a.txt"), plain));
        FakeRunHost host;
        host.folder = withSlash(dir.path());
        host.entries = QStringList{"a.txt"};
        FilePipeline pipeline(host);

        pipeline.EncryptRun();
        QCOMPARE(filesIn(dir.path()), QStringList{"a.txt.enc"});
        QCOMPARE(TestFiles::read(dir.filePath("a.txt.enc")), twoLayers(host.key, plain, false));
        QCOMPARE(host.entries, QStringList{"a.txt.enc"});
        QCOMPARE(host.label, QStringLiteral("1 file(s) encrypted"));
        QVERIFY(host.encoded);
        QCOMPARE(host.lastDone, quint64(size));

        pipeline.DecryptRun();
        QCOMPARE(filesIn(dir.path()), QStringList{"a.txt"});
        QCOMPARE(TestFiles::read(dir.filePath("a.txt")), plain);
        QCOMPARE(host.label, QStringLiteral("1 file(s) decrypted"));
        QVERIFY(!host.encoded);
        QVERIFY(host.prompts.messages.isEmpty());
        QCOMPARE(host.prompts.offMainThread, 0);
        QCOMPARE(host.styles, (QList<int>{3, 3, 1, 1}));
    }

    // Only the end of the file name changes.
    void names_data()
    {
        QTest::addColumn<QString>("subfolder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("encryptedName");
        QTest::newRow(".enc inside the name") << ""
                                              << "x.encoded.txt"
                                              << "x.encoded.txt.enc";
        QTest::newRow(".ec inside the name") << ""
                                             << "y.ec.doc"
                                             << "y.ec.doc.enc";
        QTest::newRow("folder named .enc") << "store.enc"
                                           << "z.txt"
                                           << "z.txt.enc";
        QTest::newRow("no extension") << ""
                                      << "README"
                                      << "README.enc";
    }

    void names()
    {
        QFETCH(QString, subfolder);
        QFETCH(QString, name);
        QFETCH(QString, encryptedName);
        QTemporaryDir dir;
        const QString folder = subfolder.isEmpty() ? dir.path() : dir.filePath(subfolder);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(TestFiles::write(folder + "/" + name, "content"));
        FakeRunHost host;
        host.folder = withSlash(folder);
        host.entries = QStringList{name};
        FilePipeline pipeline(host);
        pipeline.EncryptRun();
        QCOMPARE(filesIn(folder), QStringList{encryptedName});
        pipeline.DecryptRun();
        QCOMPARE(filesIn(folder), QStringList{name});
        QCOMPARE(TestFiles::read(folder + "/" + name), QByteArray("content"));
        QVERIFY(QFileInfo(folder).isDir());
    }

    void upperCaseSuffixAndExistingOutput()
    {
        QTemporaryDir dir;
        FakeRunHost host;
        host.folder = withSlash(dir.path());
        FilePipeline pipeline(host);
        const QByteArray plain("secret bytes");
        QVERIFY(TestFiles::write(dir.filePath("B.TXT.ENC"), twoLayers(host.key, plain, false)));
        QVERIFY(TestFiles::write(dir.filePath("B.TXT"), "an older file of the output's name"));
        host.entries = QStringList{"B.TXT.ENC"};
        QVERIFY(pipeline.DecryptListedFile(dir.filePath("B.TXT.ENC"), 0));
        QCOMPARE(filesIn(dir.path()), QStringList{"B.TXT"});
        QCOMPARE(TestFiles::read(dir.filePath("B.TXT")), plain);

        QVERIFY(TestFiles::write(dir.filePath("B.TXT.enc"), "an older encrypted file"));
        QVERIFY(pipeline.EncryptListedFile(dir.filePath("B.TXT"), 0));
        QCOMPARE(TestFiles::read(dir.filePath("B.TXT.enc")), twoLayers(host.key, plain, false));
    }

    // A private file stays private when encrypted or decrypted.
    void resultKeepsThePermissions()
    {
        QTemporaryDir dir;
        const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        const QFileDevice::Permissions groupAndOthers =
            QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther |
            QFileDevice::WriteOther;
        QVERIFY(TestFiles::write(dir.filePath("p.txt"), "private"));
        QVERIFY(QFile::setPermissions(dir.filePath("p.txt"), ownerOnly));
        FakeRunHost host;
        host.folder = withSlash(dir.path());
        host.entries = QStringList{"p.txt"};
        FilePipeline pipeline(host);
        QVERIFY(pipeline.EncryptListedFile(dir.filePath("p.txt"), 0));
        QCOMPARE(QFile::permissions(dir.filePath("p.txt.enc")) & groupAndOthers,
                 QFileDevice::Permissions());
        QVERIFY(pipeline.DecryptListedFile(dir.filePath("p.txt.enc"), 0));
        QCOMPARE(QFile::permissions(dir.filePath("p.txt")) & groupAndOthers,
                 QFileDevice::Permissions());
    }

    // A file whose layers fail: its error box names the file, then the
    // access box and the run's own message; the original stays, nothing half
    // written is left behind, the entry keeps its name.
    void encryptFailures_data()
    {
        QTest::addColumn<QString>("blockedName"); // a folder where the layer writes
        QTest::addColumn<QString>("layerInput");
        QTest::newRow("output cannot be created") << "a.txt.enc"
                                                  << "a.txt";
    }

    void encryptFailures()
    {
        QFETCH(QString, blockedName);
        QFETCH(QString, layerInput);
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(dir.filePath("a.txt"), "plain"));
        QVERIFY(TestFiles::write(dir.filePath("b.txt"), "second"));
        QVERIFY(QDir(dir.path()).mkdir(blockedName));
        FakeRunHost host;
        host.folder = withSlash(dir.path());
        host.entries = QStringList{"a.txt", "b.txt"};
        FilePipeline pipeline(host);
        pipeline.EncryptRun();

        QCOMPARE(host.prompts.messages,
                 (QList<Message>{
                     Message::dialog(MessageIcon::Error,
                                     "Error encrypting file: " + dir.filePath(layerInput)),
                     Message::box("Encrypt", AccessDeniedText, MessageIcon::Warning),
                     Message::box("Encrypt", "Error encrypting file!", MessageIcon::Error)}));
        QCOMPARE(TestFiles::read(dir.filePath("a.txt")), QByteArray("plain"));
        QCOMPARE(filesIn(dir.path()), (QStringList{"a.txt", blockedName, "b.txt.enc"}));
        QCOMPARE(host.entries, (QStringList{"a.txt", "b.txt.enc"}));
        QCOMPARE(host.label, QStringLiteral("1 file(s) encrypted"));
        QCOMPARE(host.progress, (QList<int>{0, 50, 100}));
    }

    void readOnlyFolder()
    {
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(dir.filePath("a.txt"), "plain"));
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const bool writable = TestFiles::write(dir.filePath("probe"), "x");
        if (writable) {
            QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner);
            QSKIP("this user writes into read-only folders (root)");
        }
        FakeRunHost host;
        host.folder = withSlash(dir.path());
        host.entries = QStringList{"a.txt"};
        FilePipeline pipeline(host);
        QVERIFY(!pipeline.EncryptListedFile(dir.filePath("a.txt"), 0));
        QCOMPARE(host.prompts.texts().first(), "Error encrypting file: " + dir.filePath("a.txt"));
        QCOMPARE(filesIn(dir.path()), QStringList{"a.txt"});
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
    }

    // Decrypting: a refused name, a failing layer; No goes on, Yes ends the
    // run with the backup copy put back and kept.
    void decryptFailures_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("blockedName");
        QTest::addColumn<QString>("layerInput");
        QTest::addColumn<bool>("cancel");
        QTest::newRow("name without .enc, go on") << "a.txt"
                                                  << ""
                                                  << "a.txt" << false;
        QTest::newRow("name is only .enc, cancel") << ".enc"
                                                   << ""
                                                   << ".enc" << true;
        QTest::newRow("output cannot be created, go on") << "a.txt.enc"
                                                         << "a.txt"
                                                         << "a.txt.enc" << false;
        QTest::newRow("output cannot be created, cancel") << "a.txt.enc"
                                                          << "a.txt"
                                                          << "a.txt.enc" << true;
    }

    void decryptFailures()
    {
        QFETCH(QString, entry);
        QFETCH(QString, blockedName);
        QFETCH(QString, layerInput);
        QFETCH(bool, cancel);
        QTemporaryDir dir;
        const QByteArray content("encrypted bytes");
        QVERIFY(TestFiles::write(dir.filePath(entry), content));
        QVERIFY(TestFiles::write(dir.filePath("c.enc"), twoLayers("key text", "third", false)));
        if (!blockedName.isEmpty())
            QVERIFY(QDir(dir.path()).mkdir(blockedName));
        FakeRunHost host;
        host.folder = withSlash(dir.path());
        host.entries = QStringList{entry, "c.enc"};
        host.encoded = true;
        host.prompts.queueAnswers({MessageAnswer::Ok, MessageAnswer::Ok,
                                   cancel ? MessageAnswer::Yes : MessageAnswer::No});
        FilePipeline pipeline(host);
        pipeline.DecryptRun();

        QCOMPARE(host.prompts.messages,
                 (QList<Message>{Message::dialog(MessageIcon::Error, "Error decrypting file: " +
                                                                         dir.filePath(layerInput)),
                                 Message::box("Decrypt", AccessDeniedText, MessageIcon::Warning),
                                 Message::box("Decrypt", "Error decrypting file! Cancel operation?",
                                              MessageIcon::Error, MessageButtons::YesNo)}));
        QCOMPARE(TestFiles::read(dir.filePath(entry)), content);
        QStringList expected{entry};
        if (!blockedName.isEmpty())
            expected.append(blockedName);
        if (cancel) {
            expected << "bak" + entry << "c.enc";
            QCOMPARE(host.label, QStringLiteral("unchanged"));
            QVERIFY(host.encoded);
            QCOMPARE(host.progress, QList<int>{0});
        } else {
            expected << "c";
            QCOMPARE(host.label, QStringLiteral("1 file(s) decrypted"));
            QVERIFY(!host.encoded);
            QCOMPARE(host.progress, (QList<int>{0, 50, 100}));
        }
        expected.sort();
        QCOMPARE(filesIn(dir.path()), expected);
        QCOMPARE(host.entries.first(), entry);
    }

    void progressSteps_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("steps");
        QTest::newRow("2") << 2 << QList<int>{0, 50, 100};
        QTest::newRow("3") << 3 << QList<int>{0, 33, 67, 100};
        QTest::newRow("8, halves to even") << 8 << QList<int>{0, 12, 25, 38, 50, 62, 75, 88, 100};
    }

    void progressSteps()
    {
        QFETCH(int, count);
        QFETCH(QList<int>, steps);
        QTemporaryDir dir;
        FakeRunHost host;
        host.folder = "  " + withSlash(dir.path()) + " "; // the runs trim it
        for (int k = 0; k < count; ++k) {
            host.entries.append(QString::number(k));
            QVERIFY(TestFiles::write(dir.filePath(QString::number(k)), "x"));
        }
        FilePipeline pipeline(host);
        pipeline.EncryptRun();
        QCOMPARE(host.progress, steps);
        QCOMPARE(host.label, QString::number(count) + " file(s) encrypted");
        QCOMPARE(host.workCalls, count);
    }

    void vanishedFilesAreSkippedSilently()
    {
        QTemporaryDir dir;
        FakeRunHost host;
        host.folder = withSlash(dir.path());
        host.entries = QStringList{"gone.txt", "also gone.txt"};
        host.lang = 0;
        FilePipeline pipeline(host);
        pipeline.EncryptRun();
        QCOMPARE(host.label, QStringLiteral("0 Datei(en) verschlüsselt"));
        QVERIFY(host.encoded);
        QCOMPARE(host.progress, QList<int>{0});
        QVERIFY(host.prompts.messages.isEmpty());
        QCOMPARE(host.workCalls, 0);
    }

    // No to the question before a run changes nothing but the progress bar.
    void answeringNoChangesNothing_data()
    {
        QTest::addColumn<bool>("decrypting");
        QTest::addColumn<int>("language");
        QTest::addColumn<Message>("question");
        QTest::newRow("encrypt, English")
            << false << 1
            << Message::box("Encrypt", "File(s) possibly already encrypted. Continue anyway?",
                            MessageIcon::Warning, MessageButtons::YesNo);
        QTest::newRow("decrypt, German")
            << true << 0
            << Message::box("Decrypt", "Sind Sie sicher, dass diese Daten verschlüsselt sind?",
                            MessageIcon::Warning, MessageButtons::YesNo);
    }

    void answeringNoChangesNothing()
    {
        QFETCH(bool, decrypting);
        QFETCH(int, language);
        QFETCH(Message, question);
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(dir.filePath("a.enc"), "bytes"));
        FakeRunHost host;
        host.folder = withSlash(dir.path());
        host.entries = QStringList{"a.enc"};
        host.encoded = !decrypting;
        host.lang = language;
        host.prompts.queueAnswers({MessageAnswer::No});
        FilePipeline pipeline(host);
        decrypting ? pipeline.DecryptRun() : pipeline.EncryptRun();
        QCOMPARE(host.prompts.messages, QList<Message>{question});
        QCOMPARE(host.progress, QList<int>{0});
        QCOMPARE(host.encoded, !decrypting);
        QCOMPARE(host.label, QStringLiteral("unchanged"));
        QCOMPARE(filesIn(dir.path()), QStringList{"a.enc"});
    }

    // One layer alone; a read error names the layer's input.
    void singleLayer()
    {
        QTemporaryDir dir;
        FakeRunHost host;
        FilePipeline pipeline(host);
        QVERIFY(TestFiles::write(dir.filePath("in"), "layer input"));
        QVERIFY(pipeline.DecryptLayer(dir.filePath("in"), dir.filePath("out"), true));
        Rc4 cipher;
        cipher.InitStr(host.key, hashClass<Sha1>);
        QByteArray expected("layer input");
        cipher.Encrypt(expected.constData(), expected.data(),
                       static_cast<quint32>(expected.size()));
        QCOMPARE(TestFiles::read(dir.filePath("out")), expected);

        if (QFile::exists("/proc/self/mem")) {
            QVERIFY(!pipeline.EncryptLayer("/proc/self/mem", dir.filePath("mem.out"), false));
            QCOMPARE(host.prompts.messages,
                     QList<Message>{Message::dialog(MessageIcon::Error,
                                                    "Error encrypting file: /proc/self/mem")});
            QVERIFY(!pipeline.lastOutcome().reason.isEmpty());
            QCOMPARE(filesIn(dir.path()), (QStringList{"in", "out"}));
        }
    }
};

QTEST_GUILESS_MAIN(TestFilePipeline)
#include "TestFilePipeline.moc"
