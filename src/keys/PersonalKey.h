#pragma once

#include "core/Language.h"
#include "keys/KeyFile.h"
#include "keys/RandomSource.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The personal key: the installation's key text, kept in settings line 2.

// The fixed tail of every generated key.
inline constexpr char UserKeyTail[] = "%!+oKarnwyb";

// A newly made personal key, or why none could be made.
struct NewUserKey
{
    QString key;     // empty when none was made
    QString failure; // then the random source's own words, if it gave any

    bool made() const { return !key.isEmpty(); }
    // Why no key was made, for the user.
    QString refusal(Language language) const;
};

// A new key of 24 characters: 13 random characters, character i (from 0)
// drawn uniformly from the codes 33 ("!") to 219 + i, then the tail. When the
// random source fails no key is made: a key from a broken source could be
// guessed.
NewUserKey GenerateUserKey(RandomSource &random);
NewUserKey GenerateUserKey(); // from the system's random source

// Export: writes personalKey as the single line of a key file (no line break),
// atomically and owner-only. A key with a character outside the key file's
// code page is refused (the result names the character);
// result.message(language) says why when !result.ok().
KeyFileWriteResult ExportPersonalKey(const QString &keyFilePath, const QByteArray &textKey,
                                     const QString &personalKey);
// The same, with the English message in *error on failure.
bool ExportPersonalKey(const QString &keyFilePath, const QByteArray &textKey,
                       const QString &personalKey, QString *error);

// Restore: the first line of the key file, trimmed. An empty text when that
// line is blank (the caller then changes nothing); nothing,
// with the reason in *error, when the file cannot be read.
std::optional<QString> RestorePersonalKey(const QString &keyFilePath, const QByteArray &textKey,
                                          QString *error = nullptr);
