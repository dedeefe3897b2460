#pragma once

#include "core/Language.h"

#include <QList>
#include <QString>
#include <QStringList>

// One file or folder as a list window shows it.
struct NamedEntry
{
    // The file or folder named, its folder part as the system finds it
    // ("..", links) and its last part as named: a link named is the link.
    QString path;
    // As the list shows it: the bare name for what lies in the list's folder,
    // else the whole path; a folder with a trailing delimiter.
    QString text;
    bool folder = false;
};

// Files and folders named outside the file dialog (a drop, the command line,
// a later start of the program, the folder button), sorted the way the list
// windows hold them: the list's folder and one entry per file or folder. The
// list's folder is the one given, or else the folder that holds the first
// name; files of one folder therefore list as bare names, as a choice in the
// file dialog does. A name that does not exist is refused with a reason; a
// file or folder named twice is listed once.
struct NamedFiles
{
    QString folder; // native, with its trailing delimiter; empty without entries
    QList<NamedEntry> entries;
    QStringList refusals; // one line per refused path: the path and why

    // listFolder: the folder of a list that the names are added to ("" for
    // a new list).
    static NamedFiles sort(const QStringList &paths, Language language,
                           const QString &listFolder = QString());

    QStringList texts() const;
    // The message for the refusals, "" when there are none.
    QString refusalText(Language language) const;
};
