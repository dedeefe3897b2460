#pragma once

#include "core/Language.h"
#include "jobs/ShredJob.h"
#include "widgets/MessageBox.h"
#include "windows/RunProgressText.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class FlatButton;
class GradientProgressBar;
class GradientWidget;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class RoundedPanel;
class RunController;

// What the opener hands over each time it shows the secure delete window.
struct SecureDeleteSession
{
    Language language = Language::German;
    // Where the file dialog starts while no files have been picked in this
    // run of the program; empty for the dialog's own choice.
    QString initialFolder;
};

// The secure delete window: the user picks files from one folder (or drops
// files and folders, or adds folders with the folder button), reviews the
// list, chooses how often each file is overwritten and destroys them with
// progress and a cancel button. Every showing starts with an empty list. A
// run over a folder asks with the number of files, their size and the folders
// that go, and ends with the counts; "Details" lists the skipped files.
//
// A run is a ShredJob on a background task: the window keeps handling events,
// the progress bar moves within each file's passes, and the questions of the
// run are asked here while the job waits. Cancel shows at once that it was
// taken; the job stops once the pass being written has reached the disk.
// While a run goes on, the controls that change the list (and start, close
// and the count field) are disabled.
class SecureDeleteWindow : public QDialog
{
    Q_OBJECT

public:
    explicit SecureDeleteWindow(QWidget *parent = nullptr);
    ~SecureDeleteWindow() override;

    using QDialog::open;
    // Shows the window application-modal for the session and returns at once.
    void open(const SecureDeleteSession &session);

    // For the end of the program: false when no run goes on. Otherwise the
    // run is told to stop after the pass being written (its questions are
    // answered No/Cancel from now on), true is returned and stopped() follows
    // once the run is over.
    bool stopForQuit();

    bool isRunning() const;

    // Lists the files and folders in place of the list (NamedFiles: the
    // folder field becomes the first one's folder); what cannot be listed is
    // named in a warning. Does nothing during a run. A drop does the same.
    void listFiles(const QStringList &paths);

    // The folder the file dialog starts in: the folder of the last selection
    // in this run of the program.
    QString lastFolder() const { return m_lastFolder; }

    static constexpr int ClientWidth = 509;
    static constexpr int ClientHeight = 471;

Q_SIGNALS:
    // A file of the run is over: deleted (or already gone), or still there.
    void fileProcessed(int index, bool deleted);
    // A run is over and the window shows its result.
    void runFinished();
    // The run that stopForQuit() stopped is over.
    void stopped();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildLayout();
    void applyLanguage();
    QString pick(const char *german, const char *english) const;
    QString countSuffix() const;
    void updateCountLabel();
    void showProgress(int percent);
    // Removes the entries that are blank once trimmed and shows the count.
    void compactList();
    void setRunning(bool running);
    // Esc minimises, F1 opens the help; true when the key was one of them.
    bool handleKey(int key);
    static void viewFile(const QString &path);

    // Handlers.
    void onShown();
    void clearList();
    void selectFiles();
    void removeSelected();
    void viewSelected();
    void startRun();
    void cancelRun();
    void showStopping();
    void closeWindow();

    // The run's reports, on this thread.
    void onFileStarted(int index);
    void onBytesDone(int index, quint64 done, quint64 total);
    void onFileDone(const FileReport &report);
    void finishRun();
    void showResult(const QString &text, const QString &whole = QString());

    // Folders and many files.
    void buildFolderControls();
    void addFolder();
    void showDetails();
    void onRunBytesDone(quint64 done, quint64 total);
    void showFolderRunResult();

    GradientWidget *m_toolBar = nullptr;
    FlatButton *m_startButton = nullptr;
    FlatButton *m_cancelButton = nullptr;
    GradientWidget *m_body = nullptr;
    QLabel *m_countLabel = nullptr;
    QLineEdit *m_countField = nullptr;
    QLabel *m_countFieldLabel = nullptr;
    QLineEdit *m_folderField = nullptr;
    QListWidget *m_fileList = nullptr;
    GradientProgressBar *m_progressBar = nullptr;
    RoundedPanel *m_resultPanel = nullptr;
    QLabel *m_resultLabel = nullptr;
    QPushButton *m_closeButton = nullptr;
    FlatButton *m_selectButton = nullptr;
    FlatButton *m_viewButton = nullptr;
    FlatButton *m_removeButton = nullptr;
    FlatButton *m_clearButton = nullptr;
    FlatButton *m_addFolderButton = nullptr;
    FlatButton *m_detailsButton = nullptr; // the skipped files of the last run

    Language m_language = Language::German;
    QString m_initialFolder;
    WidgetPrompter m_prompter;

    QString m_lastFolder;    // with trailing delimiter; empty before the first selection
    ShredJobResult m_result; // written by the job's thread, read after it finished
    bool m_countValid = false;
    QList<QListWidgetItem *> m_runItems; // the run's entries, in the job's order
    int m_currentFile = 0;
    int m_progressBase = 0;   // percent after the last file that went
    bool m_folderRun = false; // the run's list holds a folder
    RunProgressText m_progressText;
    QStringList m_skippedLines;

    // Last, so that it goes first: a run still on when the window goes is
    // stopped and waited for while everything the run writes to is there.
    std::unique_ptr<RunController> m_runs;
};
