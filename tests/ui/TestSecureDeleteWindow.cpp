#include "TestFiles.h"

#include "platform/gui/DesktopServices.h"
#include "platform/gui/HelpFile.h"
#include "ui/FileDialog.h"
#include "ui/FlatButton.h"
#include "ui/GradientProgressBar.h"
#include "ui/MessageBox.h"
#include "ui/SecureDeleteWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
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
    void cancelDuringRunStopsBeforeNextFile();
    void overwriteCountField_data();
    void overwriteCountField();
    void escapeMinimisesAndF1OpensHelp();

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
    window.SpeedButton1->click();
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
    window.MyLanguage = language == 0 ? 1 : 0;
    window.show();
    window.hide();
    window.MyLanguage = language;
    window.show();
    window.ToolButton6->click();

    const QStringList shown{window.windowTitle(),
                            window.Label1->text(),
                            window.Label3->text(),
                            window.SpeedButton1->hint(),
                            window.SpeedButton2->hint(),
                            window.SpeedButton3->hint(),
                            window.SpeedButton4->hint(),
                            window.ToolButton6->hint(),
                            window.ToolButton11->hint(),
                            window.ButtonClose->text(),
                            MessageBox::shownTexts().value(0)};
    QCOMPARE(shown, expected);
    QCOMPARE(MessageBox::shownTexts().size(), 1);
}

void TestSecureDeleteWindow::showingTwiceStartsEmpty()
{
    SecureDeleteWindow window;
    window.MyLanguage = 1;
    QCOMPARE(window.size(), QSize(SecureDeleteWindow::ClientWidth, SecureDeleteWindow::ClientHeight));
    QCOMPARE(window.ListBox1->size(), QSize(389, 245));
    QCOMPARE(window.Edit1->text(), QStringLiteral("2"));
    QVERIFY(window.Edit1->alignment() & Qt::AlignRight);
    QVERIFY(window.EditDir->isReadOnly());
    QCOMPARE(window.ListBox1->selectionMode(), QAbstractItemView::ExtendedSelection);

    window.show();
    selectFiles(window, makeFiles({"twice-1.txt", "twice-2.txt"}));
    window.ToolButton6->click();
    QCOMPARE(window.Label4->text(), QStringLiteral("2 file(s) deleted"));
    QCOMPARE(window.PanelProgress->percent(), 100);
    selectFiles(window, makeFiles({"twice-3.txt"}));
    QCOMPARE(window.ListBox1->count(), 1);
    window.ButtonClose->click();
    QVERIFY(!window.isVisible());

    window.show();
    QCOMPARE(window.ListBox1->count(), 0);
    QCOMPARE(window.Label3->text(), QStringLiteral("0 file(s) selected"));
    QCOMPARE(window.EditDir->text(), QString());
    QCOMPARE(window.Label4->text(), QString());
    QCOMPARE(window.PanelProgress->percent(), 0);
    // The count field keeps what the last run used.
    QCOMPARE(window.Edit1->text(), QStringLiteral("2"));
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
    window.MyLanguage = 1;
    window.show();
    selectFiles(window, {first.filePath("a.txt"), first.filePath(".hidden")});
    const QString firstFolder = QDir::toNativeSeparators(first.path()) + QDir::separator();
    QCOMPARE(window.EditDir->text(), firstFolder);
    QCOMPARE(entries(window.ListBox1), (QStringList{"a.txt", ".hidden"}));
    QCOMPARE(window.Label3->text(), QStringLiteral("2 file(s) selected"));

    // The next dialog starts in that folder; cancelling it leaves nothing.
    selectFiles(window, {});
    QCOMPARE(window.ListBox1->count(), 0);
    QCOMPARE(window.EditDir->text(), QString());
    QCOMPARE(window.Label3->text(), QStringLiteral("0 file(s) selected"));

    selectFiles(window, {second.filePath("b.txt")});
    QCOMPARE(entries(window.ListBox1), QStringList{"b.txt"});

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
    QCOMPARE(SecureDeleteWindow::lastFolder(), secondFolder);
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
    window.MyLanguage = 1;
    window.show();
    selectFiles(window, {m_dir.filePath("mine.txt"), other.filePath("same-name.txt")});
    QCOMPARE(entries(window.ListBox1), QStringList{"mine.txt"});

    window.ToolButton6->click();
    QVERIFY(!QFileInfo::exists(m_dir.filePath("mine.txt")));
    QVERIFY(QFileInfo::exists(m_dir.filePath("same-name.txt")));
    QVERIFY(QFileInfo::exists(other.filePath("same-name.txt")));
}

void TestSecureDeleteWindow::viewOpensSelectedOrFirstEntry()
{
    const QStringList paths = makeFiles({"view-1.txt", "view-2.txt", "view-3.txt"});
    SecureDeleteWindow window;
    window.MyLanguage = 1;
    window.show();

    // An empty list opens nothing.
    window.SpeedButton4->click();
    QVERIFY(DesktopServices::openedUrls().isEmpty());

    selectFiles(window, paths);
    QVERIFY(window.ListBox1->selectedItems().isEmpty());
    window.SpeedButton4->click();
    QCOMPARE(DesktopServices::openedUrls(), QList<QUrl>{QUrl::fromLocalFile(paths.at(0))});
    QCOMPARE(window.ListBox1->selectedItems().size(), 1);
    QCOMPARE(window.ListBox1->currentRow(), 0);

    window.ListBox1->setCurrentRow(2, QItemSelectionModel::ClearAndSelect);
    window.SpeedButton4->click();
    QCOMPARE(DesktopServices::openedUrls().last(), QUrl::fromLocalFile(paths.at(2)));

    // A file that is gone is not opened.
    QVERIFY(QFile::remove(paths.at(2)));
    window.SpeedButton4->click();
    QCOMPARE(DesktopServices::openedUrls().size(), 2);
}

void TestSecureDeleteWindow::removeTakesSelectedEntriesOnly()
{
    const QStringList paths = makeFiles({"rm-1.txt", "rm-2.txt", "rm-3.txt", "rm-4.txt"});
    SecureDeleteWindow window;
    window.MyLanguage = 1;
    window.show();
    selectFiles(window, paths);
    window.ListBox1->item(1)->setSelected(true);
    window.ListBox1->item(3)->setSelected(true);
    window.SpeedButton3->click();

    QCOMPARE(entries(window.ListBox1), (QStringList{"rm-1.txt", "rm-3.txt"}));
    QCOMPARE(window.Label3->text(), QStringLiteral("2 file(s) selected"));
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
    window.MyLanguage = 1;
    window.show();
    selectFiles(window, paths);
    window.ToolButton6->click();

    QCOMPARE(MessageBox::shownTexts(),
             (QStringList{"5 file(s) selected. Really delete these file(s)?",
                          "2 file(s) access denied! Could not delete files!"}));
    QCOMPARE(entries(window.ListBox1), (QStringList{"run-b.txt", "run-d.txt"}));
    QVERIFY(window.Label3->text().startsWith(QLatin1String("2")));
    QCOMPARE(window.Label4->text(), QStringLiteral("3 file(s) deleted"));
    QCOMPARE(window.PanelProgress->percent(), 100);
    // A refused entry's hint says why.
    QVERIFY(!window.ListBox1->item(0)->toolTip().isEmpty());

    QVERIFY(!QFileInfo::exists(paths.at(0)));
    QVERIFY(!QFileInfo::exists(paths.at(2)));
    QVERIFY(!QFileInfo::exists(paths.at(4)));
    QCOMPARE(TestFiles::read(paths.at(1)), contentB);
    QCOMPARE(TestFiles::read(paths.at(3)), contentD);

    QVERIFY(!window.isRunning());
    QVERIFY(window.ToolButton6->isEnabled());
    QVERIFY(window.SpeedButton1->isEnabled());
    QVERIFY(window.ButtonClose->isEnabled());
}

void TestSecureDeleteWindow::cancelDuringRunStopsBeforeNextFile()
{
    // The first file is large enough that its passes take a while on the
    // worker; the window keeps handling events meanwhile.
    const QStringList paths =
        makeFiles({"cancel-1.bin"}, 8 << 20) + makeFiles({"cancel-2.txt", "cancel-3.txt"});
    SecureDeleteWindow window;
    window.MyLanguage = 1;
    window.show();
    selectFiles(window, paths);
    window.Edit1->setText(QStringLiteral("1"));

    struct Seen
    {
        bool duringWork = false;
        bool listControlsDisabled = false;
        bool cancelEnabled = false;
        bool stayedOpen = false;
    } seen;
    QTimer watcher;
    watcher.setInterval(0);
    connect(&watcher, &QTimer::timeout, &window, [&] {
        if (seen.duringWork || !window.fileWorkRunning())
            return;
        seen.duringWork = true;
        seen.listControlsDisabled =
            !window.SpeedButton1->isEnabled() && !window.SpeedButton2->isEnabled() &&
            !window.SpeedButton3->isEnabled() && !window.ToolButton6->isEnabled() &&
            !window.Edit1->isEnabled() && !window.ButtonClose->isEnabled();
        seen.cancelEnabled = window.ToolButton11->isEnabled();
        // Closing now would return the modal call in the middle of the run.
        window.close();
        seen.stayedOpen = window.isVisible();
        window.ToolButton11->click();
    });
    watcher.start();
    window.ToolButton6->click();
    watcher.stop();

    QVERIFY2(seen.duringWork, "no event was handled while the first file was overwritten");
    QVERIFY(seen.listControlsDisabled);
    QVERIFY(seen.cancelEnabled);
    QVERIFY(seen.stayedOpen);

    QVERIFY(!QFileInfo::exists(paths.at(0)));
    QVERIFY(QFileInfo::exists(paths.at(1)));
    QVERIFY(QFileInfo::exists(paths.at(2)));
    QCOMPARE(entries(window.ListBox1), (QStringList{"cancel-2.txt", "cancel-3.txt"}));
    QCOMPARE(window.Label3->text(), QStringLiteral("2 file(s) selected"));
    QCOMPARE(window.Label4->text(), QString());
    QCOMPARE(MessageBox::shownTexts(),
             QStringList{"3 file(s) selected. Really delete these file(s)?"});
    QVERIFY(window.ToolButton6->isEnabled());
    QVERIFY(window.ButtonClose->isEnabled());

    // The flag was used up: the next run goes through.
    window.ToolButton6->click();
    QCOMPARE(window.ListBox1->count(), 0);
    QCOMPARE(window.Label4->text(), QStringLiteral("2 file(s) deleted"));
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
    window.MyLanguage = 1;
    window.show();
    selectFiles(window, paths);
    window.Edit1->clear();
    QTest::keyClicks(window.Edit1, typed);
    QCOMPARE(window.Edit1->text(), field);

    window.ToolButton6->click();
    QCOMPARE(window.Edit1->text(), afterRun);
    QCOMPARE(
        MessageBox::shownTexts().contains(QStringLiteral("Invalid number. Will use default=2")),
        invalid);
    QVERIFY(!QFileInfo::exists(paths.at(0)));
    QCOMPARE(window.Label4->text(), QStringLiteral("1 file(s) deleted"));
}

void TestSecureDeleteWindow::escapeMinimisesAndF1OpensHelp()
{
    const QString help = m_dir.filePath("velmora.html");
    QVERIFY(TestFiles::write(help, "<html></html>"));
    HelpFile::setApplicationHelpFile(help);

    SecureDeleteWindow window;
    window.MyLanguage = 1;
    window.show();
    selectFiles(window, makeFiles({"keys.txt"}));

    // Keys reach the window whichever control has the focus.
    QTest::keyClick(window.Edit1, Qt::Key_F1);
    QCOMPARE(DesktopServices::openedUrls(), QList<QUrl>{HelpFile::contextUrl(help, 20)});

    QTest::keyClick(window.ListBox1, Qt::Key_Escape);
    QVERIFY(window.isMinimized());
    QVERIFY(window.isVisible());
    // Brought back, it still holds its list.
    window.showNormal();
    QCOMPARE(entries(window.ListBox1), QStringList{"keys.txt"});
    HelpFile::setApplicationHelpFile(QString());
}

QTEST_MAIN(TestSecureDeleteWindow)
#include "TestSecureDeleteWindow.moc"
