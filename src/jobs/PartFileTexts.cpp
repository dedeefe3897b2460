#include "jobs/PartFileTexts.h"

#include <QDir>

namespace PartFileTexts {

QString LeftoversRemoved(Language language, const QString &folder, const QStringList &names)
{
    return textFor(language,
                   "Ein früherer, unterbrochener Lauf hat %1 Teildatei(en) in %2 hinterlassen. "
                   "Sie wurden einmal überschrieben und entfernt: %3",
                   "An earlier run that was interrupted left %1 part file(s) in %2. They were "
                   "overwritten once and removed: %3")
        .arg(names.size())
        .arg(QDir::toNativeSeparators(folder), names.join(QStringLiteral(", ")));
}

} // namespace PartFileTexts
