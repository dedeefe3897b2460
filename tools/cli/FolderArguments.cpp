#include "FolderArguments.h"

#include "platform/FileAttributes.h"

namespace FolderArguments {

bool takeRecursive(QStringList &args)
{
    bool found = false;
    for (qsizetype index = 0; index < optionWords(args).size();) {
        const QString &arg = args.at(index);
        if (arg == QLatin1String("-r") || arg == QLatin1String("--recursive")) {
            args.removeAt(index);
            found = true;
            continue;
        }
        ++index;
    }
    return found;
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
