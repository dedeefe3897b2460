#include "ui/SecureDeleteWindow.h"

#include "platform/TextTrim.h"
#include "platform/gui/DesktopServices.h"
#include "platform/gui/HelpFile.h"
#include "shred/DeleteListedFiles.h"
#include "ui/FileDialog.h"
#include "ui/FileWorkThread.h"
#include "ui/FlatButton.h"
#include "ui/GradientProgressBar.h"
#include "ui/GradientWidget.h"
#include "ui/Icons.h"
#include "ui/RoundedPanel.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScopeGuard>
#include <QScreen>
#include <QShowEvent>

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

QString &lastFolderStore()
{
    static QString folder;
    return folder;
}

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
    setWindowIcon(Icons::icon(Icons::Kind::Shred));
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(12);
    setFont(tahoma);
    buildLayout();
    ApplyLanguage();
}

SecureDeleteWindow::~SecureDeleteWindow() = default;

void SecureDeleteWindow::buildLayout()
{
    setFixedSize(ClientWidth, ClientHeight);

    ToolBar1 = new GradientWidget(ToolBarTop, GradientBottom, ToolBarHeight, this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setGeometry(0, 0, ClientWidth, ToolBarHeight);
    const auto makeToolButton = [this](const QString &name, Icons::Kind picture, int x) {
        auto *button = new FlatButton(ToolBar1);
        button->setObjectName(name);
        button->setIcon(Icons::icon(picture));
        button->setIconSize(QSize(25, 25));
        button->setGeometry(x, 1, 27, 27);
        return button;
    };
    ToolButton6 = makeToolButton(QStringLiteral("ToolButton6"), Icons::Kind::Delete, 2);
    ToolButton11 = makeToolButton(QStringLiteral("ToolButton11"), Icons::Kind::Cancel, 31);

    Body = new GradientWidget(BodyTop, GradientBottom, 200, this);
    Body->setObjectName(QStringLiteral("Body"));
    Body->setGeometry(0, ToolBarHeight, ClientWidth, ClientHeight - ToolBarHeight);

    Label3 = new QLabel(Body);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(ListLeft, 12, 250, 20);

    Edit1 = new QLineEdit(QStringLiteral("2"), Body);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(330, 11, 30, 21);
    Edit1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Digits only, and few enough that every value parses (and is then
    // brought into 1..10 by the run).
    Edit1->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), Edit1));
    Edit1->setMaxLength(9);

    Label1 = new QLabel(Body);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(366, 12, 120, 20);

    EditDir = new QLineEdit(Body);
    EditDir->setObjectName(QStringLiteral("EditDir"));
    EditDir->setGeometry(ListLeft, 40, ListWidth, 21);
    EditDir->setReadOnly(true);
    QPalette folderColours = EditDir->palette();
    folderColours.setColor(QPalette::Base, FolderBackground);
    EditDir->setPalette(folderColours);

    ListBox1 = new QListWidget(Body);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(ListLeft, 66, ListWidth, 245);
    ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);

    PanelProgress = new GradientProgressBar(Body);
    PanelProgress->setObjectName(QStringLiteral("PanelProgress"));
    PanelProgress->setGeometry(ListLeft, 319, ListWidth, 20);

    PanelResult = new RoundedPanel(Body);
    PanelResult->setObjectName(QStringLiteral("PanelResult"));
    PanelResult->setColor(ResultBackground);
    PanelResult->setGeometry(ListLeft, 347, ListWidth, 28);
    Label4 = new QLabel(PanelResult);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setGeometry(8, 0, ListWidth - 16, 28);
    QPalette maroon = Label4->palette();
    maroon.setColor(QPalette::WindowText, Maroon);
    Label4->setPalette(maroon);

    ButtonClose = new QPushButton(Body);
    ButtonClose->setObjectName(QStringLiteral("ButtonClose"));
    ButtonClose->setGeometry((ClientWidth - 300) / 2, 392, 300, 30);
    // Enter in the count field must not close the window.
    ButtonClose->setAutoDefault(false);
    ButtonClose->setDefault(false);

    const auto makePictureButton = [this](const QString &name, Icons::Kind picture, int y) {
        auto *button = new FlatButton(Body);
        button->setObjectName(name);
        button->setIcon(Icons::icon(picture));
        button->setIconSize(QSize(24, 24));
        button->setGeometry(ColumnLeft, y, 30, 30);
        return button;
    };
    SpeedButton1 = makePictureButton(QStringLiteral("SpeedButton1"), Icons::Kind::SelectFiles, 40);
    SpeedButton4 = makePictureButton(QStringLiteral("SpeedButton4"), Icons::Kind::ViewFile, 76);
    SpeedButton3 = makePictureButton(QStringLiteral("SpeedButton3"), Icons::Kind::RemoveFile, 112);
    SpeedButton2 = makePictureButton(QStringLiteral("SpeedButton2"), Icons::Kind::ClearList, 148);

    connect(ToolButton6, &FlatButton::clicked, this, &SecureDeleteWindow::ToolButton6Click);
    connect(ToolButton11, &FlatButton::clicked, this, &SecureDeleteWindow::ToolButton11Click);
    connect(SpeedButton1, &FlatButton::clicked, this, &SecureDeleteWindow::ToolButton2Click);
    connect(SpeedButton2, &FlatButton::clicked, this, &SecureDeleteWindow::ToolButton1Click);
    connect(SpeedButton3, &FlatButton::clicked, this, &SecureDeleteWindow::ToolButton3Click);
    connect(SpeedButton4, &FlatButton::clicked, this, &SecureDeleteWindow::ToolButton4Click);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &SecureDeleteWindow::ToolButton4Click);
    connect(ButtonClose, &QPushButton::clicked, this, &SecureDeleteWindow::ButtonQuitClick);

    // Key preview: Esc and F1 reach the window before the focused control.
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
}

// ---------------------------------------------------------------- operations

QString SecureDeleteWindow::lastFolder()
{
    return lastFolderStore();
}

QString SecureDeleteWindow::countSuffix() const
{
    return MyLanguage == 0 ? QStringLiteral(" Datei(en) ausgewählt")
                           : QStringLiteral(" file(s) selected");
}

void SecureDeleteWindow::ApplyLanguage()
{
    const bool german = MyLanguage == 0;
    const auto pick = [german](const char *germanText, const char *englishText) {
        return QString::fromUtf8(german ? germanText : englishText);
    };
    setWindowTitle(pick("Sicheres Löschen", "Secure Delete"));
    Label1->setText(pick("x überschreiben", "x overwrite"));
    SpeedButton1->setHint(pick("Dateien auswählen", "Select files"));
    SpeedButton2->setHint(pick("Neu", "New"));
    SpeedButton3->setHint(pick("Datei aus der Liste entfernen", "Remove file from list"));
    SpeedButton4->setHint(pick("Datei ansehen", "View file"));
    ToolButton6->setHint(pick("Dateien löschen", "Delete files"));
    ToolButton11->setHint(pick("Löschen abbrechen", "Cancel delete operation"));
    ButtonClose->setText(pick("Schliessen", "Close"));
    updateCountLabel();
}

void SecureDeleteWindow::updateCountLabel()
{
    Label3->setText(QString::number(ListBox1->count()) + countSuffix());
}

void SecureDeleteWindow::ShowProgress(int percent)
{
    PanelProgress->setProgress(percent, GradientProgressBar::EncryptStyle);
    QCoreApplication::processEvents();
}

void SecureDeleteWindow::CompactList()
{
    for (int i = 0; i < ListBox1->count();) {
        if (TextTrim::trimmed(ListBox1->item(i)->text()).isEmpty())
            delete ListBox1->takeItem(i);
        else
            ++i;
    }
    updateCountLabel();
}

void SecureDeleteWindow::ViewFile(const QString &path)
{
    if (QFileInfo::exists(path))
        DesktopServices::ViewFile(path);
}

// ---------------------------------------------------------------- handlers

void SecureDeleteWindow::FormShow()
{
    m_cancel = false;
    ApplyLanguage();
    ToolButton1Click();
}

void SecureDeleteWindow::ToolButton1Click()
{
    ListBox1->clear();
    EditDir->clear();
    Label4->clear();
    updateCountLabel();
    ShowProgress(0);
}

void SecureDeleteWindow::ToolButton2Click()
{
    ToolButton1Click();

    const QString last = lastFolderStore();
    const QString start = !last.isEmpty() && QFileInfo(last).isDir() ? last : QString();
    const QStringList files =
        FileDialog::getOpenFileNames(this, start, QStringLiteral("Alle|*.*"), true);
    if (files.isEmpty())
        return;

    const QString folder = QFileInfo(files.first()).absolutePath();
    lastFolderStore() = withTrailingDelimiter(folder);
    EditDir->setText(lastFolderStore());
    for (const QString &file : files) {
        const QFileInfo info(file);
        // Every entry is a name in the folder field's folder; a file from
        // another folder would name a different file there, so it is left out.
        if (info.absolutePath() != folder)
            continue;
        ListBox1->addItem(info.fileName());
    }
    updateCountLabel();
}

void SecureDeleteWindow::ToolButton3Click()
{
    const QList<QListWidgetItem *> selected = ListBox1->selectedItems();
    for (QListWidgetItem *item : selected)
        delete ListBox1->takeItem(ListBox1->row(item));
    updateCountLabel();
    ShowProgress(0);
}

void SecureDeleteWindow::ToolButton4Click()
{
    if (ListBox1->count() == 0)
        return;
    if (ListBox1->selectedItems().isEmpty())
        ListBox1->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
    QListWidgetItem *item = ListBox1->currentItem();
    if (item == nullptr || !item->isSelected())
        item = ListBox1->selectedItems().first();
    ViewFile(EditDir->text() + item->text());
}

void SecureDeleteWindow::ToolButton6Click()
{
    if (m_running)
        return;
    m_cancel = false;
    setRunning(true);
    // The controls come back whatever way the run ends, an error included.
    const auto restore = qScopeGuard([this] { setRunning(false); });
    DeleteListedFiles(*this);
}

void SecureDeleteWindow::ToolButton11Click()
{
    m_cancel = true;
}

void SecureDeleteWindow::ButtonQuitClick()
{
    close();
}

void SecureDeleteWindow::setRunning(bool running)
{
    m_running = running;
    for (QWidget *control :
         {static_cast<QWidget *>(SpeedButton1), static_cast<QWidget *>(SpeedButton2),
          static_cast<QWidget *>(SpeedButton3), static_cast<QWidget *>(ToolButton6),
          static_cast<QWidget *>(Edit1), static_cast<QWidget *>(ButtonClose)})
        control->setEnabled(!running);
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
    FormShow();
}

void SecureDeleteWindow::closeEvent(QCloseEvent *event)
{
    // Closing returns the dashboard's modal call; the run must be over first.
    if (m_running) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

bool SecureDeleteWindow::FormKeyDown(int key)
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
    if (FormKeyDown(event->key())) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool SecureDeleteWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && FormKeyDown(static_cast<QKeyEvent *>(event)->key()))
        return true;
    return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------- the run's host

int SecureDeleteWindow::entryCount() const
{
    return ListBox1->count();
}

QString SecureDeleteWindow::entry(int index) const
{
    return ListBox1->item(index)->text();
}

void SecureDeleteWindow::setEntry(int index, const QString &text)
{
    ListBox1->item(index)->setText(text);
}

QString SecureDeleteWindow::folderText() const
{
    return EditDir->text();
}

QString SecureDeleteWindow::overwriteCountText() const
{
    return Edit1->text();
}

void SecureDeleteWindow::setOverwriteCountText(const QString &text)
{
    Edit1->setText(text);
}

void SecureDeleteWindow::setResultText(const QString &text)
{
    Label4->setText(text);
}

Prompter &SecureDeleteWindow::prompter()
{
    return m_prompter;
}

int SecureDeleteWindow::language() const
{
    return MyLanguage;
}

bool SecureDeleteWindow::takeCancelRequest()
{
    const bool requested = m_cancel;
    m_cancel = false;
    return requested;
}

void SecureDeleteWindow::processPendingEvents()
{
    QCoreApplication::processEvents();
}

bool SecureDeleteWindow::runFileWork(const std::function<bool()> &work)
{
    m_fileWorkRunning = true;
    const auto over = qScopeGuard([this] { m_fileWorkRunning = false; });
    return runFileWorkOnThread(work);
}

void SecureDeleteWindow::fileFinished(int index, const QString &path, const ShredReport &report)
{
    Q_UNUSED(path);
    const bool deleted = report.outcome != ShredOutcome::Refused;
    // A refused file stays in the list; its hint says why.
    if (!deleted && index < ListBox1->count())
        ListBox1->item(index)->setToolTip(report.reason);
    Q_EMIT fileProcessed(index, deleted);
}
