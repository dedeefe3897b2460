#pragma once

#include "core/Language.h"
#include "jobs/EncryptJob.h"
#include "widgets/MessageBox.h"

#include <QByteArray>
#include <QDialog>
#include <QString>

#include <memory>

class FlatButton;
class GradientProgressBar;
class GradientWidget;
class KeyLamp;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class RoundedPanel;
class RunController;
struct NamedFiles;

// What the dashboard hands to the encrypt window each time it opens it.
struct EncryptSession
{
    QString personalKey; // trimmed
    Language language = Language::English;
    QByteArray textKey; // the application text key (codes key files)
    // The data folder, whose stored choice says the format new files are
    // written in; none means the compatible format.
    QString dataFolder;
};

// The encrypt/decrypt window: a folder, a list of the file names in it (and,
// from a drop, the folder button or the command line, files of other folders
// by their path and whole folders), the encrypt and decrypt runs over the
// list with the personal key or a key loaded from a key file, a progress bar
// and a result label. A run over a list that holds a folder counts the files
// done, skipped and failed at its end; "Details" lists the skipped ones.
//
// A run is an EncryptJob on a RunController; its questions come to the
// window's thread while the job waits, and its reports move the bar, rename
// the list entries and set the result label. While a run goes on, the
// controls that change the list, the folder or the key are disabled. Closing
// the window, or stopForQuit(), stops the run after the file in work.
// A label shows the format the next encrypt run writes, as chosen in the
// settings; it is read again when the window opens and when a run starts.
// Beside it, "Overwrite the originals" makes encrypt runs overwrite each
// original with the secure delete engine's passes before it goes; the box
// is stored in the data folder beside the format choice as it is clicked,
// and a note under it says what overwriting cannot reach.
class EncryptWindow : public QDialog
{
    Q_OBJECT

public:
    explicit EncryptWindow(QWidget *parent = nullptr);
    ~EncryptWindow() override;

    // Shows the window with the session's key and language (afresh unless it
    // is open already) and brings it to the front.
    void openWith(const EncryptSession &session);
    const EncryptSession &session() const { return m_session; }

    // Lists the files and folders as a drop does (listFiles), then judges
    // the first of them when it is a file: the "Encrypted" box follows it.
    void dropPaths(const QStringList &paths);
    // Lists the files and folders in place of the list (NamedFiles: the
    // folder field becomes the first one's folder, the "Encrypted" box
    // follows the last name); what cannot be listed is named in a warning.
    // Does nothing during a run.
    void listFiles(const QStringList &paths);

    bool runActive() const;
    // The format the next encrypt run writes.
    FileFormat newFileFormat() const { return m_format; }
    // Whether the next encrypt run overwrites the originals.
    bool overwritesOriginals() const;
    // The key text the next run uses.
    const QString &currentKey() const { return m_currentKey; }

    // For the end of the program: asks a run to stop after the file in work
    // and returns true; stopped() follows once it has. False when no run goes
    // on.
    bool stopForQuit();

Q_SIGNALS:
    // A run over the list has ended (also when it stopped at a question).
    void runFinished();
    // The run that stopForQuit() stopped has ended.
    void stopped();
    // The bar was set at the start of a run or after a file (not the moves
    // within a large file).
    void progressStepShown(int percent, int style);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    struct Run;

    void buildLayout();
    void applyLanguage();
    void startAfresh();
    void keyPressed(int key);

    // Handlers.
    void encryptClicked();
    void decryptClicked();
    void loadKeyClicked();
    void ownKeyClicked();
    void selectFilesClicked();
    void viewFileClicked();
    void addFolderClicked();
    void detailsClicked();
    void removeEntriesClicked();
    void clearListClicked();
    void entryClicked(QListWidgetItem *item);
    void entryDoubleClicked();
    void closeClicked();

    void readFormatChoice();
    // The "Overwrite the originals" box and its note (EncryptWindowOverwrite.cpp).
    void buildOverwriteChoice();
    void applyOverwriteTexts();
    void readOverwriteChoice();
    void overwriteChoiceClicked(bool overwrite);
    void clearKeyDisplay();
    void setKey(const QString &key);
    void showChosenFiles(const QString &folder, const QStringList &names);
    void judgeEntry(const QString &path, bool takeAnyVerdict);
    void showStep(int percent);

    // The run and the reports of its job, on the window's thread.
    void startRun(CipherDirection direction);
    void showStopping();
    void setRunControlsEnabled(bool enabled);
    void runFileStarted(int index);
    void runBytesDone(int index, quint64 done, quint64 total);
    void runFileDone(const FileReport &report);
    void runEnded();

    // Folders and many files.
    void buildFolderControls();
    void showNamedEntries(const NamedFiles &named);
    void addNamed(const QStringList &paths);
    void clearResult();
    void setResultWide(bool wide);
    void runFileInWork(const QString &path);
    void runBytesOfRun(quint64 done, quint64 total);
    void showFolderRunResult(const EncryptJobSummary &summary);

    EncryptSession m_session;
    QString m_currentKey;
    WidgetPrompter m_prompter;
    std::unique_ptr<Run> m_run;
    bool m_closeAfterRun = false;
    int m_runStyle = 0; // a GradientProgressBar::Style
    FileFormat m_format = FileFormat::Compatible;

    // Texts of the current language that more than one action uses.
    QString m_selectFilesText;
    QString m_keyFileQuestion;

    GradientWidget *m_toolBar = nullptr;
    FlatButton *m_encryptButton = nullptr;
    FlatButton *m_decryptButton = nullptr;
    FlatButton *m_loadKeyButton = nullptr;
    FlatButton *m_ownKeyButton = nullptr;
    GradientWidget *m_background = nullptr;
    QLabel *m_selectLabel = nullptr;
    KeyLamp *m_keyLamp = nullptr;
    QLabel *m_externalKeyLabel = nullptr;
    QCheckBox *m_encryptedBox = nullptr;
    QLineEdit *m_folderField = nullptr;
    FlatButton *m_selectButton = nullptr;
    QListWidget *m_fileList = nullptr;
    FlatButton *m_viewButton = nullptr;
    FlatButton *m_removeButton = nullptr;
    FlatButton *m_clearButton = nullptr;
    GradientProgressBar *m_progressBar = nullptr;
    FlatButton *m_resetKeyButton = nullptr; // hidden
    RoundedPanel *m_resultPanel = nullptr;
    QLabel *m_formatLabel = nullptr;
    QCheckBox *m_overwriteBox = nullptr;
    QLabel *m_overwriteNote = nullptr; // what overwriting cannot reach
    QLabel *m_resultLabel = nullptr;
    QLineEdit *m_keyField = nullptr; // hidden
    RoundedPanel *m_closePanel = nullptr;
    FlatButton *m_closeButton = nullptr;
    QLabel *m_keyFileLabel = nullptr;
    FlatButton *m_addFolderButton = nullptr;
    FlatButton *m_detailsButton = nullptr; // the skipped files of the last run
    QStringList m_skippedLines;

    // Last, so that it goes first: a run still on when the window goes is
    // stopped and waited for while everything the run writes to is there.
    std::unique_ptr<RunController> m_runs;
};
