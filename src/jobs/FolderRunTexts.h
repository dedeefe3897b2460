#pragma once

#include "core/Language.h"
#include "jobs/RunPlan.h"

#include <QString>
#include <QStringList>

// The words of runs over folders, German and English.
namespace FolderRunTexts {

// Why a file was skipped; with the system's words where there are any.
QString skipReason(Language language, SkipReason reason, const QString &detail = {});
// "3 file(s) encrypted, 1 skipped, 0 failed".
QString counts(Language language, RunKind kind, int done, int skipped, int failed);
// The question before a secure delete run over folders: the number of files,
// their total size, and the folders that go once they are empty.
QString shredConfirmation(Language language, int files, quint64 bytes, const QStringList &folders);
// A folder that stayed because something is left in it, or it changed.
QString folderKept(Language language, const QString &folder);
// A size for people: "512 bytes", "1.5 MiB".
QString size(Language language, quint64 bytes);

} // namespace FolderRunTexts
