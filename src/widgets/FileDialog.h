#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// What a window asked of a file dialog; recorded for tests.
struct FileDialogRequest
{
    enum class Kind { OpenFiles, OpenFile, SaveFile, Folder };
    Kind kind = Kind::OpenFile;
    QString directory;
    QString filter;         // in the program's form "Name|pattern|Name|pattern"
    QString selectedFilter; // "Name|pattern"
    QString fileName;       // proposed name of a save dialog
    bool showHidden = false;
};

// Every file dialog of the program goes through here. Filters are written as
// the windows name them ("All|*.*|Key|*.key") and turned into the platform's
// form. Tests queue the next results (an empty list is a cancelled dialog);
// while results are queued, no dialog is shown.
class FileDialog
{
public:
    static QStringList getOpenFileNames(QWidget *parent, const QString &directory,
                                        const QString &filter, bool showHidden = false);
    static QString getOpenFileName(QWidget *parent, const QString &directory, const QString &filter,
                                   const QString &selectedFilter = QString());
    static QString getSaveFileName(QWidget *parent, const QString &directory, const QString &filter,
                                   const QString &selectedFilter, const QString &proposedName);
    static QString getExistingDirectory(QWidget *parent, const QString &directory);

    // "All|*.*|Key|*.key" -> "All (*);;Key (*.key)".
    static QString platformFilter(const QString &filter);

    static void setNextResults(const QList<QStringList> &results);
    static void setNextResult(const QStringList &result);
    static QList<FileDialogRequest> requests();
    static void clearHistory();

private:
    static bool answerFromQueue(const FileDialogRequest &request, QStringList *result);
};
