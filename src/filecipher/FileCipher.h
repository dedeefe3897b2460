#pragma once

#include "filecipher/LayerChain.h"

#include <QString>

#include <optional>

// The work on one file in the compatible format, free of any user interface
// so that it can run on a worker thread. The job over a list of files
// (questions, messages, progress of the whole run) is built on these.
namespace FileCipher {

// "x.enc" -> "x" (the last four characters, any letter case); nothing for a
// name that does not end in ".enc" or that is nothing but ".enc".
std::optional<QString> decryptedPath(const QString &encryptedPath);

// path -> path + ".enc" through both layers (the one keyed through SHA-256,
// then the one keyed through SHA-1), in one pass without an intermediate
// file. Only a regular file of one name is taken, never one that another
// run holds; the original is deleted only after the result is complete, on
// the disk and in place, and the original proved unchanged meanwhile. A
// failure or refusal leaves the user's files as they were (the outcome's
// failure says why). cancelled, when given, abandons the file (Cancelled).
// disposeInput, when given, is how the original goes instead of being
// deleted (see FileTransform).
FileWorkOutcome encryptFile(const QString &path, const QString &keyText,
                            const ByteProgress &progress = {}, const CancelCheck &cancelled = {},
                            const DisposeInput &disposeInput = {});

// path ("x.enc") -> "x", the layers in reverse. The same guarantees.
// acceptResult, when given, sees the complete result before it is put in
// place: declining it keeps the encrypted file and leaves no result.
FileWorkOutcome decryptFile(const QString &path, const QString &keyText,
                            const ByteProgress &progress = {},
                            const AcceptResult &acceptResult = {},
                            const CancelCheck &cancelled = {});

// The backup kept while an encrypted file is decrypted: "bak" + its name in
// its folder, or "bak1" + name, ... when that name is taken, so that no file
// of the user's is overwritten. A second name (hard link) of the file, or a
// copy where the file system has none. Empty when no backup could be made.
// A decrypt of the file does not count this name as a further name.
QString makeDecryptBackup(const QString &path);
// Puts the backup's bytes back at path (after a failed decrypt); true when
// path holds them afterwards.
bool restoreDecryptBackup(const QString &backup, const QString &path);
// Removes a backup this process made, while its name still holds it.
void removeDecryptBackup(const QString &backup);

} // namespace FileCipher
