#include "shred/ClearReadOnly.h"

#include "platform/FileAttributes.h"

bool ClearReadOnly(const QString &path)
{
    return FileAttributes::clearReadOnly(path);
}
