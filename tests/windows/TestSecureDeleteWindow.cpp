#include "PassWatch.h"
#include "TestFiles.h"
#include "TextFit.h"
#include "WidgetPart.h"
#include "WindowParts.h"

#include "platform/gui/DesktopServices.h"
#include "platform/gui/HelpFile.h"
#include "widgets/FileDialog.h"
#include "widgets/FlatButton.h"
#include "widgets/GradientProgressBar.h"
#include "widgets/MessageBox.h"
#include "windows/SecureDeleteWindow.h"

#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Holds an exclusive flock on a file through a descriptor of its own, as
// another program that has the file open would.
class HeldFile
{
public:
    explicit HeldFile(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC))
    {
        m_locked = m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) == 0;
    }
    ~HeldFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    HeldFile(const HeldFile &) = delete;
    HeldFile &operator=(const HeldFile &) = delete;
    bool locked() const { return m_locked; }

private:
    int m_fd = -1;
    bool m_locked = false;
};

QListWidget *fileList(const SecureDeleteWindow &w)
{
    return part<QListWidget>(&w, SecureDeleteParts::FileList);
}
QLineEdit *countField(const SecureDeleteWindow &w)
{
    return part<QLineEdit>(&w, SecureDeleteParts::CountField);
}
QLineEdit *folderField(const SecureDeleteWindow &w)
{
    return part<QLineEdit>(&w, SecureDeleteParts::FolderField);
}
QLabel *countLabel(const SecureDeleteWindow &w)
{
    return part<QLabel>(&w, SecureDeleteParts::SelectionCount);
}
QLabel *resultLabel(const SecureDeleteWindow &w)
{
    return part<QLabel>(&w, SecureDeleteParts::ResultLabel);
}
GradientProgressBar *progressBar(const SecureDeleteWindow &w)
{
    return part<GradientProgressBar>(&w, SecureDeleteParts::ProgressBar);
}
FlatButton *button(const SecureDeleteWindow &w, const char *name)
{
    return part<FlatButton>(&w, name);
}

void openIn(SecureDeleteWindow &window, Language language)
{
    window.open(SecureDeleteSession{language, {}});
}

// Presses start and waits until the run is over.
bool runToEnd(SecureDeleteWindow &window)
{
    QSignalSpy finished(&window, &SecureDeleteWindow::runFinished);
    button(window, SecureDeleteParts::StartShredding)->click();
    return finished.count() > 0 || finished.wait(60000);
}

QStringList entries(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

} // namespace

class TestSecureDeleteWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void texts_data();
    void texts();
    void showingTwiceStartsEmpty();
    void selectStartsInLastFolderAndClearsFirst();
    void selectKeepsOnlyFilesOfTheFirstFolder();
    void viewOpensSelectedOrFirstEntry();
    void removeTakesSelectedEntriesOnly();
    void runLeavesRefusedFilesListed();
    void fileReplacedDuringThePassesStaysListed();
    void cancelShowsAtOnceAndStopsAtThePassBoundary();
    void cancelledResultFitsItsLabel_data();
    void cancelledResultFitsItsLabel();
    void barMovesWithinOneLargeFile();
    void stopForQuitEndsTheRun();
    void goingWhileAQuestionWaitsDropsIt();
    void blankEntriesTouchNoFile();
    void overwriteCountField_data();
    void overwriteCountField();
    void escapeMinimisesAndF1OpensHelp();
    void folderRunConfirmsAndCounts_data();
    void folderRunConfirmsAndCounts();
    void dropTakesFilesAndFoldersWhole();

private:
    // Files in the temporary folder, each with its own content.
    QStringList makeFiles(const QStringList &names, qsizetype size = 100);
    // Selects the files through the (queued) file dialog.
    void selectFiles(SecureDeleteWindow &window, const QStringList &paths);

    QTemporaryDir m_dir;
};

void TestSecureDeleteWindow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // No box or dialog may ever block a test: unqueued boxes answer Ok/Yes.
    MessageBox::setAutoAnswer(true);
    DesktopServices::setRecording(true);
}

void TestSecureDeleteWindow::init()
{
    MessageBox::clearHistory();
    FileDialog::clearHistory();
    DesktopServices::clearHistory();
}

void TestSecureDeleteWindow::cleanup()
{
    // Unused queued dialog results would leak into the next test.
    FileDialog::clearHistory();
}

QStringList TestSecureDeleteWindow::makeFiles(const QStringList &names, qsizetype size)
{
    QStringList paths;
    quint32 seed = 1;
    for (const QString &name : names) {
        const QString path = m_dir.filePath(name);
        if (!TestFiles::write(path, TestFiles::randomBytes(size, seed++)))
            qFatal("cannot write %s", qPrintable(path));
        paths.append(path);
    }
    return paths;
}

void TestSecureDeleteWindow::selectFiles(SecureDeleteWindow &window, const QStringList &paths)
{
    FileDialog::setNextResult(paths);
    button(window, SecureDeleteParts::SelectFiles)->click();
}

void TestSecureDeleteWindow::texts_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("expected");
    // caption, label, count label, hints (select, new, remove, view, start,
    // cancel), close, and the run's message over an empty list
    QTest::newRow("German") << 0
                            << QStringList{"Sicheres Löschen",
                                           "x überschreiben",
                                           "0 Datei(en) ausgewählt",
                                           "Dateien auswählen",
                                           "Neu",
                                           "Datei aus der Liste entfernen",
                                           "Datei ansehen",
                                           "Dateien löschen",
                                           "Löschen abbrechen",
                                           "Schliessen",
                                           "Keine Datei(en) ausgewählt!"};
    const QStringList english{"Secure Delete",
                              "x overwrite",
                              "0 file(s) selected",
                              "Select files",
                              "New",
                              "Remove file from list",
                              "View file",
                              "Delete files",
                              "Cancel delete operation",
                              "Close",
                              "No file(s) selected!"};
    QTest::newRow("English") << 1 << english;
    QTest::newRow("any other value is English") << 7 << english;
}

void TestSecureDeleteWindow::texts()
{
    QFETCH(int, language);
    QFETCH(QStringList, expected);
    SecureDeleteWindow window;
    // The window is reused: the language of each showing counts.
    openIn(window, language == 0 ? Language::English : Language::German);
    window.hide();
    openIn(window, languageFromStored(language));
    QVERIFY(runToEnd(window));

    const QStringList shown{window.windowTitle(),
                            part<QLabel>(&window, SecureDeleteParts::CountCaption)->text(),
                            countLabel(window)->text(),
                            button(window, SecureDeleteParts::SelectFiles)->hint(),
                            button(window, SecureDeleteParts::ClearList)->hint(),
                            button(window, SecureDeleteParts::RemoveFiles)->hint(),
                            button(window, SecureDeleteParts::ViewFile)->hint(),
                            button(window, SecureDeleteParts::StartShredding)->hint(),
                            button(window, SecureDeleteParts::CancelShredding)->hint(),
                            part<QPushButton>(&window, SecureDeleteParts::Close)->text(),
                            MessageBox::shownTexts().value(0)};
    QCOMPARE(shown, expected);
    QCOMPARE(MessageBox::shownTexts().size(), 1);
}

void TestSecureDeleteWindow::showingTwiceStartsEmpty()
{
    SecureDeleteWindow window;
    QCOMPARE(window.size(),
             QSize(SecureDeleteWindow::ClientWidth, SecureDeleteWindow::ClientHeight));
    QCOMPARE(fileList(window)->size(), QSize(389, 245));
    QCOMPARE(countField(window)->text(), QStringLiteral("2"));
    QVERIFY(countField(window)->alignment() & Qt::AlignRight);
    QVERIFY(folderField(window)->isReadOnly());
    QCOMPARE(fileList(window)->selectionMode(), QAbstractItemView::ExtendedSelection);

    openIn(window, Language::English);
    selectFiles(window, makeFiles({"twice-1.txt", "twice-2.txt"}));
    QVERIFY(runToEnd(window));
    QCOMPARE(resultLabel(window)->text(), QStringLiteral("2 file(s) deleted"));
    QCOMPARE(progressBar(window)->percent(), 100);
    selectFiles(window, makeFiles({"twice-3.txt"}));
    QCOMPARE(fileList(window)->count(), 1);
    part<QPushButton>(&window, SecureDeleteParts::Close)->click();
    QVERIFY(!window.isVisible());

    openIn(window, Language::English);
    QCOMPARE(fileList(window)->count(), 0);
    QCOMPARE(countLabel(window)->text(), QStringLiteral("0 file(s) selected"));
    QCOMPARE(folderField(window)->text(), QString());
    QCOMPARE(resultLabel(window)->text(), QString());
    QCOMPARE(progressBar(window)->percent(), 0);
    // The count field keeps what the last run used.
    QCOMPARE(countField(window)->text(), QStringLiteral("2"));
    QVERIFY(QFileInfo::exists(m_dir.filePath("twice-3.txt")));
}

void TestSecureDeleteWindow::selectStartsInLastFolderAndClearsFirst()
{
    QTemporaryDir first;
    QTemporaryDir second;
    QVERIFY(TestFiles::write(first.filePath("a.txt"), "a"));
    QVERIFY(TestFiles::write(first.filePath(".hidden"), "h"));
    QVERIFY(TestFiles::write(second.filePath("b.txt"), "b"));

    SecureDeleteWindow window;
    openIn(window, Language::English);
    selectFiles(window, {first.filePath("a.txt"), first.filePath(".hidden")});
    const QString firstFolder = QDir::toNativeSeparators(first.path()) + QDir::separator();
    QCOMPARE(folderField(window)->text(), firstFolder);
    QCOMPARE(entries(fileList(window)), (QStringList{"a.txt", ".hidden"}));
    QCOMPARE(countLabel(window)->text(), QStringLiteral("2 file(s) selected"));

    // The next dialog starts in that folder; cancelling it leaves nothing.
    selectFiles(window, {});
    QCOMPARE(fileList(window)->count(), 0);
    QCOMPARE(folderField(window)->text(), QString());
    QCOMPARE(countLabel(window)->text(), QStringLiteral("0 file(s) selected"));

    selectFiles(window, {second.filePath("b.txt")});
    QCOMPARE(entries(fileList(window)), QStringList{"b.txt"});

    const QList<FileDialogRequest> requests = FileDialog::requests();
    QCOMPARE(requests.size(), 3);
    for (const FileDialogRequest &request : requests) {
        QCOMPARE(request.kind, FileDialogRequest::Kind::OpenFiles);
        QCOMPARE(request.filter, QStringLiteral("Alle|*.*"));
        QVERIFY(request.showHidden);
    }
    QCOMPARE(requests.at(1).directory, firstFolder);
    QCOMPARE(requests.at(2).directory, firstFolder);

    // A last folder that is gone is not offered.
    const QString secondFolder = QDir::toNativeSeparators(second.path()) + QDir::separator();
    QCOMPARE(window.lastFolder(), secondFolder);
    second.remove();
    selectFiles(window, {});
    QCOMPARE(FileDialog::requests().last().directory, QString());
}

void TestSecureDeleteWindow::selectKeepsOnlyFilesOfTheFirstFolder()
{
    // Entries are names in the folder field's folder. A file from another
    // folder with the name of a file here must not be listed: the run would
    // destroy the file here instead.
    QTemporaryDir other;
    makeFiles({"mine.txt", "same-name.txt"});
    QVERIFY(TestFiles::write(other.filePath("same-name.txt"), "elsewhere"));

    SecureDeleteWindow window;
    openIn(window, Language::English);
    selectFiles(window, {m_dir.filePath("mine.txt"), other.filePath("same-name.txt")});
    QCOMPARE(entries(fileList(window)), QStringList{"mine.txt"});

    QVERIFY(runToEnd(window));
    QVERIFY(!QFileInfo::exists(m_dir.filePath("mine.txt")));
    QVERIFY(QFileInfo::exists(m_dir.filePath("same-name.txt")));
    QVERIFY(QFileInfo::exists(other.filePath("same-name.txt")));
}

void TestSecureDeleteWindow::viewOpensSelectedOrFirstEntry()
{
    const QStringList paths = makeFiles({"view-1.txt", "view-2.txt", "view-3.txt"});
    SecureDeleteWindow window;
    openIn(window, Language::English);

    // An empty list opens nothing.
    button(window, SecureDeleteParts::ViewFile)->click();
    QVERIFY(DesktopServices::openedUrls().isEmpty());

    selectFiles(window, paths);
    QVERIFY(fileList(window)->selectedItems().isEmpty());
    button(window, SecureDeleteParts::ViewFile)->click();
    QCOMPARE(DesktopServices::openedUrls(), QList<QUrl>{QUrl::fromLocalFile(paths.at(0))});
    QCOMPARE(fileList(window)->selectedItems().size(), 1);
    QCOMPARE(fileList(window)->currentRow(), 0);

    fileList(window)->setCurrentRow(2, QItemSelectionModel::ClearAndSelect);
    button(window, SecureDeleteParts::ViewFile)->click();
    QCOMPARE(DesktopServices::openedUrls().last(), QUrl::fromLocalFile(paths.at(2)));

    // A file that is gone is not opened.
    QVERIFY(QFile::remove(paths.at(2)));
    button(window, SecureDeleteParts::ViewFile)->click();
    QCOMPARE(DesktopServices::openedUrls().size(), 2);
}

void TestSecureDeleteWindow::removeTakesSelectedEntriesOnly()
{
    const QStringList paths = makeFiles({"rm-1.txt", "rm-2.txt", "rm-3.txt", "rm-4.txt"});
    SecureDeleteWindow window;
    openIn(window, Language::English);
    selectFiles(window, paths);
    fileList(window)->item(1)->setSelected(true);
    fileList(window)->item(3)->setSelected(true);
    button(window, SecureDeleteParts::RemoveFiles)->click();

    QCOMPARE(entries(fileList(window)), (QStringList{"rm-1.txt", "rm-3.txt"}));
    QCOMPARE(countLabel(window)->text(), QStringLiteral("2 file(s) selected"));
    for (const QString &path : paths)
        QVERIFY(QFileInfo::exists(path));
}

void TestSecureDeleteWindow::runLeavesRefusedFilesListed()
{
    const QStringList names{"run-a.txt", "run-b.txt", "run-c.txt", "run-d.txt", "run-e.txt"};
    const QStringList paths = makeFiles(names, 10000);
    const QByteArray contentB = TestFiles::read(paths.at(1));
    const QByteArray contentD = TestFiles::read(paths.at(3));

    // b is held by this test, d by another program.
    HeldFile heldB(paths.at(1));
    QVERIFY(heldB.locked());
    QProcess holder;
    holder.start(QStringLiteral("flock"), {QStringLiteral("-x"), paths.at(3), QStringLiteral("-c"),
                                           QStringLiteral("echo locked; exec sleep 60")});
    QVERIFY2(holder.waitForReadyRead(10000), "flock did not take the lock");
    const auto stopHolder = qScopeGuard([&holder] {
        holder.kill();
        holder.waitForFinished();
    });

    SecureDeleteWindow window;
    openIn(window, Language::English);
    selectFiles(window, paths);
    QVERIFY(runToEnd(window));

    QCOMPARE(MessageBox::shownTexts(),
             (QStringList{"5 file(s) selected. Really delete these file(s)?",
                          "2 file(s) access denied! Could not delete files!"}));
    QCOMPARE(entries(fileList(window)), (QStringList{"run-b.txt", "run-d.txt"}));
    QVERIFY(countLabel(window)->text().startsWith(QLatin1String("2")));
    QCOMPARE(resultLabel(window)->text(), QStringLiteral("3 file(s) deleted"));
    QCOMPARE(progressBar(window)->percent(), 100);
    // A refused entry's hint says why.
    QVERIFY(!fileList(window)->item(0)->toolTip().isEmpty());

    QVERIFY(!QFileInfo::exists(paths.at(0)));
    QVERIFY(!QFileInfo::exists(paths.at(2)));
    QVERIFY(!QFileInfo::exists(paths.at(4)));
    QCOMPARE(TestFiles::read(paths.at(1)), contentB);
    QCOMPARE(TestFiles::read(paths.at(3)), contentD);

    QVERIFY(!window.isRunning());
    QVERIFY(button(window, SecureDeleteParts::StartShredding)->isEnabled());
    QVERIFY(button(window, SecureDeleteParts::SelectFiles)->isEnabled());
    QVERIFY(part<QPushButton>(&window, SecureDeleteParts::Close)->isEnabled());
}

void TestSecureDeleteWindow::fileReplacedDuringThePassesStaysListed()
{
    // While the run's thread overwrites the large file, this thread moves
    // it away and renames another file to its name.
    const QString large = m_dir.filePath(QStringLiteral("swap-large.bin"));
    QVERIFY(TestFiles::write(large, QByteArray(16 << 20, 'p')));
    const QStringList paths = QStringList{large} + makeFiles({"swap-plain.txt"});
    const QString other = m_dir.filePath(QStringLiteral("swap-other.bin"));
    const QByteArray otherBytes = TestFiles::randomBytes(5000, 30);
    QVERIFY(TestFiles::write(other, otherBytes));

    SecureDeleteWindow window;
    openIn(window, Language::German);
    selectFiles(window, paths);
    bool swapped = false;
    QTimer watcher;
    watcher.setInterval(0);
    connect(&watcher, &QTimer::timeout, &window, [&] {
        if (swapped || !PassWatch::startsWithPassByte(large))
            return;
        swapped =
            QFile::rename(large, large + QStringLiteral(".old")) && QFile::rename(other, large);
    });
    watcher.start();
    QVERIFY(runToEnd(window));
    watcher.stop();

    QVERIFY(swapped);
    QCOMPARE(TestFiles::read(large), otherBytes);
    QCOMPARE(MessageBox::shownTexts(),
             (QStringList{"2 Datei(en) unwiderruflich löschen?",
                          "1 Datei(en) nicht gelöscht: Ein anderes Programm hat sie während des "
                          "Überschreibens ersetzt, verschoben, gekürzt oder verlängert. Gelöscht "
                          "wird nur eine ganz überschriebene Datei; diese blieben, wo sie sind."}));
    QCOMPARE(entries(fileList(window)), QStringList{"swap-large.bin"});
    QCOMPARE(fileList(window)->item(0)->toolTip(),
             QStringLiteral("wurde während des Überschreibens durch eine andere Datei ersetzt: "
                            "nicht gelöscht; die Datei, die jetzt unter dem Namen steht, blieb "
                            "unverändert"));
    QCOMPARE(resultLabel(window)->text(), QStringLiteral("1 Datei(en) gelöscht"));
    QVERIFY(!QFileInfo::exists(paths.at(1)));
    QVERIFY(QFile::remove(large) && QFile::remove(large + QStringLiteral(".old")));
}

void TestSecureDeleteWindow::cancelShowsAtOnceAndStopsAtThePassBoundary()
{
    // The first file is large and overwritten 20 times; cancel is pressed as
    // soon as the bar moves inside it.
    const QStringList paths =
        makeFiles({"cancel-1.bin"}, 16 << 20) + makeFiles({"cancel-2.txt", "cancel-3.txt"});
    SecureDeleteWindow window;
    openIn(window, Language::English);
    selectFiles(window, paths);
    countField(window)->setText(QStringLiteral("10"));

    struct Seen
    {
        bool duringWork = false;
        bool listControlsDisabled = false;
        bool stayedOpen = false;
        bool cancelDisabledAtOnce = false;
        QString labelAtOnce;
    } seen;
    QTimer watcher;
    watcher.setInterval(0);
    connect(&watcher, &QTimer::timeout, &window, [&] {
        if (seen.duringWork || !window.isRunning() || progressBar(window)->percent() == 0)
            return;
        seen.duringWork = true;
        seen.listControlsDisabled =
            !button(window, SecureDeleteParts::SelectFiles)->isEnabled() &&
            !button(window, SecureDeleteParts::ClearList)->isEnabled() &&
            !button(window, SecureDeleteParts::RemoveFiles)->isEnabled() &&
            !button(window, SecureDeleteParts::StartShredding)->isEnabled() &&
            !countField(window)->isEnabled() &&
            !part<QPushButton>(&window, SecureDeleteParts::Close)->isEnabled();
        // Closing now would return the modal call in the middle of the run.
        window.close();
        seen.stayedOpen = window.isVisible();
        button(window, SecureDeleteParts::CancelShredding)->click();
        seen.cancelDisabledAtOnce =
            !button(window, SecureDeleteParts::CancelShredding)->isEnabled();
        seen.labelAtOnce = resultLabel(window)->text();
    });
    watcher.start();
    QVERIFY(runToEnd(window));
    watcher.stop();

    QVERIFY2(seen.duringWork, "the bar did not move while the first file was overwritten");
    QVERIFY(seen.listControlsDisabled);
    QVERIFY(seen.stayedOpen);
    QVERIFY(seen.cancelDisabledAtOnce);
    QCOMPARE(seen.labelAtOnce, QStringLiteral("Stopping after the pass being written …"));

    // The first file holds whole passes only and stays listed; the others
    // were not started.
    const QByteArray first = TestFiles::read(paths.at(0));
    QCOMPARE(first.count(first.at(0)), first.size());
    QVERIFY(first.at(0) == char(0x3E) || first.at(0) == char(0xC1));
    QVERIFY(QFileInfo::exists(paths.at(1)) && QFileInfo::exists(paths.at(2)));
    QCOMPARE(entries(fileList(window)),
             (QStringList{"cancel-1.bin", "cancel-2.txt", "cancel-3.txt"}));
    QVERIFY2(resultLabel(window)->text().startsWith(
                 QStringLiteral("Cancelled: cancel-1.bin is only partly overwritten (")),
             qPrintable(resultLabel(window)->text()));
    QCOMPARE(MessageBox::shownTexts(),
             QStringList{"3 file(s) selected. Really delete these file(s)?"});
    QVERIFY(button(window, SecureDeleteParts::StartShredding)->isEnabled());
    QVERIFY(button(window, SecureDeleteParts::CancelShredding)->isEnabled());

    // The next run goes through.
    countField(window)->setText(QStringLiteral("1"));
    QVERIFY(runToEnd(window));
    QCOMPARE(fileList(window)->count(), 0);
    QCOMPARE(resultLabel(window)->text(), QStringLiteral("3 file(s) deleted"));
}

void TestSecureDeleteWindow::cancelledResultFitsItsLabel_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("start");
    const QString longName =
        QStringLiteral("Quarterly report of the regional office, final version 2026-12.odt");
    QTest::newRow("German") << 0 << "bericht.odt"
                            << "Abgebrochen: bericht.odt ist nur teilweise überschrieben (";
    QTest::newRow("English") << 1 << "report.odt"
                             << "Cancelled: report.odt is only partly overwritten (";
    QTest::newRow("German, long name") << 0 << longName << "Abgebrochen: Quarterly";
    QTest::newRow("English, long name") << 1 << longName << "Cancelled: Quarterly";
}

// The text after a cancelled run fits its panel, whole where it can, with
// the middle of a long file name left out where it cannot; the counts of
// passes always show.
void TestSecureDeleteWindow::cancelledResultFitsItsLabel()
{
    QFETCH(int, language);
    QFETCH(QString, name);
    QFETCH(QString, start);
    const QStringList paths = makeFiles({name}, 16 << 20);
    SecureDeleteWindow window;
    openIn(window, languageFromStored(language));
    selectFiles(window, paths);
    countField(window)->setText(QStringLiteral("10"));
    QTimer watcher;
    watcher.setInterval(0);
    connect(&watcher, &QTimer::timeout, &window, [&] {
        if (window.isRunning() && progressBar(window)->percent() > 0)
            button(window, SecureDeleteParts::CancelShredding)->click();
    });
    watcher.start();
    QVERIFY(runToEnd(window));
    watcher.stop();

    const QLabel *label = resultLabel(window);
    QVERIFY2(label->text().startsWith(start), qPrintable(label->text()));
    QVERIFY2(label->text().contains(QRegularExpression(QStringLiteral("\\(\\d+/20 "))),
             qPrintable(label->text()));
    QVERIFY2(TextFit::showsWhole(label), qPrintable(label->text()));
    // A shortened name stays at hand whole in the label's hint.
    QVERIFY2(label->text().contains(name) || label->toolTip().contains(name),
             qPrintable(label->toolTip()));
    QVERIFY(QFileInfo::exists(paths.first()));
}

void TestSecureDeleteWindow::barMovesWithinOneLargeFile()
{
    const QStringList paths = makeFiles({"large.bin"}, 32 << 20);
    SecureDeleteWindow window;
    openIn(window, Language::German);
    selectFiles(window, paths);
    QSet<int> percents;
    QTimer watcher;
    watcher.setInterval(0);
    connect(&watcher, &QTimer::timeout, &window,
            [&] { percents.insert(progressBar(window)->percent()); });
    watcher.start();
    QVERIFY(runToEnd(window));
    watcher.stop();

    QList<int> between;
    for (const int percent : std::as_const(percents))
        if (percent > 0 && percent < 100)
            between.append(percent);
    QVERIFY2(between.size() >= 2, "the bar did not move inside the file's passes");
    QCOMPARE(progressBar(window)->percent(), 100);
    QCOMPARE(resultLabel(window)->text(), QStringLiteral("1 Datei(en) gelöscht"));
}

void TestSecureDeleteWindow::stopForQuitEndsTheRun()
{
    const QStringList paths = makeFiles({"quit.bin"}, 16 << 20);
    SecureDeleteWindow window;
    openIn(window, Language::English);
    QVERIFY(!window.stopForQuit()); // nothing running: nothing to wait for
    selectFiles(window, paths);
    countField(window)->setText(QStringLiteral("10"));
    QSignalSpy stopped(&window, &SecureDeleteWindow::stopped);
    button(window, SecureDeleteParts::StartShredding)->click();
    QTRY_VERIFY(progressBar(window)->percent() > 0);
    QVERIFY(window.stopForQuit()); // a run was told to stop: stopped() follows
    QVERIFY(stopped.wait(60000));
    QVERIFY(!window.isRunning());
    QVERIFY(QFileInfo::exists(paths.at(0)));
}

void TestSecureDeleteWindow::goingWhileAQuestionWaitsDropsIt()
{
    const QStringList paths = makeFiles({"asked.bin"});
    {
        SecureDeleteWindow window;
        openIn(window, Language::English);
        selectFiles(window, paths);
        button(window, SecureDeleteParts::StartShredding)->click();
        // The run's confirmation is on its way to the window, which goes
        // before it has handled any event: the window must not wait for an
        // answer that never comes.
        QThread::msleep(100);
    }
    QVERIFY(MessageBox::shownMessages().isEmpty());
    QVERIFY(QFileInfo::exists(paths.at(0)));
}

void TestSecureDeleteWindow::overwriteCountField_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("field");    // after typing
    QTest::addColumn<QString>("afterRun"); // what the run leaves in it
    QTest::addColumn<bool>("invalid");     // the "Invalid number" message
    QTest::newRow("0 becomes 1") << "0"
                                 << "0"
                                 << "1" << false;
    QTest::newRow("25 becomes 10") << "25"
                                   << "25"
                                   << "10" << false;
    QTest::newRow("leading zero") << "07"
                                  << "07"
                                  << "7" << false;
    QTest::newRow("letters are not taken") << "x3y"
                                           << "3"
                                           << "3" << false;
    QTest::newRow("empty uses 2") << ""
                                  << ""
                                  << "" << true;
}

void TestSecureDeleteWindow::overwriteCountField()
{
    QFETCH(QString, typed);
    QFETCH(QString, field);
    QFETCH(QString, afterRun);
    QFETCH(bool, invalid);

    const QStringList paths = makeFiles({"count.txt"});
    SecureDeleteWindow window;
    openIn(window, Language::English);
    selectFiles(window, paths);
    countField(window)->clear();
    QTest::keyClicks(countField(window), typed);
    QCOMPARE(countField(window)->text(), field);

    QVERIFY(runToEnd(window));
    QCOMPARE(countField(window)->text(), afterRun);
    QCOMPARE(
        MessageBox::shownTexts().contains(QStringLiteral("Invalid number. Will use default=2")),
        invalid);
    QVERIFY(!QFileInfo::exists(paths.at(0)));
    QCOMPARE(resultLabel(window)->text(), QStringLiteral("1 file(s) deleted"));
}

void TestSecureDeleteWindow::blankEntriesTouchNoFile()
{
    // A file named with blanks is listed as a blank entry, which the run
    // takes for one already done: it goes from the list, the file stays.
    const QStringList paths = makeFiles({"  ", "real.txt"});
    SecureDeleteWindow window;
    openIn(window, Language::English);
    selectFiles(window, paths);
    QVERIFY(runToEnd(window));
    QCOMPARE(MessageBox::shownTexts().value(0),
             QStringLiteral("1 file(s) selected. Really delete these file(s)?"));
    QCOMPARE(fileList(window)->count(), 0);
    QVERIFY(QFileInfo::exists(paths.at(0)));
    QVERIFY(!QFileInfo::exists(paths.at(1)));
}

void TestSecureDeleteWindow::escapeMinimisesAndF1OpensHelp()
{
    const QString help = m_dir.filePath("velmora.html");
    QVERIFY(TestFiles::write(help, "<html></html>"));
    HelpFile::setApplicationHelpFile(help);

    SecureDeleteWindow window;
    openIn(window, Language::English);
    selectFiles(window, makeFiles({"keys.txt"}));

    // Keys reach the window whichever control has the focus.
    QTest::keyClick(countField(window), Qt::Key_F1);
    QCOMPARE(DesktopServices::openedUrls(), QList<QUrl>{HelpFile::contextUrl(help, 20)});

    QTest::keyClick(fileList(window), Qt::Key_Escape);
    QVERIFY(window.isMinimized());
    QVERIFY(window.isVisible());
    // Brought back, it still holds its list.
    window.showNormal();
    QCOMPARE(entries(fileList(window)), QStringList{"keys.txt"});
    HelpFile::setApplicationHelpFile(QString());
}

void TestSecureDeleteWindow::folderRunConfirmsAndCounts_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("question"); // <del> is the folder
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("skipped");
    QTest::newRow("English") << 1
                             << "2 file(s) selected (300 bytes). Really delete these file(s)?\n\n"
                                "These folders go afterwards, as far as they are empty:\n<del>"
                             << "2 file(s) deleted, 1 skipped, 0 failed"
                             << "<del>: folder stays, something is left in it"
                             << "1 file(s) skipped:\n<del>/link: symbolic link, not followed";
    QTest::newRow("German") << 0
                            << "2 Datei(en) (300 Bytes) unwiderruflich löschen?\n\n"
                               "Diese Ordner werden danach entfernt, soweit sie leer sind:\n<del>"
                            << "2 Datei(en) gelöscht, 1 übersprungen, 0 fehlgeschlagen"
                            << "<del>: Ordner bleibt, es ist noch etwas darin"
                            << "1 Datei(en) übersprungen:\n<del>/link: symbolischer Link, wird "
                               "nicht verfolgt";
}

// A folder added with the folder button: the question counts its files and
// their size and names it; every file in it goes, the folders emptied go,
// and the link in it is skipped, its target untouched.
void TestSecureDeleteWindow::folderRunConfirmsAndCounts()
{
    QFETCH(int, language);
    QFETCH(QString, question);
    QFETCH(QString, result);
    QFETCH(QString, kept);
    QFETCH(QString, skipped);
    QTemporaryDir top;
    const QString del = QFileInfo(top.path()).canonicalFilePath() + QStringLiteral("/del");
    QVERIFY(QDir().mkpath(del + QStringLiteral("/inner/empty")));
    QVERIFY(TestFiles::write(del + QStringLiteral("/one.txt"), TestFiles::randomBytes(100, 1)));
    QVERIFY(
        TestFiles::write(del + QStringLiteral("/inner/two.txt"), TestFiles::randomBytes(200, 2)));
    const QString outside = top.filePath(QStringLiteral("outside.txt"));
    QVERIFY(TestFiles::write(outside, "not in the folder"));
    QVERIFY(QFile::link(outside, del + QStringLiteral("/link")));
    for (QString *text : {&question, &result, &kept, &skipped})
        text->replace(QStringLiteral("<del>"), del);

    SecureDeleteWindow window;
    openIn(window, languageFromStored(language));
    FileDialog::setNextResult({del});
    button(window, SecureDeleteParts::AddFolder)->click();
    QCOMPARE(FileDialog::requests().last().kind, FileDialogRequest::Kind::Folder);
    QCOMPARE(entries(fileList(window)), QStringList{"del/"});
    QVERIFY(runToEnd(window));

    const Message asked = MessageBox::shownMessages().value(0);
    QCOMPARE(asked.text, question);
    QVERIFY(asked.destructive);
    QCOMPARE(MessageBox::shownMessages().size(), 1);
    QVERIFY(!QFileInfo::exists(del + QStringLiteral("/one.txt")));
    QVERIFY(!QFileInfo::exists(del + QStringLiteral("/inner")));
    QVERIFY(QFileInfo(del + QStringLiteral("/link")).isSymLink());
    QCOMPARE(TestFiles::read(outside), QByteArray("not in the folder"));

    QCOMPARE(resultLabel(window)->text(), result);
    QVERIFY(TextFit::showsWhole(resultLabel(window)));
    QCOMPARE(entries(fileList(window)), QStringList{"del/"});
    QCOMPARE(fileList(window)->item(0)->toolTip(), kept);
    QCOMPARE(progressBar(window)->percent(), 100);
    FlatButton *details = button(window, SecureDeleteParts::Details);
    QVERIFY(details->isVisible());
    MessageBox::clearHistory();
    details->click();
    QCOMPARE(MessageBox::shownTexts(), QStringList{skipped});

    // A new list puts the details away.
    button(window, SecureDeleteParts::ClearList)->click();
    QVERIFY(details->isHidden());
}

// Files of two folders and a folder, dropped at once: all of them go, and
// so does the folder, emptied; the list is empty then.
void TestSecureDeleteWindow::dropTakesFilesAndFoldersWhole()
{
    QTemporaryDir top;
    const QString base = QFileInfo(top.path()).canonicalFilePath();
    QVERIFY(QDir().mkpath(base + QStringLiteral("/other")) &&
            QDir().mkpath(base + QStringLiteral("/gone/deeper")));
    const QStringList files{base + "/d-1.txt", base + "/other/d-2.txt",
                            base + "/gone/deeper/d-3.txt"};
    for (const QString &file : files)
        QVERIFY(TestFiles::write(file, TestFiles::randomBytes(1000, 9)));

    SecureDeleteWindow window;
    openIn(window, Language::English);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(files.at(0)), QUrl::fromLocalFile(files.at(1)),
                  QUrl::fromLocalFile(base + QStringLiteral("/gone")),
                  QUrl(QStringLiteral("https://example.org/not-a-file"))});
    QDragEnterEvent enter(QPoint(200, 150), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(200, 150), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &drop);
    QCOMPARE(entries(fileList(window)), (QStringList{"d-1.txt", base + "/other/d-2.txt", "gone/"}));
    QCOMPARE(folderField(window)->text(), base + QLatin1Char('/'));
    QCOMPARE(countLabel(window)->text(), QStringLiteral("3 file(s) selected"));

    QVERIFY(runToEnd(window));
    for (const QString &file : files)
        QVERIFY2(!QFileInfo::exists(file), qPrintable(file));
    QVERIFY(!QFileInfo::exists(base + QStringLiteral("/gone")));
    QVERIFY(QFileInfo::exists(base + QStringLiteral("/other")));
    QCOMPARE(fileList(window)->count(), 0);
    QCOMPARE(countLabel(window)->text(), QStringLiteral("0 file(s) selected"));
    QCOMPARE(resultLabel(window)->text(), QStringLiteral("3 file(s) deleted, 0 skipped, 0 failed"));
    QVERIFY(button(window, SecureDeleteParts::Details)->isHidden());
}

QTEST_MAIN(TestSecureDeleteWindow)
#include "TestSecureDeleteWindow.moc"
