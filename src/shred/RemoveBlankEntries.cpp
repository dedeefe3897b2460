#include "shred/RemoveBlankEntries.h"

#include "platform/TextTrim.h"

int RemoveBlankEntries(QStringList &entries)
{
    return static_cast<int>(
        entries.removeIf([](const QString &entry) { return TextTrim::trimmed(entry).isEmpty(); }));
}
