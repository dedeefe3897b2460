#include "AgeTool.h"
#include "TestFiles.h"

#include "age/AgeFormat.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// Files written here open with the standard tool, and files it writes open
// here.
class TestAgeInterop : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        if (!QFileInfo(AgeTool::path()).isExecutable())
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
        QVERIFY2(AgeTool::run(passphrase,
                              {"-d", "-o", m_dir.filePath("ours" + tag + ".out"),
                               m_dir.filePath("ours" + tag + ".age")},
                              m_dir.path(), output),
                 qPrintable(output));
        QCOMPARE(TestFiles::read(m_dir.filePath("ours" + tag + ".out")), plain);

        // The tool's, opened here.
        QVERIFY2(AgeTool::run(passphrase,
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
        QVERIFY(!AgeTool::run(passphrase + "x",
                              {"-d", "-o", m_dir.filePath("wrong" + tag + ".tool"),
                               m_dir.filePath("ours" + tag + ".age")},
                              m_dir.path(), output));
    }

    // The good test-kit vector opens with the tool too, and with one payload
    // byte changed the tool refuses it as this reader does.
    void changedPayloadFailsInBoth()
    {
        QFile in(TestFiles::fixture("age/testkit/scrypt"));
        QVERIFY(in.open(QIODevice::ReadOnly));
        QByteArray vector = in.readAll();
        QByteArray file = vector.mid(vector.indexOf("\n\n") + 2);
        QVERIFY(TestFiles::write(m_dir.filePath("vector.age"), file));
        QString output;
        QVERIFY2(
            AgeTool::run("password",
                         {"-d", "-o", m_dir.filePath("vector.out"), m_dir.filePath("vector.age")},
                         m_dir.path(), output),
            qPrintable(output));
        QCOMPARE(TestFiles::read(m_dir.filePath("vector.out")), QByteArray("age"));

        file[file.size() - 5] = char(file[file.size() - 5] ^ 0x40);
        QVERIFY(TestFiles::write(m_dir.filePath("changed.age"), file));
        QVERIFY(!AgeTool::run(
            "password", {"-d", "-o", m_dir.filePath("changed.out"), m_dir.filePath("changed.age")},
            m_dir.path(), output));
        QVERIFY2(output.contains("error"), qPrintable(output));
    }
};

QTEST_GUILESS_MAIN(TestAgeInterop)
#include "TestAgeInterop.moc"
