#include "CliCommand.h"

#include "filetexts/FileProblemText.h"
#include "platform/DataFolder.h"
#include "platform/FolderCopy.h"
#include "platform/StopSignals.h"
#include "settings/DataRestore.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The files that lie directly in a folder (no subfolders, no hidden files).
// ExitOk, or after saying why: ExitUsage when the folder cannot be listed,
// ExitFailed when it holds no file.
int listFiles(const QString &folder, QStringList &names, CliIo &io)
{
    FileProblem problem;
    const std::optional<QStringList> listed = FolderCopy::listFiles(folder, &problem);
    if (!listed) {
        io.err << "velmora2-cli: " << FileProblemText::listingRefusal(problem, Language::English)
               << '\n';
        return ExitUsage;
    }
    if (listed->isEmpty()) {
        io.err << "velmora2-cli: No files in " << QDir::toNativeSeparators(folder) << '\n';
        return ExitFailed;
    }
    names = *listed;
    return ExitOk;
}

// The backup: copies the data folder's files into another folder, each
// replacing an older copy, and prints the count.
int backUp(const QString &from, const QString &to, CliIo &io)
{
    QStringList names;
    if (const int listed = listFiles(from, names, io); listed != ExitOk)
        return listed;
    const QString source = FolderCopy::withTrailingDelimiter(from);
    const QString target = FolderCopy::withTrailingDelimiter(to);
    int failed = 0;
    int count = 0;
    // A stop signal lets the copy in work finish (each copy replaces its
    // target whole) and stops before the next one.
    const StopSignals stops;
    for (const QString &name : std::as_const(names)) {
        if (stops.stopRequested()) {
            io.err << "velmora2-cli: backup stopped by " << StopSignals::nameOf(stops.kind())
                   << " before " << name << '\n';
            io.out << count << " file(s) saved." << '\n';
            return ExitFailed;
        }
        if (!QFileInfo(source + name).isFile())
            continue;
        FileProblem problem;
        if (FolderCopy::copyReplacing(source + name, target + name, &problem)) {
            ++count;
        } else {
            ++failed;
            io.err << "velmora2-cli: not copied: "
                   << FileProblemText::text(problem, Language::English) << '\n';
        }
    }
    io.out << count << " file(s) saved." << '\n';
    return failed == 0 ? ExitOk : ExitFailed;
}

QString folderArgument(const QStringList &args, const QString &command, CliIo &io)
{
    if (args.size() != 1) {
        io.err << "velmora2-cli: " << command << " needs exactly one FOLDER\n";
        return QString();
    }
    return args.first();
}

class CommandBackup : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("backup"); }
    QString summary() const override
    {
        return QStringLiteral("copy the data folder's files into a folder");
    }
    QString usage() const override
    {
        return QStringLiteral(
            "Usage: velmora2-cli backup FOLDER\n\n"
            "Copies every file that lies directly in the data folder (the settings file\n"
            "with the password digest and the personal key) into FOLDER, replacing older\n"
            "copies. Subfolders and hidden files are left out. FOLDER must exist. Prints\n"
            "the number of files copied; exit code 1 when a file could not be copied.\n"
            "Ctrl+C, SIGTERM or SIGHUP stops it once the file being copied is complete;\n"
            "it names the file it stopped before and exits with 1.\n");
    }

    int run(const QStringList &args, CliIo &io) override
    {
        const QString folder = folderArgument(args, name(), io);
        if (folder.isEmpty())
            return ExitUsage;
        if (!QFileInfo(folder).isDir()) {
            io.err << "velmora2-cli: the backup folder " << QDir::toNativeSeparators(folder)
                   << " does not exist\n";
            return ExitUsage;
        }
        const FileProblem unsafe = DataFolder::check(DataFolder::path());
        if (!unsafe.isNone()) {
            io.err << "velmora2-cli: "
                   << FileProblemText::dataFolderRefusal(unsafe, Language::English) << '\n';
            return ExitFailed;
        }
        return backUp(DataFolder::path(), folder, io);
    }
};

class CommandRestore : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("restore"); }
    QString summary() const override
    {
        return QStringLiteral("copy a backup's files back into the data folder");
    }
    QString usage() const override
    {
        return QStringLiteral(
            "Usage: velmora2-cli restore FOLDER\n\n"
            "Copies every file that lies directly in FOLDER into the data folder,\n"
            "replacing the files there (the settings file with it: the personal key,\n"
            "password and language of the backup take effect). The files it replaces\n"
            "are first copied into a new folder before-restore-YYYYMMDD-HHMMSS inside\n"
            "the data folder. A backup whose settings file holds no personal key is\n"
            "refused. Subfolders, hidden files, links, pipes and devices are left out.\n"
            "A folder on a system file system (/proc, /sys) is refused, and so is one\n"
            "with more than a data folder holds: a restore copies at most 64 files of\n"
            "1 MiB in all. The data folder is created when missing (owner-only). Prints\n"
            "the number of files restored; exit code 1 when a file could not be copied.\n"
            "Ctrl+C or SIGTERM stops the restore: the copy in work is removed, the\n"
            "files restored so far stay, and the command exits with 1.\n");
    }

    int run(const QStringList &args, CliIo &io) override
    {
        const QString folder = folderArgument(args, name(), io);
        if (folder.isEmpty())
            return ExitUsage;
        const QString dataFolder = DataFolder::path();
        const FileProblem unsafe = DataFolder::prepare(dataFolder);
        if (!unsafe.isNone()) {
            io.err << "velmora2-cli: "
                   << FileProblemText::dataFolderRefusal(unsafe, Language::English) << '\n';
            return ExitFailed;
        }
        QStringList names;
        if (const int listed = listFiles(folder, names, io); listed != ExitOk)
            return listed;
        // From here on Ctrl+C and SIGTERM stop the restore at the next block,
        // so that no half-written copy stays in the data folder.
        const StopSignals stopSignals;
        const RestoreOutcome outcome =
            DataRestore::run(FolderCopy::withTrailingDelimiter(folder), names, dataFolder,
                             [&stopSignals] { return stopSignals.stopRequested(); });
        if (outcome.refused()) {
            for (const QString &failure : outcome.failures)
                io.err << "velmora2-cli: not copied: " << failure << '\n';
            io.err << "velmora2-cli: " << outcome.refusalText(Language::English) << '\n';
            if (!outcome.keptFolder.isEmpty())
                io.err << "velmora2-cli: " << outcome.keptText(Language::English) << '\n';
            return ExitFailed;
        }
        for (const QString &failure : outcome.failures)
            io.err << "velmora2-cli: not copied: " << failure << '\n';
        io.out << outcome.restored << " files restored.\n";
        if (!outcome.keptFolder.isEmpty())
            io.out << outcome.keptText(Language::English) << '\n';
        return outcome.failures.isEmpty() ? ExitOk : ExitFailed;
    }
};

CliRegistration<CommandBackup> backupRegistration;
CliRegistration<CommandRestore> restoreRegistration;

} // namespace
