#pragma once

#include "core/FileFormat.h"
#include "core/Language.h"
#include "widgets/MessageBox.h"

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
struct BackupContext;
struct BackupOutcome;
struct SettingsValues;
struct SettingsWindowFields;

// What the settings window works on for one opening.
struct SettingsSession
{
    QString settingsFile; // full path of the settings file
    QByteArray textKey;   // the application text key
    Language language = Language::German;
    // The values the window shares with the start-up for this run (the
    // accepted password among them); owned by the start-up, never null.
    SettingsValues *shared = nullptr;
};

// The settings window: the application password, the data path, the backup
// folder, the personal key, the language and the format for new files. Each
// opening reads the settings file; saving writes the window's lines back.
// Closing after a change asks whether to save; closing always empties the
// accepted password. The format has its own small file in the data folder
// (the settings file's layout is fixed) and is stored as soon as it is
// chosen.
class SettingsWindow : public QDialog
{
    Q_OBJECT

public:
    explicit SettingsWindow(QWidget *parent = nullptr);
    ~SettingsWindow() override;

    // Shows the window modal over the program and fills it from the file;
    // closed() follows when it has gone, after any saving.
    using QDialog::open;
    void open(const SettingsSession &session);

    // The password prompt used to set a new password. The program hands over
    // its one instance; without it the window makes its own.
    void setPasswordPrompt(PasswordPrompt *prompt);

    // The language the window shows and will save.
    Language language() const { return m_language; }
    // A field or the language was changed and not yet saved.
    bool hasUnsavedChanges() const { return m_dataChanged; }

    static constexpr char ExportFileName[] = "velmora.key";
    static constexpr int HelpContext = 40;
    static constexpr int ClientWidth = 431;
    static constexpr int ClientHeight = 326;

Q_SIGNALS:
    // The window has closed; the settings file holds what was saved.
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void done(int result) override;

private:
    void buildLayout();
    void connectActions();
    void applyLanguage();
    void loadIni();
    bool saveIni();
    void saveAndClose();
    void fillFromFile();
    bool handleKey(int key);
    void askToSaveOnClose();
    SettingsWindowFields fields() const;
    void showFields(const SettingsWindowFields &fields);
    void selectLanguage();
    void selectFormat();
    QString formatFolder() const;
    void centreOnDesktop();
    PasswordPrompt &passwordPrompt();
    SettingsValues &shared() const;
    BackupContext backupContext();
    void showBackupOutcome(const BackupOutcome &outcome);

    // Handlers.
    void languageChosen(int item);
    void formatChosen(int item);
    void fieldEdited();
    void toggleKeyMaskClicked();
    void showDataFolderClicked();
    void newKeyClicked();
    void exportKeyClicked();
    void restoreKeyClicked();
    void chooseBackupFolderClicked();
    void backupClicked();
    void restoreDataClicked();
    void setPasswordClicked();
    void deletePasswordClicked();

    WidgetPrompter m_prompter;
    SettingsSession m_session;
    Language m_language = Language::German;
    bool m_dataChanged = false;
    bool m_closing = false;
    QPointer<PasswordPrompt> m_prompt;
    QButtonGroup *m_languages = nullptr;

    GradientWidget *m_toolBar = nullptr;
    FlatButton *m_setPasswordButton = nullptr;
    FlatButton *m_deletePasswordButton = nullptr;
    FlatButton *m_backupButton = nullptr;
    FlatButton *m_restoreDataButton = nullptr;
    FlatButton *m_restoreKeyButton = nullptr;
    GradientWidget *m_body = nullptr;
    QLabel *m_passwordCaption = nullptr;
    QLineEdit *m_passwordField = nullptr; // the accepted password (digest), read-only
    QLabel *m_md5Caption = nullptr;
    QLabel *m_dataPathCaption = nullptr;
    QLineEdit *m_dataPathField = nullptr;
    FlatButton *m_showFolderButton = nullptr;
    QLabel *m_backupCaption = nullptr;
    QLineEdit *m_backupField = nullptr;
    FlatButton *m_chooseBackupButton = nullptr;
    QLabel *m_keyCaption = nullptr;
    QLineEdit *m_keyField = nullptr; // personal key, read-only, masked
    FlatButton *m_keyMaskButton = nullptr;
    FlatButton *m_exportKeyButton = nullptr;
    FlatButton *m_newKeyButton = nullptr; // hidden until F11
    QGroupBox *m_languageBox = nullptr;
    QRadioButton *m_germanItem = nullptr;
    QRadioButton *m_englishItem = nullptr;
    QButtonGroup *m_formats = nullptr;
    QGroupBox *m_formatBox = nullptr;
    QRadioButton *m_compatibleItem = nullptr;
    QRadioButton *m_ageItem = nullptr;
    RoundedPanel *m_savePanel = nullptr;
    QPushButton *m_saveButton = nullptr;
    RoundedPanel *m_closePanel = nullptr;
    QPushButton *m_closeButton = nullptr;
};
