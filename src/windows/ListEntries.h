#pragma once

#include "windows/NamedFiles.h"

#include <QList>
#include <QString>

class QListWidget;
class QListWidgetItem;

// The entries of a list window. An entry from the file dialog or a key file
// is a bare name in the window's folder field; one from NamedFiles (a drop,
// the folder button, the command line) carries the path it stands for, and a
// folder shows a folder's picture besides its trailing delimiter.
namespace ListEntries {

// Appends the entries that the list does not hold yet.
void append(QListWidget *list, const QString &folderField, const QList<NamedEntry> &entries);

// The path an entry stands for: its own, or else the folder field + its text.
QString pathOf(const QListWidgetItem *item, const QString &folderField);
bool isFolder(const QListWidgetItem *item);
bool holdsFolder(const QListWidget *list);

// After a run made it into another file: the entry shows and stands for that.
void renameTo(QListWidgetItem *item, const QString &resultPath);

} // namespace ListEntries
