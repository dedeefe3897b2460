#include "ScriptedPrompter.h"
#include "TestFiles.h"
#include "platform/FileAttributes.h"
#include "shred/DeleteListedFiles.h"
#include "shred/RemoveBlankEntries.h"
#include "shred/SecureDeleteHost.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <future>
#include <memory>
#include <thread>
#include <utility>

#include <sys/file.h>
#include <sys/stat.h>

namespace {

// The window as the run sees it, with everything it was told kept for the
// test to look at.
class FakeHost : public SecureDeleteHost
{
public:
    QStringList entries;
    QString folder;
    QString countText = QStringLiteral("2");
    QList<int> progress;
    QString resultText;
    QString countLabel;
    ScriptedPrompter prompts;
    int lang = 1;
    bool cancelFlag = false;
    int cancelAfterFiles = -1; // the user presses cancel after this many files
    int filesProcessed = 0;
    int workRuns = 0;

    int entryCount() const override { return static_cast<int>(entries.size()); }
    QString entry(int index) const override { return entries.at(index); }
    void setEntry(int index, const QString &text) override { entries[index] = text; }
    void CompactList() override
    {
        RemoveBlankEntries(entries);
        countLabel = QString::number(entries.size()) + QStringLiteral(" file(s) selected");
    }
    QString folderText() const override { return folder; }
    QString overwriteCountText() const override { return countText; }
    void setOverwriteCountText(const QString &text) override { countText = text; }
    void ShowProgress(int percent) override { progress.append(percent); }
    void setResultText(const QString &text) override { resultText = text; }
    Prompter &prompter() override { return prompts; }
    int language() const override { return lang; }
    bool takeCancelRequest() override { return std::exchange(cancelFlag, false); }
    void processPendingEvents() override
    {
        if (++filesProcessed == cancelAfterFiles)
            cancelFlag = true;
    }
    bool runFileWork(const std::function<bool()> &work) override
    {
        ++workRuns;
        return work();
    }
};

// A host that does each file's work on another thread, as the window does.
class ThreadedHost : public FakeHost
{
public:
    bool runFileWork(const std::function<bool()> &work) override
    {
        ++workRuns;
        std::packaged_task<bool()> task(work);
        std::future<bool> result = task.get_future();
        std::thread worker(std::move(task));
        worker.join();
        return result.get();
    }
};

} // namespace

class TestDeleteListedFiles : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString folder() const { return m_dir->path() + QLatin1Char('/'); }

    // Files named in the list, each with content of its own.
    void createFiles(FakeHost &host, const QStringList &names, qsizetype size = 5000)
    {
        host.folder = folder();
        host.entries = names;
        quint32 seed = 1;
        for (const QString &name : names)
            QVERIFY(TestFiles::write(folder() + name, TestFiles::randomBytes(size, seed++)));
    }

    bool exists(const QString &name) const { return QFileInfo::exists(folder() + name); }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void allFilesDeletedWithProgress()
    {
        FakeHost host;
        createFiles(host,
                    {QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")});
        host.resultText = QStringLiteral("old");

        const DeleteRunResult result = DeleteListedFiles(host);

        QCOMPARE(host.prompts.messages.size(), 1);
        QCOMPARE(host.prompts.messages.first(),
                 Message::dialog(MessageIcon::Question,
                                 QStringLiteral("3 file(s) selected. Really delete these file(s)?"),
                                 MessageButtons::YesNo));
        QCOMPARE(host.progress, (QList<int>{0, 33, 67, 100}));
        QCOMPARE(host.resultText, QStringLiteral("3 file(s) deleted"));
        QVERIFY(host.entries.isEmpty());
        QCOMPARE(host.countLabel, QStringLiteral("0 file(s) selected"));
        QCOMPARE(host.countText, QStringLiteral("2"));
        QCOMPARE(result.done, 3);
        QCOMPARE(result.overwriteCount, 2);
        QVERIFY(!exists(QStringLiteral("a.txt")) && !exists(QStringLiteral("b.txt")) &&
                !exists(QStringLiteral("c.txt")));
    }

    void progressRoundsHalvesToEven_data()
    {
        QTest::addColumn<int>("total");
        QTest::addColumn<QList<int>>("percents");
        QTest::newRow("3") << 3 << QList<int>{33, 67, 100};
        QTest::newRow("8") << 8 << QList<int>{12, 25, 38, 50, 62, 75, 88, 100};
        QTest::newRow("1") << 1 << QList<int>{100};
        QTest::newRow("7") << 7 << QList<int>{14, 29, 43, 57, 71, 86, 100};
    }

    void progressRoundsHalvesToEven()
    {
        QFETCH(int, total);
        QFETCH(QList<int>, percents);
        QList<int> computed;
        for (int processed = 1; processed <= total; ++processed)
            computed.append(DeleteProgressPercent(processed, total));
        QCOMPARE(computed, percents);
        QCOMPARE(DeleteProgressPercent(1, 200), 0); // 0.5
        QCOMPARE(DeleteProgressPercent(3, 200), 2); // 1.5
    }

    void refusedFilesStayListedAndAreReported_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("resultText");
        QTest::addColumn<QString>("failureText");
        QTest::newRow("English") << 1 << QStringLiteral("3 file(s) deleted")
                                 << QStringLiteral(
                                        "2 file(s) access denied! Could not delete files!");
        QTest::newRow("German")
            << 0 << QStringLiteral("3 Datei(en) gelöscht")
            << QStringLiteral("2 Datei(en) Zugriff verweigert! Konnten nicht gelöscht werden!");
    }

    void refusedFilesStayListedAndAreReported()
    {
        QFETCH(int, language);
        QFETCH(QString, resultText);
        QFETCH(QString, failureText);

        FakeHost host;
        host.lang = language;
        const QStringList names{QStringLiteral("1.bin"), QStringLiteral("2.bin"),
                                QStringLiteral("3.bin"), QStringLiteral("4.bin"),
                                QStringLiteral("5.bin")};
        createFiles(host, names);
        const QByteArray second = TestFiles::read(folder() + names[1]);
        const QByteArray fourth = TestFiles::read(folder() + names[3]);
        QFile holder2(folder() + names[1]);
        QFile holder4(folder() + names[3]);
        QVERIFY(holder2.open(QIODevice::ReadOnly) && holder4.open(QIODevice::ReadOnly));
        QCOMPARE(::flock(holder2.handle(), LOCK_SH), 0);
        QCOMPARE(::flock(holder4.handle(), LOCK_SH), 0);

        const DeleteRunResult result = DeleteListedFiles(host);

        QCOMPARE(host.prompts.messages.size(), 2);
        QCOMPARE(host.prompts.messages.last(),
                 Message::dialog(MessageIcon::Information, failureText, MessageButtons::Ok));
        QCOMPARE(host.resultText, resultText);
        QCOMPARE(host.entries, (QStringList{names[1], names[3]}));
        QVERIFY(host.countLabel.startsWith(QStringLiteral("2 ")));
        QCOMPARE(host.progress, (QList<int>{0, 20, 60, 100}));
        QCOMPARE(result.failed(), 2);
        QCOMPARE(TestFiles::read(folder() + names[1]), second);
        QCOMPARE(TestFiles::read(folder() + names[3]), fourth);
        QVERIFY(!exists(names[0]) && !exists(names[2]) && !exists(names[4]));
    }

    void emptyListOnlySaysSo_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("text");
        QTest::newRow("English") << 1 << QStringLiteral("No file(s) selected!");
        QTest::newRow("German") << 0 << QStringLiteral("Keine Datei(en) ausgewählt!");
    }

    void emptyListOnlySaysSo()
    {
        QFETCH(int, language);
        QFETCH(QString, text);
        FakeHost host;
        host.lang = language;
        host.resultText = QStringLiteral("kept");
        DeleteListedFiles(host);
        QCOMPARE(
            host.prompts.messages,
            (QList<Message>{Message::dialog(MessageIcon::Information, text, MessageButtons::Ok)}));
        QCOMPARE(host.progress, QList<int>{0});
        QCOMPARE(host.resultText, QStringLiteral("kept"));
    }

    void answeringNoChangesNothing()
    {
        FakeHost host;
        host.lang = 0;
        createFiles(host, {QStringLiteral("a.txt"), QStringLiteral("b.txt")});
        host.countText = QStringLiteral("25");
        host.prompts.queueAnswers({MessageAnswer::No});

        const DeleteRunResult result = DeleteListedFiles(host);

        QCOMPARE(host.prompts.texts(),
                 QStringList{QStringLiteral("2 Datei(en) unwiderruflich löschen?")});
        QVERIFY(!result.confirmed);
        QCOMPARE(host.entries, (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
        QCOMPARE(host.countText, QStringLiteral("25"));
        QCOMPARE(host.workRuns, 0);
        QVERIFY(exists(QStringLiteral("a.txt")) && exists(QStringLiteral("b.txt")));
    }

    void overwriteCountField_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("countUsed");
        QTest::addColumn<QString>("fieldAfter");
        QTest::addColumn<bool>("invalid");
        QTest::newRow("0 becomes 1") << QStringLiteral("0") << 1 << QStringLiteral("1") << false;
        QTest::newRow("25 becomes 10")
            << QStringLiteral("25") << 10 << QStringLiteral("10") << false;
        QTest::newRow("-3 becomes 1") << QStringLiteral("-3") << 1 << QStringLiteral("1") << false;
        QTest::newRow("7 stays") << QStringLiteral("7") << 7 << QStringLiteral("7") << false;
        QTest::newRow("blanks around")
            << QStringLiteral(" 3 ") << 3 << QStringLiteral("3") << false;
        QTest::newRow("empty") << QString() << 2 << QString() << true;
        QTest::newRow("letters") << QStringLiteral("x2") << 2 << QStringLiteral("x2") << true;
        QTest::newRow("beyond 32 bits")
            << QStringLiteral("99999999999") << 2 << QStringLiteral("99999999999") << true;
    }

    void overwriteCountField()
    {
        QFETCH(QString, field);
        QFETCH(int, countUsed);
        QFETCH(QString, fieldAfter);
        QFETCH(bool, invalid);

        FakeHost host;
        createFiles(host, {QStringLiteral("one.bin")});
        host.countText = field;

        const DeleteRunResult result = DeleteListedFiles(host);

        QCOMPARE(result.overwriteCount, countUsed);
        QCOMPARE(host.countText, fieldAfter);
        QCOMPARE(
            host.prompts.texts().contains(QStringLiteral("Invalid number. Will use default=2")),
            invalid);
        QCOMPARE(result.done, 1);
    }

    void invalidCountMessageInGerman()
    {
        FakeHost host;
        host.lang = 0;
        createFiles(host, {QStringLiteral("one.bin")});
        host.countText = QString();
        DeleteListedFiles(host);
        QCOMPARE(
            host.prompts.messages.at(1),
            Message::dialog(MessageIcon::Information,
                            QStringLiteral("Ungültige Anzahl. Verwende Standardeinstellungen=2"),
                            MessageButtons::Ok));
    }

    void cancelStopsBeforeTheNextFile()
    {
        FakeHost host;
        createFiles(host, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        host.cancelAfterFiles = 1;
        host.resultText = QStringLiteral("earlier run");

        const DeleteRunResult result = DeleteListedFiles(host);

        QVERIFY(result.cancelled);
        QVERIFY(!host.cancelFlag);
        QCOMPARE(host.entries, (QStringList{QStringLiteral("b"), QStringLiteral("c")}));
        QCOMPARE(host.countLabel, QStringLiteral("2 file(s) selected"));
        QCOMPARE(host.resultText, QStringLiteral("earlier run"));
        QCOMPARE(host.prompts.messages.size(), 1); // the confirmation only
        QCOMPARE(host.progress, (QList<int>{0, 33}));
        QVERIFY(!exists(QStringLiteral("a")));
        QVERIFY(exists(QStringLiteral("b")) && exists(QStringLiteral("c")));
    }

    void vanishedAndEmptyFilesCountAsDone()
    {
        FakeHost host;
        createFiles(host, {QStringLiteral("empty.txt")}, 0);
        host.entries = {QStringLiteral("gone.txt"), QStringLiteral("empty.txt")};

        DeleteListedFiles(host);

        QCOMPARE(host.resultText, QStringLiteral("2 file(s) deleted"));
        QCOMPARE(host.prompts.messages.size(), 1);
        QVERIFY(host.entries.isEmpty());
        QVERIFY(!exists(QStringLiteral("empty.txt")));
    }

    void readOnlyFileIsDeleted()
    {
        FakeHost host;
        createFiles(host, {QStringLiteral("ro.txt")});
        QVERIFY(QFile::setPermissions(folder() + QStringLiteral("ro.txt"),
                                      QFile::ReadOwner | QFile::ReadGroup));
        DeleteListedFiles(host);
        QCOMPARE(host.resultText, QStringLiteral("1 file(s) deleted"));
        QVERIFY(!exists(QStringLiteral("ro.txt")));
    }

    void refusedReadOnlyFileKeepsItsAttribute()
    {
        FakeHost host;
        createFiles(host, {QStringLiteral("ro-held.txt")});
        const QString path = folder() + QStringLiteral("ro-held.txt");
        const QByteArray content = TestFiles::read(path);
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
        QFile holder(path);
        QVERIFY(holder.open(QIODevice::ReadOnly));
        QCOMPARE(::flock(holder.handle(), LOCK_SH), 0);

        DeleteListedFiles(host);

        QCOMPARE(host.entries, QStringList{QStringLiteral("ro-held.txt")});
        QVERIFY(FileAttributes::query(path).readOnly);
        QCOMPARE(TestFiles::read(path), content);
    }

    void entryNamesTheFileExactly()
    {
        // " notes.txt" and "notes.txt" are two files; only the listed one goes.
        FakeHost host;
        createFiles(host, {QStringLiteral(" notes.txt"), QStringLiteral("notes.txt")});
        const QByteArray other = TestFiles::read(folder() + QStringLiteral("notes.txt"));
        host.entries = {QStringLiteral(" notes.txt")};

        DeleteListedFiles(host);

        QCOMPARE(host.resultText, QStringLiteral("1 file(s) deleted"));
        QVERIFY(!exists(QStringLiteral(" notes.txt")));
        QCOMPARE(TestFiles::read(folder() + QStringLiteral("notes.txt")), other);
    }

    void blankEntriesTouchNoFile()
    {
        FakeHost host;
        createFiles(host, {QStringLiteral("  ")});
        DeleteListedFiles(host);
        QCOMPARE(host.workRuns, 0);
        QVERIFY(host.entries.isEmpty());
        QVERIFY(exists(QStringLiteral("  ")));
    }

    void fileWorkOnAnotherThread()
    {
        ThreadedHost host;
        createFiles(host, {QStringLiteral("a"), QStringLiteral("b")}, 3 << 20);
        QFile holder(folder() + QStringLiteral("b"));
        QVERIFY(holder.open(QIODevice::ReadOnly));
        QCOMPARE(::flock(holder.handle(), LOCK_SH), 0);

        DeleteListedFiles(host);

        QCOMPARE(host.workRuns, 2);
        QCOMPARE(host.resultText, QStringLiteral("1 file(s) deleted"));
        QCOMPARE(host.entries, QStringList{QStringLiteral("b")});
        QVERIFY(!exists(QStringLiteral("a")));
    }

    void compactionKeepsOrderOfTheRest()
    {
        QStringList entries{QStringLiteral("  "), QStringLiteral("a"),   QStringLiteral("\t"),
                            QStringLiteral("  "), QStringLiteral(" b "), QString()};
        QCOMPARE(RemoveBlankEntries(entries), 4);
        QCOMPARE(entries, (QStringList{QStringLiteral("a"), QStringLiteral(" b ")}));
    }
};

QTEST_GUILESS_MAIN(TestDeleteListedFiles)
#include "TestDeleteListedFiles.moc"
