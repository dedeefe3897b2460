#include "FolderArguments.h"

#include "platform/FileAttributes.h"

namespace FolderArguments {

std::optional<FolderOptions> takeFolderOptions(QStringList &args, QString *error)
{
    FolderOptions options;
    for (qsizetype index = 0; index < optionWords(args).size();) {
        const QString &arg = args.at(index);
        if (arg == QLatin1String("-r") || arg == QLatin1String("--recursive")) {
            args.removeAt(index);
            options.recursive = true;
            continue;
        }
        if (arg == QLatin1String("--cross-file-systems")) {
            args.removeAt(index);
            options.crossFileSystems = true;
            continue;
        }
        ++index;
    }
    if (options.crossFileSystems && !options.recursive) {
        *error = QStringLiteral("--cross-file-systems only applies to folders, with -r");
        return std::nullopt;
    }
    return options;
}

QString crossFileSystemsHelp(int column)
{
    const QString indent(column, QLatin1Char(' '));
    const QStringList lines{
        QStringLiteral("with -r, also enter the folders inside that lie on other"),
        QStringLiteral("file systems (mounted disks, network shares); without it"),
        QStringLiteral("the walk stays on the file system of the folder given")};
    return QStringLiteral("  --cross-file-systems\n") + indent +
           lines.join(QLatin1Char('\n') + indent) + QLatin1Char('\n');
}

bool isFolder(const QString &name)
{
    return !name.isEmpty() && FileAttributes::query(name).kind == FileAttributes::Kind::Folder;
}

QString folderRefusal(const QString &name)
{
    return name + QStringLiteral(": is a folder; not worked on without -r (--recursive)");
}

} // namespace FolderArguments
