#include "cipher/StrongFormatTexts.h"

#include "cipher/FileRefusalTexts.h"

namespace {

QString pick(Language language, const char *german, const char *english)
{
    return QString::fromUtf8(language == Language::German ? german : english);
}

} // namespace

namespace StrongFormatTexts {

QString WrongKeyOrDamaged(Language language)
{
    return FileRefusalTexts::text(FileFailure::WrongKeyOrDamaged, language);
}

QString KeyDoesNotSeemToFit(Language language)
{
    return pick(language, "der Schlüssel scheint nicht zu passen", "the key does not seem to fit");
}

QString KeepResultAnyway(Language language)
{
    return pick(language, "Ergebnis trotzdem behalten?", "Keep the result anyway?");
}

QString FormatForNewFiles(Language language)
{
    return pick(language, "Format neuer Dateien", "Format for new files");
}

QString CompatibleFormat(Language language)
{
    return pick(language, "kompatibel", "compatible");
}

QString StrongFormat(Language language)
{
    return pick(language, "stark (age)", "strong (age)");
}

QString NewFilesCompatible(Language language)
{
    return pick(language, "Neue Dateien: kompatibles Format", "New files: compatible format");
}

QString NewFilesStrong(Language language)
{
    return pick(language, "Neue Dateien: starkes Format (age)", "New files: strong format (age)");
}

} // namespace StrongFormatTexts
