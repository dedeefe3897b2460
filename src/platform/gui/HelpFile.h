#pragma once

#include <QString>
#include <QUrl>

// The program's help: one HTML page per language next to the program file
// ("velmorade.html" German, "velmora.html" English), with one section per
// context number (0 dashboard, 10 encrypt window, 20 secure delete window,
// 40 settings window, 60 password prompt), opened in the default browser.
namespace HelpFile {

inline constexpr int DashboardContext = 0;
inline constexpr int EncryptContext = 10;
inline constexpr int SecureDeleteContext = 20;
inline constexpr int SettingsContext = 40;
inline constexpr int PasswordContext = 60;

// The page of a language for a program folder (with trailing delimiter):
// next to the program, else where the install puts it (../share/velmora2/).
QString pageFor(const QString &programFolder, int language);

// The help file of the application, set by the dashboard with its language.
void setApplicationHelpFile(const QString &path);
QString applicationHelpFile();

// The address of a context's section in a help page: "file:///...#context-10".
QUrl contextUrl(const QString &helpFile, int context);

// Opens the application's help file at a context's section. Returns false
// (and opens nothing) when no help file is set or the file is missing.
bool showContext(int context);

} // namespace HelpFile
