#include "RecordingObserver.h"
#include "ScriptedPrompter.h"
#include "TestFiles.h"
#include "Unchangeable.h"
#include "jobs/ShredJob.h"
#include "platform/FileAttributes.h"
#include "shred/DeleteProgress.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray filled(qsizetype size, unsigned char byte)
{
    return QByteArray(size, static_cast<char>(byte));
}

Language languageOf(int row)
{
    return row == 0 ? Language::German : Language::English;
}

} // namespace

class TestShredJob : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedPrompter m_prompts;
    RecordingObserver m_observer;

    QString path(const QString &name) const { return m_dir->filePath(name); }

    QStringList makeFiles(const QStringList &names, qsizetype size = 5000)
    {
        QStringList paths;
        quint32 seed = 1;
        for (const QString &name : names) {
            if (!TestFiles::write(path(name), TestFiles::randomBytes(size, seed++)))
                qFatal("cannot write %s", qPrintable(name));
            paths.append(path(name));
        }
        return paths;
    }

    ShredJobResult run(const QStringList &paths, std::optional<int> count = 2,
                       Language language = Language::English)
    {
        ShredJob job(paths, count, language, m_prompts, m_observer);
        return job.run();
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_prompts = ScriptedPrompter();
        m_observer = RecordingObserver();
    }

    void allFilesDeletedAfterOneQuestion()
    {
        const QStringList paths = makeFiles({"a.txt", "b.txt", "c.txt"});
        const ShredJobResult result = run(paths);

        QCOMPARE(m_prompts.messages,
                 QList<Message>{Message::dialog(
                     MessageIcon::Question,
                     QStringLiteral("3 file(s) selected. Really delete these file(s)?"),
                     MessageButtons::YesNo)});
        QCOMPARE(result.done, 3);
        QCOMPARE(result.overwriteCount, 2);
        QCOMPARE(m_observer.started, (QList<int>{0, 1, 2}));
        QCOMPARE(m_observer.reports.size(), 3);
        for (const FileReport &report : std::as_const(m_observer.reports))
            QCOMPARE(report.outcome, FileOutcome::Done);
        // The bar's unit: the last file's length times its four passes.
        QCOMPARE(m_observer.lastTotal, quint64(4 * 5000));
        QCOMPARE(m_observer.lastDone, m_observer.lastTotal);
        for (const QString &file : paths)
            QVERIFY(!QFileInfo::exists(file));
    }

    void refusedFilesAreNamedAccessDenied_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("text");
        QTest::newRow("English") << 1
                                 << QStringLiteral(
                                        "2 file(s) access denied! Could not delete files!");
        QTest::newRow("German") << 0
                                << QStringLiteral("2 Datei(en) Zugriff verweigert! Konnten nicht "
                                                  "gelöscht werden!");
    }

    void refusedFilesAreNamedAccessDenied()
    {
        QFETCH(int, language);
        QFETCH(QString, text);
        const QStringList paths = makeFiles({"1.bin", "2.bin", "3.bin", "4.bin", "5.bin"});
        const QByteArray second = TestFiles::read(paths[1]);
        QFile holder2(paths[1]);
        QFile holder4(paths[3]);
        QVERIFY(holder2.open(QIODevice::ReadOnly) && holder4.open(QIODevice::ReadOnly));
        QCOMPARE(::flock(holder2.handle(), LOCK_SH), 0);
        QCOMPARE(::flock(holder4.handle(), LOCK_SH), 0);

        const ShredJobResult result = run(paths, 2, languageOf(language));

        QCOMPARE(m_prompts.messages.size(), 2);
        QCOMPARE(m_prompts.messages.last(),
                 Message::dialog(MessageIcon::Information, text, MessageButtons::Ok));
        QCOMPARE(result.done, 3);
        QCOMPARE(result.refused, 2);
        QCOMPARE(m_observer.reports[1].outcome, FileOutcome::Failed);
        QVERIFY(!m_observer.reports[1].reason.isEmpty());
        QCOMPARE(TestFiles::read(paths[1]), second);
        QVERIFY(!QFileInfo::exists(paths[0]) && !QFileInfo::exists(paths[4]));
    }

    void overwrittenButNotRemovedIsSaidSo_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("text");
        QTest::newRow("English")
            << 1
            << QStringLiteral("2 file(s) overwritten but not removed: their content is destroyed, "
                              "the file(s) are still there (the folder does not allow removing "
                              "files).");
        QTest::newRow("German")
            << 0
            << QStringLiteral("2 Datei(en) überschrieben, aber nicht entfernt: Ihr Inhalt ist "
                              "zerstört, die Datei(en) sind noch da (der Ordner erlaubt kein "
                              "Entfernen von Dateien).");
    }

    void overwrittenButNotRemovedIsSaidSo()
    {
        // Files in a folder that allows no removal: all 0xC1 afterwards, and
        // the run must not call them untouched ("access denied").
        QFETCH(int, language);
        QFETCH(QString, text);
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("locked")));
        const QStringList paths = makeFiles({"locked/x.bin", "locked/y.bin"}, 7000);
        Unchangeable guard(path(QStringLiteral("locked")));
        if (!guard.active())
            QSKIP("cannot make a folder unchangeable here");

        const ShredJobResult result = run(paths, 1, languageOf(language));

        QCOMPARE(result.overwrittenNotRemoved, 2);
        QCOMPARE(result.refused, 0);
        QCOMPARE(m_prompts.texts().mid(1), QStringList{text});
        for (const QString &file : paths)
            QCOMPARE(TestFiles::read(file), filled(7000, 0xC1));
    }

    void onlyRegularFilesOfOneNameAreShredded_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("symbolic link") << QStringLiteral("link");
        QTest::newRow("named pipe") << QStringLiteral("pipe");
    }

    void onlyRegularFilesOfOneNameAreShredded()
    {
        QFETCH(QString, kind);
        const QStringList paths = makeFiles({"target.bin", "plain.bin"});
        const QByteArray target = TestFiles::read(paths[0]);
        const QString special = path(QStringLiteral("special"));
        if (kind == QLatin1String("link"))
            QVERIFY(QFile::link(paths[0], special));
        else
            QCOMPARE(::mkfifo(QFile::encodeName(special).constData(), 0600), 0);

        const ShredJobResult result = run({special, paths[1]});

        QCOMPARE(result.done, 1);
        QCOMPARE(result.notRegular, 1);
        QCOMPARE(m_prompts.texts().last(),
                 QStringLiteral("1 file(s) not deleted: only regular files of one name are "
                                "overwritten. Symbolic links, folders, pipes, sockets and devices "
                                "are left unchanged."));
        QVERIFY(FileAttributes::query(special).exists());
        QCOMPARE(TestFiles::read(paths[0]), target);
        QVERIFY(!QFileInfo::exists(paths[1]));
    }

    void otherNamesAreNamedInTheQuestion_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("question");
        QTest::newRow("English")
            << 1
            << QStringLiteral("1 file(s) selected. Really delete these file(s)?\n\nThese file(s) "
                              "have further names (hard links); their data is lost under the "
                              "other names too:\n");
        QTest::newRow("German")
            << 0
            << QStringLiteral(
                   "1 Datei(en) unwiderruflich löschen?\n\nDiese Datei(en) haben weitere "
                   "Namen (harte Links); auch unter den anderen Namen gehen ihre Daten "
                   "verloren:\n");
    }

    void otherNamesAreNamedInTheQuestion()
    {
        QFETCH(int, language);
        QFETCH(QString, question);
        const QString file = makeFiles({"twice.bin"}).first();
        const QString other = path(QStringLiteral("elsewhere.bin"));
        QCOMPARE(::link(QFile::encodeName(file).constData(), QFile::encodeName(other).constData()),
                 0);

        const ShredJobResult result = run({file}, 1, languageOf(language));

        QCOMPARE(m_prompts.texts().first(), question + QDir::toNativeSeparators(file));
        QCOMPARE(result.done, 1);
        QCOMPARE(TestFiles::read(other), filled(5000, 0xC1));
    }

    void answeringNoChangesNothing()
    {
        const QStringList paths = makeFiles({"a.txt", "b.txt"});
        m_prompts.queueAnswers({MessageAnswer::No});
        const ShredJobResult result = run(paths, 25, Language::German);
        QCOMPARE(m_prompts.texts(),
                 QStringList{QStringLiteral("2 Datei(en) unwiderruflich löschen?")});
        QVERIFY(!result.confirmed);
        QCOMPARE(result.overwriteCount, 0);
        QVERIFY(m_observer.started.isEmpty());
        QVERIFY(QFileInfo::exists(paths[0]) && QFileInfo::exists(paths[1]));
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
        run({}, 2, languageOf(language));
        QCOMPARE(m_prompts.messages, QList<Message>{Message::dialog(MessageIcon::Information, text,
                                                                    MessageButtons::Ok)});
    }

    void overwriteCount_data()
    {
        QTest::addColumn<bool>("given");
        QTest::addColumn<int>("requested");
        QTest::addColumn<int>("used");
        QTest::newRow("0 becomes 1") << true << 0 << 1;
        QTest::newRow("25 becomes 10") << true << 25 << 10;
        QTest::newRow("-3 becomes 1") << true << -3 << 1;
        QTest::newRow("7 stays") << true << 7 << 7;
        QTest::newRow("no number: 2, and a message") << false << 0 << 2;
    }

    void overwriteCount()
    {
        QFETCH(bool, given);
        QFETCH(int, requested);
        QFETCH(int, used);
        const QStringList paths = makeFiles({"one.bin"}, 100);
        const ShredJobResult result =
            run(paths, given ? std::optional<int>(requested) : std::nullopt);
        QCOMPARE(result.overwriteCount, used);
        QCOMPARE(m_observer.lastTotal, quint64(100 * 2 * used));
        QCOMPARE(m_prompts.texts().contains(QStringLiteral("Invalid number. Will use default=2")),
                 !given);
    }

    void cancelBetweenFilesStopsBeforeTheNext()
    {
        const QStringList paths = makeFiles({"a", "b", "c"});
        ShredJob job(paths, 1, Language::English, m_prompts, m_observer);
        m_observer.onFileDone = [&job](const FileReport &) { job.cancel(); };

        const ShredJobResult result = job.run();

        QVERIFY(result.cancelled);
        QVERIFY(result.partlyOverwritten.isEmpty());
        QCOMPARE(m_observer.reports.size(), 1);
        QCOMPARE(m_prompts.messages.size(), 1); // the question only
        QVERIFY(!QFileInfo::exists(paths[0]));
        QVERIFY(QFileInfo::exists(paths[1]) && QFileInfo::exists(paths[2]));
    }

    void cancelDuringPassesEndsAtThePassBoundary()
    {
        // A read-only file, cancelled in its first pass: that pass is
        // finished and flushed, the file stays with its mode.
        const QStringList paths = makeFiles({"big.bin", "next.bin"}, 9000);
        QVERIFY(::chmod(QFile::encodeName(paths[0]).constData(), 0444) == 0);
        ShredJob job(paths, 2, Language::English, m_prompts, m_observer);
        job.setPassObserver([&job](int, unsigned char) { job.cancel(); });

        const ShredJobResult result = job.run();

        QVERIFY(result.cancelled);
        QCOMPARE(result.partlyOverwritten, paths[0]);
        QCOMPARE(result.passesDone, 1);
        QCOMPARE(result.passes, 4);
        QCOMPARE(TestFiles::read(paths[0]), filled(9000, 0x3E));
        QVERIFY(FileAttributes::query(paths[0]).readOnly);
        QCOMPARE(m_observer.reports.size(), 1);
        QCOMPARE(m_observer.reports[0].outcome, FileOutcome::Cancelled);
        QCOMPARE(m_observer.reports[0].reason,
                 QStringLiteral("Cancelled: big.bin is only partly overwritten (1/4 passes) and "
                                "not deleted."));
        QCOMPARE(m_prompts.messages.size(), 1);
        QVERIFY(QFileInfo::exists(paths[1]));
    }

    void readOnlyFiles_data()
    {
        QTest::addColumn<bool>("held");
        QTest::newRow("deleted") << false;
        QTest::newRow("refused, keeps its attribute") << true;
    }

    void readOnlyFiles()
    {
        QFETCH(bool, held);
        const QString file = makeFiles({"ro.txt"}).first();
        const QByteArray content = TestFiles::read(file);
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner));
        QFile holder(file);
        if (held) {
            QVERIFY(holder.open(QIODevice::ReadOnly));
            QCOMPARE(::flock(holder.handle(), LOCK_SH), 0);
        }
        const ShredJobResult result = run({file});
        QCOMPARE(result.done, held ? 0 : 1);
        if (held) {
            QVERIFY(FileAttributes::query(file).readOnly);
            QCOMPARE(TestFiles::read(file), content);
        } else {
            QVERIFY(!QFileInfo::exists(file));
        }
    }

    void fileReplacedDuringThePassesIsKept_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reason");
        QTest::newRow("English")
            << 1
            << QStringLiteral("1 file(s) not deleted: another program replaced, moved, shortened "
                              "or extended them while they were being overwritten. Only a file "
                              "that was overwritten in full is deleted, so these were left where "
                              "they are.")
            << QStringLiteral("was replaced by another file while being overwritten: not "
                              "deleted; the file now under its name was left unchanged");
        QTest::newRow("German")
            << 0
            << QStringLiteral("1 Datei(en) nicht gelöscht: Ein anderes Programm hat sie während "
                              "des Überschreibens ersetzt, verschoben, gekürzt oder verlängert. "
                              "Gelöscht wird nur eine ganz überschriebene Datei; diese blieben, "
                              "wo sie sind.")
            << QStringLiteral("wurde während des Überschreibens durch eine andere Datei ersetzt: "
                              "nicht gelöscht; die Datei, die jetzt unter dem Namen steht, blieb "
                              "unverändert");
    }

    void fileReplacedDuringThePassesIsKept()
    {
        // A read-only file is swapped for another one after its first pass:
        // the other file keeps its bytes and its mode; the next file goes.
        QFETCH(int, language);
        QFETCH(QString, text);
        QFETCH(QString, reason);
        const QStringList paths = makeFiles({"swapped.bin", "next.bin"});
        const QString other = path(QStringLiteral("other.bin"));
        const QByteArray otherBytes = TestFiles::randomBytes(3000, 40);
        QVERIFY(TestFiles::write(other, otherBytes));
        QVERIFY(QFile::setPermissions(paths[0], QFile::ReadOwner));
        ShredJob job(paths, 1, languageOf(language), m_prompts, m_observer);
        bool swapped = false;
        job.setPassObserver([&](int, unsigned char) {
            if (swapped)
                return;
            swapped = QFile::rename(paths[0], path(QStringLiteral("moved.bin"))) &&
                      QFile::rename(other, paths[0]);
        });

        const ShredJobResult result = job.run();

        QVERIFY(swapped);
        QCOMPARE(result.done, 1);
        QCOMPARE(result.changedMeanwhile, 1);
        QCOMPARE(result.notDeleted(), 1);
        QCOMPARE(m_prompts.texts().mid(1), QStringList{text});
        QCOMPARE(m_observer.reports[0].outcome, FileOutcome::Failed);
        QCOMPARE(m_observer.reports[0].reason, reason);
        QCOMPARE(TestFiles::read(paths[0]), otherBytes);
        QVERIFY(!FileAttributes::query(paths[0]).readOnly);
        QVERIFY(!QFileInfo::exists(paths[1]));
    }

    void vanishedEmptyAndExactlyNamedFiles()
    {
        // " notes.txt" and "notes.txt" are two files; only the listed one goes.
        const QStringList paths = makeFiles({" notes.txt", "notes.txt"});
        const QString empty = makeFiles({"empty.txt"}, 0).first();
        const QByteArray other = TestFiles::read(paths[1]);

        const ShredJobResult result = run({path("gone.txt"), empty, paths[0]});

        QCOMPARE(result.done, 3);
        QCOMPARE(m_observer.reports[0].outcome, FileOutcome::Skipped);
        QCOMPARE(m_prompts.messages.size(), 1);
        QVERIFY(!QFileInfo::exists(empty) && !QFileInfo::exists(paths[0]));
        QCOMPARE(TestFiles::read(paths[1]), other);
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
            computed.append(DeleteProgress::percentAfterFiles(processed, total));
        QCOMPARE(computed, percents);
        QCOMPARE(DeleteProgress::percentAfterFiles(1, 200), 0); // 0.5
        QCOMPARE(DeleteProgress::percentAfterFiles(3, 200), 2); // 1.5
    }

    void progressMovesWithinAFile_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("total");
        QTest::addColumn<quint64>("done");
        QTest::addColumn<int>("percent");
        QTest::newRow("one file, a quarter") << 0 << 1 << quint64(25) << 25;
        QTest::newRow("one file, all but the end stays below 100") << 0 << 1 << quint64(99) << 99;
        QTest::newRow("one file, done") << 0 << 1 << quint64(100) << 99;
        QTest::newRow("second of three, half") << 1 << 3 << quint64(50) << 50;
        QTest::newRow("second of three, nothing yet") << 1 << 3 << quint64(0) << 33;
    }

    void progressMovesWithinAFile()
    {
        QFETCH(int, index);
        QFETCH(int, total);
        QFETCH(quint64, done);
        QFETCH(int, percent);
        QCOMPARE(DeleteProgress::percentWithinFile(index, total, done, 100), percent);
    }
};

QTEST_GUILESS_MAIN(TestShredJob)
#include "TestShredJob.moc"
