#include "windows/SecureDeleteWindow.h"

#include "core/TextTrim.h"
#include "jobs/FolderRunTexts.h"
#include "jobs/RunController.h"
#include "platform/gui/DesktopServices.h"
#include "platform/gui/HelpFile.h"
#include "shred/DeleteProgress.h"
#include "shred/OverwriteCount.h"
#include "shred/ShredTexts.h"
#include "widgets/ButtonKeys.h"
#include "widgets/DesignPalette.h"
#include "widgets/FileDialog.h"
#include "widgets/FittedText.h"
#include "widgets/FlatButton.h"
#include "widgets/GradientProgressBar.h"
#include "widgets/GradientWidget.h"
#include "widgets/Icons.h"
#include "widgets/RoundedPanel.h"
#include "windows/ListEntries.h"
#include "windows/NameCheck.h"
#include "windows/NamedFiles.h"

#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QShowEvent>
#include <QUrl>

namespace {

const QColor ToolBarTop(254, 252, 249);
const QColor GradientBottom(170, 170, 187);
const QColor BodyTop(245, 241, 238);
const QColor FolderBackground(234, 234, 234);
const QColor ResultBackground(242, 242, 242);
const QColor Maroon(128, 0, 0);

constexpr int ToolBarHeight = 29;
constexpr int ListLeft = 24;
constexpr int ListWidth = 389;
constexpr int ColumnLeft = ListLeft + ListWidth + 12;

QString withTrailingDelimiter(const QString &folder)
{
    const QString native = QDir::toNativeSeparators(folder);
    return native.endsWith(QDir::separator()) ? native : native + QDir::separator();
}

} // namespace

SecureDeleteWindow::SecureDeleteWindow(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint)
    , m_prompter(this)
{
    setObjectName(QStringLiteral("FormDateien"));
    DesignPalette::applyTo(this);
    setWindowIcon(Icons::icon(Icons::Kind::Shred));
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(12);
    setFont(tahoma);
    buildLayout();
    applyLanguage();
    m_runs = std::make_unique<RunController>(
        m_prompter,
        RunController::Handlers{
            [this](int index) { onFileStarted(index); },
            [this](int index, quint64 done, quint64 total) { onBytesDone(index, done, total); },
            [this](const FileReport &report) { onFileDone(report); },
            [this](quint64 done, quint64 total) { onRunBytesDone(done, total); },
            [this](const QString &path) { m_progressText.setFile(path); }});
    connect(m_runs.get(), &RunController::finished, this, &SecureDeleteWindow::finishRun);
    setAcceptDrops(true);
    connect(m_runs.get(), &RunController::stopped, this, &SecureDeleteWindow::stopped);
}

// The run controller stops and waits for a run that is still on when it goes.
SecureDeleteWindow::~SecureDeleteWindow() = default;

void SecureDeleteWindow::buildLayout()
{
    setFixedSize(ClientWidth, ClientHeight);

    m_toolBar = new GradientWidget(ToolBarTop, GradientBottom, ToolBarHeight, this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setGeometry(0, 0, ClientWidth, ToolBarHeight);
    const auto makeToolButton = [this](const QString &name, Icons::Kind picture, int x) {
        auto *button = new FlatButton(m_toolBar);
        button->setObjectName(name);
        button->setIcon(Icons::icon(picture));
        button->setIconSize(QSize(25, 25));
        button->setGeometry(x, 1, 27, 27);
        return button;
    };
    m_startButton = makeToolButton(QStringLiteral("ToolButton6"), Icons::Kind::Delete, 2);
    m_cancelButton = makeToolButton(QStringLiteral("ToolButton11"), Icons::Kind::Cancel, 31);

    m_body = new GradientWidget(BodyTop, GradientBottom, 200, this);
    m_body->setObjectName(QStringLiteral("Body"));
    m_body->setGeometry(0, ToolBarHeight, ClientWidth, ClientHeight - ToolBarHeight);

    m_countLabel = new QLabel(m_body);
    m_countLabel->setObjectName(QStringLiteral("Label3"));
    m_countLabel->setGeometry(ListLeft, 12, 250, 20);

    m_countField = new QLineEdit(QStringLiteral("2"), m_body);
    m_countField->setObjectName(QStringLiteral("Edit1"));
    m_countField->setGeometry(330, 11, 30, 21);
    m_countField->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Digits only, and few enough that every value parses (and is then
    // brought into 1..10 by the run).
    m_countField->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]*")), m_countField));
    m_countField->setMaxLength(9);

    m_countFieldLabel = new QLabel(m_body);
    m_countFieldLabel->setObjectName(QStringLiteral("Label1"));
    m_countFieldLabel->setGeometry(366, 12, 120, 20);

    m_folderField = new QLineEdit(m_body);
    m_folderField->setObjectName(QStringLiteral("EditDir"));
    m_folderField->setGeometry(ListLeft, 40, ListWidth, 21);
    m_folderField->setReadOnly(true);
    QPalette folderColours = m_folderField->palette();
    folderColours.setColor(QPalette::Base, FolderBackground);
    m_folderField->setPalette(folderColours);

    m_fileList = new QListWidget(m_body);
    m_fileList->setObjectName(QStringLiteral("ListBox1"));
    m_fileList->setGeometry(ListLeft, 66, ListWidth, 245);
    m_fileList->setSelectionMode(QAbstractItemView::ExtendedSelection);

    m_progressBar = new GradientProgressBar(m_body);
    m_progressBar->setObjectName(QStringLiteral("PanelProgress"));
    m_progressBar->setGeometry(ListLeft, 319, ListWidth, 20);

    m_resultPanel = new RoundedPanel(m_body);
    m_resultPanel->setObjectName(QStringLiteral("PanelResult"));
    m_resultPanel->setColor(ResultBackground);
    m_resultPanel->setGeometry(ListLeft, 347, ListWidth, 28);
    m_resultLabel = new QLabel(m_resultPanel);
    m_resultLabel->setObjectName(QStringLiteral("Label4"));
    m_resultLabel->setGeometry(8, 0, ListWidth - 16, 28);
    // A long result takes two lines of the panel.
    m_resultLabel->setWordWrap(true);
    QPalette maroon = m_resultLabel->palette();
    maroon.setColor(QPalette::WindowText, Maroon);
    m_resultLabel->setPalette(maroon);

    m_closeButton = new QPushButton(m_body);
    m_closeButton->setObjectName(QStringLiteral("ButtonClose"));
    m_closeButton->setGeometry((ClientWidth - 300) / 2, 392, 300, 30);
    // Enter in the count field must not close the window.
    m_closeButton->setAutoDefault(false);
    m_closeButton->setDefault(false);

    const auto makePictureButton = [this](const QString &name, Icons::Kind picture, int y) {
        auto *button = new FlatButton(m_body);
        button->setObjectName(name);
        button->setIcon(Icons::icon(picture));
        button->setIconSize(QSize(24, 24));
        button->setGeometry(ColumnLeft, y, 30, 30);
        return button;
    };
    m_selectButton =
        makePictureButton(QStringLiteral("SpeedButton1"), Icons::Kind::SelectFiles, 40);
    m_viewButton = makePictureButton(QStringLiteral("SpeedButton4"), Icons::Kind::ViewFile, 76);
    m_removeButton =
        makePictureButton(QStringLiteral("SpeedButton3"), Icons::Kind::RemoveFile, 112);
    m_clearButton = makePictureButton(QStringLiteral("SpeedButton2"), Icons::Kind::ClearList, 148);

    connect(m_startButton, &FlatButton::clicked, this, &SecureDeleteWindow::startRun);
    connect(m_cancelButton, &FlatButton::clicked, this, &SecureDeleteWindow::cancelRun);
    connect(m_selectButton, &FlatButton::clicked, this, &SecureDeleteWindow::selectFiles);
    connect(m_clearButton, &FlatButton::clicked, this, &SecureDeleteWindow::clearList);
    connect(m_removeButton, &FlatButton::clicked, this, &SecureDeleteWindow::removeSelected);
    connect(m_viewButton, &FlatButton::clicked, this, &SecureDeleteWindow::viewSelected);
    connect(m_fileList, &QListWidget::itemDoubleClicked, this, &SecureDeleteWindow::viewSelected);
    connect(m_closeButton, &QPushButton::clicked, this, &SecureDeleteWindow::closeWindow);
    buildFolderControls();

    // Key preview: Esc and F1 reach the window before the focused control.
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
}

// ---------------------------------------------------------------- public calls

void SecureDeleteWindow::open(const SecureDeleteSession &session)
{
    m_language = session.language;
    m_initialFolder = session.initialFolder;
    setWindowModality(Qt::ApplicationModal);
    show();
}

bool SecureDeleteWindow::stopForQuit()
{
    if (!m_runs->stopForQuit())
        return false;
    showStopping();
    return true;
}

bool SecureDeleteWindow::isRunning() const
{
    return m_runs->isRunning();
}

// ---------------------------------------------------------------- operations

QString SecureDeleteWindow::pick(const char *german, const char *english) const
{
    return textFor(m_language, german, english);
}

QString SecureDeleteWindow::countSuffix() const
{
    return pick(" Datei(en) ausgewählt", " file(s) selected");
}

void SecureDeleteWindow::applyLanguage()
{
    setWindowTitle(pick("Sicheres Löschen", "Secure Delete"));
    m_countFieldLabel->setText(pick("x überschreiben", "x overwrite"));
    m_selectButton->setHint(pick("Dateien auswählen", "Select files"));
    m_clearButton->setHint(pick("Neu", "New"));
    m_removeButton->setHint(pick("Datei aus der Liste entfernen", "Remove file from list"));
    m_viewButton->setHint(pick("Datei ansehen", "View file"));
    m_startButton->setHint(pick("Dateien löschen", "Delete files"));
    m_cancelButton->setHint(pick("Löschen abbrechen", "Cancel delete operation"));
    m_closeButton->setText(pick("Schliessen", "Close"));
    m_addFolderButton->setHint(pick("Ordner hinzufügen", "Add folder"));
    m_detailsButton->setText(pick("Details", "Details"));
    m_detailsButton->setHint(pick("Übersprungene Dateien anzeigen", "Show the skipped files"));
    m_countField->setAccessibleName(pick("Anzahl Überschreibungen", "Overwrite count"));
    m_folderField->setAccessibleName(pick("Ordner", "Folder"));
    m_fileList->setAccessibleName(pick("Dateien", "Files"));
    updateCountLabel();
}

void SecureDeleteWindow::updateCountLabel()
{
    m_countLabel->setText(QString::number(m_fileList->count()) + countSuffix());
}

void SecureDeleteWindow::showProgress(int percent)
{
    m_progressBar->setProgress(percent, GradientProgressBar::EncryptStyle);
}

void SecureDeleteWindow::compactList()
{
    for (int i = 0; i < m_fileList->count();) {
        if (TextTrim::trimmed(m_fileList->item(i)->text()).isEmpty())
            delete m_fileList->takeItem(i);
        else
            ++i;
    }
    updateCountLabel();
}

void SecureDeleteWindow::viewFile(const QString &path)
{
    if (QFileInfo::exists(path))
        DesktopServices::viewFile(path);
}

void SecureDeleteWindow::setRunning(bool running)
{
    for (QWidget *control :
         {static_cast<QWidget *>(m_selectButton), static_cast<QWidget *>(m_clearButton),
          static_cast<QWidget *>(m_removeButton), static_cast<QWidget *>(m_startButton),
          static_cast<QWidget *>(m_countField), static_cast<QWidget *>(m_closeButton),
          static_cast<QWidget *>(m_addFolderButton)})
        control->setEnabled(!running);
    m_cancelButton->setEnabled(true);
}

// ---------------------------------------------------------------- handlers

void SecureDeleteWindow::onShown()
{
    applyLanguage();
    if (!isRunning())
        clearList();
}

void SecureDeleteWindow::clearList()
{
    m_fileList->clear();
    m_folderField->clear();
    showResult(QString());
    m_skippedLines.clear();
    m_detailsButton->hide();
    updateCountLabel();
    showProgress(0);
}

void SecureDeleteWindow::selectFiles()
{
    clearList();

    const QString last = m_lastFolder;
    QString start = !last.isEmpty() && QFileInfo(last).isDir() ? last : QString();
    if (last.isEmpty() && QFileInfo(m_initialFolder).isDir())
        start = m_initialFolder;
    const QStringList files = NameCheck::usable(
        this, FileDialog::getOpenFileNames(this, start, QStringLiteral("Alle|*.*"), true),
        m_language);
    if (files.isEmpty())
        return;

    const QString folder = QFileInfo(files.first()).absolutePath();
    m_lastFolder = withTrailingDelimiter(folder);
    m_folderField->setText(m_lastFolder);
    for (const QString &file : files) {
        const QFileInfo info(file);
        // Every entry is a name in the folder field's folder; a file from
        // another folder would name a different file there, so it is left out.
        if (info.absolutePath() != folder)
            continue;
        m_fileList->addItem(info.fileName());
    }
    updateCountLabel();
}

void SecureDeleteWindow::listFiles(const QStringList &paths)
{
    if (isRunning())
        return;
    clearList();
    const NamedFiles named =
        NamedFiles::sort(NameCheck::usable(this, paths, m_language), m_language);
    if (!named.entries.isEmpty()) {
        m_lastFolder = named.folder;
        m_folderField->setText(named.folder);
        ListEntries::append(m_fileList, named.folder, named.entries);
    }
    updateCountLabel();
    if (!named.refusals.isEmpty())
        MessageBox::warning(this, named.refusalText(m_language));
}

void SecureDeleteWindow::removeSelected()
{
    const QList<QListWidgetItem *> selected = m_fileList->selectedItems();
    for (QListWidgetItem *item : selected)
        delete m_fileList->takeItem(m_fileList->row(item));
    updateCountLabel();
    showProgress(0);
}

void SecureDeleteWindow::viewSelected()
{
    if (m_fileList->count() == 0)
        return;
    if (m_fileList->selectedItems().isEmpty())
        m_fileList->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
    QListWidgetItem *item = m_fileList->currentItem();
    if (item == nullptr || !item->isSelected())
        item = m_fileList->selectedItems().first();
    viewFile(ListEntries::pathOf(item, m_folderField->text()));
}

void SecureDeleteWindow::startRun()
{
    if (isRunning())
        return;
    // A blank entry names no file; it goes before the run counts the list.
    compactList();
    showProgress(0);

    const QString folder = m_folderField->text();
    QStringList paths;
    m_runItems.clear();
    for (int i = 0; i < m_fileList->count(); ++i) {
        QListWidgetItem *item = m_fileList->item(i);
        // The entry names the file exactly: trimming it could name another
        // file in the same folder (" notes.txt" is not "notes.txt").
        paths.append(ListEntries::pathOf(item, folder));
        m_runItems.append(item);
    }
    m_folderRun = ListEntries::holdsFolder(m_fileList);
    m_skippedLines.clear();
    m_detailsButton->hide();
    m_progressText.start();
    const std::optional<int> count = OverwriteCount::parse(m_countField->text());
    m_countValid = count.has_value();

    m_result = ShredJobResult();
    m_currentFile = 0;
    m_progressBase = 0;
    m_runs->start(
        [&](Prompter &prompter, FileJobObserver &observer) {
            auto job = std::make_unique<ShredJob>(paths, count, m_language, prompter, observer);
            job->setTakeFolders(m_folderRun);
            return job;
        },
        [this](ShredJob &job) { m_result = job.run(); });
    setRunning(true);
}

void SecureDeleteWindow::cancelRun()
{
    if (!isRunning() || m_runs->stopRequested())
        return;
    m_runs->cancel();
    showStopping();
}

void SecureDeleteWindow::showStopping()
{
    m_cancelButton->setEnabled(false);
    showResult(pick("Wird nach dem laufenden Durchgang abgebrochen …",
                    "Stopping after the pass being written …"));
}

// The result label shows text; when the file name in it had to be shortened
// to fit, its hint holds the whole text.
void SecureDeleteWindow::showResult(const QString &text, const QString &whole)
{
    m_resultLabel->setText(text);
    m_resultLabel->setToolTip(whole == text ? QString() : whole);
}

void SecureDeleteWindow::closeWindow()
{
    close();
}

// ---------------------------------------------------------------- the run's reports

void SecureDeleteWindow::onFileStarted(int index)
{
    m_currentFile = index;
}

void SecureDeleteWindow::onBytesDone(int index, quint64 done, quint64 total)
{
    if (m_folderRun || index != m_currentFile)
        return;
    showProgress(DeleteProgress::percentWithinFile(
        m_currentFile, static_cast<int>(m_runItems.size()), done, total));
}

void SecureDeleteWindow::onFileDone(const FileReport &report)
{
    // A file found in a listed folder leaves the folder's entry as it is;
    // the counts at the end tell about it.
    if (report.inFolder)
        return;
    const bool deleted =
        report.outcome == FileOutcome::Done || report.outcome == FileOutcome::Skipped;
    QListWidgetItem *item = m_runItems.value(report.index);
    if (deleted) {
        if (!m_folderRun)
            m_progressBase = DeleteProgress::percentAfterFiles(report.index + 1,
                                                               static_cast<int>(m_runItems.size()));
        if (item != nullptr)
            item->setText(QStringLiteral("  "));
    } else if (item != nullptr) {
        // The file stays in the list; its hint says why.
        item->setToolTip(report.reason);
    }
    if (!m_folderRun)
        showProgress(m_progressBase);
    Q_EMIT fileProcessed(report.index, deleted);
}

void SecureDeleteWindow::finishRun()
{
    if (const std::exception_ptr failure = m_runs->takeFailure()) {
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception &error) {
            MessageBox::error(this, QString::fromLocal8Bit(error.what()));
        } catch (...) {
        }
    }
    if (m_result.overwriteCount > 0 && m_countValid)
        m_countField->setText(QString::number(m_result.overwriteCount));
    if (m_result.cancelled) {
        showResult(QString());
        if (!m_result.partlyOverwritten.isEmpty()) {
            const auto text = [this](const QString &fileName) {
                return ShredTexts::partlyOverwritten(m_language, fileName, m_result.passesDone,
                                                     m_result.passes);
            };
            const QString fileName = QFileInfo(m_result.partlyOverwritten).fileName();
            showResult(FittedText::forLabel(m_resultLabel, text, fileName), text(fileName));
        }
    } else if (m_folderRun && m_result.confirmed) {
        showFolderRunResult();
    } else if (m_result.done > 0) {
        showResult(ShredTexts::deleted(m_language, m_result.done));
    }
    compactList();
    m_runItems.clear();
    setRunning(false);
    Q_EMIT runFinished();
}

// ---------------------------------------------------------------- events

void SecureDeleteWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // A window brought back from the task bar is not shown anew.
    if (event->spontaneous())
        return;
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    onShown();
}

void SecureDeleteWindow::closeEvent(QCloseEvent *event)
{
    // Closing returns the dashboard's modal call; the run must be over first.
    if (isRunning()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

bool SecureDeleteWindow::handleKey(int key)
{
    if (key == Qt::Key_Escape) {
        showMinimized();
        return true;
    }
    if (key == Qt::Key_F1) {
        HelpFile::showContext(HelpFile::SecureDeleteContext);
        return true;
    }
    return false;
}

void SecureDeleteWindow::keyPressEvent(QKeyEvent *event)
{
    // Replaces the dialog's own Esc (which would close the window).
    if (handleKey(event->key())) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool SecureDeleteWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (ButtonKeys::pressOnEnter(watched, event))
        return true;
    if (event->type() == QEvent::KeyPress && handleKey(static_cast<QKeyEvent *>(event)->key()))
        return true;
    return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------- folders and many files

void SecureDeleteWindow::buildFolderControls()
{
    // Below the list's buttons, and next to them in the tab order.
    m_addFolderButton = new FlatButton(m_body);
    m_addFolderButton->setObjectName(QStringLiteral("SpeedButtonFolder"));
    m_addFolderButton->setIcon(Icons::icon(Icons::Kind::AddFolder));
    m_addFolderButton->setIconSize(QSize(24, 24));
    m_addFolderButton->setGeometry(ColumnLeft, 184, 30, 30);
    setTabOrder(m_clearButton, m_addFolderButton);
    connect(m_addFolderButton, &FlatButton::clicked, this, &SecureDeleteWindow::addFolder);

    m_detailsButton = new FlatButton(m_body);
    m_detailsButton->setObjectName(QStringLiteral("ButtonDetails"));
    m_detailsButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_detailsButton->setGeometry(ColumnLeft, 347, 72, 28);
    m_detailsButton->hide();
    connect(m_detailsButton, &FlatButton::clicked, this, &SecureDeleteWindow::showDetails);
}

// Adds the chosen folder to the list: by its name when it lies in the list's
// folder, else by its path. An empty list takes the folder it lies in.
void SecureDeleteWindow::addFolder()
{
    if (isRunning())
        return;
    QString start = QFileInfo(m_lastFolder).isDir() ? m_lastFolder : QString();
    if (m_lastFolder.isEmpty() && QFileInfo(m_initialFolder).isDir())
        start = m_initialFolder;
    const QString chosen = FileDialog::getExistingDirectory(this, start);
    if (chosen.isEmpty() || !NameCheck::usable(this, chosen, m_language))
        return;
    const QString listFolder = m_fileList->count() > 0 ? m_folderField->text() : QString();
    const NamedFiles named = NamedFiles::sort({chosen}, m_language, listFolder);
    if (!named.entries.isEmpty()) {
        if (listFolder.isEmpty())
            m_folderField->setText(named.folder);
        m_lastFolder = withTrailingDelimiter(QFileInfo(named.entries.first().path).path());
        ListEntries::append(m_fileList, m_folderField->text(), named.entries);
        showResult(QString());
        m_detailsButton->hide();
        updateCountLabel();
        showProgress(0);
    }
    if (!named.refusals.isEmpty())
        MessageBox::warning(this, named.refusalText(m_language));
}

void SecureDeleteWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!isRunning() && event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void SecureDeleteWindow::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (isRunning() || urls.isEmpty())
        return;
    event->acceptProposedAction();
    const QStringList paths = NameCheck::usableDrops(this, urls, m_language);
    if (!paths.isEmpty())
        listFiles(paths);
}

void SecureDeleteWindow::onRunBytesDone(quint64 done, quint64 total)
{
    if (total == 0)
        return;
    if (m_folderRun) {
        const auto percent = static_cast<int>(static_cast<double>(std::min(done, total)) * 100.0 /
                                              static_cast<double>(total));
        if (percent > m_progressBar->percent())
            showProgress(percent);
    }
    // On a long run the label names the file in work and the time left.
    if (m_runs->stopRequested() || m_progressText.file().isEmpty() || !m_progressText.due())
        return;
    const QString left =
        RunProgressText::timeLeft(m_language, done, total, m_progressText.elapsedMs());
    const QString name = QFileInfo(m_progressText.file()).fileName();
    const auto compose = [&left](const QString &part) { return RunProgressText::line(part, left); };
    showResult(FittedText::forLabel(m_resultLabel, compose, name),
               QDir::toNativeSeparators(m_progressText.file()));
}

// The counts, the folders that stayed, and the skipped files at hand.
void SecureDeleteWindow::showFolderRunResult()
{
    showResult(FolderRunTexts::counts(m_language, RunKind::Shred, m_result.done,
                                      static_cast<int>(m_result.skipped.size()),
                                      m_result.notDeleted()));
    for (QListWidgetItem *item : std::as_const(m_runItems)) {
        if (!ListEntries::isFolder(item))
            continue;
        const QString path = ListEntries::pathOf(item, m_folderField->text());
        const QFileInfo now(path);
        if (!now.exists() && !now.isSymLink())
            item->setText(QStringLiteral("  "));
        else
            item->setToolTip(FolderRunTexts::folderKept(m_language, path));
    }
    m_skippedLines.clear();
    for (const SkippedFile &file : m_result.skipped)
        m_skippedLines << QDir::toNativeSeparators(file.path) + QStringLiteral(": ") + file.reason;
    m_detailsButton->setVisible(!m_skippedLines.isEmpty());
    showProgress(100);
}

void SecureDeleteWindow::showDetails()
{
    if (m_skippedLines.isEmpty())
        return;
    MessageBox::informationList(
        this, pick("%1 Datei(en) übersprungen:", "%1 file(s) skipped:").arg(m_skippedLines.size()),
        m_skippedLines);
}
