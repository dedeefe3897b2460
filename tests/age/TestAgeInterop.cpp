#include "TestFiles.h"

#include "age/AgeFormat.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// Files written here open with the standard tool, and files it writes open
// here. The tool takes passphrases only from a terminal, so a helper runs it
// on a pseudo-terminal and answers its prompts.
namespace {

const QString toolPath = QStringLiteral("/usr/bin/age");

QString helperPath()
{
    return QStringLiteral(VELMORA_TEST_DATA "/../age/age_with_passphrase.py");
}

// Runs the tool with the passphrase; false with the tool's output on failure.
bool runTool(const QByteArray &passphrase, const QStringList &arguments, const QString &home,
             QString &output)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home);
    environment.insert("AGE_PTY_TIMEOUT", "120");
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start("python3",
                  QStringList{helperPath(), QString::fromUtf8(passphrase), toolPath} + arguments);
    const bool finished = process.waitForFinished(180000);
    output = QString::fromUtf8(process.readAll());
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

class TestAgeInterop : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        if (!QFileInfo(toolPath).isExecutable())
            QSKIP("the standard tool is not installed (apt-get install age)");
        if (QStandardPaths::findExecutable("python3").isEmpty())
            QSKIP("python3 is needed to give the tool a terminal");
        QVERIFY(m_dir.isValid());
    }

    void bothDirections_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<QByteArray>("passphrase");
        QTest::newRow("empty") << qsizetype(0) << QByteArray("interop pass");
        QTest::newRow("exactly one chunk") << qsizetype(65536) << QByteArray("interop pass");
        QTest::newRow("several chunks, UTF-8 passphrase")
            << qsizetype(200 * 1024 + 7) << QByteArray("p\xc3\xa4ss w\xc3\xb6rd \xe2\x9c\x93");
    }

    void bothDirections()
    {
        QFETCH(qsizetype, size);
        QFETCH(QByteArray, passphrase);
        const QByteArray plain = TestFiles::randomBytes(size, quint32(size) + 11);
        const QString tag = QString::number(size);
        const QString plainPath = m_dir.filePath("plain" + tag);
        QVERIFY(TestFiles::write(plainPath, plain));
        QString output;

        // Ours, at the default work factor, opened by the tool.
        {
            QFile in(plainPath);
            QFile out(m_dir.filePath("ours" + tag + ".age"));
            QVERIFY(in.open(QIODevice::ReadOnly));
            QVERIFY(out.open(QIODevice::WriteOnly));
            QCOMPARE(age::encrypt(in, out, passphrase), age::Result::Ok);
        }
        QVERIFY2(runTool(passphrase,
                         {"-d", "-o", m_dir.filePath("ours" + tag + ".out"),
                          m_dir.filePath("ours" + tag + ".age")},
                         m_dir.path(), output),
                 qPrintable(output));
        QCOMPARE(TestFiles::read(m_dir.filePath("ours" + tag + ".out")), plain);

        // The tool's, opened here.
        QVERIFY2(runTool(passphrase,
                         {"-p", "-o", m_dir.filePath("theirs" + tag + ".age"), plainPath},
                         m_dir.path(), output),
                 qPrintable(output));
        {
            QFile in(m_dir.filePath("theirs" + tag + ".age"));
            QFile out(m_dir.filePath("theirs" + tag + ".out"));
            QVERIFY(in.open(QIODevice::ReadOnly));
            QVERIFY(out.open(QIODevice::WriteOnly));
            QCOMPARE(age::decrypt(in, out, passphrase), age::Result::Ok);
        }
        QCOMPARE(TestFiles::read(m_dir.filePath("theirs" + tag + ".out")), plain);

        // And neither side takes the other's file with a wrong passphrase.
        {
            QFile in(m_dir.filePath("theirs" + tag + ".age"));
            QFile out(m_dir.filePath("wrong" + tag + ".out"));
            QVERIFY(in.open(QIODevice::ReadOnly));
            QVERIFY(out.open(QIODevice::WriteOnly));
            QCOMPARE(age::decrypt(in, out, passphrase + "x"), age::Result::WrongKeyOrDamaged);
        }
        QVERIFY(!runTool(passphrase + "x",
                         {"-d", "-o", m_dir.filePath("wrong" + tag + ".tool"),
                          m_dir.filePath("ours" + tag + ".age")},
                         m_dir.path(), output));
    }

    // The good test-kit vector opens with the tool too, and with one payload
    // byte changed the tool refuses it as this reader does.
    void changedPayloadFailsInBoth()
    {
        QFile in(TestFiles::fixture("age/scrypt"));
        QVERIFY(in.open(QIODevice::ReadOnly));
        QByteArray vector = in.readAll();
        QByteArray file = vector.mid(vector.indexOf("\n\n") + 2);
        QVERIFY(TestFiles::write(m_dir.filePath("vector.age"), file));
        QString output;
        QVERIFY2(runTool("password",
                         {"-d", "-o", m_dir.filePath("vector.out"), m_dir.filePath("vector.age")},
                         m_dir.path(), output),
                 qPrintable(output));
        QCOMPARE(TestFiles::read(m_dir.filePath("vector.out")), QByteArray("age"));

        file[file.size() - 5] = char(file[file.size() - 5] ^ 0x40);
        QVERIFY(TestFiles::write(m_dir.filePath("changed.age"), file));
        QVERIFY(!runTool("password",
                         {"-d", "-o", m_dir.filePath("changed.out"), m_dir.filePath("changed.age")},
                         m_dir.path(), output));
        QVERIFY2(output.contains("error"), qPrintable(output));
    }
};

QTEST_GUILESS_MAIN(TestAgeInterop)
#include "TestAgeInterop.moc"
