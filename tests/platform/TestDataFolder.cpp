#include "filetexts/FileProblemText.h"
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
        QTest::newRow("trailing slash")
            << QStringLiteral("/tmp/cfg/") << QStringLiteral("/tmp/cfg/velmora/");
        QTest::newRow("unset") << QString() << QStringLiteral("<home>/.config/velmora/");
        QTest::newRow("relative is ignored")
            << QStringLiteral("cfg") << QStringLiteral("<home>/.config/velmora/");
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

    void createdOwnerOnlyWhateverTheUmask_data()
    {
        QTest::addColumn<int>("umask");
        QTest::newRow("umask 0") << 0;
        QTest::newRow("umask 022") << 022;
    }

    // The folder and every missing folder above it.
    void createdOwnerOnlyWhateverTheUmask()
    {
        QFETCH(int, umask);
        QTemporaryDir parent;
        const QString folder = parent.path() + QStringLiteral("/missing/config/velmora/");
        const mode_t previous = ::umask(mode_t(umask));
        const FileProblem problem = DataFolder::prepare(folder);
        ::umask(previous);
        QVERIFY2(problem.isNone(), qPrintable(FileProblemText::text(problem, Language::English)));
        for (const QString &made : {QStringLiteral("/missing"), QStringLiteral("/missing/config"),
                                    QStringLiteral("/missing/config/velmora")}) {
            struct stat info
            {
            };
            QCOMPARE(::stat(QFile::encodeName(parent.path() + made).constData(), &info), 0);
            QCOMPARE(int(info.st_mode & 07777), 0700);
        }
        QVERIFY(DataFolder::prepare(folder).isNone()); // exists already
    }

    void aFolderOthersCanChangeIsRefused_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("otherOwner");
        QTest::addColumn<int>("refusal");
        QTest::newRow("0700") << 0700 << false << int(FileProblem::Kind::None);
        QTest::newRow("0755") << 0755 << false << int(FileProblem::Kind::None);
        QTest::newRow("group may write") << 0770 << false << int(FileProblem::Kind::OpenToOthers);
        QTest::newRow("all may write, sticky")
            << 01777 << false << int(FileProblem::Kind::OpenToOthers);
        QTest::newRow("another user's") << 0700 << true << int(FileProblem::Kind::NotOwned);
    }

    void aFolderOthersCanChangeIsRefused()
    {
        QFETCH(int, mode);
        QFETCH(bool, otherOwner);
        QFETCH(int, refusal);
        if (otherOwner && ::geteuid() != 0)
            QSKIP("giving a folder to another user needs root");
        QTemporaryDir parent;
        const QString folder = parent.path() + QStringLiteral("/velmora/");
        const QByteArray native = QFile::encodeName(folder);
        QCOMPARE(::mkdir(native.constData(), 0700), 0);
        QCOMPARE(::chmod(native.constData(), mode_t(mode)), 0);
        if (otherOwner)
            QCOMPARE(::chown(native.constData(), 65534, 65534), 0);
        const FileProblem problem = DataFolder::prepare(folder);
        QCOMPARE(int(problem.kind), refusal);
        if (refusal != int(FileProblem::Kind::None)) {
            QVERIFY(FileProblemText::dataFolderRefusal(problem, Language::English)
                        .startsWith("The data folder cannot be used: "));
            QVERIFY(FileProblemText::dataFolderRefusal(problem, Language::German)
                        .startsWith("Der Datenordner"));
            QVERIFY(!DataFolder::prepare(folder).isNone());
        }
    }
};

QTEST_GUILESS_MAIN(TestDataFolder)
#include "TestDataFolder.moc"
