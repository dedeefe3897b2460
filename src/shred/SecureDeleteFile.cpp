#include "shred/SecureDeleteFile.h"

#include "shred/OverwriteCount.h"
#include "shred/ShredError.h"

bool SecureDeleteFile(const QString &path, int count, ShredReport *report,
                      const ShredPassObserver &afterPass)
{
    ShredReport result;
    try {
        result.outcome = OverwriteAndDelete(path, OverwriteCount::clamped(count), afterPass);
    } catch (const EShredError &error) {
        result.outcome = ShredOutcome::Refused;
        result.reason = error.message();
    }
    if (report != nullptr)
        *report = result;
    return result.outcome != ShredOutcome::Refused;
}
