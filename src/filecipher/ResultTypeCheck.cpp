#include "filecipher/ResultTypeCheck.h"

#include "platform/SafeOpen.h"

#include <QFileInfo>

namespace ResultTypeCheck {

ContentFit resultFitsName(const QString &resultPath, const QString &finalName)
{
    FileProblem problem;
    const std::optional<QByteArray> head =
        SafeOpen::readStart(resultPath, contentHeadSize, &problem);
    if (!head)
        return ContentFit::Unknown;
    return contentFitsName(QFileInfo(finalName).fileName(), *head);
}

} // namespace ResultTypeCheck
