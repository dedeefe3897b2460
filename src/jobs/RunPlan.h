#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// What a run does with its list when folders are given: each folder is
// walked (FolderWalk, links never followed, staying on its file system) and
// stands for the files in it, worked on in place; a plain entry stays as it
// is. The files a run cannot or must not work on are kept in the plan as
// skips with their reason, in the order the walk found them.
enum class RunKind { Encrypt, Decrypt, Shred };

enum class SkipReason {
    AlreadyEncrypted, // encrypt: the name ends in ".enc"
    NotEncrypted,     // decrypt: the name does not end in ".enc"
    Link,             // a symbolic link, never followed
    SpecialFile,      // a pipe, socket or device node
    FurtherNames,     // a file with further names (hard links)
    OtherFileSystem,  // a folder on another file system, not entered
    UnreadableFolder, // a folder that could not be read
    NameNotText,      // a name that is not UTF-8
    HeldByAnotherRun, // another run holds the file
    Changed,          // not the file the walk found any more
    ResultNameTaken,  // the folder has something of the result's name already
};

struct RunItem
{
    QString path;
    int listIndex = -1;    // the entry of the run's list it comes from
    bool inFolder = false; // found in a folder of the list (else the entry itself)
    // For a file found in a folder: the file the walk found, which must still
    // be at the path when its turn comes.
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    std::optional<SkipReason> skip;
    QString detail; // the system's words for an unreadable folder
};

// A file of a listed folder that a run did not work on, and why.
struct SkippedFile
{
    QString path;
    QString reason; // in the run's language
};

// A folder the walk entered and read in full.
struct RunFolder
{
    QString start;    // the list's folder it lies in
    QString relative; // its path below start ("" for start itself)
    QString path;
    quint64 device = 0;
    quint64 inode = 0;
};

struct RunPlan
{
    std::vector<RunItem> items;
    // In the order found: a folder before the folders inside it.
    std::vector<RunFolder> folders;
    QStringList givenFolders; // the folders of the list
    // The length of every file to work on, as found (skips left out).
    quint64 bytesToWorkOn = 0;

    int filesToWorkOn() const;
};

struct RunPlanOptions
{
    // False: a folder of the list stays one entry, which the run refuses.
    bool takeFolders = false;
    bool crossFileSystems = false;
};

RunPlan planRun(const QStringList &paths, RunKind kind, const RunPlanOptions &options);
