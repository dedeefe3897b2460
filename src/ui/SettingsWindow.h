#pragma once

#include "settings/BackupWindow.h"
#include "ui/MessageBox.h"

#include <QByteArray>
#include <QDialog>
#include <QPointer>
#include <QString>

class FlatButton;
class GradientWidget;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class RoundedPanel;
class PasswordPrompt;
struct SettingsWindowFields;

// The settings window: the application password, the data path, the backup
// folder, the personal key and the language. The dashboard writes IniDatei,
// PLanguage, Ccode, InitLF and CallSelf := false and shows it modally; each
// showing reads the settings file, and saving writes the window's lines back.
// Closing after a change asks whether to save; closing always empties the
// accepted password.
class SettingsWindow : public QDialog, private BackupWindow
{
    Q_OBJECT

public:
    explicit SettingsWindow(QWidget *parent = nullptr);
    ~SettingsWindow() override;

    // 0 German, any other value English.
    int PLanguage = 0;
    QString IniDatei; // full path of the settings file
    QByteArray Ccode; // the application text key
    QString InitLF;   // the program drive; kept for the dashboard's hand-over
    // True once the settings file has been read in the current showing.
    bool CallSelf = false;
    // Set by editing the data path or the backup field and by the language
    // choice; cleared when the window opens and by saving.
    bool DataChanged = false;

    // The password prompt used to set a new password. The program hands over
    // its one instance; without it the window makes its own.
    void setPasswordPrompt(PasswordPrompt *prompt);
    PasswordPrompt &passwordPrompt();

    // Controls.
    GradientWidget *ToolBar1 = nullptr;
    FlatButton *ToolButton6 = nullptr;       // set password
    FlatButton *ToolButton1 = nullptr;       // remove password
    FlatButton *ToolButton8 = nullptr;       // backup
    FlatButton *ToolButtonRestore = nullptr; // restore data
    FlatButton *ButtonRestKey = nullptr;     // restore key
    GradientWidget *Body = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *MaskEdit1 = nullptr; // the accepted password (digest), read-only
    QLabel *Label5 = nullptr;       // "MD5"
    QLabel *Label4 = nullptr;
    QLineEdit *Edit3 = nullptr;         // data path
    FlatButton *SpeedButton1 = nullptr; // file manager
    QLabel *Label3 = nullptr;
    QLineEdit *EditBackup = nullptr;
    FlatButton *SpeedButton5 = nullptr; // choose backup folder
    QLabel *Label2 = nullptr;
    QLineEdit *Edit1 = nullptr;         // personal key, read-only, masked
    FlatButton *ButtonPchar = nullptr;  // mask switch
    FlatButton *SpeedButton3 = nullptr; // export key
    FlatButton *ButtonKey = nullptr;    // new key, hidden until F11
    QGroupBox *RadioGroup1 = nullptr;
    QRadioButton *RadioGerman = nullptr;
    QRadioButton *RadioEnglish = nullptr;
    RoundedPanel *PanelSave = nullptr;
    QPushButton *ButtonSave = nullptr;
    RoundedPanel *PanelClose = nullptr;
    QPushButton *ButtonClose = nullptr;

    // Operations.
    void ApplyLanguage();
    void LoadIni();
    bool SaveIni();
    // SaveIni, LoadIni, the mark cleared, the window closed.
    void SaveAndClose();

    // Handlers.
    void FormShow();
    void RadioGroup1Click(int index);
    void Edit3Change();
    void ButtonSaveClick();
    void ButtonCloseClick();
    void ButtonPcharClick();
    void SpeedButton1Click();
    void ButtonKeyClick();
    void SpeedButton3Click();
    void ButtonRestKeyClick();
    void SpeedButton5Click();
    void ToolButton8Click();
    void ToolButtonRestoreClick();
    void ToolButton6Click();
    void ToolButton1Click();

    // The stem of the name the key export proposes.
    static constexpr char ExportFileName[] = "velmora.key";
    static constexpr int HelpContext = 40;
    static constexpr int ClientWidth = 431;
    static constexpr int ClientHeight = 276;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void done(int result) override;

private:
    void buildLayout();
    // F1 and F11; true when the key was one of them.
    bool FormKeyDown(int key);
    void FormCloseQuery();
    void FormClose();
    SettingsWindowFields fields() const;
    void showFields(const SettingsWindowFields &fields);
    void selectLanguage();

    // BackupWindow
    QString backupField() const override;
    void setBackupField(const QString &text) override;
    void markDataChanged() override;
    QString chooseFolder(const QString &current) override;
    QString dataFolder() const override;
    qint32 language() const override;
    Prompter &prompter() override;

    WidgetPrompter m_prompter;
    QButtonGroup *m_languages = nullptr;
    QPointer<PasswordPrompt> m_prompt;
    bool m_closing = false;
};
