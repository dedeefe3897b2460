#include "widgets/FileDialog.h"

#include <QFileDialog>

namespace {

struct TestHook
{
    QList<QStringList> results;
    QList<FileDialogRequest> requests;
};

TestHook &hook()
{
    static TestHook instance;
    return instance;
}

QString platformPattern(const QString &pattern)
{
    return pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern;
}

QString firstOrEmpty(const QStringList &list)
{
    return list.isEmpty() ? QString() : list.first();
}

} // namespace

QString FileDialog::platformFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        entries.append(parts.at(i) + QStringLiteral(" (") + platformPattern(parts.at(i + 1)) +
                       QLatin1Char(')'));
    return entries.join(QStringLiteral(";;"));
}

bool FileDialog::answerFromQueue(const FileDialogRequest &request, QStringList *result)
{
    TestHook &test = hook();
    test.requests.append(request);
    if (test.results.isEmpty())
        return false;
    *result = test.results.takeFirst();
    return true;
}

QStringList FileDialog::getOpenFileNames(QWidget *parent, const QString &directory,
                                         const QString &filter, bool showHidden)
{
    FileDialogRequest request{
        FileDialogRequest::Kind::OpenFiles, directory, filter, {}, {}, showHidden};
    QStringList result;
    if (answerFromQueue(request, &result))
        return result;
    QFileDialog dialog(parent, QString(), directory, platformFilter(filter));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (showHidden)
        dialog.setFilter(dialog.filter() | QDir::Hidden);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

QString FileDialog::getOpenFileName(QWidget *parent, const QString &directory,
                                    const QString &filter, const QString &selectedFilter)
{
    FileDialogRequest request{
        FileDialogRequest::Kind::OpenFile, directory, filter, selectedFilter, {}, false};
    QStringList result;
    if (answerFromQueue(request, &result))
        return firstOrEmpty(result);
    QFileDialog dialog(parent, QString(), directory, platformFilter(filter));
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!selectedFilter.isEmpty())
        dialog.selectNameFilter(platformFilter(selectedFilter));
    return dialog.exec() == QDialog::Accepted ? firstOrEmpty(dialog.selectedFiles()) : QString();
}

QString FileDialog::getSaveFileName(QWidget *parent, const QString &directory,
                                    const QString &filter, const QString &selectedFilter,
                                    const QString &proposedName)
{
    FileDialogRequest request{
        FileDialogRequest::Kind::SaveFile, directory, filter, selectedFilter, proposedName, false};
    QStringList result;
    if (answerFromQueue(request, &result))
        return firstOrEmpty(result);
    QFileDialog dialog(parent, QString(), directory, platformFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (!selectedFilter.isEmpty())
        dialog.selectNameFilter(platformFilter(selectedFilter));
    dialog.selectFile(proposedName);
    return dialog.exec() == QDialog::Accepted ? firstOrEmpty(dialog.selectedFiles()) : QString();
}

QString FileDialog::getExistingDirectory(QWidget *parent, const QString &directory)
{
    FileDialogRequest request{FileDialogRequest::Kind::Folder, directory, {}, {}, {}, false};
    QStringList result;
    if (answerFromQueue(request, &result))
        return firstOrEmpty(result);
    return QFileDialog::getExistingDirectory(parent, QString(), directory,
                                             QFileDialog::ShowDirsOnly);
}

void FileDialog::setNextResults(const QList<QStringList> &results)
{
    hook().results = results;
}

void FileDialog::setNextResult(const QStringList &result)
{
    hook().results.append(result);
}

QList<FileDialogRequest> FileDialog::requests()
{
    return hook().requests;
}

void FileDialog::clearHistory()
{
    hook().requests.clear();
    hook().results.clear();
}
