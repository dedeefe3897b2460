#pragma once

#include "platform/SystemError.h"

#include <QString>

// Removes a name only while it holds one known file at one known length.
//
// Between any look at a name and its removal another program may move a
// different file to that name; removing by name would then delete that file.
// So the name is first renamed, without replacing anything, to a name of
// this program's own in the same folder (".velmora-shred." + six random
// characters); what then stands under that name, which no other program
// knows, is compared with the file expected (device, inode and length), and
// only then is that name removed. A file found different goes back to its
// name untouched. Where the file system has no rename that refuses to
// replace, the name is compared once more right before it is removed.
struct NameRemoval
{
    enum class Result {
        Removed,
        Missing,     // nothing at the name: the file was moved away or removed
        Replaced,    // another file, a link or a folder stands at the name; left alone
        SizeChanged, // the file itself, but its length is not the one expected; left at its name
        Failed       // the system refused; cause and reason say why
    };

    Result result = Result::Failed;
    SystemCause cause = SystemCause::None;
    QString reason;
    // A file that was moved aside and found different, but could not be put
    // back because its name was taken again meanwhile: where it is now.
    QString strandedAt;

    // The file expected at the name.
    struct Expected
    {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = -1; // -1: any length
    };

    // `descriptor`, when not -1, is the file open: its length is asked of it
    // after the name was moved aside, as late as can be.
    static NameRemoval remove(const QString &path, const Expected &expected, int descriptor = -1);
};
