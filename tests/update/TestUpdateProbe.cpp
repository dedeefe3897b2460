#include "update/UpdateProbe.h"
#include "update/VersionCompare.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using VersionCompare::Verdict;

Q_DECLARE_METATYPE(Verdict)

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class TestUpdateProbe : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void compare_data();
    void compare();
    void compareRejectsWhatIsNoNumber_data();
    void compareRejectsWhatIsNoNumber();
    void fakeCheckerGetsFileNameAndNewerVersionIsAnnouncedOnce();
    void looks_data();
    void looks();
    void fourthTickOnlySwitchesOff();
    void failedLooksAreReportedEachTickByTheTimer();
    void unreadableProbeFileIsAnError();
    void aPlantedProbeFileIsRefusedWithoutWaiting_data();
    void aPlantedProbeFileIsRefusedWithoutWaiting();

private:
    void prepare(UpdateProbe &probe, const QString &current = QStringLiteral("2.1.0.0"));
    QScopedPointer<QTemporaryDir> m_dir;
};

void TestUpdateProbe::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

void TestUpdateProbe::prepare(UpdateProbe &probe, const QString &current)
{
    probe.checkerPath = m_dir->filePath(UpdateProbe::checkerFileName());
    probe.probeFilePath = m_dir->filePath(QStringLiteral("velmora2.dat"));
    probe.programFileName = QStringLiteral("velmora2");
    probe.currentVersion = current;
}

void TestUpdateProbe::compare_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("candidate");
    QTest::addColumn<Verdict>("verdict");
    QTest::newRow("last number higher") << "1.2.3.4"
                                        << "1.2.3.5" << Verdict::Newer;
    QTest::newRow("shorter candidate, missing is 0") << "1.2.3.4"
                                                     << "1.2.4" << Verdict::Newer;
    QTest::newRow("two-digit last number") << "1.2.3.4"
                                           << "1.2.3.10" << Verdict::Newer;
    QTest::newRow("same") << "1.2.3.4"
                          << "1.2.3.4" << Verdict::NotNewer;
    QTest::newRow("older") << "1.2.3.4"
                           << "1.2.3.3" << Verdict::NotNewer;
    // Joining the digits would call 2900 newer than 2100 padded to 21000:
    // number by number it is older.
    QTest::newRow("2.9 is older than 2.10") << "2.10.0.0"
                                            << "2.9.0.0" << Verdict::NotNewer;
    QTest::newRow("2.10 is newer than 2.9") << "2.9.0.0"
                                            << "2.10.0.0" << Verdict::Newer;
    QTest::newRow("shorter and equal") << "2.1.0.0"
                                       << "2.1" << Verdict::NotNewer;
    QTest::newRow("longer candidate") << "2.1"
                                      << "2.1.0.1" << Verdict::Newer;
    QTest::newRow("leading zeros") << "2.1.0.0"
                                   << "02.01.00.01" << Verdict::Newer;
    QTest::newRow("major wins over minor") << "1.99.99.99"
                                           << "2.0.0.0" << Verdict::Newer;
    QTest::newRow("empty candidate") << "2.1.0.0"
                                     << "" << Verdict::NoVersion;
    QTest::newRow("only dots") << "2.1.0.0"
                               << "..." << Verdict::NoVersion;
    QTest::newRow("dots and blanks") << "2.1.0.0"
                                     << " . . " << Verdict::NoVersion;
    QTest::newRow("empty current") << ""
                                   << "2.1.0.0" << Verdict::NoVersion;
    QTest::newRow("largest number") << "2147483646"
                                    << "2147483647" << Verdict::Newer;
}

void TestUpdateProbe::compare()
{
    QFETCH(QString, current);
    QFETCH(QString, candidate);
    QFETCH(Verdict, verdict);
    QCOMPARE(VersionCompare::compare(current, candidate), verdict);
}

void TestUpdateProbe::compareRejectsWhatIsNoNumber_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("candidate");
    QTest::newRow("running version undefined") << "undefined"
                                               << "2.1.0.0";
    QTest::newRow("letters") << "2.1.0.0"
                             << "2.1.x.0";
    QTest::newRow("inner blank") << "2.1.0.0"
                                 << "2.1 .0.0";
    QTest::newRow("sign") << "2.1.0.0"
                          << "2.-1.0.0";
    QTest::newRow("beyond 32 bits") << "2.1.0.0"
                                    << "2147483648";
    QTest::newRow("eleven digits") << "2.1.0.0"
                                   << "2.1.0.99999999999";
}

void TestUpdateProbe::compareRejectsWhatIsNoNumber()
{
    QFETCH(QString, current);
    QFETCH(QString, candidate);
    try {
        VersionCompare::compare(current, candidate);
        QFAIL("no error");
    } catch (const VersionCompare::ConversionError &error) {
        QVERIFY(QString::fromUtf8(error.what())
                    .contains(QStringLiteral("is not a valid integer value")));
    }
}

void TestUpdateProbe::fakeCheckerGetsFileNameAndNewerVersionIsAnnouncedOnce()
{
    // A checker of our own: it records its arguments and writes the probe file.
    UpdateProbe probe;
    prepare(probe);
    const QString argsFile = m_dir->filePath(QStringLiteral("args"));
    writeFile(
        probe.checkerPath,
        QStringLiteral(
            "#!/bin/sh\nprintf '%s|' \"$@\" > '%1'\nprintf '2.1.0.1\\r\\nmore\\r\\n' > '%2'\n")
            .arg(argsFile, probe.probeFilePath)
            .toUtf8());
    QFile::setPermissions(probe.checkerPath,
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    probe.setLauncher([](const QString &program, const QStringList &arguments) {
        return QProcess::startDetached(program, arguments);
    });
    QSignalSpy notices(&probe, &UpdateProbe::newerVersionFound);

    probe.start();
    QVERIFY(probe.timer().isActive());
    QCOMPARE(probe.timer().interval(), 5000);
    QTRY_VERIFY(QFile::exists(argsFile) && QFile::exists(probe.probeFilePath));
    QFile args(argsFile);
    QVERIFY(args.open(QIODevice::ReadOnly));
    QCOMPARE(args.readAll(), QByteArray("velmora2|"));

    probe.lookOnce();
    QCOMPARE(notices.count(), 1);
    QVERIFY(!probe.timer().isActive());
    QVERIFY(QFile::exists(probe.probeFilePath)); // removed only when the program closes
}

void TestUpdateProbe::looks_data()
{
    // For each look (1 to 3): the probe file's content before it, or "-" for
    // no file. Then the look at which the notice comes (0: none) and at
    // which the timer is found off (0: still on after the third look).
    QTest::addColumn<QStringList>("contents");
    QTest::addColumn<int>("noticeAt");
    QTest::addColumn<int>("offAt");
    QTest::newRow("no checker, no file") << QStringList{"-", "-", "-"} << 0 << 0;
    QTest::newRow("own version every time")
        << QStringList{"2.1.0.0", "2.1.0.0\r\n", " 2.1.0.0 "} << 0 << 0;
    QTest::newRow("newer at the second look")
        << QStringList{"2.1.0.0", "2.2.0.0\r\n", "2.3.0.0"} << 2 << 2;
    QTest::newRow("empty first line") << QStringList{"\r\n2.2.0.0"} << 0 << 1;
    QTest::newRow("only dots") << QStringList{"-", "..."} << 0 << 2;
    QTest::newRow("older") << QStringList{"1.9.9.9", "2.0", "2.0.99"} << 0 << 0;
    QTest::newRow("2.10 beats 2.9") << QStringList{"2.10.0.0"} << 1 << 1;
}

void TestUpdateProbe::looks()
{
    QFETCH(QStringList, contents);
    QFETCH(int, noticeAt);
    QFETCH(int, offAt);
    UpdateProbe probe;
    prepare(probe);
    probe.setLauncher([](const QString &, const QStringList &) { return false; });
    QSignalSpy notices(&probe, &UpdateProbe::newerVersionFound);
    probe.start();
    for (int look = 1; look <= 3; ++look) {
        if (!probe.timer().isActive())
            break;
        const QString content =
            look <= contents.size() ? contents.at(look - 1) : QStringLiteral("-");
        if (content == QLatin1String("-"))
            QFile::remove(probe.probeFilePath);
        else
            writeFile(probe.probeFilePath, content.toLatin1());
        probe.lookOnce();
        QCOMPARE(notices.count(), noticeAt != 0 && look >= noticeAt ? 1 : 0);
        QCOMPARE(probe.timer().isActive(), offAt == 0 || look < offAt);
    }
    QCOMPARE(notices.count(), noticeAt != 0 ? 1 : 0);
}

void TestUpdateProbe::fourthTickOnlySwitchesOff()
{
    // A probe file that appears only after the third look is never read.
    UpdateProbe probe;
    prepare(probe);
    QSignalSpy notices(&probe, &UpdateProbe::newerVersionFound);
    probe.start();
    for (int look = 1; look <= 3; ++look)
        probe.lookOnce();
    QVERIFY(probe.timer().isActive());
    writeFile(probe.probeFilePath, "9.0.0.0");
    probe.lookOnce();
    QVERIFY(!probe.timer().isActive());
    QCOMPARE(notices.count(), 0);
    QCOMPARE(probe.tickCount(), 4);

    // clear() starts the count again.
    probe.clear();
    QCOMPARE(probe.tickCount(), 0);
    QVERIFY(!probe.timer().isActive());
}

void TestUpdateProbe::failedLooksAreReportedEachTickByTheTimer()
{
    // Driven by the real timer (shortened): each of the three looks reports
    // the conversion error, the fourth tick switches the timer off.
    UpdateProbe probe;
    prepare(probe, QStringLiteral("undefined"));
    writeFile(probe.probeFilePath, "2.2.0.0");
    QSignalSpy failures(&probe, &UpdateProbe::lookFailed);
    QSignalSpy notices(&probe, &UpdateProbe::newerVersionFound);
    probe.start();
    probe.timer().setInterval(5);
    QTRY_VERIFY(!probe.timer().isActive());
    QCOMPARE(failures.count(), 3);
    QCOMPARE(failures.first().first().toString(),
             QStringLiteral("'undefined' is not a valid integer value"));
    QCOMPARE(notices.count(), 0);
}

void TestUpdateProbe::unreadableProbeFileIsAnError()
{
    UpdateProbe probe;
    prepare(probe);
    // A folder in the probe file's place cannot be read as a file, even by root.
    QVERIFY(QDir().mkpath(probe.probeFilePath));
    probe.start();
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, probe.lookOnce());
    QVERIFY(probe.timer().isActive());
}

void TestUpdateProbe::aPlantedProbeFileIsRefusedWithoutWaiting_data()
{
    QTest::addColumn<QString>("planted");
    QTest::newRow("named pipe") << "fifo";
    QTest::newRow("link to a version file") << "link";
    QTest::newRow("another user's file") << "other user";
    QTest::newRow("a file all may write") << "writable";
}

// The temporary folder is shared: another user can put anything under the
// probe file's name before the program looks. The look ends at once, without
// a notice and without hanging the window, and the timer is off.
void TestUpdateProbe::aPlantedProbeFileIsRefusedWithoutWaiting()
{
    QFETCH(QString, planted);
    if (planted == QLatin1String("other user") && ::geteuid() != 0)
        QSKIP("giving a file to another user needs root");
    UpdateProbe probe;
    prepare(probe);
    const QByteArray native = QFile::encodeName(probe.probeFilePath);
    const QString newer = m_dir->filePath(QStringLiteral("newer.txt"));
    writeFile(newer, "9.9.9.9\n");
    if (planted == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(native.constData(), 0600), 0);
    } else if (planted == QLatin1String("link")) {
        QVERIFY(QFile::link(newer, probe.probeFilePath));
    } else {
        writeFile(probe.probeFilePath, "9.9.9.9\n");
        if (planted == QLatin1String("other user"))
            QCOMPARE(::chown(native.constData(), 65534, 65534), 0);
        else
            QCOMPARE(::chmod(native.constData(), 0666), 0);
    }
    QSignalSpy notices(&probe, &UpdateProbe::newerVersionFound);
    QSignalSpy failures(&probe, &UpdateProbe::lookFailed);
    probe.start();
    QElapsedTimer clock;
    clock.start();
    probe.timer().setInterval(10);
    QTRY_VERIFY(!probe.timer().isActive());
    QVERIFY(clock.elapsed() < 2000);
    QCOMPARE(notices.count(), 0);
    QCOMPARE(failures.count(), 1);
    QVERIFY(failures.first().first().toString().contains(probe.probeFilePath));
}

QTEST_GUILESS_MAIN(TestUpdateProbe)
#include "TestUpdateProbe.moc"
