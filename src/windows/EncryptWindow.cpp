#include "windows/EncryptWindow.h"

#include "core/TextTrim.h"
#include "filecipher/EncryptedGuess.h"
#include "filecipher/PipelineTexts.h"
#include "filecipher/StrongFormatTexts.h"
#include "jobs/FolderRunTexts.h"
#include "jobs/RunController.h"
#include "keys/ExternalKey.h"
#include "platform/DialogStartFolder.h"
#include "platform/gui/DesktopServices.h"
#include "platform/gui/HelpFile.h"
#include "settings/FormatChoice.h"
#include "widgets/DesignPalette.h"
#include "widgets/FileDialog.h"
#include "widgets/FittedText.h"
#include "widgets/FlatButton.h"
#include "widgets/GeneralErrorReport.h"
#include "widgets/GradientProgressBar.h"
#include "widgets/GradientWidget.h"
#include "widgets/Icons.h"
#include "widgets/KeyLamp.h"
#include "widgets/RoundedPanel.h"
#include "windows/ListEntries.h"
#include "windows/NameCheck.h"
#include "windows/NamedFiles.h"
#include "windows/RunProgressText.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QScreen>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

namespace {

const QColor GradientTop(245, 241, 238);
const QColor GradientBottom(170, 170, 187);
const QColor Maroon(128, 0, 0);

constexpr int ToolbarHeight = 29;
constexpr int ToolbarButtonWidth = 33;
constexpr int FirstToolbarButton = 240;

QFont tahoma(int points)
{
    return QFont(QStringLiteral("Tahoma"), points);
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette colours = widget->palette();
    colours.setColor(QPalette::WindowText, colour);
    widget->setPalette(colours);
}

// The folder of a path with its trailing delimiter, as the folder field holds it.
QString folderWithDelimiter(const QString &path)
{
    QString folder = QDir::toNativeSeparators(QFileInfo(path).absolutePath());
    if (!folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    return folder;
}

// The bar after the file at index of count entries: the nearest integer,
// halves to the even one.
int stepAfter(int index, int count)
{
    return static_cast<int>(std::nearbyint((index + 1) * (100.0 / count)));
}

} // namespace

// What the window has seen of the run that goes on.
struct EncryptWindow::Run
{
    EncryptJobSummary summary; // written by the job's thread, read after it finished
    Language language = Language::English;
    CipherDirection direction = CipherDirection::Encrypt;
    int entryCount = 0;
    int fileIndex = -1;  // the file in work
    int filesWorked = 0; // done or failed
    bool reported = false;
    // The list holds a folder: the run takes folders, and the bar follows
    // the bytes of the whole run.
    bool folderRun = false;
    RunProgressText progress;
};

EncryptWindow::EncryptWindow(QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
    , m_prompter(this)
    , m_runStyle(GradientProgressBar::EncryptStyle)
{
    setObjectName(QStringLiteral("FormUtil"));
    DesignPalette::applyTo(this);
    setFixedSize(614, 417);
    setFont(tahoma(8));
    setWindowIcon(Icons::icon(Icons::Kind::Encrypt));
    setModal(false);
    buildLayout();
    applyLanguage();
    m_runs = std::make_unique<RunController>(
        m_prompter,
        RunController::Handlers{
            [this](int index) { runFileStarted(index); },
            [this](int index, quint64 done, quint64 total) { runBytesDone(index, done, total); },
            [this](const FileReport &report) { runFileDone(report); },
            [this](quint64 done, quint64 total) { runBytesOfRun(done, total); },
            [this](const QString &path) { runFileInWork(path); }});
    connect(m_runs.get(), &RunController::finished, this, &EncryptWindow::runEnded);
    connect(m_runs.get(), &RunController::stopped, this, &EncryptWindow::stopped);
}

// The run controller stops and waits for a run that is still on when it goes.
EncryptWindow::~EncryptWindow() = default;

// ---------------------------------------------------------------- layout

void EncryptWindow::buildLayout()
{
    m_background = new GradientWidget(GradientTop, GradientBottom, 200, this);
    m_background->setObjectName(QStringLiteral("JvGradient7"));
    m_background->setGeometry(0, ToolbarHeight, width(), height() - ToolbarHeight);

    m_toolBar = new GradientWidget(GradientTop, GradientBottom, 200, this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setGeometry(0, 0, width(), ToolbarHeight);
    const auto toolButton = [this](const char *name, Icons::Kind picture, int position) {
        auto *button = new FlatButton(m_toolBar);
        button->setObjectName(QLatin1String(name));
        button->setIcon(Icons::icon(picture));
        button->setIconSize(QSize(26, 26));
        button->setGeometry(FirstToolbarButton + position * ToolbarButtonWidth, 0,
                            ToolbarButtonWidth, ToolbarHeight);
        return button;
    };
    m_encryptButton = toolButton("ToolButton1", Icons::Kind::Encrypt, 0);
    m_decryptButton = toolButton("ToolButton2", Icons::Kind::Decrypt, 1);
    m_loadKeyButton = toolButton("ToolButton4", Icons::Kind::KeyLoad, 2);
    m_ownKeyButton = toolButton("ToolButton3", Icons::Kind::Key, 3);

    m_selectLabel = new QLabel(this);
    m_selectLabel->setObjectName(QStringLiteral("Label2"));
    m_selectLabel->move(63, 52);

    m_keyLamp = new KeyLamp(this);
    m_keyLamp->setObjectName(QStringLiteral("JvLED1"));
    m_keyLamp->setGeometry(262, 48, 17, 17);
    m_keyLamp->hide();

    m_externalKeyLabel = new QLabel(this);
    m_externalKeyLabel->setObjectName(QStringLiteral("LabelKey"));
    m_externalKeyLabel->move(285, 50);
    m_externalKeyLabel->hide();

    m_encryptedBox = new QCheckBox(this);
    m_encryptedBox->setObjectName(QStringLiteral("CheckBoxEncoded"));
    m_encryptedBox->setGeometry(453, 48, 95, 17);

    m_folderField = new QLineEdit(this);
    m_folderField->setObjectName(QStringLiteral("Edit4"));
    m_folderField->setReadOnly(true);
    m_folderField->setGeometry(65, 71, 485, 21);

    const auto speedButton = [this](const char *name, Icons::Kind picture, int x, int y) {
        auto *button = new FlatButton(this);
        button->setObjectName(QLatin1String(name));
        button->setIcon(Icons::icon(picture));
        button->setIconSize(QSize(22, 22));
        button->setGeometry(x, y, 28, 30);
        return button;
    };
    m_selectButton = speedButton("SpeedButton1", Icons::Kind::SelectFiles, 554, 63);

    m_fileList = new QListWidget(this);
    m_fileList->setObjectName(QStringLiteral("ListBox1"));
    m_fileList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_fileList->setGeometry(63, 99, 485, 174);

    m_viewButton = speedButton("SpeedButton2", Icons::Kind::ViewFile, 556, 103);
    m_removeButton = speedButton("SpeedButton3", Icons::Kind::RemoveFile, 556, 138);
    m_clearButton = speedButton("SpeedButton4", Icons::Kind::ClearList, 556, 175);

    m_progressBar = new GradientProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("Panel1"));
    m_progressBar->setGeometry(63, 278, 485, 20);

    m_formatLabel = new QLabel(this);
    m_formatLabel->setObjectName(QStringLiteral("LabelFormat"));
    m_formatLabel->setFont(tahoma(10));
    m_formatLabel->setGeometry(63, 300, 300, 13);
    buildOverwriteChoice();

    m_resetKeyButton = speedButton("SpeedButton5", Icons::Kind::Key, 554, 297);
    m_resetKeyButton->hide();

    m_resultPanel = new RoundedPanel(this);
    m_resultPanel->setObjectName(QStringLiteral("Panel2"));
    m_resultPanel->setColor(QColor(242, 242, 242));
    m_resultPanel->setGeometry(206, 314, 205, 32);
    m_resultLabel = new QLabel(m_resultPanel);
    m_resultLabel->setObjectName(QStringLiteral("Label3"));
    m_resultLabel->setFont(tahoma(10));
    m_resultLabel->setAlignment(Qt::AlignCenter);
    m_resultLabel->setGeometry(0, 0, 205, 32);
    setTextColour(m_resultLabel, Maroon);

    m_keyField = new QLineEdit(this);
    m_keyField->setObjectName(QStringLiteral("EditKey"));
    m_keyField->setReadOnly(true);
    m_keyField->setGeometry(446, 320, 136, 21);
    QPalette grey = m_keyField->palette();
    grey.setColor(QPalette::Base, QColor(233, 233, 233));
    m_keyField->setPalette(grey);
    m_keyField->hide();

    m_closePanel = new RoundedPanel(this);
    m_closePanel->setObjectName(QStringLiteral("Panel3"));
    m_closePanel->setBevel(RoundedPanel::Bevel::Raised);
    m_closePanel->setTransparent();
    m_closePanel->setGeometry(160, 359, 300, 30);
    m_closeButton = new FlatButton(m_closePanel);
    m_closeButton->setObjectName(QStringLiteral("ButtonClose"));
    m_closeButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_closeButton->setGeometry(0, 0, 300, 30);

    m_keyFileLabel = new QLabel(this);
    m_keyFileLabel->setObjectName(QStringLiteral("Labelkname"));
    m_keyFileLabel->setFont(tahoma(10));
    m_keyFileLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_keyFileLabel->setGeometry(5, 397, 606, 18);

    buildFolderControls();

    connect(m_encryptButton, &FlatButton::clicked, this, &EncryptWindow::encryptClicked);
    connect(m_decryptButton, &FlatButton::clicked, this, &EncryptWindow::decryptClicked);
    connect(m_loadKeyButton, &FlatButton::clicked, this, &EncryptWindow::loadKeyClicked);
    connect(m_ownKeyButton, &FlatButton::clicked, this, &EncryptWindow::ownKeyClicked);
    connect(m_resetKeyButton, &FlatButton::clicked, this, &EncryptWindow::ownKeyClicked);
    connect(m_selectButton, &FlatButton::clicked, this, &EncryptWindow::selectFilesClicked);
    connect(m_viewButton, &FlatButton::clicked, this, &EncryptWindow::viewFileClicked);
    connect(m_removeButton, &FlatButton::clicked, this, &EncryptWindow::removeEntriesClicked);
    connect(m_clearButton, &FlatButton::clicked, this, &EncryptWindow::clearListClicked);
    connect(m_fileList, &QListWidget::itemClicked, this, &EncryptWindow::entryClicked);
    connect(m_fileList, &QListWidget::itemDoubleClicked, this, &EncryptWindow::entryDoubleClicked);
    connect(m_closeButton, &FlatButton::clicked, this, &EncryptWindow::closeClicked);
    connect(m_addFolderButton, &FlatButton::clicked, this, &EncryptWindow::addFolderClicked);
    connect(m_detailsButton, &FlatButton::clicked, this, &EncryptWindow::detailsClicked);

    // The window sees Escape and F1 before its controls do.
    const QList<QWidget *> children = findChildren<QWidget *>();
    for (QWidget *child : children)
        child->installEventFilter(this);
}

void EncryptWindow::applyLanguage()
{
    const Language language = m_session.language;
    const auto text = [language](const char *de, const char *en) {
        return textFor(language, de, en);
    };
    setWindowTitle(text("Dateien verschlüsseln", "Encrypt files"));
    m_selectFilesText = text("Dateien auswählen...", "Select files...");
    m_selectLabel->setText(m_selectFilesText);
    m_selectLabel->adjustSize();
    m_encryptedBox->setText(text("Verschlüsselt", "Encrypted"));
    m_externalKeyLabel->setText(text("Externer Schlüssel geladen", "External key loaded"));
    m_externalKeyLabel->adjustSize();
    m_encryptButton->setHint(text("Verschlüsseln", "Encrypt files"));
    m_decryptButton->setHint(text("Entschlüsseln", "Decrypt files"));
    m_ownKeyButton->setHint(text("Eigenen Schlüssel wiederherstellen", "Save Key"));
    m_loadKeyButton->setHint(text("Externen Schlüssel laden", "Load external key"));
    m_selectButton->setHint(text("Dateien auswählen", "Select files"));
    m_viewButton->setHint(text("Datei anzeigen", "View file"));
    m_removeButton->setHint(text("Datei aus der Liste entfernen", "Remove file from list"));
    m_clearButton->setHint(text("Liste leeren", "Clear list"));
    m_resetKeyButton->setHint(text("Persönlichen Schlüssel wiederherstellen", "Reset user key"));
    m_closeButton->setText(text("Schliessen", "Close"));
    m_addFolderButton->setHint(text("Ordner hinzufügen", "Add folder"));
    m_detailsButton->setText(text("Details", "Details"));
    m_detailsButton->setHint(text("Übersprungene Dateien anzeigen", "Show the skipped files"));
    m_folderField->setAccessibleName(text("Ordner", "Folder"));
    m_fileList->setAccessibleName(text("Dateien", "Files"));
    m_keyField->setAccessibleName(text("Schlüssel", "Key"));
    m_keyLamp->setAccessibleName(m_externalKeyLabel->text());
    m_keyFileQuestion = text("Ist dies wirklich eine Key-Datei? Wollen Sie fortfahren?",
                             "Is this really a key file? Continue?");
    applyOverwriteTexts();
}

void EncryptWindow::readFormatChoice()
{
    m_format = m_session.dataFolder.isEmpty() ? FileFormat::Compatible
                                              : FormatChoice::load(m_session.dataFolder);
    m_formatLabel->setText(m_format == FileFormat::Age
                               ? StrongFormatTexts::NewFilesStrong(m_session.language)
                               : StrongFormatTexts::NewFilesCompatible(m_session.language));
}

// ---------------------------------------------------------------- showing

void EncryptWindow::openWith(const EncryptSession &session)
{
    m_session = session;
    readFormatChoice();
    readOverwriteChoice();
    show();
    raise();
    activateWindow();
}

void EncryptWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // A window brought back from the task bar is not shown afresh.
    if (!event->spontaneous())
        startAfresh();
}

void EncryptWindow::startAfresh()
{
    clearKeyDisplay();
    m_encryptedBox->setChecked(false);
    m_folderField->clear();
    setAcceptDrops(true);
    setKey(m_session.personalKey);
    applyLanguage();
    m_clearButton->click();
    if (const QScreen *screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void EncryptWindow::clearKeyDisplay()
{
    m_keyLamp->hide();
    m_externalKeyLabel->hide();
    m_keyFileLabel->clear();
}

void EncryptWindow::setKey(const QString &key)
{
    m_currentKey = key;
    m_keyField->setText(key);
}

void EncryptWindow::keyPressed(int key)
{
    if (key == Qt::Key_Escape)
        showMinimized();
    else if (key == Qt::Key_F1)
        HelpFile::showContext(HelpFile::EncryptContext);
}

void EncryptWindow::keyPressEvent(QKeyEvent *event)
{
    // Escape minimises here; it never closes the window as in other dialogs.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_F1) {
        keyPressed(event->key());
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool EncryptWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Escape || key == Qt::Key_F1) {
            keyPressed(key);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void EncryptWindow::closeEvent(QCloseEvent *event)
{
    if (runActive()) {
        // The run stops after its file; the window hides itself then.
        m_closeAfterRun = true;
        m_runs->stopWithoutQuestions();
        showStopping();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void EncryptWindow::closeClicked()
{
    close();
}

// ---------------------------------------------------------------- list

void EncryptWindow::showStep(int percent)
{
    m_progressBar->setProgress(percent, m_runStyle);
    Q_EMIT progressStepShown(m_progressBar->percent(), m_runStyle);
}

void EncryptWindow::clearListClicked()
{
    clearResult();
    m_runStyle = GradientProgressBar::EncryptStyle;
    showStep(0);
    m_fileList->clear();
    m_folderField->clear();
    m_encryptedBox->setChecked(false);
}

void EncryptWindow::selectFilesClicked()
{
    m_selectLabel->setText(m_selectFilesText);
    m_selectLabel->adjustSize();
    const QString folderField = TextTrim::trimmed(m_folderField->text());
    QString start = folderField.isEmpty() ? dialogStartFolder() : folderField;
    if (!QFileInfo(start).isDir())
        start.clear();
    const QStringList chosen = NameCheck::usable(
        this, FileDialog::getOpenFileNames(this, start, QStringLiteral("All|*.*")),
        m_session.language);
    if (!chosen.isEmpty()) {
        QStringList names;
        for (const QString &file : chosen)
            names << QFileInfo(file).fileName();
        showChosenFiles(folderWithDelimiter(chosen.first()), names);
    }
    m_runStyle = GradientProgressBar::EncryptStyle;
    showStep(0);
}

// The list becomes the chosen names; the last one's name decides the box.
void EncryptWindow::showChosenFiles(const QString &folder, const QStringList &names)
{
    m_fileList->clear();
    clearResult();
    m_folderField->setText(folder);
    for (const QString &name : names) {
        m_fileList->addItem(name);
        m_encryptedBox->setChecked(name.toLower().contains(QLatin1String(".enc")));
    }
}

void EncryptWindow::listFiles(const QStringList &paths)
{
    if (runActive())
        return;
    const NamedFiles named =
        NamedFiles::sort(NameCheck::usable(this, paths, m_session.language), m_session.language);
    if (!named.entries.isEmpty())
        showNamedEntries(named);
    m_runStyle = GradientProgressBar::EncryptStyle;
    showStep(0);
    if (!named.refusals.isEmpty())
        MessageBox::warning(this, named.refusalText(m_session.language));
}

void EncryptWindow::viewFileClicked()
{
    if (m_fileList->count() == 0)
        return;
    if (m_fileList->selectedItems().isEmpty() || m_fileList->currentRow() < 0) {
        m_fileList->setCurrentRow(0);
        m_fileList->item(0)->setSelected(true);
    }
    const QString path = ListEntries::pathOf(m_fileList->currentItem(), m_folderField->text());
    if (QFileInfo::exists(path))
        DesktopServices::viewFile(path);
}

void EncryptWindow::removeEntriesClicked()
{
    const QList<QListWidgetItem *> selected = m_fileList->selectedItems();
    for (QListWidgetItem *item : selected)
        delete m_fileList->takeItem(m_fileList->row(item));
}

void EncryptWindow::entryDoubleClicked()
{
    m_viewButton->click();
}

void EncryptWindow::entryClicked(QListWidgetItem *item)
{
    // A run changes the box itself; a click meanwhile only selects.
    if (runActive() || item == nullptr || ListEntries::isFolder(item))
        return;
    judgeEntry(ListEntries::pathOf(item, m_folderField->text()), false);
}

void EncryptWindow::judgeEntry(const QString &path, bool takeAnyVerdict)
{
    // A file that exists but cannot be read ends the action with the
    // program's error report; the window stays as it was.
    GeneralErrorReport::guard([&] {
        const EncryptedGuess::Verdict verdict =
            EncryptedGuess::judgeFile(path, m_prompter, m_session.language);
        if (takeAnyVerdict || verdict.fromContent)
            m_encryptedBox->setChecked(verdict.encrypted);
    });
}

// ---------------------------------------------------------------- drop

void EncryptWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!runActive() && event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void EncryptWindow::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (runActive() || urls.isEmpty())
        return;
    event->acceptProposedAction();
    const QStringList paths = NameCheck::usableDrops(this, urls, m_session.language);
    if (!paths.isEmpty())
        dropPaths(paths);
}

void EncryptWindow::dropPaths(const QStringList &paths)
{
    if (runActive() || paths.isEmpty())
        return;
    listFiles(paths);
    // The first dropped file is judged by its content, whatever the others are.
    const QFileInfo first(paths.first());
    if (m_fileList->count() > 0 && first.isFile() && !first.isSymLink())
        judgeEntry(first.absoluteFilePath(), true);
}

// ---------------------------------------------------------------- keys

void EncryptWindow::loadKeyClicked()
{
    clearListClicked();
    const QString chosen =
        FileDialog::getOpenFileName(this, QString(), QStringLiteral("Key|*.key|All|*.*"));
    // A cancelled dialog changes no key, so the display stays as it is.
    if (chosen.isEmpty() || !NameCheck::usable(this, chosen, m_session.language))
        return;
    const QFileInfo keyFile(chosen);
    if (!keyFile.fileName().toLower().contains(QLatin1String("key"))) {
        const MessageAnswer answer = MessageBox::show(
            this, Message::dialog(MessageIcon::Question, m_keyFileQuestion, MessageButtons::YesNo));
        if (answer != MessageAnswer::Yes)
            return;
    }
    QString error;
    const std::optional<ExternalKey> key = ExternalKey::load(chosen, m_session.textKey, &error);
    if (!key) {
        // Nothing was read: the key in use stays, and so does its display.
        GeneralErrorReport::show(error);
        return;
    }
    m_keyLamp->show();
    m_externalKeyLabel->show();
    m_keyFileLabel->setText(QDir::toNativeSeparators(keyFile.absoluteFilePath()));

    if (key->keyText.isEmpty()) {
        MessageBox::warning(this, ExternalKey::defaultKeyWarning(m_session.language));
        setKey(QString());
        return;
    }
    if (key->namesFiles) {
        m_fileList->clear();
        // Only names of files in the key file's own folder are taken.
        m_fileList->addItems(key->fileNames);
        if (m_fileList->count() > 0)
            m_folderField->setText(key->keyFolder);
    }
    setKey(key->keyText);
}

void EncryptWindow::ownKeyClicked()
{
    setKey(m_session.personalKey);
    m_selectLabel->setText(m_selectFilesText);
    m_selectLabel->adjustSize();
    clearKeyDisplay();
    m_fileList->clear();
    m_runStyle = GradientProgressBar::EncryptStyle;
    showStep(0);
    clearResult();
}

// ---------------------------------------------------------------- runs

void EncryptWindow::encryptClicked()
{
    startRun(CipherDirection::Encrypt);
}

void EncryptWindow::decryptClicked()
{
    startRun(CipherDirection::Decrypt);
}

bool EncryptWindow::runActive() const
{
    return m_runs->isRunning();
}

void EncryptWindow::startRun(CipherDirection direction)
{
    if (runActive())
        return;
    m_runStyle = direction == CipherDirection::Decrypt ? GradientProgressBar::DecryptStyle
                                                       : GradientProgressBar::EncryptStyle;
    showStep(0);
    const int count = m_fileList->count();
    if (count == 0) {
        Q_EMIT runFinished();
        return;
    }
    const QString folder = TextTrim::trimmed(m_folderField->text());
    QStringList paths;
    for (int k = 0; k < count; ++k)
        paths.append(ListEntries::pathOf(m_fileList->item(k), folder));
    const bool folderRun = ListEntries::holdsFolder(m_fileList);
    EncryptJobOptions options;
    options.takeFolders = folderRun;
    options.direction = direction;
    options.markedEncrypted = m_encryptedBox->isChecked();
    options.afterFailure = AfterFailure::Ask;
    options.language = m_session.language;
    readFormatChoice(); // the settings may have changed since the window opened
    options.format = m_format;
    options.overwriteOriginals = direction == CipherDirection::Encrypt && overwritesOriginals();

    m_closeAfterRun = false;
    m_run = std::make_unique<Run>();
    m_run->language = options.language;
    m_run->direction = direction;
    m_run->entryCount = count;
    m_run->folderRun = folderRun;
    m_run->progress.start();
    Run *run = m_run.get();
    m_runs->start(
        [&](Prompter &prompter, FileJobObserver &observer) {
            return std::make_unique<EncryptJob>(m_currentKey, paths, options, observer, prompter);
        },
        [run](EncryptJob &job) { run->summary = job.run(); });
    setRunControlsEnabled(false);
}

void EncryptWindow::setRunControlsEnabled(bool enabled)
{
    // Everything that changes the list, the folder or the key; viewing a
    // file and closing stay available.
    const QList<FlatButton *> controls{m_encryptButton, m_decryptButton,  m_ownKeyButton,
                                       m_loadKeyButton, m_selectButton,   m_removeButton,
                                       m_clearButton,   m_resetKeyButton, m_addFolderButton};
    for (FlatButton *control : controls)
        control->setEnabled(enabled);
    setAcceptDrops(enabled);
}

void EncryptWindow::showStopping()
{
    m_resultLabel->setText(textFor(m_run->language, "Wird angehalten...", "Stopping..."));
}

bool EncryptWindow::stopForQuit()
{
    if (!m_runs->stopForQuit())
        return false;
    showStopping();
    return true;
}

void EncryptWindow::runFileStarted(int index)
{
    if (!m_run)
        return;
    // The label shows this run's count or nothing.
    if (!m_run->reported && !m_runs->stopRequested()) {
        clearResult();
        setResultWide(m_run->folderRun);
    }
    m_run->reported = true;
    m_run->fileIndex = index;
}

void EncryptWindow::runBytesDone(int index, quint64 done, quint64 total)
{
    if (!m_run || m_run->folderRun || m_run->fileIndex < 0 || index != m_run->fileIndex ||
        total == 0)
        return;
    const double fraction = std::min(1.0, static_cast<double>(done) / static_cast<double>(total));
    const int percent =
        static_cast<int>(std::floor((m_run->fileIndex + fraction) * (100.0 / m_run->entryCount)));
    // Within one file's share only, and never backwards.
    if (percent > m_progressBar->percent())
        m_progressBar->setProgress(std::min(percent, 100), m_runStyle);
}

void EncryptWindow::runFileDone(const FileReport &report)
{
    if (!m_run)
        return;
    if (!m_run->reported && !m_runs->stopRequested()) {
        clearResult();
        setResultWide(m_run->folderRun);
    }
    m_run->reported = true;
    m_run->fileIndex = -1;
    switch (report.outcome) {
    case FileOutcome::Done:
        // A file found in a listed folder leaves the folder's entry as it is.
        if (QListWidgetItem *item = m_fileList->item(report.index); item && !report.inFolder)
            ListEntries::renameTo(item, report.result);
        [[fallthrough]];
    case FileOutcome::Failed:
        ++m_run->filesWorked;
        if (!m_run->folderRun)
            showStep(stepAfter(report.index, m_run->entryCount));
        break;
    case FileOutcome::Skipped:
    case FileOutcome::Cancelled:
        break;
    }
}

void EncryptWindow::runEnded()
{
    if (!m_run)
        return;
    const std::exception_ptr failure = m_runs->takeFailure();
    const EncryptJobSummary summary = m_run->summary;
    if (summary.started) {
        if (m_run->direction == CipherDirection::Encrypt) {
            m_encryptedBox->setChecked(true);
        } else {
            // The box is cleared once a file went through the run; a file
            // the user stopped the run at does not count.
            const int went = m_run->filesWorked - (summary.stoppedAfterFailure ? 1 : 0);
            if (went > 0)
                m_encryptedBox->setChecked(false);
        }
        const Language language = m_run->language;
        m_resultLabel->setToolTip(QString());
        if (m_run->folderRun) {
            showFolderRunResult(summary);
        } else {
            m_resultLabel->setText(QString::number(summary.done) +
                                   (m_run->direction == CipherDirection::Encrypt
                                        ? PipelineTexts::FilesEncrypted(language)
                                        : PipelineTexts::FilesDecrypted(language)));
        }
    } else if (m_runs->stopRequested()) {
        clearResult();
    }
    m_run.reset();
    setRunControlsEnabled(true);
    if (failure) {
        GeneralErrorReport::guard([&failure] { std::rethrow_exception(failure); });
    }
    Q_EMIT runFinished();
    if (std::exchange(m_closeAfterRun, false))
        close();
}

// ---------------------------------------------------------------- folders and many files

void EncryptWindow::buildFolderControls()
{
    // Below the list's buttons, and next to them in the tab order.
    m_addFolderButton = new FlatButton(this);
    m_addFolderButton->setObjectName(QStringLiteral("SpeedButtonFolder"));
    m_addFolderButton->setIcon(Icons::icon(Icons::Kind::AddFolder));
    m_addFolderButton->setIconSize(QSize(22, 22));
    m_addFolderButton->setGeometry(556, 212, 28, 30);
    setTabOrder(m_clearButton, m_addFolderButton);

    m_detailsButton = new FlatButton(this);
    m_detailsButton->setObjectName(QStringLiteral("ButtonDetails"));
    m_detailsButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_detailsButton->setGeometry(471, 314, 77, 32);
    m_detailsButton->hide();
}

// The list becomes the named files and folders; the last one's name decides
// the box, as after a choice in the file dialog.
void EncryptWindow::showNamedEntries(const NamedFiles &named)
{
    m_fileList->clear();
    clearResult();
    m_folderField->setText(named.folder);
    ListEntries::append(m_fileList, named.folder, named.entries);
    const QString lastName = QFileInfo(named.entries.last().path).fileName();
    m_encryptedBox->setChecked(lastName.toLower().contains(QLatin1String(".enc")));
}

// Adds to the list: what lies in the list's folder by its name, the rest by
// its path. An empty list takes the first one's folder.
void EncryptWindow::addNamed(const QStringList &paths)
{
    const QString listFolder = m_fileList->count() > 0 ? m_folderField->text() : QString();
    const NamedFiles named = NamedFiles::sort(paths, m_session.language, listFolder);
    if (!named.entries.isEmpty()) {
        if (listFolder.isEmpty())
            m_folderField->setText(named.folder);
        clearResult();
        ListEntries::append(m_fileList, m_folderField->text(), named.entries);
    }
    m_runStyle = GradientProgressBar::EncryptStyle;
    showStep(0);
    if (!named.refusals.isEmpty())
        MessageBox::warning(this, named.refusalText(m_session.language));
}

void EncryptWindow::addFolderClicked()
{
    if (runActive())
        return;
    const QString folderField = TextTrim::trimmed(m_folderField->text());
    QString start = folderField.isEmpty() ? dialogStartFolder() : folderField;
    if (!QFileInfo(start).isDir())
        start.clear();
    const QString chosen = FileDialog::getExistingDirectory(this, start);
    if (chosen.isEmpty() || !NameCheck::usable(this, chosen, m_session.language))
        return;
    addNamed({chosen});
}

void EncryptWindow::clearResult()
{
    m_resultLabel->clear();
    m_resultLabel->setToolTip(QString());
    m_skippedLines.clear();
    m_detailsButton->hide();
    setResultWide(false);
}

// A run over folders says more than a count: the label takes the width
// beside the details button.
void EncryptWindow::setResultWide(bool wide)
{
    const QRect place = wide ? QRect(63, 314, 400, 42) : QRect(206, 314, 205, 32);
    m_resultPanel->setGeometry(place);
    m_resultLabel->setGeometry(0, 0, place.width(), place.height());
    m_resultLabel->setWordWrap(wide);
}

void EncryptWindow::runFileInWork(const QString &path)
{
    if (m_run)
        m_run->progress.setFile(path);
}

void EncryptWindow::runBytesOfRun(quint64 done, quint64 total)
{
    if (!m_run || total == 0)
        return;
    if (m_run->folderRun) {
        const auto percent = static_cast<int>(static_cast<double>(std::min(done, total)) * 100.0 /
                                              static_cast<double>(total));
        if (percent > m_progressBar->percent())
            m_progressBar->setProgress(percent, m_runStyle);
    }
    // On a long run the label names the file in work and the time left.
    RunProgressText &progress = m_run->progress;
    if (m_runs->stopRequested() || progress.file().isEmpty() || !progress.due())
        return;
    const QString left =
        RunProgressText::timeLeft(m_run->language, done, total, progress.elapsedMs());
    const QString name = QFileInfo(progress.file()).fileName();
    const auto compose = [&left](const QString &part) { return RunProgressText::line(part, left); };
    m_resultLabel->setText(FittedText::forLabel(m_resultLabel, compose, name));
    m_resultLabel->setToolTip(QDir::toNativeSeparators(progress.file()));
}

void EncryptWindow::showFolderRunResult(const EncryptJobSummary &summary)
{
    const RunKind kind =
        m_run->direction == CipherDirection::Encrypt ? RunKind::Encrypt : RunKind::Decrypt;
    setResultWide(true);
    m_resultLabel->setToolTip(QString());
    m_resultLabel->setText(FolderRunTexts::counts(m_run->language, kind, summary.done,
                                                  static_cast<int>(summary.skipped.size()),
                                                  summary.failed));
    m_skippedLines.clear();
    for (const SkippedFile &file : summary.skipped)
        m_skippedLines << QDir::toNativeSeparators(file.path) + QStringLiteral(": ") + file.reason;
    m_detailsButton->setVisible(!m_skippedLines.isEmpty());
    if (!summary.stoppedEarly)
        showStep(100);
}

void EncryptWindow::detailsClicked()
{
    if (m_skippedLines.isEmpty())
        return;
    const QString heading =
        textFor(m_session.language, "%1 Datei(en) übersprungen:", "%1 file(s) skipped:")
            .arg(m_skippedLines.size());
    MessageBox::informationList(this, heading, m_skippedLines);
}
