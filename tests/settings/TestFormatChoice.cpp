#include "settings/FormatChoice.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/types.h>

class TestFormatChoice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void storedChoiceIsReadBack_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("compatible") << int(FileFormat::Compatible);
        QTest::newRow("age") << int(FileFormat::Age);
    }

    void storedChoiceIsReadBack()
    {
        QFETCH(int, format);
        QTemporaryDir folder;
        QVERIFY(FormatChoice::save(folder.path(), FileFormat(format)));
        QCOMPARE(int(FormatChoice::load(folder.path())), format);
        const QString path = folder.filePath(FormatChoice::fileName());
        QCOMPARE(QFile(path).permissions() & (QFile::ReadGroup | QFile::ReadOther),
                 QFile::Permissions());
    }

    // Whatever lies at the file's name, reading answers at once with the
    // compatible format and changes nothing.
    void anythingElseMeansCompatible_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("unknown word") << "unknown";
        QTest::newRow("folder") << "folder";
        QTest::newRow("named pipe") << "fifo";
    }

    void anythingElseMeansCompatible()
    {
        QFETCH(QString, kind);
        QTemporaryDir folder;
        const QString path = folder.filePath(FormatChoice::fileName());
        if (kind == QLatin1String("unknown")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[files]\nformat=rot13\n");
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkdir(path));
        } else if (kind == QLatin1String("fifo")) {
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        }
        QCOMPARE(FormatChoice::load(folder.path()), FileFormat::Compatible);
    }

    void commandLineWords()
    {
        FileFormat format = FileFormat::Compatible;
        QVERIFY(FormatChoice::fromName(QStringLiteral("age"), &format));
        QCOMPARE(format, FileFormat::Age);
        QVERIFY(FormatChoice::fromName(QStringLiteral("legacy"), &format));
        QCOMPARE(format, FileFormat::Compatible);
        QVERIFY(!FormatChoice::fromName(QStringLiteral("aes"), &format));
    }
};

QTEST_GUILESS_MAIN(TestFormatChoice)
#include "TestFormatChoice.moc"
