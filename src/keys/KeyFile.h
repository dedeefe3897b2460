#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Key files ("*.key"): the coded bytes of a plain text and nothing else, no
// byte-order mark, no header, no line break after the coded bytes. Line 1 of
// the plain text is the key text; further lines, when present, are bare names
// of files in the key file's folder. The text passes through AnsiCodePage and
// the Vigenère codec under the application text key.

// The decoded lines, split at CR LF, a lone CR or a lone LF; a line break at
// the very end makes no extra line. Returns nothing, with the reason in
// *error, when the file cannot be read.
std::optional<QStringList> ReadKeyFile(const QString &path, const QByteArray &textKey,
                                       QString *error = nullptr);

// Writes the lines joined by CR LF, coded, nothing after them. The file is
// replaced atomically (temporary file, flush, rename) and readable by its
// owner only. Returns false, with the reason in *error, on failure; an older
// file of that name is then left whole.
bool WriteKeyFile(const QString &path, const QByteArray &textKey, const QStringList &lines,
                  QString *error = nullptr);
