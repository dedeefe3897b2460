#pragma once

// The language of the windows and messages. The settings file stores it as a
// number (0 German, any other value English); that number appears only where
// the file is read or written.
enum class Language { German, English };

constexpr Language languageFromStored(int stored)
{
    return stored == 0 ? Language::German : Language::English;
}

constexpr int storedLanguage(Language language)
{
    return language == Language::German ? 0 : 1;
}
