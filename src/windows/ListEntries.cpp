#include "windows/ListEntries.h"

#include "widgets/Icons.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QSet>

namespace ListEntries {

namespace {

constexpr int PathRole = Qt::UserRole + 1;
constexpr int FolderRole = Qt::UserRole + 2;

} // namespace

QString pathOf(const QListWidgetItem *item, const QString &folderField)
{
    const QString own = item->data(PathRole).toString();
    return own.isEmpty() ? folderField + item->text() : own;
}

bool isFolder(const QListWidgetItem *item)
{
    return item->data(FolderRole).toBool();
}

bool holdsFolder(const QListWidget *list)
{
    for (int row = 0; row < list->count(); ++row) {
        if (isFolder(list->item(row)))
            return true;
    }
    return false;
}

void append(QListWidget *list, const QString &folderField, const QList<NamedEntry> &entries)
{
    QSet<QString> held;
    for (int row = 0; row < list->count(); ++row)
        held.insert(QDir::fromNativeSeparators(pathOf(list->item(row), folderField)));
    for (const NamedEntry &entry : entries) {
        if (held.contains(entry.path))
            continue;
        held.insert(entry.path);
        auto *item = new QListWidgetItem(entry.text, list);
        item->setData(PathRole, entry.path);
        if (entry.folder) {
            // A folder's picture in the height of a line of text.
            list->setIconSize(QSize(16, 16));
            item->setData(FolderRole, true);
            item->setIcon(Icons::icon(Icons::Kind::Folder));
        }
    }
}

void renameTo(QListWidgetItem *item, const QString &resultPath)
{
    if (item->data(PathRole).toString().isEmpty()) {
        item->setText(QFileInfo(resultPath).fileName());
        return;
    }
    // Shown as before: by its name where the old one showed the name only.
    const bool bare = !item->text().contains(QDir::separator());
    item->setData(PathRole, resultPath);
    item->setText(bare ? QFileInfo(resultPath).fileName() : QDir::toNativeSeparators(resultPath));
}

} // namespace ListEntries
