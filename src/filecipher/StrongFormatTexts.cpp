#include "filecipher/StrongFormatTexts.h"

#include "filecipher/FileRefusalTexts.h"

namespace {

} // namespace

namespace StrongFormatTexts {

QString WrongKeyOrDamaged(Language language)
{
    return FileRefusalTexts::text(FileFailure::WrongKeyOrDamaged, language);
}

QString KeyDoesNotSeemToFit(Language language)
{
    return textFor(language, "der Schlüssel scheint nicht zu passen",
                   "the key does not seem to fit");
}

QString KeepResultAnyway(Language language)
{
    return textFor(language, "Ergebnis trotzdem behalten?", "Keep the result anyway?");
}

QString FormatForNewFiles(Language language)
{
    return textFor(language, "Format neuer Dateien", "Format for new files");
}

QString CompatibleFormat(Language language)
{
    return textFor(language, "kompatibel", "compatible");
}

QString StrongFormat(Language language)
{
    return textFor(language, "stark (age)", "strong (age)");
}

QString NewFilesCompatible(Language language)
{
    return textFor(language, "Neue Dateien: kompatibles Format", "New files: compatible format");
}

QString NewFilesStrong(Language language)
{
    return textFor(language, "Neue Dateien: starkes Format (age)",
                   "New files: strong format (age)");
}

} // namespace StrongFormatTexts
