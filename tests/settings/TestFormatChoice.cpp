#include "settings/FormatChoice.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/types.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

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

    // The overwrite choice shares the file with the format: each save keeps
    // the other choice, and with overwriting off the file holds exactly the
    // bytes it held before the choice existed.
    void overwriteChoiceBesideTheFormat()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(FormatChoice::fileName());
        QVERIFY(!FormatChoice::loadOverwriteOriginals(folder.path()));

        QVERIFY(FormatChoice::save(folder.path(), FileFormat::Age));
        const QByteArray formatOnly = "[files]\nformat=age\n";
        QCOMPARE(readAll(path), formatOnly);
        QVERIFY(!FormatChoice::loadOverwriteOriginals(folder.path()));

        QVERIFY(FormatChoice::saveOverwriteOriginals(folder.path(), true));
        QVERIFY(FormatChoice::loadOverwriteOriginals(folder.path()));
        QCOMPARE(FormatChoice::load(folder.path()), FileFormat::Age);

        QVERIFY(FormatChoice::save(folder.path(), FileFormat::Compatible));
        QVERIFY(FormatChoice::loadOverwriteOriginals(folder.path()));

        QVERIFY(FormatChoice::save(folder.path(), FileFormat::Age));
        QVERIFY(FormatChoice::saveOverwriteOriginals(folder.path(), false));
        QCOMPARE(readAll(path), formatOnly);
        QCOMPARE(FormatChoice::load(folder.path()), FileFormat::Age);
    }

    // Only the word the program writes turns it on.
    void overwriteChoiceWords_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("on");
        QTest::newRow("yes") << QByteArray("overwrite-originals=yes") << true;
        QTest::newRow("blanks") << QByteArray("  overwrite-originals= yes ") << true;
        QTest::newRow("no") << QByteArray("overwrite-originals=no") << false;
        QTest::newRow("other word") << QByteArray("overwrite-originals=1") << false;
        QTest::newRow("empty") << QByteArray("overwrite-originals=") << false;
    }

    void overwriteChoiceWords()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, on);
        QTemporaryDir folder;
        QFile file(folder.filePath(FormatChoice::fileName()));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[files]\nformat=age\n" + line + "\n");
        file.close();
        QCOMPARE(FormatChoice::loadOverwriteOriginals(folder.path()), on);
        QCOMPARE(FormatChoice::load(folder.path()), FileFormat::Age);
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
