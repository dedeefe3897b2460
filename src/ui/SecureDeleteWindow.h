#pragma once

#include "shred/SecureDeleteHost.h"
#include "ui/MessageBox.h"

#include <QDialog>
#include <QString>

class FlatButton;
class GradientProgressBar;
class GradientWidget;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class RoundedPanel;

// The secure delete window: the user picks files from one folder, reviews the
// list, chooses how often each file is overwritten and destroys them with
// progress and a cancel button. The dashboard sets MyLanguage and shows it
// modally; every showing starts with an empty list.
//
// The batch run is DeleteListedFiles over this window. Each file's passes run
// on a worker thread while the window keeps repainting and taking input; the
// run's order, its messages and the cancel flag stay on this thread, and the
// flag is looked at between files only. While a run goes on, the controls
// that change the list (and start, close and the count field) are disabled.
class SecureDeleteWindow : public QDialog, private SecureDeleteHost
{
    Q_OBJECT

public:
    explicit SecureDeleteWindow(QWidget *parent = nullptr);
    ~SecureDeleteWindow() override;

    // 0 German, any other value English.
    int MyLanguage = 0;

    // Controls.
    GradientWidget *ToolBar1 = nullptr;
    FlatButton *ToolButton6 = nullptr;  // start
    FlatButton *ToolButton11 = nullptr; // cancel
    GradientWidget *Body = nullptr;
    QLabel *Label3 = nullptr;     // count of entries
    QLineEdit *Edit1 = nullptr;   // overwrite count
    QLabel *Label1 = nullptr;     // "x overwrite"
    QLineEdit *EditDir = nullptr; // folder of the listed files
    QListWidget *ListBox1 = nullptr;
    GradientProgressBar *PanelProgress = nullptr;
    RoundedPanel *PanelResult = nullptr;
    QLabel *Label4 = nullptr; // result of the last run
    QPushButton *ButtonClose = nullptr;
    FlatButton *SpeedButton1 = nullptr; // select files
    FlatButton *SpeedButton4 = nullptr; // view file
    FlatButton *SpeedButton3 = nullptr; // remove from list
    FlatButton *SpeedButton2 = nullptr; // clear

    // Handlers.
    void FormShow();
    void ToolButton1Click();  // clear
    void ToolButton2Click();  // select files
    void ToolButton3Click();  // remove the selected entries
    void ToolButton4Click();  // view the selected (or first) entry
    void ToolButton6Click();  // start
    void ToolButton11Click(); // cancel
    void ButtonQuitClick();

    // Operations.
    void ApplyLanguage();
    void ShowProgress(int percent) override;
    void CompactList() override;
    // Opens the file with the program the desktop associates with it, when
    // the file exists.
    static void ViewFile(const QString &path);

    // The folder the file dialog starts in: the folder of the last selection
    // in this run of the program.
    static QString lastFolder();
    // " file(s) selected" / " Datei(en) ausgewählt".
    QString countSuffix() const;

    bool isRunning() const { return m_running; }
    // True while a file's passes run on the worker thread.
    bool fileWorkRunning() const { return m_fileWorkRunning; }

    static constexpr int ClientWidth = 509;
    static constexpr int ClientHeight = 471;

Q_SIGNALS:
    // A file of the run is over: deleted (or already gone) or refused.
    void fileProcessed(int index, bool deleted);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void updateCountLabel();
    void setRunning(bool running);
    // Esc minimises, F1 opens the help; true when the key was one of them.
    bool FormKeyDown(int key);

    // SecureDeleteHost
    int entryCount() const override;
    QString entry(int index) const override;
    void setEntry(int index, const QString &text) override;
    QString folderText() const override;
    QString overwriteCountText() const override;
    void setOverwriteCountText(const QString &text) override;
    void setResultText(const QString &text) override;
    Prompter &prompter() override;
    int language() const override;
    bool takeCancelRequest() override;
    void processPendingEvents() override;
    bool runFileWork(const std::function<bool()> &work) override;
    void fileFinished(int index, const QString &path, const ShredReport &report) override;

    WidgetPrompter m_prompter;
    bool m_cancel = false;
    bool m_running = false;
    bool m_fileWorkRunning = false;
};
