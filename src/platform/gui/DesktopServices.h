#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

// The program's doors to the desktop: documents and web addresses opened with
// the programs the desktop associates with them, folders shown in the file
// manager, other programs started on their own.
namespace DesktopServices {

// Opens a web address in the default browser, or a local file URL with its
// associated program. Returns whether the desktop accepted the request.
bool openUrl(const QUrl &url);
// Opens a file with the program that the desktop associates with it.
bool viewFile(const QString &path);
// Shows a folder in the file manager.
bool showFolder(const QString &folder);
// Starts `file` with `arguments` as a process of its own, without a window of
// the program's and without waiting for it. Returns whether it started.
bool runHidden(const QString &file, const QStringList &arguments);

// Test seam: while recording is on, openUrl, viewFile and showFolder only
// record the address (nothing is opened); runHidden is always real and
// always recorded.
void setRecording(bool enabled);
QList<QUrl> openedUrls();
QList<QStringList> startedPrograms(); // program followed by its arguments
void clearHistory();

} // namespace DesktopServices
