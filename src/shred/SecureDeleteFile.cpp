#include "shred/SecureDeleteFile.h"

#include "shred/OverwriteCount.h"

bool SecureDeleteFile(const QString &path, int count, ShredReport *report,
                      const ShredPassObserver &afterPass)
{
    ShredPlan plan;
    plan.count = OverwriteCount::clamped(count);
    plan.afterPass = afterPass;
    const ShredReport result = OverwriteAndDelete(path, plan);
    if (report != nullptr)
        *report = result;
    return result.gone();
}
