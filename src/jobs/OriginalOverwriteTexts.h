#pragma once

#include "core/Language.h"
#include "jobs/RunPlan.h"
#include "shred/ShredReport.h"

#include <QString>

#include <vector>

// The words of an encrypt run that overwrites the originals, about the
// originals it could not overwrite in full.
namespace OriginalOverwriteTexts {

// One original: why it was not overwritten and removed, and what is left of
// it (`stillAtName`: its name still holds it).
QString problem(Language language, const ShredReport &report, bool stillAtName);

// The message after the run: the results are complete, these originals
// (each with its problem()) were not overwritten in full.
QString notOverwritten(Language language, const std::vector<SkippedFile> &originals);

} // namespace OriginalOverwriteTexts
