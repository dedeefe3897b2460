#pragma once

#include "core/Language.h"

#include <QString>
#include <QStringList>

class QUrl;
class QWidget;

// The names the windows get from file dialogs and drops, checked before a
// window takes them. A dialog gives text, and a name whose bytes are not
// UTF-8 reaches it as text that names another file; a drop gives a URL, which
// still holds the bytes. What cannot be used is refused with one warning in
// the window's language.
namespace NameCheck {

// The paths of a dialog's answer that may be used: those that may stand for
// another file (platform/NameBytes.h) are left out, after a warning that
// names them.
QStringList usable(QWidget *parent, const QStringList &paths, Language language);
bool usable(QWidget *parent, const QString &path, Language language);

// A dropped file's URL: false, after a warning, when its bytes are not UTF-8.
bool usableDrop(QWidget *parent, const QUrl &url, Language language);
// The local paths of a drop that may be used, after one warning that names
// those whose bytes are not UTF-8; URLs of no local file are passed over.
QStringList usableDrops(QWidget *parent, const QList<QUrl> &urls, Language language);

} // namespace NameCheck
