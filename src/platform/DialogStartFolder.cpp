#include "platform/DialogStartFolder.h"

#include "platform/ProgramInfo.h"

#include <QDir>

QString dialogStartFolder()
{
#if defined(Q_OS_WIN)
    return ProgramInfo::programFolder().left(2);
#else
    return QDir::homePath();
#endif
}
