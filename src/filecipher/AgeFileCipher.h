#pragma once

#include "age/AgeFormat.h"
#include "filecipher/LayerChain.h"

#include <QString>

#include <functional>

// The work on one file in the strong format (age v1, the key text in UTF-8
// as passphrase), free of any user interface so that it can run on a worker
// thread. It runs inside the same one-file run as the compatible format
// (runFileTransform), with the same guarantees:
//
// - The input must be a regular file with a single name; links, pipes,
//   sockets and devices are refused without being opened. A lock on it keeps
//   a second run off the same file.
// - The result is written to a new file created exclusively, flushed, given
//   the input's permissions and renamed over the result's name; a folder or
//   special file there makes the work refuse.
// - The input is deleted only once the result is in place and the input is
//   still the same file, unchanged.
// - On any failure the input is left untouched and nothing the work created
//   is left behind. A wrong key, or a file altered or cut off after its
//   header, fails with FileFailure::WrongKeyOrDamaged; a header or text form
//   that breaks the format's rules with StrongFormatDamaged; another version,
//   a file for public keys and a work factor above the highest accepted
//   with their own failures.
// - Decrypting reads the binary form and the text form ("-----BEGIN AGE
//   ENCRYPTED FILE-----") alike; the key derivation stops when cancelled
//   says so, however long it would take.
// - progress gets the bytes of the input read so far and its size.
namespace AgeFileCipher {

using CancelCheck = std::function<bool()>;

// path -> path + ".enc". disposeInput, when given, is how the original goes
// instead of being deleted (see FileTransform).
FileWorkOutcome encryptFile(const QString &path, const QString &keyText,
                            const ByteProgress &progress = {},
                            int workFactor = age::defaultWorkFactor,
                            const CancelCheck &cancelled = {},
                            const DisposeInput &disposeInput = {});

// "x.enc" -> "x" (the last four characters, any letter case).
FileWorkOutcome decryptFile(const QString &path, const QString &keyText,
                            const ByteProgress &progress = {}, const CancelCheck &cancelled = {});

// Whether path is a regular file to be read as the strong format: one that
// starts like it, in either form, damaged or cut-off starts included (see
// age::looksLikeAgeFile). Reads only its first bytes; links, pipes and
// devices answer false unopened.
bool isAgeFile(const QString &path);

} // namespace AgeFileCipher
