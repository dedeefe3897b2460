#pragma once

#include "core/Language.h"
#include "platform/FileProblem.h"

#include <QString>

// The words, German or English, for why the program could not use one of
// its own files or folders, as the platform folder reports it.
namespace FileProblemText {

// "<path>: <reason>"; for a refusal of the system the reason is the
// system's own words. Empty for no problem.
QString text(const FileProblem &problem, Language language);

// "The data folder cannot be used: " followed by text().
QString dataFolderRefusal(const FileProblem &problem, Language language);

// Why a folder could not be listed: "The folder <path> cannot be found."
// when there is none, else text().
QString listingRefusal(const FileProblem &problem, Language language);

} // namespace FileProblemText
