#include "platform/DataFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#if !defined(Q_OS_WIN)
#include <sys/stat.h>
#endif

class TestDataFolder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void followsXdgConfigHome_data()
    {
        QTest::addColumn<QString>("xdg");
        QTest::addColumn<QString>("expected");
        QTest::newRow("set") << QStringLiteral("/tmp/cfg") << QStringLiteral("/tmp/cfg/velmora/");
        QTest::newRow("trailing slash") << QStringLiteral("/tmp/cfg/") << QStringLiteral("/tmp/cfg/velmora/");
        QTest::newRow("unset") << QString() << QStringLiteral("<home>/.config/velmora/");
        QTest::newRow("relative is ignored") << QStringLiteral("cfg") << QStringLiteral("<home>/.config/velmora/");
    }

    void followsXdgConfigHome()
    {
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
        QSKIP("Linux folder rule");
#endif
        QFETCH(QString, xdg);
        QFETCH(QString, expected);
        QTemporaryDir home;
        qputenv("HOME", QFile::encodeName(home.path()));
        if (xdg.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", QFile::encodeName(xdg));
        expected.replace(QStringLiteral("<home>"), home.path());
        QCOMPARE(DataFolder::path(), expected);
    }

    void createdOwnerOnlyWhateverTheUmask()
    {
#if defined(Q_OS_WIN)
        QSKIP("POSIX permissions");
#else
        QTemporaryDir parent;
        const QString folder = parent.path() + QStringLiteral("/velmora/");
        const mode_t previous = ::umask(0);
        const bool created = DataFolder::ensureExists(folder);
        ::umask(previous);
        QVERIFY(created);
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(folder).constData(), &info), 0);
        QCOMPARE(int(info.st_mode & 07777), 0700);
        QVERIFY(DataFolder::ensureExists(folder)); // exists already
        QVERIFY(!DataFolder::ensureExists(parent.path() + QStringLiteral("/missing/parent/")));
#endif
    }
};

QTEST_GUILESS_MAIN(TestDataFolder)
#include "TestDataFolder.moc"
