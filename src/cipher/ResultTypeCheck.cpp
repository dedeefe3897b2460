#include "cipher/ResultTypeCheck.h"

#include "platform/SafeFile.h"

#include <QFile>
#include <QFileInfo>

namespace ResultTypeCheck {

ContentFit resultFitsName(const QString &resultPath, const QString &finalName)
{
    SafeFile file = SafeFile::openForReading(resultPath);
    if (!file.isOpen())
        return ContentFit::Unknown;
    QFile device;
    if (!device.open(file.descriptor(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return ContentFit::Unknown;
    const QByteArray head = device.read(contentHeadSize);
    if (device.error() != QFileDevice::NoError)
        return ContentFit::Unknown;
    return contentFitsName(QFileInfo(finalName).fileName(), head);
}

} // namespace ResultTypeCheck
