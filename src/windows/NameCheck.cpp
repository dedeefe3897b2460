#include "windows/NameCheck.h"

#include "filetexts/NameTexts.h"
#include "platform/NameBytes.h"
#include "widgets/MessageBox.h"

#include <QList>
#include <QUrl>

namespace NameCheck {

QStringList usable(QWidget *parent, const QStringList &paths, Language language)
{
    QStringList kept;
    QStringList refusals;
    for (const QString &path : paths) {
        if (NameBytes::mayStandForOtherName(path))
            refusals.append(NameTexts::mayStandForOther(path, language));
        else
            kept.append(path);
    }
    if (!refusals.isEmpty())
        MessageBox::warning(parent, refusals.join(QLatin1Char('\n')));
    return kept;
}

bool usable(QWidget *parent, const QString &path, Language language)
{
    return !usable(parent, QStringList{path}, language).isEmpty();
}

bool usableDrop(QWidget *parent, const QUrl &url, Language language)
{
    const QByteArray bytes = NameBytes::pathOfUrl(url);
    if (NameBytes::survivesText(bytes))
        return true;
    MessageBox::warning(parent, NameTexts::notUtf8(bytes, language));
    return false;
}

QStringList usableDrops(QWidget *parent, const QList<QUrl> &urls, Language language)
{
    QStringList kept;
    QStringList refusals;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        const QByteArray bytes = NameBytes::pathOfUrl(url);
        if (NameBytes::survivesText(bytes))
            kept.append(url.toLocalFile());
        else
            refusals.append(NameTexts::notUtf8(bytes, language));
    }
    if (!refusals.isEmpty())
        MessageBox::warning(parent, refusals.join(QLatin1Char('\n')));
    return kept;
}

} // namespace NameCheck
