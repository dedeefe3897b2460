#pragma once

#include "core/Language.h"

#include <QString>
#include <QStringList>

// The words of the encrypt and decrypt runs about the part files that an
// earlier, interrupted run left behind.
namespace PartFileTexts {

// The leftovers `names` were found in `folder`, overwritten and removed.
QString LeftoversRemoved(Language language, const QString &folder, const QStringList &names);

} // namespace PartFileTexts
