#pragma once

#include "core/Language.h"

#include <QByteArray>
#include <QString>

// The words, German or English, for names the program cannot carry
// unchanged (platform/NameBytes.h): names whose bytes are not UTF-8.
namespace NameTexts {

// The name for showing: its text, with every byte that is not part of a
// UTF-8 character (and a byte order mark) written as \xFF.
QString shown(const QByteArray &nameBytes);

// "<name>: the name is not valid UTF-8 ..." for a name whose bytes are known.
QString notUtf8(const QByteArray &nameBytes, Language language);

// "<path>: the name may stand for another file ..." for a name that came as
// text and may have come from a name that is not UTF-8.
QString mayStandForOther(const QString &path, Language language);

// The current folder's name is not UTF-8: names relative to it would be
// made absolute through a text that names another folder.
QString currentFolderNotUtf8(const QByteArray &folderBytes, Language language);

// "<count> file(s) not deleted: ..." after a secure delete run.
QString filesNotDeleted(int count, Language language);

} // namespace NameTexts
