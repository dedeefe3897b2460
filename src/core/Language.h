#pragma once

#include <QString>

// The language of the windows and messages. The settings file stores it as a
// number (0 German, any other value English); that number appears only where
// the file is read or written, and in the help file's name.
enum class Language { German, English };

// The German or the English words of a text (UTF-8 in the source).
inline QString textFor(Language language, const char *german, const char *english)
{
    return QString::fromUtf8(language == Language::German ? german : english);
}

constexpr Language languageFromStored(int stored)
{
    return stored == 0 ? Language::German : Language::English;
}

constexpr int storedLanguage(Language language)
{
    return language == Language::German ? 0 : 1;
}

// The language of the system: German when the name of its language, in its
// own words, contains "Deutsch"; else English.
inline Language languageOfSystem(const QString &systemLanguageName)
{
    return systemLanguageName.contains(QLatin1String("Deutsch")) ? Language::German
                                                                 : Language::English;
}
