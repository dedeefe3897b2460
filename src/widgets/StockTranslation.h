#pragma once

#include "core/Language.h"

// Qt's own texts (the buttons of the platform's message boxes, the file
// dialog, the context menus of text fields) in the interface's language.
// German installs Qt's German translation on the application; English
// removes it again. The windows call this wherever their language is set.
namespace StockTranslation {

// Returns false when German is asked for and Qt's German translation is not installed
// (Debian package qt6-translations-l10n); the texts then stay English.
bool apply(Language language);

// Whether Qt's German translation is installed on the application now.
bool isGerman();

} // namespace StockTranslation
