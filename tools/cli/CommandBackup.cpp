#include "CliCommand.h"

#include "platform/DataFolder.h"
#include "settings/FolderCopy.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Shared by "backup" and "restore": copies the files that lie directly in one
// folder (no subfolders, no hidden files) into another, each replacing an
// older copy, and prints the count.
int copyFolder(const QString &from, const QString &to, const char *doneText, CliIo &io)
{
    QString error;
    const std::optional<QStringList> names = FolderCopy::listFiles(from, &error);
    if (!names) {
        io.err << "velmora2-cli: " << error << '\n';
        return ExitUsage;
    }
    if (names->isEmpty()) {
        io.err << "velmora2-cli: No files in " << QDir::toNativeSeparators(from) << '\n';
        return ExitFailed;
    }
    const QString source = FolderCopy::withTrailingDelimiter(from);
    const QString target = FolderCopy::withTrailingDelimiter(to);
    int failed = 0;
    int count = 0;
    for (const QString &name : *names) {
        if (!QFileInfo(source + name).isFile())
            continue;
        if (FolderCopy::copyReplacing(source + name, target + name, &error)) {
            ++count;
        } else {
            ++failed;
            io.err << "velmora2-cli: not copied: " << error << '\n';
        }
    }
    io.out << count << doneText << '\n';
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
    QString summary() const override { return QStringLiteral("copy the data folder's files into a folder"); }
    QString usage() const override
    {
        return QStringLiteral(
            "Usage: velmora2-cli backup FOLDER\n\n"
            "Copies every file that lies directly in the data folder (the settings file\n"
            "with the password digest and the personal key) into FOLDER, replacing older\n"
            "copies. Subfolders and hidden files are left out. FOLDER must exist. Prints\n"
            "the number of files copied; exit code 1 when a file could not be copied.\n");
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
        return copyFolder(DataFolder::path(), folder, " file(s) saved.", io);
    }
};

class CommandRestore : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("restore"); }
    QString summary() const override { return QStringLiteral("copy a backup's files back into the data folder"); }
    QString usage() const override
    {
        return QStringLiteral(
            "Usage: velmora2-cli restore FOLDER\n\n"
            "Copies every file that lies directly in FOLDER into the data folder,\n"
            "replacing the files there (the settings file with it: the personal key,\n"
            "password and language of the backup take effect). Subfolders and hidden\n"
            "files are left out. The data folder is created when missing. Prints the\n"
            "number of files restored; exit code 1 when a file could not be copied.\n");
    }

    int run(const QStringList &args, CliIo &io) override
    {
        const QString folder = folderArgument(args, name(), io);
        if (folder.isEmpty())
            return ExitUsage;
        const QString dataFolder = DataFolder::path();
        QDir().mkpath(QFileInfo(QDir::cleanPath(dataFolder)).absolutePath());
        if (!DataFolder::ensureExists(dataFolder)) {
            io.err << "velmora2-cli: cannot create the data folder " << QDir::toNativeSeparators(dataFolder)
                   << '\n';
            return ExitFailed;
        }
        return copyFolder(folder, dataFolder, " files restored.", io);
    }
};

CliRegistration<CommandBackup> backupRegistration;
CliRegistration<CommandRestore> restoreRegistration;

} // namespace
