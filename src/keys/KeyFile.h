#pragma once

#include "core/Language.h"
#include "platform/FileProblem.h"

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
// *error, when the file cannot be read; links, pipes, sockets and devices are
// refused without waiting on them.
std::optional<QStringList> ReadKeyFile(const QString &path, const QByteArray &textKey,
                                       QString *error = nullptr);

// The outcome of writing a key file.
struct KeyFileWriteResult
{
    enum class Status {
        Written,
        // A character of the lines lies outside the key file's code page
        // (Windows-1252): stored as "?", it would silently make another key.
        // Nothing is written.
        CharacterOutsideCodePage,
        // The file could not be written; `file` says why. An older file of
        // that name is left whole.
        FileNotWritten,
    };

    Status status = Status::Written;
    char32_t character = 0; // for CharacterOutsideCodePage
    FileProblem file;       // for FileNotWritten

    bool ok() const { return status == Status::Written; }
    explicit operator bool() const { return ok(); }
    // The message for the user, naming the character or the file's problem.
    QString message(Language language) const;
};

// Writes the lines joined by CR LF, coded, nothing after them. Refuses lines
// with a character outside the code page. The file is replaced atomically
// (new file, flush, rename) and readable by its owner only.
KeyFileWriteResult WriteKeyFile(const QString &path, const QByteArray &textKey,
                                const QStringList &lines);
