#include "ui/EncryptWindow.h"

#include "cipher/FilePipeline.h"
#include "cipher/PipelineTexts.h"
#include "cipher/EncryptedGuess.h"
#include "keys/KeyFile.h"
#include "platform/TextTrim.h"
#include "platform/gui/DesktopServices.h"
#include "platform/gui/HelpFile.h"
#include "ui/FileDialog.h"
#include "ui/FlatButton.h"
#include "ui/GeneralErrorReport.h"
#include "ui/GradientProgressBar.h"
#include "ui/GradientWidget.h"
#include "ui/Icons.h"
#include "ui/RoundedPanel.h"
#include "ui/KeyLamp.h"
#include "ui/EncryptWorkerRun.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cmath>

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

// A list entry is a bare name of a file in the folder field's folder.
bool isBareFileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
           && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

// The folder of a path with its trailing delimiter, as the folder field holds it.
QString folderWithDelimiter(const QString &path)
{
    QString folder = QDir::toNativeSeparators(QFileInfo(path).absolutePath());
    if (!folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    return folder;
}

} // namespace

EncryptWindow::EncryptWindow(QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint)
    , m_prompter(this)
{
    setObjectName(QStringLiteral("FormUtil"));
    setFixedSize(614, 417);
    setFont(tahoma(8));
    setWindowIcon(Icons::icon(Icons::Kind::Encrypt));
    setModal(false);
    buildLayout();
    ApplyLanguage();
}

EncryptWindow::~EncryptWindow() = default;

// ---------------------------------------------------------------- layout

void EncryptWindow::buildLayout()
{
    JvGradient7 = new GradientWidget(GradientTop, GradientBottom, 200, this);
    JvGradient7->setObjectName(QStringLiteral("JvGradient7"));
    JvGradient7->setGeometry(0, ToolbarHeight, width(), height() - ToolbarHeight);

    ToolBar1 = new GradientWidget(GradientTop, GradientBottom, 200, this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setGeometry(0, 0, width(), ToolbarHeight);
    const auto toolButton = [this](const char *name, Icons::Kind picture, int position) {
        auto *button = new FlatButton(ToolBar1);
        button->setObjectName(QLatin1String(name));
        button->setIcon(Icons::icon(picture));
        button->setIconSize(QSize(26, 26));
        button->setGeometry(FirstToolbarButton + position * ToolbarButtonWidth, 0,
                            ToolbarButtonWidth, ToolbarHeight);
        return button;
    };
    ToolButton1 = toolButton("ToolButton1", Icons::Kind::Encrypt, 0);
    ToolButton2 = toolButton("ToolButton2", Icons::Kind::Decrypt, 1);
    ToolButton4 = toolButton("ToolButton4", Icons::Kind::KeyLoad, 2);
    ToolButton3 = toolButton("ToolButton3", Icons::Kind::Key, 3);

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(63, 52);

    JvLED1 = new KeyLamp(this);
    JvLED1->setObjectName(QStringLiteral("JvLED1"));
    JvLED1->setGeometry(262, 48, 17, 17);
    JvLED1->hide();

    LabelKey = new QLabel(this);
    LabelKey->setObjectName(QStringLiteral("LabelKey"));
    LabelKey->move(285, 50);
    LabelKey->hide();

    CheckBoxEncoded = new QCheckBox(this);
    CheckBoxEncoded->setObjectName(QStringLiteral("CheckBoxEncoded"));
    CheckBoxEncoded->setGeometry(453, 48, 95, 17);

    Edit4 = new QLineEdit(this);
    Edit4->setObjectName(QStringLiteral("Edit4"));
    Edit4->setReadOnly(true);
    Edit4->setGeometry(65, 71, 485, 21);

    const auto speedButton = [this](const char *name, Icons::Kind picture, int x, int y) {
        auto *button = new FlatButton(this);
        button->setObjectName(QLatin1String(name));
        button->setIcon(Icons::icon(picture));
        button->setIconSize(QSize(22, 22));
        button->setGeometry(x, y, 28, 30);
        return button;
    };
    SpeedButton1 = speedButton("SpeedButton1", Icons::Kind::SelectFiles, 554, 63);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBox1->setGeometry(63, 99, 485, 174);

    SpeedButton2 = speedButton("SpeedButton2", Icons::Kind::ViewFile, 556, 103);
    SpeedButton3 = speedButton("SpeedButton3", Icons::Kind::RemoveFile, 556, 138);
    SpeedButton4 = speedButton("SpeedButton4", Icons::Kind::ClearList, 556, 175);

    Panel1 = new GradientProgressBar(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(63, 278, 485, 20);

    SpeedButton5 = speedButton("SpeedButton5", Icons::Kind::Key, 554, 297);
    SpeedButton5->hide();

    Panel2 = new RoundedPanel(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setColor(QColor(242, 242, 242));
    Panel2->setGeometry(206, 314, 205, 32);
    Label3 = new QLabel(Panel2);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setFont(tahoma(10));
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setGeometry(0, 0, 205, 32);
    setTextColour(Label3, Maroon);

    EditKey = new QLineEdit(this);
    EditKey->setObjectName(QStringLiteral("EditKey"));
    EditKey->setReadOnly(true);
    EditKey->setGeometry(446, 320, 136, 21);
    QPalette grey = EditKey->palette();
    grey.setColor(QPalette::Base, QColor(233, 233, 233));
    EditKey->setPalette(grey);
    EditKey->hide();

    Panel3 = new RoundedPanel(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setBevel(RoundedPanel::Bevel::Raised);
    Panel3->setTransparent();
    Panel3->setGeometry(160, 359, 300, 30);
    ButtonClose = new FlatButton(Panel3);
    ButtonClose->setObjectName(QStringLiteral("ButtonClose"));
    ButtonClose->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ButtonClose->setGeometry(0, 0, 300, 30);

    Labelkname = new QLabel(this);
    Labelkname->setObjectName(QStringLiteral("Labelkname"));
    Labelkname->setFont(tahoma(10));
    Labelkname->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Labelkname->setGeometry(5, 397, 606, 18);

    connect(ToolButton1, &FlatButton::clicked, this, &EncryptWindow::ToolButton1Click);
    connect(ToolButton2, &FlatButton::clicked, this, &EncryptWindow::ToolButton2Click);
    connect(ToolButton4, &FlatButton::clicked, this, &EncryptWindow::ToolButton4Click);
    connect(ToolButton3, &FlatButton::clicked, this, &EncryptWindow::BitBtn3Click);
    connect(SpeedButton5, &FlatButton::clicked, this, &EncryptWindow::BitBtn3Click);
    connect(SpeedButton1, &FlatButton::clicked, this, &EncryptWindow::BitBtn14Click);
    connect(SpeedButton2, &FlatButton::clicked, this, &EncryptWindow::BitBtn5Click);
    connect(SpeedButton3, &FlatButton::clicked, this, &EncryptWindow::BitBtn4Click);
    connect(SpeedButton4, &FlatButton::clicked, this, &EncryptWindow::BitBtn6Click);
    connect(ListBox1, &QListWidget::itemClicked, this, &EncryptWindow::ListBox1Click);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &EncryptWindow::ListBox1DblClick);
    connect(ButtonClose, &FlatButton::clicked, this, &EncryptWindow::ButtonQuitClick);

    // The window sees Escape and F1 before its controls do.
    const QList<QWidget *> children = findChildren<QWidget *>();
    for (QWidget *child : children)
        child->installEventFilter(this);
}

void EncryptWindow::ApplyLanguage()
{
    const bool german = TLanguage == 0;
    const auto text = [german](const char *de, const char *en) {
        return QString::fromUtf8(german ? de : en);
    };
    setWindowTitle(text("Dateien verschlüsseln", "Encrypt files"));
    SelectFiles = text("Dateien auswählen...", "Select files...");
    Label2->setText(SelectFiles);
    Label2->adjustSize();
    CheckBoxEncoded->setText(text("Verschlüsselt", "Encrypted"));
    LabelKey->setText(text("Externer Schlüssel geladen", "External key loaded"));
    LabelKey->adjustSize();
    ToolButton1->setHint(text("Verschlüsseln", "Encrypt files"));
    ToolButton2->setHint(text("Entschlüsseln", "Decrypt files"));
    ToolButton3->setHint(text("Eigenen Schlüssel wiederherstellen", "Save Key"));
    ToolButton4->setHint(text("Externen Schlüssel laden", "Load external key"));
    SpeedButton1->setHint(text("Dateien auswählen", "Select files"));
    SpeedButton2->setHint(text("Datei anzeigen", "View file"));
    SpeedButton3->setHint(text("Datei aus der Liste entfernen", "Remove file from list"));
    SpeedButton4->setHint(text("Liste leeren", "Clear list"));
    SpeedButton5->setHint(text("Persönlichen Schlüssel wiederherstellen", "Reset user key"));
    ButtonClose->setText(text("Schliessen", "Close"));
    KeyFileQuestion = text("Ist dies wirklich eine Key-Datei? Wollen Sie fortfahren?",
                           "Is this really a key file? Continue?");
    NoKeyDefault = text("Kein Schlüssel angegeben! Verwende Standardschlüssel!",
                        "No key specified! Will use default key!");
    // The run's own texts (questions, counters) follow TLanguage through
    // language() when a run starts.
}

// ---------------------------------------------------------------- showing

void EncryptWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // A window brought back from the task bar is not shown afresh.
    if (!event->spontaneous())
        FormShow();
}

void EncryptWindow::FormShow()
{
    clearKeyDisplay();
    CheckBoxEncoded->setChecked(false);
    Edit4->clear();
    setAcceptDrops(true);
    setKey(PrivateKey);
    ApplyLanguage();
    SpeedButton4->click();
    if (const QScreen *screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void EncryptWindow::clearKeyDisplay()
{
    JvLED1->hide();
    LabelKey->hide();
    Labelkname->clear();
}

void EncryptWindow::setKey(const QString &key)
{
    CurrentKey = key;
    EditKey->setText(key);
}

void EncryptWindow::FormKeyDown(int key)
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
        FormKeyDown(event->key());
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
            FormKeyDown(key);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void EncryptWindow::closeEvent(QCloseEvent *event)
{
    if (m_running) {
        // The run ends first; the window hides itself afterwards.
        m_closeAfterRun = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void EncryptWindow::ButtonQuitClick()
{
    close();
}

// ---------------------------------------------------------------- list

void EncryptWindow::BitBtn6Click()
{
    Label3->clear();
    ShowProgress(0, EncryptStyle);
    ListBox1->clear();
    Edit4->clear();
    CheckBoxEncoded->setChecked(false);
}

void EncryptWindow::BitBtn14Click()
{
    Label2->setText(SelectFiles);
    Label2->adjustSize();
    const QString folderField = TextTrim::trimmed(Edit4->text());
    QString start = folderField.isEmpty() ? InitDrive : folderField;
    if (!QFileInfo(start).isDir())
        start.clear();
    const QStringList chosen =
        FileDialog::getOpenFileNames(this, start, QStringLiteral("All|*.*"));
    if (!chosen.isEmpty()) {
        ListBox1->clear();
        Edit4->setText(folderWithDelimiter(chosen.first()));
        for (const QString &file : chosen) {
            const QString name = QFileInfo(file).fileName();
            ListBox1->addItem(name);
            CheckBoxEncoded->setChecked(name.toLower().contains(QLatin1String(".enc")));
        }
    }
    ShowProgress(0, EncryptStyle);
}

void EncryptWindow::BitBtn5Click()
{
    if (ListBox1->count() == 0)
        return;
    if (ListBox1->selectedItems().isEmpty() || ListBox1->currentRow() < 0) {
        ListBox1->setCurrentRow(0);
        ListBox1->item(0)->setSelected(true);
    }
    const QString path = Edit4->text() + ListBox1->currentItem()->text();
    if (QFileInfo::exists(path))
        DesktopServices::ViewFile(path);
}

void EncryptWindow::BitBtn4Click()
{
    const QList<QListWidgetItem *> selected = ListBox1->selectedItems();
    for (QListWidgetItem *item : selected)
        delete ListBox1->takeItem(ListBox1->row(item));
}

void EncryptWindow::ListBox1DblClick()
{
    SpeedButton2->click();
}

void EncryptWindow::ListBox1Click(QListWidgetItem *item)
{
    // A run changes the box itself; a click meanwhile only selects.
    if (m_running || item == nullptr)
        return;
    judgeEntry(Edit4->text() + item->text(), false);
}

void EncryptWindow::judgeEntry(const QString &path, bool takeAnyVerdict)
{
    // A file that exists but cannot be read ends the action with the
    // program's error report; the window stays as it was.
    GeneralErrorReport::guard([&] {
        const bool verdict = LooksEncrypted(path, m_prompter, TLanguage);
        if (takeAnyVerdict || !ContentUnchecked)
            CheckBoxEncoded->setChecked(verdict);
    });
}

// ---------------------------------------------------------------- drop

void EncryptWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!m_running && event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void EncryptWindow::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (m_running || urls.isEmpty() || !urls.first().isLocalFile())
        return;
    event->acceptProposedAction();
    DropFile(urls.first().toLocalFile());
}

void EncryptWindow::DropFile(const QString &path)
{
    const QFileInfo info(path);
    if (m_running || path.isEmpty() || !info.isFile())
        return;
    // The runs build each path as folder field + entry, so the dropped file
    // becomes the only entry and its folder the folder field.
    ListBox1->clear();
    Edit4->setText(folderWithDelimiter(info.absoluteFilePath()));
    ListBox1->addItem(info.fileName());
    ShowProgress(0, EncryptStyle);
    judgeEntry(info.absoluteFilePath(), true);
}

// ---------------------------------------------------------------- keys

void EncryptWindow::ToolButton4Click()
{
    LoadExternalKey();
}

void EncryptWindow::BitBtn3Click()
{
    RestoreOwnKey();
}

void EncryptWindow::LoadExternalKey()
{
    BitBtn6Click();
    const QString chosen = FileDialog::getOpenFileName(this, QString(),
                                                       QStringLiteral("Key|*.key|All|*.*"));
    if (chosen.isEmpty()) {
        clearKeyDisplay();
        return;
    }
    const QFileInfo keyFile(chosen);
    if (!keyFile.fileName().toLower().contains(QLatin1String("key"))) {
        const MessageAnswer answer = MessageBox::show(
            this, Message::dialog(MessageIcon::Question, KeyFileQuestion, MessageButtons::YesNo));
        if (answer != MessageAnswer::Yes)
            return;
    }
    QString error;
    const std::optional<QStringList> lines = ReadKeyFile(chosen, Ccode, &error);
    if (!lines) {
        // Nothing was read: the key in use stays, and so does its display.
        GeneralErrorReport::show(error);
        return;
    }
    JvLED1->show();
    LabelKey->show();
    Labelkname->setText(QDir::toNativeSeparators(keyFile.absoluteFilePath()));

    const QString keyLine = lines->isEmpty() ? QString() : lines->first();
    if (keyLine.isEmpty()) {
        MessageBox::warning(this, NoKeyDefault);
        setKey(QString());
        return;
    }
    if (lines->size() >= 2) {
        ListBox1->clear();
        const QString folder = folderWithDelimiter(keyFile.absoluteFilePath());
        for (qsizetype k = 1; k < lines->size(); ++k) {
            const QString &name = lines->at(k);
            // Only names of files in the key file's own folder are taken.
            if (isBareFileName(name) && QFileInfo(folder + name).isFile())
                ListBox1->addItem(name);
        }
        if (ListBox1->count() > 0)
            Edit4->setText(folder);
    }
    setKey(keyLine);
}

void EncryptWindow::RestoreOwnKey()
{
    setKey(PrivateKey);
    Label2->setText(SelectFiles);
    Label2->adjustSize();
    clearKeyDisplay();
    ListBox1->clear();
    ShowProgress(0, EncryptStyle);
    Label3->clear();
}

// ---------------------------------------------------------------- runs

void EncryptWindow::ToolButton1Click()
{
    runOverList(false);
}

void EncryptWindow::ToolButton2Click()
{
    runOverList(true);
}

void EncryptWindow::runOverList(bool decrypting)
{
    if (m_running)
        return;
    m_running = true;
    m_closeAfterRun = false;
    m_runIndex = -1;
    m_runStep = ListBox1->count() > 0 ? 100.0 / ListBox1->count() : 0.0;
    m_runStyle = decrypting ? DecryptStyle : EncryptStyle;
    setRunControlsEnabled(false);

    GeneralErrorReport::guard([&] {
        FilePipeline pipeline(*this);
        if (decrypting)
            pipeline.DecryptRun();
        else
            pipeline.EncryptRun();
    });

    m_running = false;
    m_runIndex = -1;
    setRunControlsEnabled(true);
    Q_EMIT runFinished();
    if (m_closeAfterRun) {
        m_closeAfterRun = false;
        close();
    }
}

void EncryptWindow::setRunControlsEnabled(bool enabled)
{
    // Everything that changes the list, the folder or the key; viewing a
    // file and closing stay available.
    const QList<FlatButton *> controls{ToolButton1,  ToolButton2,  ToolButton3,  ToolButton4,
                                       SpeedButton1, SpeedButton3, SpeedButton4, SpeedButton5};
    for (FlatButton *control : controls)
        control->setEnabled(enabled);
    setAcceptDrops(enabled);
}

QString EncryptWindow::keyText() const
{
    return CurrentKey;
}

QString EncryptWindow::folderText() const
{
    return Edit4->text();
}

int EncryptWindow::entryCount() const
{
    return ListBox1->count();
}

QString EncryptWindow::entry(int index) const
{
    const QListWidgetItem *item = ListBox1->item(index);
    if (item == nullptr)
        return QString();
    // The run reads an entry right before it works on its file.
    if (m_running)
        m_runIndex = index;
    return item->text();
}

void EncryptWindow::setEntry(int index, const QString &name)
{
    if (QListWidgetItem *item = ListBox1->item(index))
        item->setText(name);
}

bool EncryptWindow::encodedChecked() const
{
    return CheckBoxEncoded->isChecked();
}

void EncryptWindow::setEncodedChecked(bool checked)
{
    CheckBoxEncoded->setChecked(checked);
}

void EncryptWindow::setResultText(const QString &text)
{
    Label3->setText(text);
}

void EncryptWindow::ShowProgress(int percent, int style)
{
    Panel1->setProgress(percent, style);
    // During a run the window handles what is pending (clicks, repaints)
    // between the steps of the run.
    if (m_running)
        QCoreApplication::processEvents();
}

Prompter &EncryptWindow::prompter()
{
    return m_prompter;
}

int EncryptWindow::language() const
{
    return TLanguage;
}

void EncryptWindow::pause(int milliseconds)
{
    // Waits without blocking the window.
    QEventLoop loop;
    QTimer::singleShot(std::max(0, milliseconds), &loop, &QEventLoop::quit);
    loop.exec();
}

void EncryptWindow::runFileWork(const std::function<void()> &work)
{
    m_workDone = 0;
    m_workTotal = 0;
    if (m_workerThreadRuns)
        EncryptWorkerRun::run(work);
    else
        work();
}

void EncryptWindow::fileWorkProgress(quint64 done, quint64 total)
{
    // Called on the worker thread: keep the figures and post at most one
    // update at a time to the window's thread.
    m_workDone = done;
    m_workTotal = total;
    if (!m_workProgressPosted.exchange(true))
        QMetaObject::invokeMethod(this, &EncryptWindow::showWorkProgress, Qt::QueuedConnection);
}

void EncryptWindow::showWorkProgress()
{
    m_workProgressPosted = false;
    const quint64 total = m_workTotal;
    if (!m_running || m_runIndex < 0 || total == 0)
        return;
    const double fraction = std::min(1.0, static_cast<double>(m_workDone) / total);
    const int percent = static_cast<int>(std::floor((m_runIndex + fraction) * m_runStep));
    // Within one file's share only, and never backwards.
    if (percent > Panel1->percent())
        Panel1->setProgress(std::min(percent, 100), m_runStyle);
}
