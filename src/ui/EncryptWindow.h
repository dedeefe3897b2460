#pragma once

#include "cipher/EncryptRunHost.h"
#include "ui/MessageBox.h"

#include <QByteArray>
#include <QDialog>
#include <QString>

#include <atomic>

class FlatButton;
class GradientProgressBar;
class GradientWidget;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class RoundedPanel;
class KeyLamp;

// The encrypt/decrypt window: a folder, a list of file names in it, the
// encrypt and decrypt runs over the list with the personal key or a key
// loaded from a key file, a progress bar and a result label.
//
// The window is the host of the file pipeline's runs. The run's sequence,
// its questions and its messages stay on the user-interface thread; the
// heavy work of each file runs on a worker thread while the window keeps
// handling events, so it stays responsive within a large file too. While a
// run is going on, the controls that change the list, the folder or the key
// are disabled, and closing waits for the run to end.
class EncryptWindow : public QDialog, public EncryptRunHost
{
    Q_OBJECT

public:
    explicit EncryptWindow(QWidget *parent = nullptr);
    ~EncryptWindow() override;

    // Written by the opener before the window is shown.
    QString PrivateKey;  // the personal key, trimmed
    int TLanguage = 0;   // 0 German, any other value English
    QByteArray Ccode;    // the application text key (codes key files)
    QString InitDrive;   // where the file dialog starts when the folder field is empty
    QString FirstPath;   // the data folder; not used here
    QString LoadFile;    // not used here

    // The key text of the runs; shown in the hidden EditKey.
    QString CurrentKey;

    // Texts of the current language that more than one action uses.
    QString SelectFiles;
    QString KeyFileQuestion;
    QString NoKeyDefault;

    // Controls.
    GradientWidget *ToolBar1 = nullptr;
    FlatButton *ToolButton1 = nullptr; // encrypt
    FlatButton *ToolButton2 = nullptr; // decrypt
    FlatButton *ToolButton4 = nullptr; // load external key
    FlatButton *ToolButton3 = nullptr; // restore own key
    GradientWidget *JvGradient7 = nullptr;
    QLabel *Label2 = nullptr;
    KeyLamp *JvLED1 = nullptr;
    QLabel *LabelKey = nullptr;
    QCheckBox *CheckBoxEncoded = nullptr;
    QLineEdit *Edit4 = nullptr;
    FlatButton *SpeedButton1 = nullptr; // select files
    QListWidget *ListBox1 = nullptr;
    FlatButton *SpeedButton2 = nullptr; // view file
    FlatButton *SpeedButton3 = nullptr; // remove the selected entries
    FlatButton *SpeedButton4 = nullptr; // clear list
    GradientProgressBar *Panel1 = nullptr; // holds the strip Balken
    FlatButton *SpeedButton5 = nullptr;    // restore own key (hidden)
    RoundedPanel *Panel2 = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *EditKey = nullptr;
    RoundedPanel *Panel3 = nullptr;
    FlatButton *ButtonClose = nullptr;
    QLabel *Labelkname = nullptr;

    // Operations.
    void ApplyLanguage();
    void LoadExternalKey();
    void RestoreOwnKey();
    // Fills the folder field and the list from one file, as a drop does, and
    // judges it. Does nothing for anything but an existing file.
    void DropFile(const QString &path);
    bool runActive() const { return m_running; }

    // Handlers.
    void FormShow();
    void FormKeyDown(int key);
    void ToolButton1Click(); // encrypt run
    void ToolButton2Click(); // decrypt run
    void ToolButton4Click(); // load external key
    void BitBtn3Click();     // restore own key
    void BitBtn14Click();    // select files
    void BitBtn5Click();     // view file
    void BitBtn4Click();     // remove the selected entries
    void BitBtn6Click();     // clear list
    void ListBox1Click(QListWidgetItem *item);
    void ListBox1DblClick();
    void ButtonQuitClick();

    // Where each file's heavy work runs: on a worker thread (the default) or,
    // for comparison in the responsiveness benchmark, right here between the
    // window's events.
    void setWorkerThreadRuns(bool enabled) { m_workerThreadRuns = enabled; }

    // EncryptRunHost
    QString keyText() const override;
    QString folderText() const override;
    int entryCount() const override;
    QString entry(int index) const override;
    void setEntry(int index, const QString &name) override;
    bool encodedChecked() const override;
    void setEncodedChecked(bool checked) override;
    void setResultText(const QString &text) override;
    void ShowProgress(int percent, int style) override;
    Prompter &prompter() override;
    int language() const override;
    void pause(int milliseconds) override;
    void runFileWork(const std::function<void()> &work) override;
    void fileWorkProgress(quint64 done, quint64 total) override;

Q_SIGNALS:
    // A run over the list has ended (also when it stopped at a question).
    void runFinished();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildLayout();
    void clearKeyDisplay();
    void setKey(const QString &key);
    void runOverList(bool decrypting);
    void setRunControlsEnabled(bool enabled);
    void showWorkProgress();
    void judgeEntry(const QString &path, bool takeAnyVerdict);

    WidgetPrompter m_prompter;
    bool m_running = false;
    bool m_closeAfterRun = false;
    bool m_workerThreadRuns = true;

    // Within-file progress of a run: the list entry being worked on, the
    // share of one entry and the bar's style.
    mutable int m_runIndex = -1;
    double m_runStep = 0.0;
    int m_runStyle = EncryptStyle;
    std::atomic<quint64> m_workDone{0};
    std::atomic<quint64> m_workTotal{0};
    std::atomic<bool> m_workProgressPosted{false};
};
