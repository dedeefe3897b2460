#pragma once

#include "core/Language.h"

#include <QString>
#include <QStringList>

// Files named outside the file dialog (on the command line, by a later start
// of the program), sorted the way the list windows hold them: one folder and
// the bare names of the files in it. What a window cannot list is refused
// with a reason: a name that does not exist, a folder, a file in a folder
// other than the first file's. A file named twice is listed once.
struct NamedFiles
{
    QString folder;       // native, with its trailing delimiter; empty without names
    QStringList names;    // in the order named
    QStringList refusals; // one line per refused path: the path and why

    static NamedFiles sort(const QStringList &paths, Language language);

    // The message for the refusals, "" when there are none.
    QString refusalText(Language language) const;
};
