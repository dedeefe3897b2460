#pragma once

// The object names of window parts the tests use, by what each part is for;
// pass them to part<T>(window, ...). The names themselves are kept as the
// windows set them: the end-to-end scripts find parts by them too.

namespace DashboardParts {
inline constexpr char TitleBar[] = "Panel1";
inline constexpr char Title[] = "Label1";
inline constexpr char IconPanel[] = "PanelImage"; // opens the menu
inline constexpr char Minimise[] = "PanelMini";
inline constexpr char Close[] = "PanelClose";
inline constexpr char Encrypt[] = "SpeedButton1";
inline constexpr char SecureDelete[] = "SpeedButton2";
inline constexpr char Settings[] = "SpeedButton3";
inline constexpr char Banner[] = "Banner"; // German layout only; opens the maker's site
inline constexpr char Menu[] = "PopupMenu1";
inline constexpr char UpdatesEntry[] = "Updates1";
inline constexpr char InfoEntry[] = "ber1"; // shows the about box
inline constexpr char QuitEntry[] = "Beenden1";
} // namespace DashboardParts

namespace EncryptParts {
inline constexpr char Encrypt[] = "ToolButton1";
inline constexpr char Decrypt[] = "ToolButton2";
inline constexpr char LoadKey[] = "ToolButton4"; // an external key from a key file
inline constexpr char OwnKey[] = "ToolButton3";  // back to the personal key
inline constexpr char SelectFiles[] = "SpeedButton1";
inline constexpr char ViewFile[] = "SpeedButton2";
inline constexpr char RemoveFiles[] = "SpeedButton3";
inline constexpr char ClearList[] = "SpeedButton4";
inline constexpr char ResetKey[] = "SpeedButton5"; // back to the personal key, beside the bar
inline constexpr char Close[] = "ButtonClose";
inline constexpr char FileList[] = "ListBox1";
inline constexpr char FolderField[] = "Edit4"; // the folder of the listed files
inline constexpr char KeyField[] = "EditKey";  // the key in use, hidden
inline constexpr char EncryptedBox[] = "CheckBoxEncoded";
inline constexpr char SelectLabel[] = "Label2";
inline constexpr char ResultLabel[] = "Label3";
inline constexpr char ExternalKeyLabel[] = "LabelKey"; // "External key loaded"
inline constexpr char KeyFileLabel[] = "Labelkname";   // the loaded key file's path
inline constexpr char KeyLamp[] = "JvLED1";            // lit while an external key is in use
inline constexpr char ProgressBar[] = "Panel1";
inline constexpr char FormatLabel[] = "LabelFormat";          // the format new files are written in
inline constexpr char OverwriteBox[] = "CheckBoxOverwrite";   // overwrite the originals
inline constexpr char OverwriteNote[] = "LabelOverwriteNote"; // what overwriting cannot reach
inline constexpr char AddFolder[] = "SpeedButtonFolder";
inline constexpr char Details[] = "ButtonDetails"; // the skipped files of the last run
} // namespace EncryptParts

namespace SecureDeleteParts {
inline constexpr char StartShredding[] = "ToolButton6";
inline constexpr char CancelShredding[] = "ToolButton11";
inline constexpr char SelectFiles[] = "SpeedButton1";
inline constexpr char ClearList[] = "SpeedButton2";
inline constexpr char RemoveFiles[] = "SpeedButton3";
inline constexpr char ViewFile[] = "SpeedButton4";
inline constexpr char FileList[] = "ListBox1";
inline constexpr char FolderField[] = "EditDir";   // the folder of the listed files
inline constexpr char CountField[] = "Edit1";      // how often each file is overwritten
inline constexpr char CountCaption[] = "Label1";   // "x overwrite", after the count field
inline constexpr char SelectionCount[] = "Label3"; // how many files are listed
inline constexpr char ProgressBar[] = "PanelProgress";
inline constexpr char ResultLabel[] = "Label4";
inline constexpr char Close[] = "ButtonClose";
inline constexpr char AddFolder[] = "SpeedButtonFolder";
inline constexpr char Details[] = "ButtonDetails"; // the skipped files of the last run
} // namespace SecureDeleteParts

namespace SettingsParts {
inline constexpr char SetPassword[] = "ToolButton6";
inline constexpr char DeletePassword[] = "ToolButton1";
inline constexpr char Backup[] = "ToolButton8"; // copies the data folder into the backup folder
inline constexpr char RestoreData[] = "ToolButtonRestore"; // from the backup folder
inline constexpr char RestoreKey[] = "ButtonRestKey";      // from an exported key file
inline constexpr char PasswordCaption[] = "Label1";
inline constexpr char PasswordField[] = "MaskEdit1"; // the stored password's digest
inline constexpr char DigestCaption[] = "Label5";    // "MD5", beside the password field
inline constexpr char DataPathCaption[] = "Label4";
inline constexpr char DataPathField[] = "Edit3";
inline constexpr char ShowDataFolder[] = "SpeedButton1"; // in the file manager
inline constexpr char BackupCaption[] = "Label3";
inline constexpr char BackupField[] = "EditBackup";
inline constexpr char ChooseBackupFolder[] = "SpeedButton5";
inline constexpr char KeyCaption[] = "Label2";
inline constexpr char KeyField[] = "Edit1";      // the personal key
inline constexpr char MaskKey[] = "ButtonPchar"; // shows or masks the key
inline constexpr char ExportKey[] = "SpeedButton3";
inline constexpr char NewKey[] = "ButtonKey"; // hidden until F11
inline constexpr char LanguageGroup[] = "RadioGroup1";
inline constexpr char German[] = "RadioGerman";
inline constexpr char English[] = "RadioEnglish";
inline constexpr char FormatGroup[] = "FormatChoice"; // the format for new files
inline constexpr char CompatibleFormat[] = "FormatCompatible";
inline constexpr char AgeFormat[] = "FormatAge";
inline constexpr char Save[] = "ButtonSave";
inline constexpr char Close[] = "ButtonClose";
} // namespace SettingsParts

namespace AboutParts {
inline constexpr char Logo[] = "ProgramIcon"; // opens the maker's site, as the link does
inline constexpr char ProductName[] = "ProductName";
inline constexpr char ReleaseCaption[] = "LabelRelease";
inline constexpr char Version[] = "LabelVersion";
inline constexpr char SiteLink[] = "Label5";
inline constexpr char Close[] = "ButtonClose";
} // namespace AboutParts

namespace PasswordPromptParts {
inline constexpr char Caption[] = "Label1";
inline constexpr char ForgotPassword[] = "SpeedButton2"; // the reset; hidden for a new password
inline constexpr char PasswordField[] = "MaskEdit1";
inline constexpr char ShowPassword[] = "ButtonView";
inline constexpr char Protection[] = "CheckBox1";      // types decoys after each key
inline constexpr char ShowDecoyLog[] = "SpeedButton3"; // opens the decoy log window
inline constexpr char DecoyField[] = "Edit1";          // takes the decoys, beneath the Ok panel
inline constexpr char DecoyLog[] = "Memo1";            // the prompt's own hidden copy of the log
inline constexpr char OkPanel[] = "PanelOk";
inline constexpr char Ok[] = "ButtonOk";
inline constexpr char Cancel[] = "ButtonQuit";
} // namespace PasswordPromptParts

namespace ResetConfirmParts {
inline constexpr char Question[] = "Label3";
inline constexpr char Yes[] = "BitBtn1";
inline constexpr char No[] = "BitBtn2";
} // namespace ResetConfirmParts
